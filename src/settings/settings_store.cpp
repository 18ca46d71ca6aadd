// SPDX-License-Identifier: MIT
#include "settings/settings_store.h"

#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <filesystem>
#include <memory>
#include <system_error>
#include <variant>

#include "platform/utf8.h"

namespace quillon {
namespace {

QString q(std::u16string_view s) {
    return QString::fromUtf16(s.data(), qsizetype(s.size()));
}

std::u16string u16(const QString& s) {
    return s.toStdU16String();
}

// The store is opened per operation; QSettings writes the file through a
// temporary and a rename, and under a lock, when it is dropped.
std::unique_ptr<QSettings> open(const std::u16string& file) {
    return std::make_unique<QSettings>(q(file), QSettings::IniFormat);
}

// A stored number: decimal text within the range of a 32-bit value, signed or
// not. Anything else counts as a value of another kind.
std::optional<std::uint32_t> storedNumber(const QSettings& s, const QString& key) {
    const QVariant v = s.value(key);
    // Read from the file a number is text; a value this process wrote may
    // still be held as the number it was.
    switch (v.typeId()) {
        case QMetaType::QString:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
            break;
        default:
            return std::nullopt;
    }
    bool ok = false;
    const qlonglong n = v.toString().toLongLong(&ok, 10);
    if (!ok || n < -2147483648LL || n > 4294967295LL) return std::nullopt;
    return std::uint32_t(n);
}

// A stored text that is not empty and fits `capacity` characters.
std::optional<std::u16string> storedText(const QSettings& s, const QString& key, std::size_t capacity) {
    const QVariant v = s.value(key);
    if (!v.isValid() || v.typeId() != QMetaType::QString) return std::nullopt;
    const QString text = v.toString();
    if (text.isEmpty() || std::size_t(text.size()) > capacity) return std::nullopt;
    return u16(text);
}

using U32 = std::uint32_t Options::*;
using I32 = std::int32_t Options::*;
using U8 = std::uint8_t Options::*;

// How a numeric option is written: a switch as 0 or 1, a number unchanged.
enum class Form { Switch, Number };

struct NumberField {
    const char16_t* name;
    std::variant<U32, I32, U8> member;
    Form form;
};

// Written only by the full save at exit, in this order; ExternalApplication
// and the folders go between ApplicationVersion and OpenAfterSave.
constexpr NumberField kExitNumbersBeforeTexts[] = {
    {u"TipOfTheDay", &Options::TipOfTheDay, Form::Number},
    {u"TopMainPos", &Options::TopMainPos, Form::Number},
    {u"BottomMainPos", &Options::BottomMainPos, Form::Number},
    {u"LeftMainPos", &Options::LeftMainPos, Form::Number},
    {u"RightMainPos", &Options::RightMainPos, Form::Number},
    {u"ApplicationVersion", &Options::ApplicationVersion, Form::Number},
};
constexpr NumberField kExitNumbersAfterTexts[] = {
    {u"OpenAfterSave", &Options::OpenAfterSave, Form::Switch},
    {u"DisplayConfirmation", &Options::DisplayConfirmation, Form::Switch},
    {u"LoadSeparate", &Options::LoadSeparate, Form::Switch},
    {u"AutoSelect", &Options::AutoSelect, Form::Switch},
    {u"AutoCompare", &Options::AutoCompare, Form::Switch},
    {u"AutoLoad", &Options::AutoLoad, Form::Switch},
    {u"SplitVertically", &Options::SplitVertically, Form::Switch},
    {u"DisplayFullMode", &Options::DisplayFullMode, Form::Switch},
    {u"IgnoreElementsByFullName", &Options::IgnoreElementsByFullName, Form::Switch},
};
// Written by both saves; EncodingString goes right after Encoding.
constexpr NumberField kAlwaysNumbersBeforeText[] = {
    {u"DoNamespaces", &Options::DoNamespaces, Form::Switch},
    {u"DoSchema", &Options::DoSchema, Form::Switch},
    {u"SchemaFullChecking", &Options::SchemaFullChecking, Form::Switch},
    {u"ValidationErrorAsFatal", &Options::ValidationErrorAsFatal, Form::Switch},
    {u"ContinueAfterFatalError", &Options::ContinueAfterFatalError, Form::Switch},
    {u"SchemaValidation", &Options::SchemaValidation, Form::Number},
    {u"Encoding", &Options::Encoding, Form::Number},
};
constexpr NumberField kAlwaysNumbersAfterText[] = {
    {u"CompareLevel", &Options::CompareLevel, Form::Number},
    {u"EndOfLine", &Options::EndOfLine, Form::Number},
    {u"FlagComparsion", &Options::FlagComparsion, Form::Number},
    {u"DecimalPlaces", &Options::DecimalPlaces, Form::Number},
    {u"FlagNormalizeDate", &Options::FlagNormalizeDate, Form::Number},
    {u"IgnoreAttributes", &Options::IgnoreAttributes, Form::Switch},
    {u"UniqueAttributes", &Options::UniqueAttributes, Form::Switch},
    {u"PairRelatedOnly", &Options::PairRelatedOnly, Form::Switch},
    {u"IgnoreValues", &Options::IgnoreValues, Form::Switch},
    {u"IgnoreNamespaces", &Options::IgnoreNamespaces, Form::Switch},
    {u"IgnoreOrderElements", &Options::IgnoreOrderElements, Form::Switch},
    {u"IncludeIgnoredElements", &Options::IncludeIgnoredElements, Form::Switch},
    {u"PrintDoctype", &Options::PrintDoctype, Form::Switch},
    {u"InsertPI", &Options::InsertPI, Form::Switch},
    // Stored as 0 or 1 like a switch; FlagNormalizeDate keeps the mode.
    {u"NormalizeDate", &Options::NormalizeDate, Form::Switch},
    {u"NormalizeNumber", &Options::NormalizeNumber, Form::Switch},
    {u"DisplayMessages", &Options::DisplayMessages, Form::Switch},
    {u"WriteMessages", &Options::WriteMessages, Form::Switch},
    {u"HighlightChars", &Options::HighlightChars, Form::Switch},
    {u"ExpandDiff", &Options::ExpandDiff, Form::Switch},
    {u"AutoScroll", &Options::AutoScroll, Form::Switch},
    {u"XMLElementCaseSensitive", &Options::XMLElementCaseSensitive, Form::Switch},
    {u"XMLAttributeCaseSensitive", &Options::XMLAttributeCaseSensitive, Form::Switch},
    {u"ResolveEntities", &Options::ResolveEntities, Form::Switch},
    {u"MaxDepth", &Options::MaxDepth, Form::Number},
    {u"NetworkTimeout", &Options::NetworkTimeout, Form::Number},
};

struct TextField {
    const char16_t* name;
    std::u16string Options::*member;
    std::size_t capacity;
};

constexpr TextField kExitTexts[] = {
    {u"ExternalApplication", &Options::ExternalApplication, kPathCapacity},
    {u"LeftDir", &Options::LeftDir, kPathCapacity},
    {u"RightDir", &Options::RightDir, kPathCapacity},
    {u"SaveDir", &Options::SaveDir, kPathCapacity},
    {u"OptionsDir", &Options::OptionsDir, kPathCapacity},
};
constexpr TextField kEncodingText = {u"EncodingString", &Options::EncodingString, kEncodingStringCapacity};

void writeNumber(QSettings& s, const NumberField& f, const Options& o) {
    QVariant value;
    std::visit(
        [&](auto member) {
            const auto v = o.*member;
            if (f.form == Form::Switch)
                value = v != 0 ? 1 : 0;
            else
                value = qlonglong(v);
        },
        f.member);
    s.setValue(QString::fromUtf16(f.name), value);
}

void readNumber(const QSettings& s, const NumberField& f, Options& o) {
    const std::optional<std::uint32_t> n = storedNumber(s, QString::fromUtf16(f.name));
    if (!n) return;
    std::visit(
        [&](auto member) {
            using T = std::remove_reference_t<decltype(o.*member)>;
            if constexpr (std::is_same_v<T, std::uint8_t>)
                o.*member = *n != 0 ? 1 : 0;
            else
                o.*member = T(*n);
        },
        f.member);
}

template <std::size_t N>
void writeNumbers(QSettings& s, const NumberField (&fields)[N], const Options& o) {
    for (const NumberField& f : fields) writeNumber(s, f, o);
}

template <std::size_t N>
void readNumbers(const QSettings& s, const NumberField (&fields)[N], Options& o) {
    for (const NumberField& f : fields) readNumber(s, f, o);
}

void writeText(QSettings& s, const TextField& f, const Options& o) {
    s.setValue(QString::fromUtf16(f.name), q(o.*f.member));
}

void readText(const QSettings& s, const TextField& f, Options& o) {
    if (auto text = storedText(s, QString::fromUtf16(f.name), f.capacity)) o.*f.member = std::move(*text);
}

struct PaletteEntry {
    const char16_t* name;
    ColorRef color;
};

// In the order of the Options dialog's colour list.
constexpr PaletteEntry kPalette[kPaletteSize] = {
    {u"Header_1", Rgb(210, 255, 210)}, {u"Header_2", Rgb(255, 210, 210)},   {u"Header_4", Rgb(0, 127, 0)},
    {u"Header_5", Rgb(160, 0, 0)},     {u"HeaderText_1", Rgb(0, 66, 0)},    {u"HeaderText_2", Rgb(99, 0, 0)},
    {u"Bk_1", Rgb(230, 255, 230)},     {u"Bk_2", Rgb(255, 230, 230)},       {u"Text_1", Rgb(0, 127, 0)},
    {u"Text_2", Rgb(200, 0, 0)},       {u"DeletedElement", Rgb(127, 0, 0)},
};
// The order SaveColors writes them in.
constexpr std::size_t kColorSaveOrder[kPaletteSize] = {0, 1, 2, 3, 4, 5, 8, 9, 6, 7, 10};

QString fontGroup(FontSlot slot) {
    return slot == FontSlot::Tree ? QStringLiteral("Font1") : QStringLiteral("Font2");
}

QString historyGroup(PaneSide side) {
    return side == PaneSide::Left ? QStringLiteral("LIST1") : QStringLiteral("LIST2");
}

QString fileValue(std::size_t i) {
    return QStringLiteral("File%1").arg(i);
}

std::u16string& programStoreFile() {
    static std::u16string file;
    return file;
}

}  // namespace

Palette DefaultPalette() {
    Palette p{};
    for (std::size_t i = 0; i < kPaletteSize; ++i) p[i] = kPalette[i].color;
    return p;
}

std::u16string_view PaletteValueName(std::size_t i) {
    return i < kPaletteSize ? kPalette[i].name : u"";
}

std::u16string SettingsStore::DefaultFile() {
    const QString overridden = qEnvironmentVariable("QUILLON_SETTINGS_FILE");
    if (!overridden.isEmpty()) return u16(overridden);
    const QSettings user(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Morvane"),
                         QStringLiteral("Recent"));
    return u16(user.fileName());
}

void SettingsStore::LoadSettings(Options& o) const {
    {
        const auto s = open(m_file);
        readNumbers(*s, kExitNumbersBeforeTexts, o);
        readNumbers(*s, kExitNumbersAfterTexts, o);
        readNumbers(*s, kAlwaysNumbersBeforeText, o);
        readNumbers(*s, kAlwaysNumbersAfterText, o);
        for (const TextField& f : kExitTexts) readText(*s, f, o);
        readText(*s, kEncodingText, o);
    }
    ApplyCompareLevel(o);
}

void SettingsStore::SaveSettings(Options& o, bool full) const {
    const auto s = open(m_file);
    if (full) {
        o.ApplicationVersion = kSettingsVersion;
        writeNumbers(*s, kExitNumbersBeforeTexts, o);
        for (const TextField& f : kExitTexts) writeText(*s, f, o);
        writeNumbers(*s, kExitNumbersAfterTexts, o);
    }
    writeNumbers(*s, kAlwaysNumbersBeforeText, o);
    writeText(*s, kEncodingText, o);
    writeNumbers(*s, kAlwaysNumbersAfterText, o);
    s->sync();
}

void SettingsStore::LoadColors(Palette& palette) const {
    const auto s = open(m_file);
    s->beginGroup(QStringLiteral("Colors"));
    for (std::size_t i = 0; i < kPaletteSize; ++i)
        if (const auto n = storedNumber(*s, QString::fromUtf16(kPalette[i].name))) palette[i] = *n;
}

void SettingsStore::SaveColors(const Palette& palette) const {
    const auto s = open(m_file);
    s->beginGroup(QStringLiteral("Colors"));
    for (const std::size_t i : kColorSaveOrder)
        s->setValue(QString::fromUtf16(kPalette[i].name), qlonglong(palette[i]));
    s->endGroup();
    s->sync();
}

std::optional<StoredFont> SettingsStore::LoadFont(FontSlot slot, const LogicalFont& stock) const {
    const auto s = open(m_file);
    if (!s->childGroups().contains(fontGroup(slot))) return std::nullopt;
    s->beginGroup(fontGroup(slot));
    StoredFont stored{stock, std::nullopt};
    LogicalFont& f = stored.font;
    auto number = [&](const char* key) { return storedNumber(*s, QString::fromLatin1(key)); };
    if (auto n = number("CharSet")) f.CharSet = std::uint8_t(*n);
    if (auto n = number("Height")) f.Height = std::int32_t(*n);
    if (auto n = number("Italic")) f.Italic = std::uint8_t(*n);
    if (auto n = number("PitchAndFamily")) f.PitchAndFamily = std::uint8_t(*n);
    if (auto n = number("Underline")) f.Underline = std::uint8_t(*n);
    if (auto n = number("Weight")) f.Weight = std::int32_t(*n);
    if (auto n = number("Width")) f.Width = std::int32_t(*n);
    if (auto face = storedText(*s, QStringLiteral("FaceName"), LogicalFont::kFaceNameCapacity))
        f.FaceName = std::move(*face);
    if (auto n = number("ItemHeight")) stored.itemHeight = std::int32_t(*n);
    return stored;
}

void SettingsStore::SaveFont(FontSlot slot, const LogicalFont& font, std::int32_t itemHeight) const {
    const auto s = open(m_file);
    s->beginGroup(fontGroup(slot));
    s->setValue(QStringLiteral("CharSet"), int(font.CharSet));
    s->setValue(QStringLiteral("Italic"), int(font.Italic));
    s->setValue(QStringLiteral("PitchAndFamily"), int(font.PitchAndFamily));
    s->setValue(QStringLiteral("Underline"), int(font.Underline));
    s->setValue(QStringLiteral("Height"), font.Height);
    s->setValue(QStringLiteral("Weight"), font.Weight);
    s->setValue(QStringLiteral("Width"), font.Width);
    s->setValue(QStringLiteral("FaceName"), q(font.FaceName));
    s->setValue(QStringLiteral("ItemHeight"), itemHeight);
    s->endGroup();
    s->sync();
}

RecentFileList SettingsStore::LoadRecentFiles() const {
    RecentFileList list;
    const auto s = open(m_file);
    for (std::size_t i = 1; i <= RecentFileList::kCapacity; ++i) {
        auto path = storedText(*s, fileValue(i), RecentFileList::kPathLimit - 1);
        if (!path) break;
        list.paths[list.count++] = std::move(*path);
    }
    const QVariant last = s->value(QStringLiteral("Last"));
    if (last.isValid() && last.typeId() == QMetaType::QString) {
        // Read as a decimal number the way a C runtime would: leading digits only.
        const QString text = last.toString().trimmed();
        qsizetype end = (text.startsWith(u'-') || text.startsWith(u'+')) ? 1 : 0;
        while (end < text.size() && text[end].isDigit() && end < 10) ++end;
        const long long n = text.left(end).toLongLong();
        list.last = (n < 0 || n >= qlonglong(RecentFileList::kCapacity)) ? 0 : std::size_t(n);
    }
    return list;
}

void SettingsStore::SaveRecentFiles(const RecentFileList& list) const {
    if (list.count == 0) return;
    const auto s = open(m_file);
    for (std::size_t i = 0; i < list.count && i < RecentFileList::kCapacity; ++i)
        s->setValue(fileValue(i + 1), q(list.paths[i]));
    if (list.count == RecentFileList::kCapacity) s->setValue(QStringLiteral("Last"), QString::number(list.last));
    s->sync();
}

std::vector<std::u16string> SettingsStore::LoadHistory(PaneSide side) const {
    std::vector<std::u16string> entries;
    const auto s = open(m_file);
    s->beginGroup(historyGroup(side));
    for (std::size_t i = 1; i <= kHistoryCapacity; ++i)
        if (auto path = storedText(*s, fileValue(i), kPathCapacity)) entries.push_back(std::move(*path));
    return entries;
}

void SettingsStore::SaveHistory(PaneSide side, const std::vector<std::u16string>& entries) const {
    const auto s = open(m_file);
    s->beginGroup(historyGroup(side));
    const std::size_t n = std::min(entries.size(), kHistoryCapacity);
    for (std::size_t k = 0; k < n; ++k) s->setValue(fileValue(k + 1), q(entries[k]));
    // A shorter list must not come back with the old list's tail.
    for (std::size_t k = n; k < kHistoryCapacity; ++k) s->remove(fileValue(k + 1));
    s->endGroup();
    s->sync();
}

void SetUpSettingsStore(std::u16string_view file) {
    programStoreFile() = file.empty() ? SettingsStore::DefaultFile() : std::u16string(file);
}

const SettingsStore& settingsStore() {
    static SettingsStore store(u"");
    if (programStoreFile().empty()) SetUpSettingsStore();
    if (store.file() != programStoreFile()) store = SettingsStore(programStoreFile());
    return store;
}

void RememberFolder(const Options& o, std::u16string& folderOption, std::u16string_view chosenFile) {
    if (!o.LoadSeparate || chosenFile.empty()) return;
    std::error_code ec;
    std::filesystem::path p = std::filesystem::absolute(std::filesystem::path(FileNameBytes(chosenFile)), ec);
    if (ec) return;
    std::u16string folder = FileNameFromBytes(p.parent_path().string());
    if (folder.empty() || folder.back() != u'/') folder.push_back(u'/');
    if (folder.size() <= kPathCapacity) folderOption = std::move(folder);
}

}  // namespace quillon
