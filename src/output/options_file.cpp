// SPDX-License-Identifier: MIT
#include "output/options_file.h"

#include <cstdint>
#include <string>
#include <utility>

#include "output/text_writer.h"
#include "platform/output_file.h"
#include "platform/utf8.h"
#include "settings/options.h"

namespace quillon {
namespace {

std::u16string decimal(std::int32_t n) {
    const std::string s = std::to_string(n);
    return std::u16string(s.begin(), s.end());
}

}  // namespace

bool WriteOptionsFile(std::u16string_view path, const Options& o, std::u16string* error) {
    std::u16string why;
    if (!CheckEncoding(o.Encoding, o.EncodingString, &why)) {
        if (error) *error = why;
        return false;
    }
    const std::pair<std::u16string_view, std::int32_t> numbers[] = {
        {u"XMLElementCaseSensitive", std::int32_t(o.XMLElementCaseSensitive)},
        {u"XMLAttributeCaseSensitive", std::int32_t(o.XMLAttributeCaseSensitive)},
        {u"DoNamespaces", o.DoNamespaces != 0},
        {u"DoSchema", o.DoSchema != 0},
        {u"SchemaFullChecking", o.SchemaFullChecking != 0},
        {u"ValidationErrorAsFatal", o.ValidationErrorAsFatal != 0},
        {u"ContinueAfterFatalError", o.ContinueAfterFatalError != 0},
        {u"SchemaValidation", std::int32_t(o.SchemaValidation)},
        {u"CompareLevel", std::int32_t(o.CompareLevel)},
        {u"CaseSensitive", (o.FlagComparsion & kIgnoreCaseBit) == 0},
        {u"IgnoreWhitespaces", (o.FlagComparsion & kIgnoreWhiteSpaceBit) != 0},
        {u"IgnoreNamespaces", std::int32_t(o.IgnoreNamespaces)},
        {u"UniqueAttributes", std::int32_t(o.UniqueAttributes)},
        {u"PairRelatedOnly", std::int32_t(o.PairRelatedOnly)},
        {u"DecimalPlaces", o.DecimalPlaces},
        {u"NormalizeNumber", std::int32_t(o.NormalizeNumber)},
        {u"NormalizeDate", std::int32_t(GetDateCode(o))},
        {u"IgnoreAttributes", std::int32_t(o.IgnoreAttributes)},
        {u"IgnoreValues", std::int32_t(o.IgnoreValues)},
        {u"IgnoreOrderElements", std::int32_t(o.IgnoreOrderElements)},
        {u"IncludeIgnoredElements", std::int32_t(o.IncludeIgnoredElements)},
        {u"InsertPI", std::int32_t(o.InsertPI)},
        {u"HighlightChars", std::int32_t(o.HighlightChars)},
        {u"ExpandDiff", std::int32_t(o.ExpandDiff)},
        {u"AutoScroll", std::int32_t(o.AutoScroll)},
        {u"ResolveEntities", o.ResolveEntities != 0},
        {u"MaxDepth", std::int32_t(o.MaxDepth)},
        {u"NetworkTimeout", std::int32_t(o.NetworkTimeout)},
    };
    std::u16string text;
    for (const auto& [name, value] : numbers) {
        text += name;
        text += u'=';
        text += decimal(value);
        text += u"\r\n";
    }
    text += u"Encoding=" + o.EncodingString + u"\r\n";

    OutputFile file(FileNameBytes(path));
    if (!file.ok()) {
        if (error) *error = u"The file '" + std::u16string(path) + u"' could not be created: " + FromUtf8(file.error());
        return false;
    }
    // UTF-8 whatever the output encoding, as every text file of this system.
    WriteText(file, text, kEncodingUtf8, u"UTF-8");
    if (!file.Commit()) {
        if (error) *error = u"The file '" + std::u16string(path) + u"' could not be written: " + FromUtf8(file.error());
        return false;
    }
    return true;
}

}  // namespace quillon
