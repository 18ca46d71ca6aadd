// SPDX-License-Identifier: MIT
#include "settings/options.h"

#include "settings/encoding_names.h"

namespace quillon {
namespace {

bool isBlank(char16_t c) { return c <= 0x20; }

char16_t asciiUpper(char16_t c) { return (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c; }

bool equalIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (asciiUpper(a[i]) != asciiUpper(b[i])) return false;
    return true;
}

}  // namespace

void ResetOptions(Options& o, bool documentLoaded) {
    o.DoNamespaces = 1;
    o.DoSchema = 1;
    o.SchemaFullChecking = 0;
    o.ValidationErrorAsFatal = 0;
    o.ContinueAfterFatalError = 0;
    o.SchemaValidation = 1;
    o.ResolveEntities = 0;
    o.MaxDepth = 10000;
    o.NetworkTimeout = 30;
    o.Encoding = kEncodingDefault;
    o.CompareLevel = 3;
    // The platform's line end; CR LF stays one option away.
    o.EndOfLine = 2;
    o.IgnoreAttributes = 0;
    o.IgnoreValues = 0;
    o.UniqueAttributes = 0;
    o.PairRelatedOnly = 1;
    o.IgnoreNamespaces = 0;
    o.IgnoreOrderElements = 1;
    o.IncludeIgnoredElements = 0;
    o.PrintDoctype = 0;
    o.InsertPI = 0;
    o.IgnoreElementsByFullName = 1;
    o.NormalizeDate = 0;
    o.NormalizeNumber = 0;
    o.DecimalPlaces = -1;
    o.FlagComparsion = 0;
    o.DisplayMessages = 1;
    o.WriteMessages = 0;
    o.OpenAfterSave = 0;
    o.DisplayFullMode = 1;
    o.DisplayConfirmation = 1;
    o.LoadSeparate = 1;
    o.HighlightChars = 0;
    o.ExpandDiff = 0;
    o.AutoScroll = 1;
    if (!documentLoaded) {
        o.XMLElementCaseSensitive = 1;
        o.XMLAttributeCaseSensitive = 1;
    }
    o.ExternalApplication = u"default";
    o.EncodingString = u"<none>";
    ApplyCompareLevel(o);
}

void ApplyCompareLevel(Options& o) {
    switch (o.CompareLevel) {
        case 0: o.PairSumLimit = 0; o.PairProductLimit = 0; break;
        case 1: o.PairSumLimit = 11; o.PairProductLimit = 26; break;
        case 2: o.PairSumLimit = 21; o.PairProductLimit = 101; break;
        case 3: o.PairSumLimit = 0xFFFFFFFFu; o.PairProductLimit = 0xFFFFFFFFu; break;
        default: break;
    }
}

bool SetEncodingByName(Options& o, std::u16string_view name, bool lock) {
    if (o.EncodingLocked) return false;
    while (!name.empty() && isBlank(name.front())) name.remove_prefix(1);
    while (!name.empty() && isBlank(name.back())) name.remove_suffix(1);
    for (unsigned family = 1; family < kEncodingFamilyCount; ++family) {
        for (std::u16string_view listed : EncodingNames(family)) {
            if (!equalIgnoringAsciiCase(name, listed)) continue;
            o.EncodingString = std::u16string(listed);
            o.EncodingLocked = lock;
            o.Encoding = family;
            return true;
        }
    }
    return false;
}

std::uint32_t GetDateCode(const Options& o) {
    if (o.NormalizeDate == 0) return 0;
    if (o.FlagNormalizeDate == 1) return 3;
    if (o.FlagNormalizeDate == 2) return 2;
    return 1;
}

void SetDateCode(Options& o, std::uint32_t code) {
    o.NormalizeDate = code;
    o.FlagNormalizeDate = 0;
    if (code == 2) o.FlagNormalizeDate = 2;
    if (code == 3) o.FlagNormalizeDate = 1;
}

}  // namespace quillon
