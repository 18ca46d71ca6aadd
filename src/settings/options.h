// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

namespace quillon {

// Output encoding families (Encoding option).
enum EncodingFamily : std::uint32_t {
    kEncodingDefault = 0,
    kEncodingAnsi = 1,
    kEncodingDos = 2,
    kEncodingUtf8 = 3,
    kEncodingUnicode = 4,
};

// Bits of FlagComparsion; the value is also the comparison mode 0..3.
constexpr std::uint32_t kIgnoreWhiteSpaceBit = 1;
constexpr std::uint32_t kIgnoreCaseBit = 2;

// Fixed capacities of the string options (characters, terminator excluded).
constexpr std::size_t kEncodingStringCapacity = 31;
constexpr std::size_t kPathCapacity = 259;

// Every user setting, under its persisted name. Bools are 0 = off, anything
// else = on; the five parser switches are single bytes.
struct Options {
    std::uint32_t XMLElementCaseSensitive = 1;
    std::uint32_t XMLAttributeCaseSensitive = 1;
    std::uint32_t IgnoreOrderElements = 1;
    std::int32_t DecimalPlaces = -1;
    std::uint32_t DisplayMessages = 1;
    std::uint32_t WriteMessages = 0;
    std::uint32_t EndOfLine = 2;          // 0 none, 1 CR LF, 2 LF (default here), 3 CR
    std::uint32_t Encoding = kEncodingDefault;
    std::u16string EncodingString = u"<none>";
    std::uint32_t CompareLevel = 3;       // 0 Strict, 1 Fast, 2 Normal, 3 Full
    std::uint32_t FlagComparsion = 0;
    std::uint32_t IgnoreAttributes = 0;
    std::uint32_t IgnoreValues = 0;
    std::uint32_t UniqueAttributes = 0;
    // Leftover elements pair only with related ones, and repeated siblings
    // pair by a key attribute found from the data.
    std::uint32_t PairRelatedOnly = 1;
    std::uint32_t IgnoreNamespaces = 0;
    std::uint32_t NormalizeDate = 0;
    std::uint32_t FlagNormalizeDate = 0;  // 0 date and time, 1 only time, 2 only date
    std::uint32_t NormalizeNumber = 0;
    std::uint32_t IncludeIgnoredElements = 0;
    std::uint32_t PrintDoctype = 0;
    std::uint32_t InsertPI = 0;
    std::uint32_t HighlightChars = 0;
    std::uint32_t ExpandDiff = 0;
    std::uint32_t AutoScroll = 1;
    std::uint8_t DoNamespaces = 1;
    std::uint8_t DoSchema = 1;
    std::uint8_t SchemaFullChecking = 0;
    std::uint8_t ValidationErrorAsFatal = 0;
    std::uint8_t ContinueAfterFatalError = 0;
    std::uint32_t SchemaValidation = 1;   // 0 Auto, 1 Never, 2 Always
    // External entities are read only when this is on; a document from disk
    // may then name local files only.
    std::uint8_t ResolveEntities = 0;
    // With namespace processing on, documents nested deeper than this many
    // elements are refused (0: no limit): the parser's namespace look-up
    // slows with the square of the depth.
    std::uint32_t MaxDepth = 10000;
    // Seconds a network fetch may wait to connect, and between data.
    std::uint32_t NetworkTimeout = 30;
    std::uint32_t IgnoreElementsByFullName = 1;
    std::uint32_t DisplayConfirmation = 1;
    std::uint32_t LoadSeparate = 1;
    std::uint32_t DisplayFullMode = 1;
    std::uint32_t OpenAfterSave = 0;
    std::u16string ExternalApplication = u"default";
    std::uint32_t AutoSelect = 1;
    std::uint32_t AutoCompare = 1;
    std::uint32_t AutoLoad = 0;
    std::uint32_t SplitVertically = 1;
    std::int32_t TipOfTheDay = 1801;
    std::int32_t TopMainPos = -111;
    std::int32_t BottomMainPos = -111;
    std::int32_t LeftMainPos = -111;
    std::int32_t RightMainPos = -111;
    std::int32_t ApplicationVersion = 0;
    std::u16string LeftDir;
    std::u16string RightDir;
    std::u16string SaveDir;
    std::u16string OptionsDir;

    // Derived from CompareLevel by ApplyCompareLevel; compared as unsigned,
    // so 0xFFFFFFFF means "no limit".
    std::uint32_t PairSumLimit = 0xFFFFFFFFu;
    std::uint32_t PairProductLimit = 0xFFFFFFFFu;

    // Set once a settings file chose the encoding; documents then no longer
    // change it by their declaration.
    bool EncodingLocked = false;
};

// The settings version the full save writes; other stored versions reset.
constexpr std::int32_t kSettingsVersion = 471;

// The process-wide options record. Inline: the loader asks for it several
// times for every element.
inline Options& options() {
    static Options instance;
    return instance;
}

// Resets to the defaults. The two name-case switches are reset only when no
// document is loaded, because loaded names were interned under them.
void ResetOptions(Options& o, bool documentLoaded);

// Recomputes PairSumLimit/PairProductLimit; a CompareLevel outside 0..3
// leaves them unchanged.
void ApplyCompareLevel(Options& o);

// Picks the encoding family by a name from the writer's encoding lists.
// Returns false (and changes nothing) when locked or when the name is unknown.
bool SetEncodingByName(Options& o, std::u16string_view name, bool lock);

// The single number for date normalisation: 0 none, 1 date and time,
// 2 only date, 3 only time.
std::uint32_t GetDateCode(const Options& o);
void SetDateCode(Options& o, std::uint32_t code);

// The comparison mode 0..3 (bit 0 ignore white space, bit 1 ignore case).
inline unsigned ComparisonMode(const Options& o) { return o.FlagComparsion & 3u; }

}  // namespace quillon
