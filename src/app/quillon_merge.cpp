// SPDX-License-Identifier: MIT
// quillon-merge: merges two versions of an XML document against their common
// ancestor, element by element, and serves as git's merge driver.
//
// The steps: arguments and options (the comparison and loading flags are
// quillon-diff's own, command_line.h), loading the three documents, the two
// comparisons with the ancestor, the merge, writing. The result is OURS's
// text with THEIRS's changes put in, so whatever the comparison does not see
// (comments, white space, the prolog) stays as OURS has it.

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iostream>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/command_line.h"
#include "app/console_notifier.h"
#include "load/load_document.h"
#include "load/xml_parser.h"
#include "merge/element_spans.h"
#include "merge/merged_text.h"
#include "merge/source_text.h"
#include "merge/three_way_links.h"
#include "merge/three_way_merge.h"
#include "model/doctype_info.h"
#include "model/document_pane.h"
#include "output/entire_elements.h"
#include "output/output_paths.h"
#include "platform/notifier.h"
#include "platform/output_file.h"
#include "platform/terminal_text.h"
#include "platform/utf8.h"
#include "rules/rule_list_files.h"
#include "settings/options.h"

namespace {

using namespace quillon;

constexpr int kExitMerged = 0;
constexpr int kExitConflicts = 1;
constexpr int kExitTrouble = 2;
constexpr const char* kProgram = "quillon-merge";

struct MergeRun : CompareSetup {
    std::vector<std::string> files;  // BASE, OURS, THEIRS
    std::string output = "-";
    std::string settings;
    std::string name;  // the document's name in messages (git's %P)
    bool stats = false;
    bool progress = false;
    bool quiet = false;
    bool help = false;
    bool version = false;
};

using CliOption = quillon::CliOption<MergeRun>;

const CliOption kOptions[] = {
    {nullptr, nullptr, ValueKind::None, nullptr, "Merging:", nullptr},
    {"--output", "-o", ValueKind::Required, "FILE",
     "write the merged document to FILE (default: standard\n"
     "output); FILE may be OURS itself, as git's merge\n"
     "driver asks, and is replaced only once written whole",
     [](MergeRun& r, std::string_view v, std::string&) { return r.output = v, true; }},
    {"--settings", nullptr, ValueKind::Required, "FILE",
     "a Quillon settings file: options, ignore rules, keys",
     [](MergeRun& r, std::string_view v, std::string&) { return r.settings = v, true; }},
    {"--name", nullptr, ValueKind::Required, "NAME",
     "the document's name in messages (git's %P)",
     [](MergeRun& r, std::string_view v, std::string&) { return r.name = v, true; }},

    {nullptr, nullptr, ValueKind::None, nullptr, "Program:", nullptr},
    {"--stats", nullptr, ValueKind::None, nullptr, "print element counts and the time of each step",
     [](MergeRun& r, std::string_view, std::string&) { return r.stats = true; }},
    {"--progress", nullptr, ValueKind::None, nullptr, "show progress on stderr",
     [](MergeRun& r, std::string_view, std::string&) { return r.progress = true; }},
    {"--quiet", "-q", ValueKind::None, nullptr, "no line per conflict, only the exit status",
     [](MergeRun& r, std::string_view, std::string&) { return r.quiet = true; }},
    {"--version", nullptr, ValueKind::None, nullptr, "print the version",
     [](MergeRun& r, std::string_view, std::string&) { return r.version = true; }},
    {"--help", "-h", ValueKind::None, nullptr, "show this help",
     [](MergeRun& r, std::string_view, std::string&) { return r.help = true; }},
};

void printHelp(std::FILE* out) {
    std::fputs(
        "Usage: quillon-merge [options] BASE OURS THEIRS [-o OUT]\n"
        "\n"
        "Merges OURS and THEIRS, two versions of an XML document, against BASE, the\n"
        "version both started from. Each is compared with BASE element by element,\n"
        "as quillon-diff compares (the same options); a change that one side made is\n"
        "taken, the same change made on both sides is taken once, and two different\n"
        "changes to one attribute, one text or one element are a conflict. Elements\n"
        "both sides added at one place come ours first, then theirs. The result is\n"
        "OURS's text with THEIRS's changes put in: comments, processing\n"
        "instructions, the prolog and white space stay as OURS has them.\n"
        "\n"
        "A conflict keeps OURS's version in place, between the processing\n"
        "instructions <?start_conflict WHAT?> and <?end_conflict?>, with THEIRS's and\n"
        "BASE's versions recorded in <?theirs_version ...?> (or <?theirs_removed?>)\n"
        "and <?base_version ...?>, so the result stays well-formed XML. Each conflict\n"
        "is also named on stderr: NAME:LINE: conflict: PATH: WHAT.\n",
        out);
    PrintOptions(out, CompareOptions());
    PrintOptions(out, std::span<const CliOption>(kOptions));
    std::fputs(
        "\n"
        "Exit status: 0 merged cleanly, 1 conflicts (the result is written all the\n"
        "same), 2 trouble (a document failed to load, bad arguments); the reason goes\n"
        "to stderr and nothing is written. Where the result replaces OURS, as for\n"
        "git, versions that cannot be merged as XML are merged line by line instead\n"
        "(git merge-file, with its conflict markers).\n"
        "\n"
        "As git's merge driver (git config, then a line in .gitattributes):\n"
        "  git config merge.quillon.name \"Quillon XML merge\"\n"
        "  git config merge.quillon.driver \"quillon-merge --name %P %O %A %B -o %A\"\n"
        "  echo '*.xml merge=quillon' >> .gitattributes\n"
        "\n"
        "Examples:\n"
        "  quillon-merge base.xml mine.xml yours.xml -o merged.xml\n"
        "  quillon-merge --keys pom-keys.txt base/pom.xml pom.xml other/pom.xml\n",
        out);
}

bool parseArguments(int argc, char** argv, MergeRun& run, std::string& error) {
    if (!ParseCommandLine(argc, argv, std::span<const CliOption>(kOptions), run, run.files, error)) return false;
    if (run.help || run.version) return true;
    if (run.files.size() != 3) {
        error = run.files.size() < 3 ? "three documents are needed: BASE OURS THEIRS"
                                     : "too many arguments: BASE OURS THEIRS expected";
        return false;
    }
    return true;
}

// The output may replace OURS (git's contract for a merge driver), never
// BASE, THEIRS or a settings or list file.
bool checkOutput(const MergeRun& run, std::string& error) {
    if (run.output == OutputFile::kStandardOutput) return true;
    std::vector<std::string> inputs = {run.files[0], run.files[2]};
    if (!run.settings.empty()) inputs.push_back(run.settings);
    inputs.insert(inputs.end(), run.ruleFiles.begin(), run.ruleFiles.end());
    inputs.insert(inputs.end(), run.keyFiles.begin(), run.keyFiles.end());
    error = CheckOutputPaths({run.output}, inputs);
    return error.empty();
}

bool checkLocalFile(const std::string& path, std::string& error) {
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

// A step's wall time and the processor time of all threads, for --stats:
// on a busy machine only the second says what the step costs.
struct StepClock {
    std::chrono::steady_clock::time_point wall = std::chrono::steady_clock::now();
    std::clock_t processor = std::clock();

    std::string Took() const {
        char text[64];
        std::snprintf(text, sizeof text, "%.3f s (processor %.3f s)",
                      std::chrono::duration<double>(std::chrono::steady_clock::now() - wall).count(),
                      double(std::clock() - processor) / CLOCKS_PER_SEC);
        return text;
    }
};

void trouble(const std::string& file, const std::string& why) {
    std::fprintf(stderr, "%s: %s: %s\n", kProgram, TerminalText(file).c_str(), TerminalText(why).c_str());
}

// As git's merge driver, a version that is no XML (or none this program can
// merge) must not leave OURS standing as if it were the merge: THEIRS's
// changes would be lost from sight. Its lines are merged as git merges
// them, with git's conflict markers. The exit status follows: 0 merged,
// 1 conflicts, 2 when git could not run.
int mergeLines(const MergeRun& run, const std::string& name) {
    const char* argv[] = {"git",  "merge-file",         "-L",   "ours", "-L", "base", "-L", "theirs",
                          run.files[1].c_str(), run.files[0].c_str(), run.files[2].c_str(), nullptr};
    pid_t pid = 0;
    if (::posix_spawnp(&pid, "git", nullptr, nullptr, const_cast<char* const*>(argv), environ) != 0) return kExitTrouble;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) > 127) return kExitTrouble;
    std::fprintf(stderr, "%s: %s: merged line by line instead (git merge-file)%s\n", kProgram,
                 TerminalText(name).c_str(), WEXITSTATUS(status) ? ", with conflicts" : "");
    return WEXITSTATUS(status) ? kExitConflicts : kExitMerged;
}

// Everything is written and the process ends: the system takes the trees
// back at once, where freeing them would walk every record.
[[noreturn]] void endWithoutTeardown(int status) {
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    std::_Exit(status);
}

// One document: loaded into its pane, its text read and (for OURS and
// THEIRS at once, for BASE when a conflict needs it) mapped onto the tree.
struct Document {
    DocumentPane pane;
    DoctypeInfo doctype;
    SourceText source;
    ElementSpans spans;
    bool mapped = false;

    bool Map(const std::string& file, std::string& error) {
        if (mapped) return true;
        if (!source.Read(file, error) || !spans.Map(source.text(), pane, error)) {
            error = TerminalText(file) + ": " + error;
            return false;
        }
        return mapped = true;
    }
};

}  // namespace

int main(int argc, char** argv) {
    MergeRun run;
    std::string error;
    if (!parseArguments(argc, argv, run, error)) {
        std::fprintf(stderr, "%s: %s\nTry 'quillon-merge --help'.\n", kProgram, error.c_str());
        return kExitTrouble;
    }
    if (run.help) {
        printHelp(stdout);
        return 0;
    }
    if (run.version) {
        std::puts("quillon-merge " QUILLON_VERSION);
        return 0;
    }
    if (!checkOutput(run, error)) {
        std::fprintf(stderr, "%s: %s; nothing was written\n", kProgram, TerminalText(error).c_str());
        return kExitTrouble;
    }
    for (const std::string& file : run.files) {
        if (!checkLocalFile(file, error)) {
            trouble(file, error);
            return kExitTrouble;
        }
    }
    const std::string& name = run.name.empty() ? run.files[1] : run.name;
    // What cannot be merged as XML is merged as lines where the result
    // replaces OURS (git's merge driver).
    const bool replacesOurs = run.output != OutputFile::kStandardOutput && SameFile(run.output, run.files[1]);
    const auto cannotMerge = [&]() { return replacesOurs ? mergeLines(run, name) : kExitTrouble; };

    ResetOptions(options(), false);
    RegisterRuleListReaders();
    RegisterEntireElementReader();
    if (!ApplySettingsAndLists(run, run.settings.empty() ? nullptr : &run.settings, kProgram)) return kExitTrouble;

    ConsoleNotifier console;
    ScopedNotifier scopedNotifier(console);
    XmlParser parser;
    Document documents[3];  // base, ours, theirs
    std::uint64_t elements = 0;
    const StepClock start;
    for (int i = 0; i < 3; ++i) {
        const std::string& file = run.files[i];
        std::function<bool(std::uint64_t)> progress;
        struct stat st {};
        const std::uint64_t size = ::stat(file.c_str(), &st) == 0 ? std::uint64_t(st.st_size) : 0;
        if (run.progress && size) {
            progress = [&file, size](std::uint64_t chars) {
                std::fprintf(stderr, "\rLoading %s: %3u%%", TerminalText(file).c_str(),
                             unsigned(std::min<std::uint64_t>(99, chars * 100 / size)));
                return true;
            };
        }
        const LoadResult r = LoadDocument(parser, documents[i].pane, documents[i].doctype, FileNameFromBytes(file),
                                          progress);
        if (run.progress) std::fprintf(stderr, "\r%*s\r", int(TerminalText(file).size() + 16), "");
        if (!r.ok) {
            trouble(file, ToUtf8(r.message));
            return cannotMerge();
        }
        if (r.fatalSeen) {
            trouble(file, "the document has fatal errors and cannot be merged");
            return cannotMerge();
        }
        elements += r.elementCount;
        if (run.stats)
            std::fprintf(stderr, "%s: %u elements, loaded in %.3f s\n", TerminalText(file).c_str(), r.elementCount,
                         r.seconds);
    }
    StepClock step;
    for (int i : {1, 2}) {
        if (!documents[i].Map(run.files[i], error)) {
            std::fprintf(stderr, "%s: %s\n", kProgram, error.c_str());
            return cannotMerge();
        }
    }
    if (run.stats) std::fprintf(stderr, "texts read in %s\n", step.Took().c_str());

    step = StepClock();
    ThreeWayLinks links;
    std::function<void(std::uint64_t)> pairing;
    if (run.progress && elements > 0) {
        pairing = [elements](std::uint64_t pairs) {
            std::fprintf(stderr, "\rComparing: %3u%%", unsigned(std::min<std::uint64_t>(99, 100 * pairs / elements)));
        };
    }
    links.Pair(documents[0].pane, documents[1].pane, documents[2].pane, pairing);
    if (run.progress) std::fprintf(stderr, "\r%16s\r", "");
    if (run.stats) std::fprintf(stderr, "compared with BASE in %s\n", step.Took().c_str());

    step = StepClock();
    MergedText merged(documents[1].source.text(), documents[1].source.lineEnd());
    std::vector<MergeConflict> conflicts;
    const MergeSources sources{documents[1].spans, documents[2].spans, [&](std::string& why) -> const ElementSpans* {
                                   return documents[0].Map(run.files[0], why) ? &documents[0].spans : nullptr;
                               }};
    if (!MergeThreeWay(links, documents[1].pane, sources, merged, conflicts, error)) {
        std::fprintf(stderr, "%s: %s\n", kProgram, error.c_str());
        return cannotMerge();
    }
    if (run.stats) std::fprintf(stderr, "merged in %s\n", step.Took().c_str());

    step = StepClock();
    OutputFile out(run.output);
    const std::string& encoding = documents[1].source.encoding();
    std::string converted;
    const bool rendered = merged.Render(
        [&](std::string_view bytes) {
            if (encoding.empty())
                out.Write(bytes.data(), bytes.size());
            else
                converted.append(bytes);
        },
        !conflicts.empty());
    if (rendered && !encoding.empty()) {
        std::string bytes;
        if (!EncodeUtf8As(converted, encoding, bytes)) {
            out.Discard();
            trouble(run.output, "the result cannot be written in " + encoding);
            return cannotMerge();
        }
        out.Write(bytes.data(), bytes.size());
    }
    if (!rendered) {
        out.Discard();
        std::fprintf(stderr, "%s: %s: the changes of the two sides overlap in the text; nothing was written\n",
                     kProgram, TerminalText(name).c_str());
        return cannotMerge();
    }
    if (!out.Commit()) {
        trouble(run.output, "could not be written: " + out.error());
        return kExitTrouble;
    }
    if (run.stats) std::fprintf(stderr, "written in %s\ntotal %s\n", step.Took().c_str(), start.Took().c_str());
    if (!run.quiet) {
        for (const MergeConflict& c : conflicts)
            std::fprintf(stderr, "%s:%llu: conflict: %s: %s\n", TerminalText(name).c_str(),
                         (unsigned long long)merged.LineOf(c.edit), TerminalText(c.path).c_str(),
                         TerminalText(c.what).c_str());
    }
    endWithoutTeardown(conflicts.empty() ? kExitMerged : kExitConflicts);
}
