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
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/command_line.h"
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
#include "platform/file_address.h"
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
struct DiffRun : CompareSetup {
    std::vector<std::string> files;  // LEFT, RIGHT, SETTINGS
    bool stats = false;
    bool progress = false;
    bool quiet = false;
    bool help = false;
    bool version = false;
    // Documents to write after the comparison: save command and file.
    std::vector<std::pair<std::uint32_t, std::string>> outputs;
    bool fromRight = false;  // the right document is the saved side
    ReportRequest report;
    std::string color = "auto";
    FolderRun folders;  // when LEFT and RIGHT are folders
};

using CliOption = quillon::CliOption<DiffRun>;

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
         if (!PickWord(v, {{"left", 0}, {"right", 1}}, side)) {
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
         return QueueEdit(r, [family, name](Options& o) {
             o.Encoding = family;
             o.EncodingString = name;
             o.EncodingLocked = true;  // a document's declaration does not override it
         });
     }},
    {"--eol", nullptr, ValueKind::Required, "STYLE", "line ends: lf (default), crlf, cr or none",
     [](DiffRun& r, std::string_view v, std::string& error) {
         std::uint32_t style = 2;
         if (!PickWord(v, {{"none", 0}, {"crlf", 1}, {"lf", 2}, {"cr", 3}}, style)) {
             error = "--eol takes crlf, lf, cr or none, not '" + std::string(v) + "'";
             return false;
         }
         return QueueEdit(r, [style](Options& o) { o.EndOfLine = style; });
     }},
    {"--markers", nullptr, ValueKind::None, nullptr, "mark differences with processing instructions",
     [](DiffRun& r, std::string_view, std::string&) { return QueueEdit(r, [](Options& o) { o.InsertPI = 1; }); }},
    {"--log", nullptr, ValueKind::None, nullptr, "write parse problems to DOCUMENT.log",
     [](DiffRun& r, std::string_view, std::string&) { return QueueEdit(r, [](Options& o) { o.WriteMessages = 1; }); }},

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
         if (!PickWord(v, {{"text", 0}, {"json", 1}}, json)) {
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
         if (!v.empty() && !PickWord(v, {{"auto", 0}, {"always", 1}, {"never", 2}}, when)) {
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
    PrintOptions(out, CompareOptions());
    PrintOptions(out, std::span<const CliOption>(kOptions));
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

bool parseArguments(int argc, char** argv, DiffRun& run, std::string& error) {
    if (!ParseCommandLine(argc, argv, std::span<const CliOption>(kOptions), run, run.files, error)) return false;
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

// The status to end with once standard output is flushed: a listing that
// could not be written (a full disk, /dev/full) is trouble, not a result.
int flushedStatus(int status) {
    errno = 0;
    std::cout.flush();
    std::fflush(stdout);
    const int reason = errno;  // of the last write, when it failed now
    if (!std::ferror(stdout) && std::cout) return status;
    std::fprintf(stderr, "quillon-diff: standard output could not be written%s%s\n", reason ? ": " : "",
                 reason ? std::strerror(reason) : "");
    return kExitTrouble;
}

// Everything is written and the process ends: the system takes the trees
// back at once, where freeing them would walk every record.
[[noreturn]] void endWithoutTeardown(int status) {
    status = flushedStatus(status);
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
    for (const std::string& f : run.files) {
        // A file:// address is an input like its path.
        if (const std::optional<std::string> local = LocalPathOfFileAddress(f))
            inputs.push_back(*local);
        else if (!isAddress(f))
            inputs.push_back(f);
    }
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
        return flushedStatus(0);
    }
    if (run.version) {
        std::puts("quillon-diff " QUILLON_VERSION);
        return flushedStatus(0);
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
    // git's seven arguments hold no settings file.
    if (!ApplySettingsAndLists(run, run.files.size() == 3 ? &run.files[2] : nullptr, "quillon-diff"))
        return kExitTrouble;

    if (GitDiffArguments git; ParseGitDiffArguments(run.files, git)) {
        HandOverToExternalDiff(git);  // returns only when there is no one to hand over to
        return flushedStatus(RunGitDiff(git, run.color));
    }
    if (run.files.size() >= 2 && AreFolders(run.files[0], run.files[1])) {
        if (!run.outputs.empty()) {
            std::fprintf(stderr, "quillon-diff: output documents are written for two documents, not folders\n");
            return kExitTrouble;
        }
        return flushedStatus(CompareFolders(run.files[0], run.files[1], run.folders));
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
