// SPDX-License-Identifier: MIT
// quillon-diff: compares two XML documents through the core, for scripts and CI.
//
// The command line is one table (kOptions): each row names a flag, its value
// and help text and says what it does to the DiffRun. Flags that change the
// options record queue an edit, applied after the defaults and the settings
// file, so a flag always wins over the file. main() runs the steps in order:
// arguments, options, loading, comparing, reporting.

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <iostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/console_notifier.h"
#include "app/folder_compare.h"
#include "app/git_diff.h"
#include "compare/compare_commands.h"
#include "compare/compare_state.h"
#include "load/load_document.h"
#include "load/xml_parser.h"
#include "model/doctype_info.h"
#include "model/document_pane.h"
#include "model/name_table.h"
#include "model/wide_string.h"
#include "output/difference_documents.h"
#include "output/entire_elements.h"
#include "output/output_paths.h"
#include "output/save_document.h"
#include "platform/notifier.h"
#include "platform/output_file.h"
#include "platform/terminal_text.h"
#include "platform/utf8.h"
#include "report/report_output.h"
#include "rules/rule_list_files.h"
#include "settings/encoding_names.h"
#include "settings/options.h"
#include "settings/settings_file.h"

namespace {

using namespace quillon;

constexpr int kExitIdentical = 0;
constexpr int kExitDifferent = 1;
constexpr int kExitTrouble = 2;

// Everything the command line chose.
struct DiffRun {
    std::vector<std::string> files;  // LEFT, RIGHT, SETTINGS
    bool stats = false;
    bool progress = false;
    bool quiet = false;
    bool help = false;
    bool version = false;
    // Ignore-rule and key list files, read once the options are final,
    // since names and attribute hashes depend on the case options.
    std::vector<std::string> ruleFiles;
    std::vector<std::string> keyFiles;
    // Documents to write after the comparison: save command and file.
    std::vector<std::pair<std::uint32_t, std::string>> outputs;
    bool fromRight = false;  // the right document is the saved side
    ReportRequest report;
    std::string color = "auto";
    // Changes to the options record, applied in order after the defaults and
    // the settings file.
    std::vector<std::function<void(Options&)>> optionEdits;
    FolderRun folders;  // when LEFT and RIGHT are folders
};

enum class ValueKind { None, Required, Optional };

struct CliOption {
    const char* name;   // "--level"; a row without a name is a section title
    const char* alias;  // "-h" or null
    ValueKind valueKind;
    const char* value;  // placeholder shown in the help
    const char* help;
    // Applies the flag; value is empty for a switch. Returns false with a message.
    bool (*apply)(DiffRun& run, std::string_view value, std::string& error);
};

// Queues a change of the options record.
template <class Edit>
bool edit(DiffRun& run, Edit e) {
    run.optionEdits.emplace_back(e);
    return true;
}

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

// The value of a word from a fixed list.
bool pick(std::string_view v, std::initializer_list<std::pair<std::string_view, std::uint32_t>> words,
          std::uint32_t& out) {
    for (const auto& [word, value] : words) {
        if (v != word) continue;
        out = value;
        return true;
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

// Queues a document to write after the comparison.
bool output(DiffRun& run, std::uint32_t command, std::string_view file) {
    run.outputs.emplace_back(command, std::string(file));
    return true;
}

// A family label ("UTF-8", "Unicode", "DOS", ...) or any name of the writer's
// encoding lists ("ISO-8859-2", "CP850", "UTF-16", ...).
bool parseEncoding(std::string_view v, std::uint32_t& family, std::u16string& name) {
    // "Unicode (UTF-16)", spelled as the help spells it, is the name in brackets.
    if (const std::size_t open = v.find(" ("); open != std::string_view::npos && v.ends_with(')'))
        v = v.substr(open + 2, v.size() - open - 3);
    const std::u16string wanted = FromUtf8(v);
    for (unsigned f = 0; f < kEncodingFamilyCount; ++f) {
        if (!WideEqualIgnoringCase(EncodingFamilyLabel(f), wanted)) continue;
        family = f;
        const auto names = EncodingNames(f);
        name = names.empty() ? std::u16string(u"<none>") : std::u16string(names.front());
        return true;
    }
    Options probe;
    if (!SetEncodingByName(probe, wanted, false)) return false;
    family = probe.Encoding;
    name = probe.EncodingString;
    return true;
}

const CliOption kOptions[] = {
    {nullptr, nullptr, ValueKind::None, nullptr, "Comparison:", nullptr},
    {"--level", "-l", ValueKind::Required, "LEVEL",
     "strict, fast, normal or full (default): how hard\n"
     "leftover elements are matched by similarity",
     [](DiffRun& r, std::string_view v, std::string& error) {
         std::uint32_t level = 0;
         if (!parseLevel(v, level)) {
             error = "--level takes strict, fast, normal or full, not '" + std::string(v) + "'";
             return false;
         }
         return edit(r, [level](Options& o) { o.CompareLevel = level; });
     }},
    {"--ignore-order", nullptr, ValueKind::None, nullptr, "pair repeated elements in any order (default)",
     [](DiffRun& r, std::string_view, std::string&) { return edit(r, [](Options& o) { o.IgnoreOrderElements = 1; }); }},
    {"--keep-order", nullptr, ValueKind::None, nullptr, "pair repeated elements in document order",
     [](DiffRun& r, std::string_view, std::string&) { return edit(r, [](Options& o) { o.IgnoreOrderElements = 0; }); }},
    {"--ignore-case", "-i", ValueKind::None, nullptr, "values compare without regard to case",
     [](DiffRun& r, std::string_view, std::string&) {
         return edit(r, [](Options& o) { o.FlagComparsion |= kIgnoreCaseBit; });
     }},
    {"--ignore-space", "-w", ValueKind::None, nullptr, "white space in values does not count",
     [](DiffRun& r, std::string_view, std::string&) {
         return edit(r, [](Options& o) { o.FlagComparsion |= kIgnoreWhiteSpaceBit; });
     }},
    {"--ignore-attributes", nullptr, ValueKind::None, nullptr, "attributes never make elements differ",
     [](DiffRun& r, std::string_view, std::string&) { return edit(r, [](Options& o) { o.IgnoreAttributes = 1; }); }},
    {"--ignore-values", nullptr, ValueKind::None, nullptr, "element text never makes elements differ",
     [](DiffRun& r, std::string_view, std::string&) { return edit(r, [](Options& o) { o.IgnoreValues = 1; }); }},
    {"--rules", nullptr, ValueKind::Required, "FILE", "ignore rules and common attributes from a list file",
     [](DiffRun& r, std::string_view v, std::string&) {
         r.ruleFiles.emplace_back(v);
         return true;
     }},
    {"--keys", nullptr, ValueKind::Required, "FILE", "key elements and the key attribute from a list file",
     [](DiffRun& r, std::string_view v, std::string&) {
         r.keyFiles.emplace_back(v);
         return true;
     }},
    {"--unique-attributes", nullptr, ValueKind::None, nullptr, "equal non-empty attributes make the same element",
     [](DiffRun& r, std::string_view, std::string&) { return edit(r, [](Options& o) { o.UniqueAttributes = 1; }); }},
    {"--pair-related-only", nullptr, ValueKind::None, nullptr,
     "leftovers pair only with related elements, and repeated\n"
     "elements pair by a key attribute found in them (default)",
     [](DiffRun& r, std::string_view, std::string&) { return edit(r, [](Options& o) { o.PairRelatedOnly = 1; }); }},
    {"--pair-unrelated", nullptr, ValueKind::None, nullptr,
     "the last pass pairs leftovers in order, whatever they\n"
     "hold; no key attribute is looked for",
     [](DiffRun& r, std::string_view, std::string&) { return edit(r, [](Options& o) { o.PairRelatedOnly = 0; }); }},

    {nullptr, nullptr, ValueKind::None, nullptr, "Loading (these decide how values are read):", nullptr},
    {"--ignore-namespaces", nullptr, ValueKind::None, nullptr, "compare names without namespace prefixes",
     [](DiffRun& r, std::string_view, std::string&) { return edit(r, [](Options& o) { o.IgnoreNamespaces = 1; }); }},
    {"--element-names-ignore-case", nullptr, ValueKind::None, nullptr, "element names ignore case",
     [](DiffRun& r, std::string_view, std::string&) {
         return edit(r, [](Options& o) { o.XMLElementCaseSensitive = 0; });
     }},
    {"--attribute-names-ignore-case", nullptr, ValueKind::None, nullptr, "attribute names ignore case",
     [](DiffRun& r, std::string_view, std::string&) {
         return edit(r, [](Options& o) { o.XMLAttributeCaseSensitive = 0; });
     }},
    {"--normalize-dates", nullptr, ValueKind::Optional, "WHAT",
     "equal dates compare equal however written; WHAT\n"
     "is both (default), date (no time of day) or time",
     [](DiffRun& r, std::string_view v, std::string& error) {
         std::uint32_t code = 1;
         if (!v.empty() && !pick(v, {{"both", 1}, {"date", 2}, {"time", 3}}, code)) {
             error = "--normalize-dates takes both, date or time, not '" + std::string(v) + "'";
             return false;
         }
         return edit(r, [code](Options& o) { SetDateCode(o, code); });
     }},
    {"--normalize-numbers", nullptr, ValueKind::None, nullptr, "1,500.0 compares equal to 1500",
     [](DiffRun& r, std::string_view, std::string&) { return edit(r, [](Options& o) { o.NormalizeNumber = 1; }); }},
    {"--decimal-places", nullptr, ValueKind::Required, "N", "numbers compare cut to N decimal places (0-10)",
     [](DiffRun& r, std::string_view v, std::string& error) {
         int places = 0;
         if (!parseInt(v, -1, 10, places)) {
             error = "--decimal-places takes a number from -1 to 10, not '" + std::string(v) + "'";
             return false;
         }
         return edit(r, [places](Options& o) { o.DecimalPlaces = places; });
     }},
    {"--validate", nullptr, ValueKind::Required, "WHEN", "schema validation: auto, never (default), always",
     [](DiffRun& r, std::string_view v, std::string& error) {
         std::uint32_t scheme = 0;
         if (!pick(v, {{"auto", 0}, {"never", 1}, {"always", 2}}, scheme)) {
             error = "--validate takes auto, never or always, not '" + std::string(v) + "'";
             return false;
         }
         return edit(r, [scheme](Options& o) { o.SchemaValidation = scheme; });
     }},
    {"--no-namespaces", nullptr, ValueKind::None, nullptr, "no namespace processing in the parser",
     [](DiffRun& r, std::string_view, std::string&) { return edit(r, [](Options& o) { o.DoNamespaces = 0; }); }},
    {"--no-schema", nullptr, ValueKind::None, nullptr, "no schema processing in the parser",
     [](DiffRun& r, std::string_view, std::string&) { return edit(r, [](Options& o) { o.DoSchema = 0; }); }},
    {"--full-schema-checking", nullptr, ValueKind::None, nullptr, "full schema constraint checking",
     [](DiffRun& r, std::string_view, std::string&) { return edit(r, [](Options& o) { o.SchemaFullChecking = 1; }); }},
    {"--validation-errors-fatal", nullptr, ValueKind::None, nullptr, "a validation error fails the load",
     [](DiffRun& r, std::string_view, std::string&) {
         return edit(r, [](Options& o) { o.ValidationErrorAsFatal = 1; });
     }},
    {"--continue-after-fatal-error", nullptr, ValueKind::None, nullptr, "keep parsing after a fatal error",
     [](DiffRun& r, std::string_view, std::string&) {
         return edit(r, [](Options& o) { o.ContinueAfterFatalError = 1; });
     }},

    {"--resolve-entities", nullptr, ValueKind::None, nullptr,
     "read the local files external entities name\n"
     "(off: their references stay in the text as written)",
     [](DiffRun& r, std::string_view, std::string&) { return edit(r, [](Options& o) { o.ResolveEntities = 1; }); }},
    {"--max-depth", nullptr, ValueKind::Required, "N", "refuse documents nested deeper than N elements\n(default 10000)",
     [](DiffRun& r, std::string_view v, std::string& error) {
         int depth = 0;
         if (!parseInt(v, 1, 100000000, depth)) {
             error = "--max-depth takes a number from 1 to 100000000, not '" + std::string(v) + "'";
             return false;
         }
         return edit(r, [depth](Options& o) { o.MaxDepth = std::uint32_t(depth); });
     }},
    {"--network-timeout", nullptr, ValueKind::Required, "S",
     "seconds a network fetch waits to connect or for data\n(default 30)",
     [](DiffRun& r, std::string_view v, std::string& error) {
         int seconds = 0;
         if (!parseInt(v, 1, 86400, seconds)) {
             error = "--network-timeout takes a number of seconds from 1 to 86400, not '" + std::string(v) + "'";
             return false;
         }
         return edit(r, [seconds](Options& o) { o.NetworkTimeout = std::uint32_t(seconds); });
     }},

    {nullptr, nullptr, ValueKind::None, nullptr, "Output documents (written after the comparison; - is standard output):", nullptr},
    {"--diff", nullptr, ValueKind::Required, "FILE", "the differences: what is not equal",
     [](DiffRun& r, std::string_view v, std::string&) { return output(r, kModeDifferences, v); }},
    {"--merge", nullptr, ValueKind::Required, "FILE", "both documents merged into one",
     [](DiffRun& r, std::string_view v, std::string&) { return output(r, kModeMerge, v); }},
    {"--common", nullptr, ValueKind::Required, "FILE", "the elements both documents have alike",
     [](DiffRun& r, std::string_view v, std::string&) { return output(r, kModeCommon, v); }},
    {"--changed", nullptr, ValueKind::Required, "FILE", "only the changed elements",
     [](DiffRun& r, std::string_view v, std::string&) { return output(r, kModeOnlyChanged, v); }},
    {"--deleted", nullptr, ValueKind::Required, "FILE", "only the elements the other document lacks",
     [](DiffRun& r, std::string_view v, std::string&) { return output(r, kModeOnlyDeleted, v); }},
    {"--deleted-and-changed", nullptr, ValueKind::Required, "FILE", "the deleted and the changed elements",
     [](DiffRun& r, std::string_view v, std::string&) { return output(r, kModeDeletedAndChanged, v); }},
    {"--from", nullptr, ValueKind::Required, "SIDE",
     "left (default) or right: the document the output\n"
     "documents are written from",
     [](DiffRun& r, std::string_view v, std::string& error) {
         std::uint32_t side = 0;
         if (!pick(v, {{"left", 0}, {"right", 1}}, side)) {
             error = "--from takes left or right, not '" + std::string(v) + "'";
             return false;
         }
         r.fromRight = side == 1;
         return true;
     }},
    {"--encoding", nullptr, ValueKind::Required, "NAME",
     "UTF-8, Unicode (UTF-16), Default, or a code page\n"
     "such as ISO-8859-2, Windows-1251, CP850",
     [](DiffRun& r, std::string_view v, std::string& error) {
         std::uint32_t family = 0;
         std::u16string name;
         if (!parseEncoding(v, family, name)) {
             error = "--encoding: unknown encoding '" + std::string(v) + "'";
             return false;
         }
         return edit(r, [family, name](Options& o) {
             o.Encoding = family;
             o.EncodingString = name;
             o.EncodingLocked = true;  // a document's declaration does not override it
         });
     }},
    {"--eol", nullptr, ValueKind::Required, "STYLE", "line ends: lf (default), crlf, cr or none",
     [](DiffRun& r, std::string_view v, std::string& error) {
         std::uint32_t style = 2;
         if (!pick(v, {{"none", 0}, {"crlf", 1}, {"lf", 2}, {"cr", 3}}, style)) {
             error = "--eol takes crlf, lf, cr or none, not '" + std::string(v) + "'";
             return false;
         }
         return edit(r, [style](Options& o) { o.EndOfLine = style; });
     }},
    {"--markers", nullptr, ValueKind::None, nullptr, "mark differences with processing instructions",
     [](DiffRun& r, std::string_view, std::string&) { return edit(r, [](Options& o) { o.InsertPI = 1; }); }},
    {"--log", nullptr, ValueKind::None, nullptr, "write parse problems to DOCUMENT.log",
     [](DiffRun& r, std::string_view, std::string&) { return edit(r, [](Options& o) { o.WriteMessages = 1; }); }},

    {nullptr, nullptr, ValueKind::None, nullptr, "Folders (LEFT and RIGHT are folders):", nullptr},
    {"--include", nullptr, ValueKind::Required, "PATTERN",
     "compare the files matching PATTERN (default *.xml);\n"
     "a PATTERN with a / matches the relative path",
     [](DiffRun& r, std::string_view v, std::string&) {
         r.folders.filter.include.emplace_back(v);
         return true;
     }},
    {"--exclude", nullptr, ValueKind::Required, "PATTERN", "leave out the files and folders matching PATTERN",
     [](DiffRun& r, std::string_view v, std::string&) {
         r.folders.filter.exclude.emplace_back(v);
         return true;
     }},

    {nullptr, nullptr, ValueKind::None, nullptr, "Reporting the differences (left old, right new):", nullptr},
    {"--verbose", "-v", ValueKind::None, nullptr,
     "print each deleted or added subtree under its entry\n"
     "(cut after 20 lines); for folders, the differences\n"
     "of each differing pair",
     [](DiffRun& r, std::string_view, std::string&) { return r.folders.verbose = r.report.verbose = true; }},
    {"--brief", nullptr, ValueKind::None, nullptr,
     "only the closing line, no list of differences; for\n"
     "folders, only the files that are not identical",
     [](DiffRun& r, std::string_view, std::string&) { return r.report.brief = r.folders.brief = true; }},
    {"--format", nullptr, ValueKind::Required, "FORMAT", "text (default) or json (also for folder entries)",
     [](DiffRun& r, std::string_view v, std::string& error) {
         std::uint32_t json = 0;
         if (!pick(v, {{"text", 0}, {"json", 1}}, json)) {
             error = "--format takes text or json, not '" + std::string(v) + "'";
             return false;
         }
         r.folders.json = json == 1;
         r.report.format = json ? ReportRequest::Format::Json : ReportRequest::Format::Text;
         return true;
     }},
    {"--output", "-o", ValueKind::Required, "FILE", "the list of differences (or JSON) to FILE",
     [](DiffRun& r, std::string_view v, std::string&) { return r.report.output = v, true; }},
    {"--html", nullptr, ValueKind::Required, "FILE", "a self-contained HTML report of the differences",
     [](DiffRun& r, std::string_view v, std::string&) { return r.report.html = v, true; }},
    {"--color", nullptr, ValueKind::Optional, "WHEN",
     "auto (default: on a terminal, unless NO_COLOR\n"
     "is set), always or never",
     [](DiffRun& r, std::string_view v, std::string& error) {
         std::uint32_t when = 0;
         if (!v.empty() && !pick(v, {{"auto", 0}, {"always", 1}, {"never", 2}}, when)) {
             error = "--color takes auto, always or never, not '" + std::string(v) + "'";
             return false;
         }
         r.color = v.empty() ? "always" : std::string(v);
         return true;
     }},

    {nullptr, nullptr, ValueKind::None, nullptr, "Program:", nullptr},
    {"--stats", nullptr, ValueKind::None, nullptr,
     "print element counts, the four comparison\n"
     "counters, load and compare times",
     [](DiffRun& r, std::string_view, std::string&) { return r.stats = true; }},
    {"--progress", nullptr, ValueKind::None, nullptr, "show progress on stderr",
     [](DiffRun& r, std::string_view, std::string&) { return r.progress = r.folders.progress = true; }},
    {"--quiet", "-q", ValueKind::None, nullptr, "no result message, only the exit status",
     [](DiffRun& r, std::string_view, std::string&) { return r.quiet = r.folders.quiet = true; }},
    {"--version", nullptr, ValueKind::None, nullptr, "print the version",
     [](DiffRun& r, std::string_view, std::string&) { return r.version = true; }},
    {"--help", "-h", ValueKind::None, nullptr, "show this help",
     [](DiffRun& r, std::string_view, std::string&) { return r.help = true; }},
};

void printHelp(std::FILE* out) {
    std::fputs(
        "Usage: quillon-diff [options] LEFT RIGHT [SETTINGS]\n"
        "       quillon-diff [options] FILE\n"
        "       quillon-diff [options] DIR1 DIR2\n"
        "\n"
        "Compares two XML documents element by element, lists the differences (~\n"
        "changed, - only in LEFT, + only in RIGHT, each with its XPath and lines) and\n"
        "prints the result, worded as the Quillon window's \"Result\" box words it.\n"
        "Documents are file paths or\n"
        "http:// / ftp:// addresses. SETTINGS is a Quillon settings file; flags given\n"
        "here win over it. With a single FILE the document is only loaded (with\n"
        "--stats: element count and load time). With two folders every XML file at\n"
        "the same relative path is compared, recursively. Called by git as an external\n"
        "diff (seven arguments), it prints the repository path and the result.\n",
        out);
    for (const CliOption& opt : kOptions) {
        if (!opt.name) {
            std::fprintf(out, "\n%s\n", opt.help);
            continue;
        }
        std::string left = "  ";
        if (opt.alias) left += std::string(opt.alias) + ", ";
        left += opt.name;
        if (opt.valueKind == ValueKind::Required) left += std::string(" ") + opt.value;
        if (opt.valueKind == ValueKind::Optional) left += std::string("[=") + opt.value + "]";
        const std::string indent(32, ' ');
        std::string help = opt.help;
        for (std::size_t p = help.find('\n'); p != std::string::npos; p = help.find('\n', p + 1 + indent.size()))
            help.insert(p + 1, indent);
        if (left.size() >= indent.size())
            std::fprintf(out, "%s\n%s%s\n", left.c_str(), indent.c_str(), help.c_str());
        else
            std::fprintf(out, "%-32s%s\n", left.c_str(), help.c_str());
    }
    std::fputs(
        "\n"
        "Exit status: 0 the documents are identical, 1 they differ, 2 trouble (a\n"
        "document failed to load or had a fatal error, bad arguments); the reason\n"
        "goes to stderr. For folders: 0 every pair identical and no file alone,\n"
        "1 otherwise, 2 a file failed to load. As git's external diff: 0 once the\n"
        "pair is shown.\n"
        "\n"
        "Examples:\n"
        "  quillon-diff old.xml new.xml\n"
        "  quillon-diff --format json --output changes.json --html report.html old.xml new.xml\n"
        "  quillon-diff --keep-order --level strict a.xml b.xml\n"
        "  quillon-diff --normalize-dates=date --normalize-numbers --stats a.xml b.xml\n",
        out);
}

const CliOption* findOption(std::string_view name) {
    for (const CliOption& opt : kOptions)
        if (opt.name && (name == opt.name || (opt.alias && name == opt.alias))) return &opt;
    return nullptr;
}

bool parseArguments(int argc, char** argv, DiffRun& run, std::string& error) {
    bool onlyFiles = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (onlyFiles || a.size() < 2 || a[0] != '-') {
            run.files.emplace_back(a);
            continue;
        }
        if (a == "--") {
            onlyFiles = true;
            continue;
        }
        std::string_view name = a, value;
        bool hasValue = false;
        if (const std::size_t eq = a.find('='); a.rfind("--", 0) == 0 && eq != std::string_view::npos) {
            name = a.substr(0, eq);
            value = a.substr(eq + 1);
            hasValue = true;
        }
        const CliOption* opt = findOption(name);
        if (!opt) {
            error = "unknown option '" + std::string(name) + "'";
            return false;
        }
        if (opt->valueKind == ValueKind::None && hasValue) {
            error = std::string(opt->name) + " takes no value";
            return false;
        }
        if (opt->valueKind == ValueKind::Required && !hasValue) {
            if (i + 1 >= argc) {
                error = std::string(opt->name) + " needs a value (" + opt->value + ")";
                return false;
            }
            value = argv[++i];
        }
        if (!opt->apply(run, value, error)) return false;
    }
    if (run.help || run.version) return true;
    if (run.files.empty()) {
        error = "no documents given";
        return false;
    }
    if (GitDiffArguments git; run.files.size() > 3 && !ParseGitDiffArguments(run.files, git)) {
        error = "too many arguments: LEFT RIGHT [SETTINGS] expected";
        return false;
    }
    return true;
}

// Reads a settings or list file with the chosen sections; false with the
// system's reason when it cannot be read. lines counts what was recognised.
bool readSettings(const std::string& file, unsigned sections, unsigned& lines) {
    SettingsFileReport report;
    const bool read = ReadSettingsFile(FileNameFromBytes(file), sections, &report);
    if (!read)
        std::fprintf(stderr, "quillon-diff: %s: cannot be read: %s\n", TerminalText(file).c_str(),
                     report.error.c_str());
    lines += report.recognisedLines;
    return read;
}

// The settings file (its options first), the flags, then every list: names
// are interned with the case options in force, so the flags that change
// them must hold before any list is read, whichever file it comes from.
bool applySettingsAndLists(const DiffRun& run) {
    Options& o = options();
    // git's seven arguments hold no settings file.
    const std::string* settings = run.files.size() == 3 ? &run.files[2] : nullptr;
    unsigned settingsLines = 0;
    if (settings && !readSettings(*settings, kOptionsSection, settingsLines)) return false;
    for (const auto& e : run.optionEdits) e(o);
    // Nothing is drawn here: the heights of the multi-line display would
    // only cost a line count and a byte or more for every element.
    o.DisplayFullMode = 0;
    if (!o.NormalizeNumber) o.DecimalPlaces = -1;
    ApplyCompareLevel(o);
    std::vector<std::pair<const std::string*, unsigned>> lists;
    if (settings) lists.emplace_back(settings, kEverySettingsSection & ~kOptionsSection);
    for (const std::string& f : run.ruleFiles) lists.emplace_back(&f, kIgnoreRulesSection);
    for (const std::string& f : run.keyFiles) lists.emplace_back(&f, kKeysSection);
    for (const auto& [file, sections] : lists) {
        unsigned lines = file == settings ? settingsLines : 0;
        if (!readSettings(*file, sections, lines)) return false;
        if (lines == 0)
            std::fprintf(stderr, "quillon-diff: %s: warning: no line of it was recognised\n",
                         TerminalText(*file).c_str());
    }
    return true;
}

// Everything is written and the process ends: the system takes the trees
// back at once, where freeing them would walk every record.
[[noreturn]] void endWithoutTeardown(int status) {
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    std::_Exit(status);
}

// Writes the queued documents from the saved side's root; false after the
// first one that could not be written.
bool writeOutputs(const DiffRun& run, DocumentPane (&panes)[2], DoctypeInfo (&doctypes)[2]) {
    const int side = run.fromRight ? 1 : 0;
    const ElementRecord* root = RootRecord(panes[side]);
    for (const auto& [command, file] : run.outputs) {
        const SaveResult r = SaveXml(file, command, *root, &doctypes[side], options());
        if (!r.written) {
            std::fprintf(stderr, "quillon-diff: %s: %s\n", TerminalText(r.path).c_str(),
                         r.error.empty() ? ("could not be written: " + r.reason).c_str() : ToUtf8(r.error).c_str());
            return false;
        }
        if (r.path != file && !run.quiet)
            std::fprintf(stderr, "quillon-diff: wrote %s\n", TerminalText(r.path).c_str());
    }
    return true;
}

bool isAddress(const std::string& s) {
    return s.rfind("http://", 0) == 0 || s.rfind("ftp://", 0) == 0 || s.rfind("file://", 0) == 0;
}

// Refused before anything is read or written: an output never replaces an
// input, nor another output.
bool checkOutputPaths(const DiffRun& run, std::string& error) {
    std::vector<std::string> inputs, outputs;
    for (const std::string& f : run.files)
        if (!isAddress(f)) inputs.push_back(f);
    inputs.insert(inputs.end(), run.ruleFiles.begin(), run.ruleFiles.end());
    inputs.insert(inputs.end(), run.keyFiles.begin(), run.keyFiles.end());
    for (const auto& [command, file] : run.outputs) outputs.push_back(WithXmlExtension(file));
    error = CheckOutputPaths(outputs, inputs);
    return error.empty();
}

// Catches the cases the parser words poorly before it sees them.
bool checkLocalFile(const std::string& path, std::string& error) {
    if (isAddress(path)) return true;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        error = std::strerror(errno);
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        error = "is a directory";
        return false;
    }
    return true;
}

std::uint64_t fileSize(const std::string& path) {
    struct stat st {};
    return (!isAddress(path) && ::stat(path.c_str(), &st) == 0) ? std::uint64_t(st.st_size) : 0;
}

// Clears the progress line once pairing is done, before the result prints.
class ConsoleHost : public CompareHost {
public:
    explicit ConsoleHost(bool progress) : m_progress(progress) {}
    void SetStatusText(std::u16string_view text) override {
        if (m_progress && text.starts_with(u"Compared")) std::fprintf(stderr, "\r%16s\r", "");
    }

private:
    bool m_progress;
};

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    DiffRun run;
    std::string error;
    if (!parseArguments(argc, argv, run, error)) {
        std::fprintf(stderr, "quillon-diff: %s\nTry 'quillon-diff --help'.\n", error.c_str());
        return kExitTrouble;
    }
    if (run.help) {
        printHelp(stdout);
        return 0;
    }
    if (run.version) {
        std::puts("quillon-diff " QUILLON_VERSION);
        return 0;
    }

    if (!run.outputs.empty() && run.files.size() < 2) {
        std::fprintf(stderr, "quillon-diff: output documents need two documents to compare\n");
        return kExitTrouble;
    }

    if (!checkOutputPaths(run, error)) {
        std::fprintf(stderr, "quillon-diff: %s; nothing was written\n", TerminalText(error).c_str());
        return kExitTrouble;
    }
    // A document written to standard output has it to itself.
    const bool outputToStdout =
        std::any_of(run.outputs.begin(), run.outputs.end(), [](const auto& o) { return o.second == "-"; });
    std::FILE* const report = outputToStdout ? stderr : stdout;
    // Statistics never go in front of a JSON document.
    std::FILE* const statsOut = run.report.format == ReportRequest::Format::Json ? stderr : report;

    ResetOptions(options(), false);
    RegisterRuleListReaders();
    RegisterEntireElementReader();
    if (!applySettingsAndLists(run)) return kExitTrouble;

    if (GitDiffArguments git; ParseGitDiffArguments(run.files, git)) {
        HandOverToExternalDiff(git);  // returns only when there is no one to hand over to
        return RunGitDiff(git, run.color);
    }
    if (run.files.size() >= 2 && AreFolders(run.files[0], run.files[1])) {
        if (!run.outputs.empty()) {
            std::fprintf(stderr, "quillon-diff: output documents are written for two documents, not folders\n");
            return kExitTrouble;
        }
        return CompareFolders(run.files[0], run.files[1], run.folders);
    }

    const std::size_t documents = run.files.size() >= 2 ? 2 : 1;

    run.report.quiet = run.quiet;
    run.report.console = report == stderr ? &std::cerr : &std::cout;
    run.report.color =
        run.color == "always" || (run.color == "auto" && isatty(fileno(report)) && !std::getenv("NO_COLOR"));
    run.report.leftName = run.report.inputs[0] = run.files[0];
    if (documents == 2) run.report.rightName = run.report.inputs[1] = run.files[1];
    // A comparison that could not be made still gives a script its document.
    const auto failed = [&run](const std::string& file, const std::string& why) {
        std::fprintf(stderr, "quillon-diff: %s: %s\n", TerminalText(file).c_str(), TerminalText(why).c_str());
        if (std::string error; !WriteFailureReport(run.report, file, why, error))
            std::fprintf(stderr, "quillon-diff: %s\n", TerminalText(error).c_str());
        return kExitTrouble;
    };

    for (std::size_t i = 0; i < documents; ++i)
        if (!checkLocalFile(run.files[i], error)) return failed(run.files[i], error);

    ConsoleNotifier console;
    ScopedNotifier scopedNotifier(console);
    XmlParser parser;
    DocumentPane panes[2];
    DoctypeInfo doctypes[2];
    std::uint64_t elements = 0;
    bool fatal[2] = {false, false};
    for (std::size_t i = 0; i < documents; ++i) {
        const std::string& file = run.files[i];
        const std::uint64_t size = fileSize(file);
        std::function<bool(std::uint64_t)> progress;
        if (run.progress) {
            progress = [&file, size](std::uint64_t chars) {
                if (size)
                    std::fprintf(stderr, "\rLoading %s: %3u%%", TerminalText(file).c_str(),
                                 unsigned(std::min<std::uint64_t>(99, chars * 100 / size)));
                return true;
            };
        }
        const LoadResult r = LoadDocument(parser, panes[i], doctypes[i], FileNameFromBytes(file), progress);
        if (run.progress) std::fprintf(stderr, "\r%*s\r", int(TerminalText(file).size() + 16), "");
        if (!r.ok) return failed(file, FileNameBytes(r.message));
        fatal[i] = r.fatalSeen;
        if (!r.notice.empty())
            std::fprintf(stderr, "quillon-diff: %s: %s\n", TerminalText(file).c_str(), ToUtf8(r.notice).c_str());
        elements += r.elementCount;
        if (run.stats)
            std::fprintf(statsOut, "%s: %u elements, loaded in %.3f s\n", TerminalText(file).c_str(), r.elementCount,
                         r.seconds);
    }
    if (run.stats) std::fprintf(statsOut, "distinct element names: %zu\n", nameTable().distinctIdCount() - 1);
    // Kept after a fatal error, a document is only what the parser could
    // read: its result may look identical, so the exit status says trouble.
    const auto fatalStatus = [&](int status) {
        for (std::size_t i = 0; i < documents; ++i) {
            if (!fatal[i]) continue;
            std::fprintf(stderr, "quillon-diff: %s: the document has fatal errors; the result is not reliable\n",
                         TerminalText(run.files[i]).c_str());
            status = kExitTrouble;
        }
        return status;
    };
    if (documents < 2) endWithoutTeardown(fatalStatus(0));

    PairingProgress progress;
    if (run.progress && elements > 0) {
        progress = [elements](std::uint64_t pairs) {
            std::fprintf(stderr, "\rComparing: %3u%%",
                         unsigned(std::min<std::uint64_t>(99, 2 * pairs * 100 / elements)));
        };
    }
    ConsoleHost host(run.progress);
    const auto compareStart = std::chrono::steady_clock::now();
    const std::u16string leftName = FileNameFromBytes(run.files[0]), rightName = FileNameFromBytes(run.files[1]);
    if (!CompareFiles(&panes[0], &panes[1], host, leftName, rightName, progress)) {
        std::fprintf(stderr, "quillon-diff: the documents could not be compared\n");
        return kExitTrouble;
    }
    const double compareSeconds = secondsSince(compareStart);
    const CompareCounters& c = compareCounters();
    if (run.stats) {
        std::fprintf(statsOut, "EqualPairs: %llu\nChangedPairs: %llu\nIgnoredElements: %llu\nOwnChangedPairs: %llu\n",
                     (unsigned long long)c.EqualPairs, (unsigned long long)c.ChangedPairs,
                     (unsigned long long)c.IgnoredElements, (unsigned long long)c.OwnChangedPairs);
        for (const InferredKeyUse& k : pairingReport().inferredKeys)
            std::fprintf(statsOut, "inferred key: %s (%llu group(s))\n", ToUtf8(InferredKeyName(k)).c_str(),
                         (unsigned long long)k.groups);
        for (const RejectedKeyUse& k : pairingReport().rejectedKeys)
            std::fprintf(statsOut, "not a key: %s%s, %s (%llu group(s))\n", ToUtf8(k.element).c_str(),
                         ToUtf8(k.candidate).c_str(), ToUtf8(KeyRejectionText(k.reason)).c_str(),
                         (unsigned long long)k.groups);
        if (pairingReport().cappedGroups > 0)
            std::fprintf(statsOut, "similarity pairing limited (paired in order) in %llu group(s)\n",
                         (unsigned long long)pairingReport().cappedGroups);
        std::fprintf(statsOut, "compared in %.3f s\n", compareSeconds);
    }
    if (!writeOutputs(run, panes, doctypes)) return kExitTrouble;
    if (!WriteReports(run.report, panes[0], panes[1], console.result, error)) {
        std::fprintf(stderr, "quillon-diff: %s\n", TerminalText(error).c_str());
        return kExitTrouble;
    }
    endWithoutTeardown(fatalStatus(c.ChangedPairs == 0 ? kExitIdentical : kExitDifferent));
}
