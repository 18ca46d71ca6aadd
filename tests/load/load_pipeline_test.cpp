// SPDX-License-Identifier: MIT
#include "load/load_pipeline.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "compare/compare_commands.h"
#include "platform/notifier.h"
#include "platform/utf8.h"
#include "settings/options.h"
#include "support/load_xml.h"
#include "support/temp_folder.h"

namespace quillon::test {
namespace {

// Records what the pipeline asks of the window, in order.
struct RecordingHost : LoadHost {
    std::vector<std::string> calls;
    std::vector<std::u16string> statuses;
    std::vector<int> percents;
    std::u16string dialogAnswer;
    std::u16string dialogTitle;
    int cancelAfter = -1;  // KeepResponsive answers false after that many calls
    int responsiveCalls = 0;
    bool autoLoad = false;

    std::u16string ChooseXmlFile(PaneSide, std::u16string_view title, std::u16string*) override {
        calls.push_back("dialog");
        dialogTitle = std::u16string(title);
        return dialogAnswer;
    }
    void PaneLoadStarts(PaneSide s) override { calls.push_back(s == PaneSide::Left ? "start left" : "start right"); }
    void PaneLoadEnds(PaneSide) override { calls.push_back("end"); }
    void LoadBeginsReading(PaneSide) override { calls.push_back("grey element commands"); }
    void SetStatusText(std::u16string_view t) override { statuses.emplace_back(t); }
    void ShowProgress() override { calls.push_back("show progress"); }
    void MoveProgress(int p) override { percents.push_back(p); }
    void HideProgress() override { calls.push_back("hide progress"); }
    bool KeepResponsive() override { return cancelAfter < 0 || ++responsiveCalls <= cancelAfter; }
    void AddRecentFile(std::u16string_view path) override {
        calls.push_back("recent");
        recent.emplace_back(path);
    }
    std::vector<std::u16string> recent;
    void PathHistoryChanged(PaneSide) override { calls.push_back("history"); }
    void FocusPane(PaneSide) override { calls.push_back("focus"); }
    bool AutoLoadChecked() override { return autoLoad; }
    void ReadSettingsFile(std::u16string_view) override { calls.push_back("settings file"); }
    void UpdateCompareCommands() override { calls.push_back("update compare commands"); }
    bool CompareFiles() override {
        calls.push_back("compare");
        return true;
    }
    void RefreshPanes() override { calls.push_back("refresh"); }
};

struct Pipeline : ::testing::Test {
    void SetUp() override {
        ResetOptions(options(), false);
        options().LeftDir.clear();
        options().RightDir.clear();
        compareCommandState() = {};
    }
    void TearDown() override { SetUp(); }
    int load(PaneSide side, const std::string& path) {
        const std::u16string p = U(path);
        const int r = pipeline.LoadDocument(side, p, pipeline.pane(side).loaded ? 1 : 0, nullptr, true);
        pipeline.pane(side).loaded = r != 0;
        return r;
    }
    std::string texts() const {
        std::string all;
        for (const auto& m : messages.messages) all += ToUtf8(m.title) + " | ";
        return all;
    }

    RecordingNotifier messages;
    ScopedNotifier scoped{messages};
    RecordingHost host;
    LoadPipeline pipeline{Parser(), host};
    TempFolder folder;
};

TEST_F(Pipeline, GoodFileLoadsWithStatusHistoryAndRecentFileByItsFullPath) {
    const std::string path = folder.write("a.xml", "<a><b/></a>");
    compareCommandState().Compared = true;  // a new document ends the comparison
    EXPECT_EQ(load(PaneSide::Left, path), 1);
    EXPECT_TRUE(pipeline.pane(PaneSide::Left).pane.HasDocument());
    EXPECT_EQ(host.statuses, (std::vector<std::u16string>{u"Loading...", u"Loaded successfully"}));
    EXPECT_TRUE(messages.messages.empty()) << texts();
    const std::vector<std::string> expected{"grey element commands", "start left", "show progress", "end",
                                            "hide progress",         "recent",     "history",       "focus"};
    EXPECT_EQ(host.calls, expected);
    EXPECT_FALSE(compareCommandState().Compared);
    ASSERT_EQ(pipeline.pane(PaneSide::Left).history.size(), 1u);
    EXPECT_EQ(pipeline.pane(PaneSide::Left).history[0], U(path));

    // A relative path is remembered as the file it names: recent files and
    // histories are opened later from wherever the program runs.
    folder.write("rel.xml", "<a/>");
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(folder.path());
    const int loaded = load(PaneSide::Right, "rel.xml");
    std::filesystem::current_path(before);
    ASSERT_EQ(loaded, 1);
    ASSERT_EQ(host.recent.size(), 2u);
    EXPECT_EQ(std::filesystem::path(ToUtf8(host.recent[1])), folder.path() / "rel.xml");
    EXPECT_EQ(pipeline.pane(PaneSide::Right).history.at(0), host.recent[1]);
}

TEST_F(Pipeline, MissingFileFolderOrUnreadableFileIsRefusedAndLeavesThePaneAlone) {
    ASSERT_EQ(load(PaneSide::Left, folder.write("a.xml", "<a><b/></a>")), 1);
    host.calls.clear();
    const std::string missing = folder.at("none.xml");
    EXPECT_EQ(load(PaneSide::Left, missing), 1);  // the flag it had
    EXPECT_TRUE(pipeline.pane(PaneSide::Left).pane.HasDocument());
    EXPECT_TRUE(pipeline.loadRefused());
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].title, u"Error");
    EXPECT_EQ(messages.messages[0].text, u"File '" + U(missing) + u"' not found !");
    EXPECT_TRUE(host.calls.empty());

    EXPECT_EQ(load(PaneSide::Right, folder.path().string()), 0);
    EXPECT_EQ(messages.messages.back().title, u"Error");
    EXPECT_NE(messages.messages.back().text.find(u"folder"), std::u16string::npos);
    if (::geteuid() != 0) {  // root reads any file
        const std::string locked = folder.write("locked.xml", "<a/>");
        ::chmod(locked.c_str(), 0);
        EXPECT_EQ(load(PaneSide::Right, locked), 0);
        EXPECT_EQ(messages.messages.back().text, u"File '" + U(locked) + u"' not found !");
    }
}

TEST_F(Pipeline, DialogChoiceLoadsAndCancelKeepsDocumentAndFlag) {
    host.dialogAnswer = U(folder.write("chosen.xml", "<c/>"));
    ASSERT_EQ(pipeline.LoadDocument(PaneSide::Right, std::nullopt, 0, &options().RightDir, true), 1);
    EXPECT_EQ(host.dialogTitle, u"Open XML File");
    EXPECT_FALSE(pipeline.loadRefused());
    host.dialogAnswer.clear();
    EXPECT_EQ(pipeline.LoadDocument(PaneSide::Right, std::nullopt, 1, &options().RightDir, true), 1);
    EXPECT_TRUE(pipeline.loadRefused());
    EXPECT_TRUE(pipeline.pane(PaneSide::Right).pane.HasDocument());
}

// A fatal error empties a pane that held a document and says why, for
// malformed, non-XML and empty files alike; validation errors, and fatal
// errors the user chose to go on after, keep the document.
TEST_F(Pipeline, FatalErrorsEmptyThePaneAndOtherErrorsKeepTheDocument) {
    const std::string good = folder.write("good.xml", "<a><b/></a>");
    const std::u16string notLoaded =
        u"There were some fatal error(s) during loading!\n\nFile is not loaded\n\n"
        u"Please correct the error(s) and then try again";
    const struct {
        const char *name, *xml;
        std::uint32_t validation;
        std::u16string status, title, text, why = u"";
    } cases[] = {
        {"bad.xml", "<a>\n<b>\n</a>", 1, u"Fatal error(s)", u"Fatal Error", notLoaded, u"line 3"},
        {"words.txt", "just some words", 1, u"Fatal error(s)", u"Fatal Error", notLoaded},
        {"empty.xml", "", 1, u"Fatal error(s)", u"Fatal Error", notLoaded},
        {"v.xml", "<!DOCTYPE a [<!ELEMENT a EMPTY>]><a><b/></a>", 2, u"Loaded with error(s)", u"XML Schema Error",
         u"There were some error(s) during loading!\n\nFile is loaded"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        options().SchemaValidation = c.validation;
        ASSERT_EQ(load(PaneSide::Left, good), 1);
        const bool kept = c.text != notLoaded;
        EXPECT_EQ(load(PaneSide::Left, folder.write(c.name, c.xml)), kept ? 1 : 0);
        EXPECT_EQ(pipeline.pane(PaneSide::Left).pane.HasDocument(), kept);
        EXPECT_EQ(host.statuses.back(), c.status);
        ASSERT_FALSE(messages.messages.empty());
        const auto& box = messages.messages.back();
        EXPECT_EQ(box.title, c.title);
        EXPECT_EQ(box.text, c.text);
        EXPECT_EQ(box.helpTopic, u"validat");
        EXPECT_NE(box.details.find(c.why), std::u16string::npos);  // says why
    }
    EXPECT_EQ(pipeline.pane(PaneSide::Left).history.size(), 2u);  // the good file and the valid one
    options().ContinueAfterFatalError = 1;
    EXPECT_EQ(load(PaneSide::Left, folder.write("twice.xml", "<a><b x='1' x='2'/></a>")), 1);
    EXPECT_TRUE(pipeline.pane(PaneSide::Left).pane.HasDocument());
}

TEST_F(Pipeline, CancelDuringParseEmptiesThePaneAndProgressMovesForwardOnly) {
    std::string xml = "<a>";
    for (int i = 0; i < 100000; ++i) xml += "<b x='1'>t</b>";
    xml += "</a>";
    ASSERT_EQ(load(PaneSide::Left, folder.write("good.xml", "<a/>")), 1);
    host.cancelAfter = 1;
    EXPECT_EQ(load(PaneSide::Left, folder.write("big.xml", xml)), 0);
    EXPECT_EQ(host.statuses.back(), u"Canceled");
    EXPECT_FALSE(pipeline.pane(PaneSide::Left).pane.HasDocument());
    EXPECT_TRUE(messages.messages.empty()) << texts();
    // Not cancelled, the progress moves forward only.
    host.cancelAfter = -1;
    host.percents.clear();
    ASSERT_EQ(load(PaneSide::Left, folder.write("big.xml", xml)), 1);
    ASSERT_FALSE(host.percents.empty());
    for (std::size_t i = 1; i < host.percents.size(); ++i) EXPECT_GT(host.percents[i], host.percents[i - 1]);
    EXPECT_LE(host.percents.back(), 100);
}

TEST_F(Pipeline, UnreachableAddressFailsWithItsOwnReason) {
    // A closed local port: the parser fails at once, nothing leaves the machine.
    ASSERT_EQ(load(PaneSide::Right, folder.write("bad.xml", "<a>\n<b>\n</a>")), 0);
    const std::string address = "http://127.0.0.1:1/none.xml";
    EXPECT_EQ(load(PaneSide::Right, address), 0);
    ASSERT_FALSE(messages.messages.empty());
    const auto& box = messages.messages.back();
    EXPECT_EQ(box.title, u"Fatal Error");
    // The reason is this address's, not the problem of the file before it.
    EXPECT_NE(box.details.find(U(address)), std::u16string::npos);
    EXPECT_EQ(box.details.find(u"line 3"), std::u16string::npos);
    EXPECT_FALSE(pipeline.pane(PaneSide::Right).pane.HasDocument());
    EXPECT_TRUE(pipeline.pane(PaneSide::Right).history.empty());
}

TEST_F(Pipeline, PartnerFileComesOnlyWithAutoLoadFromTheOtherFolderAndDoesNotChain) {
    // Folders a/ and b/ as the two panes' folders.
    options().LeftDir = U(folder.at("a/"));
    options().RightDir = U(folder.at("b/"));
    const std::string left = folder.write("a/x.xml", "<x><y/></x>");
    folder.write("b/x.xml", "<x><z/></x>");
    load(PaneSide::Left, left);  // AutoLoad unchecked
    EXPECT_FALSE(pipeline.pane(PaneSide::Right).loaded);
    host.calls.clear();
    host.autoLoad = true;
    EXPECT_EQ(load(PaneSide::Left, left), 1);
    EXPECT_TRUE(pipeline.pane(PaneSide::Right).loaded);
    EXPECT_TRUE(pipeline.pane(PaneSide::Right).pane.HasDocument());
    ASSERT_EQ(pipeline.pane(PaneSide::Right).history.size(), 1u);
    EXPECT_EQ(pipeline.pane(PaneSide::Right).history[0], U(folder.at("b/x.xml")));
    // The partner's load looks for no partner of its own.
    EXPECT_EQ(std::count_if(host.calls.begin(), host.calls.end(),
                            [](const std::string& c) { return c.rfind("start", 0) == 0; }),
              2);

    // None with one folder for both, or when the other folder lacks it.
    ClearPane(pipeline.pane(PaneSide::Right).pane);
    pipeline.pane(PaneSide::Right).loaded = false;
    const std::string lonely = folder.write("a/only.xml", "<x/>");
    options().RightDir = options().LeftDir;
    load(PaneSide::Left, left);
    EXPECT_FALSE(pipeline.pane(PaneSide::Right).loaded);

    options().RightDir = U(folder.at("b/"));
    load(PaneSide::Left, lonely);  // b/only.xml does not exist: silently nothing
    EXPECT_FALSE(pipeline.pane(PaneSide::Right).loaded);
    EXPECT_TRUE(messages.messages.empty()) << texts();
}

TEST(PathHistory, SameFileOnceNewestFirstAtMostTwelveAndAbsolute) {
    std::vector<std::u16string> h;
    AddToPathHistory(h, u"/d/a.xml", true);
    AddToPathHistory(h, u"/d/b.xml", true);
    AddToPathHistory(h, u"/d/A.XML", true);
    ASSERT_EQ(h.size(), 2u);
    EXPECT_EQ(h[0], u"/d/A.XML");
    EXPECT_EQ(h[1], u"/d/b.xml");
    // An entry that merely begins with the new path is another file.
    AddToPathHistory(h, u"/d/b.x", true);
    EXPECT_EQ(h.size(), 3u);

    h.clear();
    for (int i = 0; i < 12; ++i) AddToPathHistory(h, u"/f" + U(std::to_string(i)), true);
    AddToPathHistory(h, u"/new", true);
    ASSERT_EQ(h.size(), 12u);
    EXPECT_EQ(h.front(), u"/new");
    EXPECT_EQ(h.back(), u"/f1");  // /f0 was the oldest
    // Local paths become absolute; addresses stay.
    AddToPathHistory(h, u"rel/x.xml", true);
    EXPECT_EQ(h[0], U((std::filesystem::current_path() / "rel/x.xml").string()));
    AddToPathHistory(h, u"http://host/x.xml", false);
    EXPECT_EQ(h[0], u"http://host/x.xml");
}

TEST(Progress, EmptyFileAndOvershootAreSafe) {
    LoadProgress p;
    p.Start(0);
    EXPECT_EQ(p.Advance(0), std::nullopt);
    EXPECT_EQ(p.Advance(5), 100);
    p.Start(1000);
    EXPECT_EQ(p.Advance(5), std::nullopt);  // below one percent
    EXPECT_EQ(p.Advance(10), 1);
    EXPECT_EQ(p.Advance(10), std::nullopt);
    EXPECT_EQ(p.Advance(~std::uint64_t(0)), 100);
}

// The program alone refreshes; one file loads the left pane; two and a
// settings file read the settings first and compare.
TEST_F(Pipeline, CommandLineLoadsWhatItNames) {
    pipeline.ProcessCommandLine({u"quillon"});
    EXPECT_EQ(host.calls, std::vector<std::string>{"refresh"});

    pipeline.ProcessCommandLine({u"quillon", U(folder.write("l.xml", "<a/>"))});
    EXPECT_TRUE(pipeline.pane(PaneSide::Left).loaded);
    EXPECT_FALSE(pipeline.pane(PaneSide::Right).loaded);
    EXPECT_EQ(host.calls.back(), "refresh");

    host.calls.clear();
    pipeline.ProcessCommandLine({u"quillon", U(folder.write("l.xml", "<a/>")), U(folder.write("r.xml", "<a/>")),
                                 U(folder.write("s.ini", "")), u"extra"});
    ASSERT_FALSE(host.calls.empty());
    EXPECT_EQ(host.calls.front(), "settings file");
    EXPECT_EQ(host.calls.back(), "compare");
    EXPECT_EQ(host.calls[host.calls.size() - 2], "update compare commands");
    EXPECT_TRUE(compareCommandState().Compared);
}

// File names that are not UTF-8: held as UTF-16, they must come back to
// the very bytes the system gave, and documents so named must load.
TEST(FileNames, EveryNameComesBackToItsBytesAndUtf8StaysPlain) {
    // Every name of one or two bytes, and the edges of the longer forms:
    // overlong, surrogate, past U+10FFFF, cut short, and valid ones.
    std::vector<std::string> names;
    for (int a = 1; a < 256; ++a) {
        for (int b = 0; b < 256; ++b) names.push_back(b ? std::string{char(a), char(b)} : std::string(1, char(a)));
    }
    for (const char* s : {"\xE0\x80\xAF", "\xC0\xAF", "\xED\xA0\x80", "\xED\xB3\xBF", "\xF4\x90\x80\x80",
                          "\xF0\x80\x80\x80", "\xE2\x82", "\xF0\x9F\x98", "\xF0\x9F\x98\x80\xFF", "\xF0\x90\x82\x80"})
        names.emplace_back(s);
    for (const std::string& n : names) {
        const std::u16string held = FileNameFromBytes(n);
        ASSERT_EQ(FileNameBytes(held), n) << testing::PrintToString(n);
        // UTF-8 names are the plain text; only the odd bytes are escaped.
        if (ValidUtf8(n) == n)
            ASSERT_EQ(held, FromUtf8(n)) << testing::PrintToString(n);
        else
            ASSERT_TRUE(std::any_of(held.begin(), held.end(), [](char16_t c) { return c >= 0xDC80 && c <= 0xDCFF; }));
    }
    EXPECT_EQ(FileNameFromBytes("caf\xE9-\xC3\xA9"), u"caf\xDCE9-\u00E9");
    // U+10080 is a pair whose low half looks like an escaped byte.
    EXPECT_EQ(FileNameBytes(u"\U00010080"), "\xF0\x90\x82\x80");
    EXPECT_EQ(ReadableFileName(FileNameFromBytes("caf\xE9 \xF0\x90\x82\x80")), u"caf\uFFFD \U00010080");
    // A surrogate no name gives is replaced, not written as an invalid sequence.
    EXPECT_EQ(FileNameBytes(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
    EXPECT_EQ(ValidUtf8("a\xFF\xC3\xA9\xED\xA0\x80"), "a\xEF\xBF\xBD\xC3\xA9\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
}

// A folder and a document whose names are Latin-1, with an entity beside
// it, loaded by its absolute path and relative to the current folder, whose
// name is no more UTF-8.
TEST(OddNames, ADocumentLoadsAndReadsItsRelativeEntityByAbsoluteOrRelativePath) {
    ResetOptions(options(), false);
    options().ResolveEntities = 1;
    const TempFolder root;
    const std::filesystem::path folder = root.path() / "d\xE9j\xE0";
    root.write("d\xE9j\xE0/part.txt", "from the entity");
    const std::string document =
        root.write("d\xE9j\xE0/r\xE9sum\xE9.xml", "<!DOCTYPE r [<!ENTITY p SYSTEM 'part.txt'>]><r>&p;</r>");
    DocumentPane pane;
    LoadResult r = LoadFile(pane, document);
    ASSERT_TRUE(r.ok) << ToUtf8(r.message);
    EXPECT_EQ(TextOf(pane), "from the entity");
    const std::filesystem::path here = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    r = LoadFile(pane, "r\xE9sum\xE9.xml");
    std::filesystem::current_path(here);
    ASSERT_TRUE(r.ok) << ToUtf8(r.message);
    EXPECT_EQ(TextOf(pane), "from the entity");
    // A name that is not there is still told as missing.
    r = LoadFile(pane, (folder / "r\xE9sum\xE8.xml").string());
    EXPECT_FALSE(r.ok);
    EXPECT_NE(ToUtf8(r.message).find("No such file"), std::string::npos) << ToUtf8(r.message);
}

}  // namespace
}  // namespace quillon::test
