// SPDX-License-Identifier: MIT
#include "app/command_line.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>

#include "platform/terminal_text.h"
#include "platform/utf8.h"
#include "settings/options.h"
#include "settings/settings_file.h"

namespace quillon {
namespace {

bool parseLevel(std::string_view v, std::uint32_t& level) {
    static const char* const names[] = {"strict", "fast", "normal", "full"};
    std::string lower(v);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    for (std::uint32_t i = 0; i < 4; ++i) {
        if (lower == names[i] || lower == std::to_string(i)) {
            level = i;
            return true;
        }
    }
    return false;
}

bool parseInt(std::string_view v, int low, int high, int& out) {
    const std::string s(v);
    char* end = nullptr;
    errno = 0;
    const long n = std::strtol(s.c_str(), &end, 10);
    if (s.empty() || *end || errno || n < low || n > high) return false;
    out = int(n);
    return true;
}

const CliOption<CompareSetup> kCompareOptions[] = {
    {nullptr, nullptr, ValueKind::None, nullptr, "Comparison:", nullptr},
    {"--level", "-l", ValueKind::Required, "LEVEL",
     "strict, fast, normal or full (default): how hard\n"
     "leftover elements are matched by similarity",
     [](CompareSetup& r, std::string_view v, std::string& error) {
         std::uint32_t level = 0;
         if (!parseLevel(v, level)) {
             error = "--level takes strict, fast, normal or full, not '" + std::string(v) + "'";
             return false;
         }
         return QueueEdit(r, [level](Options& o) { o.CompareLevel = level; });
     }},
    {"--ignore-order", nullptr, ValueKind::None, nullptr, "pair repeated elements in any order (default)",
     [](CompareSetup& r, std::string_view, std::string&) { return QueueEdit(r, [](Options& o) { o.IgnoreOrderElements = 1; }); }},
    {"--keep-order", nullptr, ValueKind::None, nullptr, "pair repeated elements in document order",
     [](CompareSetup& r, std::string_view, std::string&) { return QueueEdit(r, [](Options& o) { o.IgnoreOrderElements = 0; }); }},
    {"--ignore-case", "-i", ValueKind::None, nullptr, "values compare without regard to case",
     [](CompareSetup& r, std::string_view, std::string&) {
         return QueueEdit(r, [](Options& o) { o.FlagComparsion |= kIgnoreCaseBit; });
     }},
    {"--ignore-space", "-w", ValueKind::None, nullptr, "white space in values does not count",
     [](CompareSetup& r, std::string_view, std::string&) {
         return QueueEdit(r, [](Options& o) { o.FlagComparsion |= kIgnoreWhiteSpaceBit; });
     }},
    {"--ignore-attributes", nullptr, ValueKind::None, nullptr, "attributes never make elements differ",
     [](CompareSetup& r, std::string_view, std::string&) { return QueueEdit(r, [](Options& o) { o.IgnoreAttributes = 1; }); }},
    {"--ignore-values", nullptr, ValueKind::None, nullptr, "element text never makes elements differ",
     [](CompareSetup& r, std::string_view, std::string&) { return QueueEdit(r, [](Options& o) { o.IgnoreValues = 1; }); }},
    {"--rules", nullptr, ValueKind::Required, "FILE", "ignore rules and common attributes from a list file",
     [](CompareSetup& r, std::string_view v, std::string&) {
         r.ruleFiles.emplace_back(v);
         return true;
     }},
    {"--keys", nullptr, ValueKind::Required, "FILE", "key elements and the key attribute from a list file",
     [](CompareSetup& r, std::string_view v, std::string&) {
         r.keyFiles.emplace_back(v);
         return true;
     }},
    {"--unique-attributes", nullptr, ValueKind::None, nullptr, "equal non-empty attributes make the same element",
     [](CompareSetup& r, std::string_view, std::string&) { return QueueEdit(r, [](Options& o) { o.UniqueAttributes = 1; }); }},
    {"--pair-related-only", nullptr, ValueKind::None, nullptr,
     "leftovers pair only with related elements, and repeated\n"
     "elements pair by a key attribute found in them (default)",
     [](CompareSetup& r, std::string_view, std::string&) { return QueueEdit(r, [](Options& o) { o.PairRelatedOnly = 1; }); }},
    {"--pair-unrelated", nullptr, ValueKind::None, nullptr,
     "the last pass pairs leftovers in order, whatever they\n"
     "hold; no key attribute is looked for",
     [](CompareSetup& r, std::string_view, std::string&) { return QueueEdit(r, [](Options& o) { o.PairRelatedOnly = 0; }); }},

    {nullptr, nullptr, ValueKind::None, nullptr, "Loading (these decide how values are read):", nullptr},
    {"--ignore-namespaces", nullptr, ValueKind::None, nullptr, "compare names without namespace prefixes",
     [](CompareSetup& r, std::string_view, std::string&) { return QueueEdit(r, [](Options& o) { o.IgnoreNamespaces = 1; }); }},
    {"--element-names-ignore-case", nullptr, ValueKind::None, nullptr, "element names ignore case",
     [](CompareSetup& r, std::string_view, std::string&) {
         return QueueEdit(r, [](Options& o) { o.XMLElementCaseSensitive = 0; });
     }},
    {"--attribute-names-ignore-case", nullptr, ValueKind::None, nullptr, "attribute names ignore case",
     [](CompareSetup& r, std::string_view, std::string&) {
         return QueueEdit(r, [](Options& o) { o.XMLAttributeCaseSensitive = 0; });
     }},
    {"--normalize-dates", nullptr, ValueKind::Optional, "WHAT",
     "equal dates compare equal however written; WHAT\n"
     "is both (default), date (no time of day) or time",
     [](CompareSetup& r, std::string_view v, std::string& error) {
         std::uint32_t code = 1;
         if (!v.empty() && !PickWord(v, {{"both", 1}, {"date", 2}, {"time", 3}}, code)) {
             error = "--normalize-dates takes both, date or time, not '" + std::string(v) + "'";
             return false;
         }
         return QueueEdit(r, [code](Options& o) { SetDateCode(o, code); });
     }},
    {"--normalize-numbers", nullptr, ValueKind::None, nullptr, "1,500.0 compares equal to 1500",
     [](CompareSetup& r, std::string_view, std::string&) { return QueueEdit(r, [](Options& o) { o.NormalizeNumber = 1; }); }},
    {"--decimal-places", nullptr, ValueKind::Required, "N", "numbers compare cut to N decimal places (0-10)",
     [](CompareSetup& r, std::string_view v, std::string& error) {
         int places = 0;
         if (!parseInt(v, -1, 10, places)) {
             error = "--decimal-places takes a number from -1 to 10, not '" + std::string(v) + "'";
             return false;
         }
         return QueueEdit(r, [places](Options& o) { o.DecimalPlaces = places; });
     }},
    {"--validate", nullptr, ValueKind::Required, "WHEN", "schema validation: auto, never (default), always",
     [](CompareSetup& r, std::string_view v, std::string& error) {
         std::uint32_t scheme = 0;
         if (!PickWord(v, {{"auto", 0}, {"never", 1}, {"always", 2}}, scheme)) {
             error = "--validate takes auto, never or always, not '" + std::string(v) + "'";
             return false;
         }
         return QueueEdit(r, [scheme](Options& o) { o.SchemaValidation = scheme; });
     }},
    {"--no-namespaces", nullptr, ValueKind::None, nullptr, "no namespace processing in the parser",
     [](CompareSetup& r, std::string_view, std::string&) { return QueueEdit(r, [](Options& o) { o.DoNamespaces = 0; }); }},
    {"--no-schema", nullptr, ValueKind::None, nullptr, "no schema processing in the parser",
     [](CompareSetup& r, std::string_view, std::string&) { return QueueEdit(r, [](Options& o) { o.DoSchema = 0; }); }},
    {"--full-schema-checking", nullptr, ValueKind::None, nullptr, "full schema constraint checking",
     [](CompareSetup& r, std::string_view, std::string&) { return QueueEdit(r, [](Options& o) { o.SchemaFullChecking = 1; }); }},
    {"--validation-errors-fatal", nullptr, ValueKind::None, nullptr, "a validation error fails the load",
     [](CompareSetup& r, std::string_view, std::string&) {
         return QueueEdit(r, [](Options& o) { o.ValidationErrorAsFatal = 1; });
     }},
    {"--continue-after-fatal-error", nullptr, ValueKind::None, nullptr, "keep parsing after a fatal error",
     [](CompareSetup& r, std::string_view, std::string&) {
         return QueueEdit(r, [](Options& o) { o.ContinueAfterFatalError = 1; });
     }},

    {"--resolve-entities", nullptr, ValueKind::None, nullptr,
     "read the local files external entities name\n"
     "(off: their references stay in the text as written)",
     [](CompareSetup& r, std::string_view, std::string&) { return QueueEdit(r, [](Options& o) { o.ResolveEntities = 1; }); }},
    {"--max-depth", nullptr, ValueKind::Required, "N", "refuse documents nested deeper than N elements\n(default 10000)",
     [](CompareSetup& r, std::string_view v, std::string& error) {
         int depth = 0;
         if (!parseInt(v, 1, 100000000, depth)) {
             error = "--max-depth takes a number from 1 to 100000000, not '" + std::string(v) + "'";
             return false;
         }
         return QueueEdit(r, [depth](Options& o) { o.MaxDepth = std::uint32_t(depth); });
     }},
    {"--network-timeout", nullptr, ValueKind::Required, "S",
     "seconds a network fetch may take in all (default 30)",
     [](CompareSetup& r, std::string_view v, std::string& error) {
         int seconds = 0;
         if (!parseInt(v, 1, 86400, seconds)) {
             error = "--network-timeout takes a number of seconds from 1 to 86400, not '" + std::string(v) + "'";
             return false;
         }
         return QueueEdit(r, [seconds](Options& o) { o.NetworkTimeout = std::uint32_t(seconds); });
     }},
};

// Reads a settings or list file with the chosen sections; false with the
// system's reason when it cannot be read. lines counts what was recognised.
bool readSettings(const std::string& file, unsigned sections, unsigned& lines, const char* program) {
    SettingsFileReport report;
    const bool read = ReadSettingsFile(FileNameFromBytes(file), sections, &report);
    if (!read)
        std::fprintf(stderr, "%s: %s: cannot be read: %s\n", program, TerminalText(file).c_str(),
                     report.error.c_str());
    lines += report.recognisedLines;
    return read;
}

}  // namespace

std::span<const CliOption<CompareSetup>> CompareOptions() { return kCompareOptions; }

bool PickWord(std::string_view v, std::initializer_list<std::pair<std::string_view, std::uint32_t>> words,
              std::uint32_t& out) {
    for (const auto& [word, value] : words) {
        if (v != word) continue;
        out = value;
        return true;
    }
    return false;
}

void PrintOptionRows(std::FILE* out, const char* name, const char* alias, ValueKind kind, const char* value,
                     const char* help) {
    if (!name) {
        std::fprintf(out, "\n%s\n", help);
        return;
    }
    std::string left = "  ";
    if (alias) left += std::string(alias) + ", ";
    left += name;
    if (kind == ValueKind::Required) left += std::string(" ") + value;
    if (kind == ValueKind::Optional) left += std::string("[=") + value + "]";
    const std::string indent(32, ' ');
    std::string text = help;
    for (std::size_t p = text.find('\n'); p != std::string::npos; p = text.find('\n', p + 1 + indent.size()))
        text.insert(p + 1, indent);
    if (left.size() >= indent.size())
        std::fprintf(out, "%s\n%s%s\n", left.c_str(), indent.c_str(), text.c_str());
    else
        std::fprintf(out, "%-32s%s\n", left.c_str(), text.c_str());
}

bool ApplySettingsAndLists(const CompareSetup& setup, const std::string* settings, const char* program) {
    Options& o = options();
    unsigned settingsLines = 0;
    if (settings && !readSettings(*settings, kOptionsSection, settingsLines, program)) return false;
    for (const auto& e : setup.optionEdits) e(o);
    // Nothing is drawn here: the heights of the multi-line display would
    // only cost a line count and a byte or more for every element.
    o.DisplayFullMode = 0;
    if (!o.NormalizeNumber) o.DecimalPlaces = -1;
    ApplyCompareLevel(o);
    std::vector<std::pair<const std::string*, unsigned>> lists;
    if (settings) lists.emplace_back(settings, kEverySettingsSection & ~kOptionsSection);
    for (const std::string& f : setup.ruleFiles) lists.emplace_back(&f, kIgnoreRulesSection);
    for (const std::string& f : setup.keyFiles) lists.emplace_back(&f, kKeysSection);
    for (const auto& [file, sections] : lists) {
        unsigned lines = file == settings ? settingsLines : 0;
        if (!readSettings(*file, sections, lines, program)) return false;
        if (lines == 0)
            std::fprintf(stderr, "%s: %s: warning: no line of it was recognised\n", program,
                         TerminalText(*file).c_str());
    }
    return true;
}

}  // namespace quillon
