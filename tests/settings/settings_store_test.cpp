// SPDX-License-Identifier: MIT
#include "settings/settings_store.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>

#include "platform/utf8.h"
#include "settings/options.h"
#include "support/temp_folder.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;

// Every test gets a store of its own in a fresh folder; the user's store is
// never touched.
class SettingsStoreTest : public ::testing::Test {
protected:
    // Replaces the store's file with hand-written INI text.
    void WriteIni(const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
    std::string IniText() const {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    const test::TempFolder folder;
    const fs::path path = folder.path() / "Recent.ini";
    std::unique_ptr<SettingsStore> store = std::make_unique<SettingsStore>(FromUtf8(path.string()));
};

// Every field moved off its default.
Options Unusual() {
    Options o;
    o.XMLElementCaseSensitive = 0;
    o.XMLAttributeCaseSensitive = 0;
    o.IgnoreOrderElements = 0;
    o.DecimalPlaces = 4;
    o.DisplayMessages = 0;
    o.WriteMessages = 1;
    o.EndOfLine = 3;
    o.Encoding = 2;
    o.EncodingString = u"CP866";
    o.CompareLevel = 1;
    o.FlagComparsion = 3;
    o.IgnoreAttributes = 1;
    o.IgnoreValues = 1;
    o.UniqueAttributes = 1;
    o.PairRelatedOnly = 0;
    o.IgnoreNamespaces = 1;
    SetDateCode(o, 3);
    o.NormalizeNumber = 1;
    o.IncludeIgnoredElements = 1;
    o.PrintDoctype = 1;
    o.InsertPI = 1;
    o.HighlightChars = 1;
    o.ExpandDiff = 1;
    o.AutoScroll = 0;
    o.DoNamespaces = 0;
    o.DoSchema = 0;
    o.SchemaFullChecking = 1;
    o.ValidationErrorAsFatal = 1;
    o.ContinueAfterFatalError = 1;
    o.SchemaValidation = 2;
    o.IgnoreElementsByFullName = 0;
    o.DisplayConfirmation = 0;
    o.LoadSeparate = 0;
    o.DisplayFullMode = 0;
    o.OpenAfterSave = 1;
    o.ExternalApplication = u"/usr/bin/xml viewer, \"quoted\" \\ back";
    o.AutoSelect = 0;
    o.AutoCompare = 0;
    o.AutoLoad = 1;
    o.SplitVertically = 0;
    o.TipOfTheDay = 1822;
    o.TopMainPos = 10;
    o.BottomMainPos = 610;
    o.LeftMainPos = -5;
    o.RightMainPos = 805;
    o.LeftDir = u"/data/left, old/";
    o.RightDir = u"/data/r\u00e9ponses/";
    o.SaveDir = u"/out/";
    o.OptionsDir = u"/opt/quillon/";
    ApplyCompareLevel(o);
    return o;
}

// The stored fields of an options set, to compare two sets at once.
auto StoredFields(const Options& o) {
    return std::make_tuple(
        o.XMLElementCaseSensitive, o.XMLAttributeCaseSensitive, o.IgnoreOrderElements, o.DecimalPlaces,
        o.DisplayMessages, o.WriteMessages, o.EndOfLine, o.Encoding, o.EncodingString, o.CompareLevel, o.PairSumLimit,
        o.FlagComparsion, o.IgnoreAttributes, o.IgnoreValues, o.UniqueAttributes, o.PairRelatedOnly, o.IgnoreNamespaces,
        GetDateCode(o), o.NormalizeNumber, o.IncludeIgnoredElements, o.PrintDoctype, o.InsertPI, o.HighlightChars,
        o.ExpandDiff, o.AutoScroll, o.DoNamespaces, o.DoSchema, o.SchemaFullChecking, o.ValidationErrorAsFatal,
        o.ContinueAfterFatalError, o.SchemaValidation, o.IgnoreElementsByFullName, o.DisplayConfirmation,
        o.LoadSeparate, o.DisplayFullMode, o.OpenAfterSave, o.ExternalApplication, o.AutoSelect, o.AutoCompare,
        o.AutoLoad, o.SplitVertically, o.TipOfTheDay, o.TopMainPos, o.BottomMainPos, o.LeftMainPos, o.RightMainPos,
        o.ApplicationVersion, o.LeftDir, o.RightDir, o.SaveDir, o.OptionsDir);
}

// An empty store leaves the defaults and no version, so start-up resets; the
// save at exit stores every option and version 471, the options dialog's save
// only what the dialog shows.
TEST_F(SettingsStoreTest, ExitSaveRoundTripsEveryOptionAndTheDialogsSaveItsOwn) {
    Options o;
    store->LoadSettings(o);
    EXPECT_EQ(StoredFields(o), StoredFields(Options{}));
    EXPECT_NE(o.ApplicationVersion, kSettingsVersion);
    EXPECT_EQ(store->LoadRecentFiles().count, 0u);

    Options saved = Unusual();
    store->SaveSettings(saved, false);
    EXPECT_EQ(saved.ApplicationVersion, 0);
    Options back;
    store->LoadSettings(back);
    const Options defaults;
    // Kept only at exit: window rectangle, folders, toolbar states, ignore switches.
    EXPECT_EQ(std::tie(back.TopMainPos, back.LeftDir, back.AutoCompare, back.IgnoreElementsByFullName,
                       back.DisplayConfirmation, back.ExternalApplication, back.ApplicationVersion),
              std::tie(defaults.TopMainPos, defaults.LeftDir, defaults.AutoCompare, defaults.IgnoreElementsByFullName,
                       defaults.DisplayConfirmation, defaults.ExternalApplication, defaults.ApplicationVersion));
    EXPECT_EQ(std::tie(back.CompareLevel, back.EncodingString, back.XMLElementCaseSensitive),
              std::tie(saved.CompareLevel, saved.EncodingString, saved.XMLElementCaseSensitive));

    store->SaveSettings(saved, true);
    EXPECT_EQ(saved.ApplicationVersion, 471);
    store->LoadSettings(back);
    EXPECT_EQ(StoredFields(back), StoredFields(saved));
    EXPECT_EQ(back.PairSumLimit, 11u);  // ApplyCompareLevel ran for level 1
}

TEST_F(SettingsStoreTest, SwitchesAreWrittenAsZeroOrOneAndNumbersUnchanged) {
    Options o;
    o.HighlightChars = 7;
    o.DoSchema = 0;
    SetDateCode(o, 2);  // NormalizeDate 2: stored as 1, the mode stays in FlagNormalizeDate
    o.DecimalPlaces = -1;
    o.TopMainPos = -111;
    store->SaveSettings(o, true);
    const std::string ini = IniText();
    for (const char* line : {"HighlightChars=1\n", "DoSchema=0\n", "NormalizeDate=1\n", "FlagNormalizeDate=2\n",
                             "DecimalPlaces=-1\n", "TopMainPos=-111\n"})
        EXPECT_NE(ini.find(line), std::string::npos) << line;
    Options back;
    store->LoadSettings(back);
    EXPECT_EQ(GetDateCode(back), 2u);
}

TEST_F(SettingsStoreTest, ValuesOfAnotherKindEmptyOrTooLongTextsKeepTheField) {
    WriteIni(
        "[General]\n"
        "CompareLevel=fast\n"
        "EndOfLine=2\n"
        "DoSchema=5\n"
        "TipOfTheDay=99999999999\n"
        "ExternalApplication=\n"
        "EncodingString=" +
        std::string(32, 'x') +
        "\n"
        "SaveDir=" +
        std::string(260, 's') +
        "\n"
        "OptionsDir=" +
        std::string(259, 'o') +
        "\n"
        "SchemaValidation=9\n");
    Options o;
    store->LoadSettings(o);
    EXPECT_EQ(o.CompareLevel, 3u);
    EXPECT_EQ(o.EndOfLine, 2u);
    EXPECT_EQ(o.DoSchema, 1u);  // a byte switch takes value != 0
    EXPECT_EQ(o.TipOfTheDay, 1801);
    EXPECT_EQ(o.ExternalApplication, u"default");
    EXPECT_EQ(o.EncodingString, u"<none>");  // 32 characters do not fit the field
    EXPECT_EQ(o.SaveDir, u"");
    EXPECT_EQ(o.OptionsDir.size(), 259u);
    EXPECT_EQ(o.SchemaValidation, 9u);  // numbers are taken without a range check
}

// Colours and fonts start from the defaults; only entries stored as numbers
// replace theirs, and a face name too long for the field leaves the stock one.
TEST_F(SettingsStoreTest, ColoursAndFontsRoundTripOverTheDefaults) {
    Palette p = DefaultPalette();
    store->LoadColors(p);
    EXPECT_EQ(p, DefaultPalette());
    p[3] = Rgb(1, 2, 3);
    p[9] = Rgb(250, 251, 252);
    store->SaveColors(p);
    Palette back = DefaultPalette();
    store->LoadColors(back);
    EXPECT_EQ(back, p);

    LogicalFont stock;
    stock.FaceName = u"Monospace";
    stock.Height = -13;
    EXPECT_FALSE(store->LoadFont(FontSlot::Tree, stock));
    LogicalFont chosen;
    chosen.Height = -16;
    chosen.Weight = 700;
    chosen.Italic = 1;
    chosen.CharSet = 204;
    chosen.PitchAndFamily = 49;
    chosen.FaceName = std::u16string(31, u'F');
    store->SaveFont(FontSlot::ElementWindow, chosen, 240);
    const auto font = store->LoadFont(FontSlot::ElementWindow, stock);
    ASSERT_TRUE(font);
    EXPECT_EQ(font->font, chosen);
    EXPECT_EQ(font->itemHeight, 240);
    EXPECT_FALSE(store->LoadFont(FontSlot::Tree, stock));

    WriteIni("[Colors]\nHeader_2=255\nBk_1=red\n[Font1]\nFaceName=" + std::string(32, 'F') + "\nWeight=300\n");
    p = DefaultPalette();
    store->LoadColors(p);
    EXPECT_EQ(p[1], Rgb(255, 0, 0));
    EXPECT_EQ(p[6], Rgb(230, 255, 230));
    const auto stored = store->LoadFont(FontSlot::Tree, stock);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->font.FaceName, u"Monospace");
    EXPECT_EQ(stored->font.Weight, 300);
    EXPECT_FALSE(stored->itemHeight);
}

TEST(RecentFileList, AFullListReplacesItsEntriesInTurn) {
    RecentFileList list;
    for (int i = 0; i < 8; ++i) EXPECT_EQ(list.Add(u"/f" + std::u16string(1, char16_t(u'0' + i))), i);
    EXPECT_EQ(list.Add(u"/F3"), -1);  // letter case does not make another file
    EXPECT_EQ(list.count, 8u);
    EXPECT_EQ(list.Add(u"/ninth"), 0);
    EXPECT_EQ(list.last, 1u);
    list.last = 7;
    EXPECT_EQ(list.Add(u"/tenth"), 7);
    EXPECT_EQ(list.last, 0u);  // wraps
    EXPECT_EQ(list.Add(std::u16string(260, u'p')), -1);
    EXPECT_EQ(list.Add(std::u16string(259, u'p')), 0);
}

// Last is stored only when the list is full.
TEST_F(SettingsStoreTest, RecentFilesRoundTrip) {
    RecentFileList list;
    list.Add(u"/a.xml");
    list.Add(u"/b, c.xml");
    store->SaveRecentFiles(list);
    EXPECT_EQ(IniText().find("Last"), std::string::npos);
    RecentFileList back = store->LoadRecentFiles();
    ASSERT_EQ(back.count, 2u);
    EXPECT_EQ(back.paths[1], u"/b, c.xml");

    for (int i = 0; i < 7; ++i) list.Add(u"/more" + std::u16string(1, char16_t(u'0' + i)));
    store->SaveRecentFiles(list);
    back = store->LoadRecentFiles();
    EXPECT_EQ(back.count, 8u);
    EXPECT_EQ(back.last, 1u);
    EXPECT_EQ(back.paths, list.paths);

    // A stored list stops at its first gap; a Last out of range reads as 0.
    WriteIni("[General]\nFile1=/one\nFile2=/two\nFile4=/four\nLast=9\n");
    back = store->LoadRecentFiles();
    EXPECT_EQ(back.count, 2u);
    EXPECT_EQ(back.last, 0u);
    WriteIni("[General]\nFile1=/one\nLast=5\n");
    EXPECT_EQ(SettingsStore(FromUtf8(path.string())).LoadRecentFiles().last, 5u);
}

// A shorter history loses the old tail; missing entries are skipped.
TEST_F(SettingsStoreTest, HistoriesRoundTrip) {
    std::vector<std::u16string> left;
    for (int i = 0; i < 12; ++i) left.push_back(u"/l" + std::u16string(1, char16_t(u'a' + i)));
    store->SaveHistory(PaneSide::Left, left);
    store->SaveHistory(PaneSide::Right, {u"/r1"});
    EXPECT_EQ(store->LoadHistory(PaneSide::Left), left);
    EXPECT_EQ(store->LoadHistory(PaneSide::Right), std::vector<std::u16string>{u"/r1"});
    store->SaveHistory(PaneSide::Left, {u"/new", u"/la"});
    EXPECT_EQ(store->LoadHistory(PaneSide::Left), (std::vector<std::u16string>{u"/new", u"/la"}));
    WriteIni("[LIST2]\nFile2=/two\nFile5=/five\n");
    EXPECT_EQ(store->LoadHistory(PaneSide::Right), (std::vector<std::u16string>{u"/two", u"/five"}));
    EXPECT_TRUE(store->LoadHistory(PaneSide::Left).empty());
}

TEST_F(SettingsStoreTest, TheEnvironmentVariableMovesTheProgramsStore) {
    ASSERT_EQ(::setenv("QUILLON_SETTINGS_FILE", path.c_str(), 1), 0);
    EXPECT_EQ(SettingsStore::DefaultFile(), FromUtf8(path.string()));
    SetUpSettingsStore();
    EXPECT_EQ(settingsStore().file(), FromUtf8(path.string()));
    ::unsetenv("QUILLON_SETTINGS_FILE");
    EXPECT_NE(SettingsStore::DefaultFile(), FromUtf8(path.string()));
    EXPECT_NE(SettingsStore::DefaultFile().find(u"Morvane/Recent.ini"), std::u16string::npos);
}

TEST(RememberFolder, OnlyWithSeparateFoldersTheFoldersFollowTheChosenFile) {
    Options o;
    std::u16string folder = u"/old/";
    RememberFolder(o, folder, u"/data/in/doc.xml");
    EXPECT_EQ(folder, u"/data/in/");
    o.LoadSeparate = 0;
    RememberFolder(o, folder, u"/else/doc.xml");
    EXPECT_EQ(folder, u"/data/in/");
}

}  // namespace
}  // namespace quillon
