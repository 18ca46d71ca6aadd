// SPDX-License-Identifier: MIT
#include "app/folder_compare.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string_view>

#include "app/document_pair.h"
#include "platform/terminal_text.h"
#include "report/json_report.h"

namespace quillon {
namespace {

bool isFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// A name as the console shows it: a byte that is not UTF-8, or a control
// character, as \xHH.
std::string shown(std::string_view name) {
    return TerminalText(name);
}

std::string jsonString(std::string_view s) {
    std::string out;
    AppendJsonString(out, s);
    return out;
}

enum class Entry { Identical, Different, OnlyLeft, OnlyRight, Failed };
constexpr const char* kJsonStatus[] = {"identical", "different", "only-left", "only-right", "failed"};

// Prints the entries as they come, so a long run shows its progress and
// keeps nothing but the counts.
class FolderReport {
public:
    FolderReport(const std::string& left, const std::string& right, const FolderRun& run)
        : m_left(left), m_right(right), m_run(run) {
        if (m_run.json && !m_run.quiet)
            std::printf("{\"left\": %s, \"right\": %s, \"files\": [", jsonString(left).c_str(),
                        jsonString(right).c_str());
    }

    void add(Entry entry, const std::string& path, const PairOutcome* pair = nullptr) {
        ++m_counts[int(entry)];
        if (m_run.quiet || (m_run.brief && !m_run.json && entry == Entry::Identical)) return;
        if (m_run.json)
            printJson(entry, path, pair);
        else
            printText(entry, path, pair);
        std::fflush(stdout);
    }

    void finish() {
        if (m_run.quiet) return;
        if (m_run.json) {
            std::printf("%s], \"summary\": {", m_first ? "" : "\n");
            for (int i = 0; i < 5; ++i) std::printf("%s\"%s\": %llu", i ? ", " : "", kJsonStatus[i], m_counts[i]);
            std::printf("}}\n");
            return;
        }
        unsigned long long total = 0;
        for (const unsigned long long n : m_counts) total += n;
        std::printf(
            "%llu file(s): %llu identical, %llu different, %llu only in %s, %llu only in %s, %llu failed to load\n",
            total, m_counts[0], m_counts[1], m_counts[2], shown(m_left).c_str(), m_counts[3], shown(m_right).c_str(),
            m_counts[4]);
    }

    int exitStatus(bool unreadable) const {
        if (m_counts[int(Entry::Failed)] || unreadable) return 2;
        return m_counts[int(Entry::Different)] || m_counts[int(Entry::OnlyLeft)] || m_counts[int(Entry::OnlyRight)];
    }

private:
    void printText(Entry entry, const std::string& path, const PairOutcome* pair) {
        switch (entry) {
            case Entry::Identical:
                std::printf("%s: identical\n", shown(path).c_str());
                break;
            case Entry::Different:
                if (m_run.brief) {
                    std::printf("%s: different\n", shown(path).c_str());
                    break;
                }
                std::printf("%s: different (%s)\n", shown(path).c_str(), TallyLine(pair->tally, pair->ignored).c_str());
                if (m_run.verbose) printIndented(pair->listing);
                break;
            case Entry::OnlyLeft:
                std::printf("%s: only in %s\n", shown(path).c_str(), shown(m_left).c_str());
                break;
            case Entry::OnlyRight:
                std::printf("%s: only in %s\n", shown(path).c_str(), shown(m_right).c_str());
                break;
            case Entry::Failed:
                if (m_run.brief) {
                    std::printf("%s: failed to load\n", shown(path).c_str());
                    break;
                }
                std::printf("%s: failed to load (%s: %s)\n", shown(path).c_str(), shown(pair->failedPath).c_str(),
                            shown(pair->failure).c_str());
                break;
        }
    }

    static void printIndented(const std::string& text) {
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t end = text.find('\n', start);
            if (end == std::string::npos) end = text.size();
            std::printf("    %.*s\n", int(end - start), text.c_str() + start);
            start = end + 1;
        }
    }

    void printJson(Entry entry, const std::string& path, const PairOutcome* pair) {
        std::printf("%s\n  {\"path\": %s, \"status\": \"%s\"", m_first ? "" : ",", jsonString(path).c_str(),
                    kJsonStatus[int(entry)]);
        m_first = false;
        if (entry == Entry::Different) {
            const DifferenceTally& t = pair->tally;
            std::printf(", \"deleted\": %llu, \"added\": %llu, \"changed\": %llu, \"ignored\": %llu",
                        (unsigned long long)t.deletedElements, (unsigned long long)t.addedElements,
                        (unsigned long long)t.changed, (unsigned long long)pair->ignored);
            if (m_run.verbose) std::printf(", \"differences\": %s", pair->json.c_str());
        }
        if (entry == Entry::Failed)
            std::printf(", \"failedPath\": %s, \"error\": %s", jsonString(pair->failedPath).c_str(),
                        jsonString(pair->failure).c_str());
        std::printf("}");
    }

    const std::string& m_left;
    const std::string& m_right;
    const FolderRun& m_run;
    unsigned long long m_counts[5] = {};
    bool m_first = true;
};

}  // namespace

bool AreFolders(const std::string& left, const std::string& right) {
    return isFolder(left) && isFolder(right);
}

int CompareFolders(const std::string& left, const std::string& right, const FolderRun& run) {
    const FolderListing listings[2] = {ListFiles(left, run.filter), ListFiles(right, run.filter)};
    for (const FolderListing& l : listings)
        for (const std::string& problem : l.problems)
            std::fprintf(stderr, "quillon-diff: %s\n", shown(problem).c_str());
    const auto& a = listings[0].files;
    const auto& b = listings[1].files;

    FolderReport report(left, right, run);
    PairComparer comparer;
    PairReportRequest wanted;
    wanted.listing = run.verbose && !run.json;
    wanted.json = run.verbose && run.json;
    // Progress counts files (a pair is one), and rewrites its line only on a
    // terminal; elsewhere each step is a line of its own.
    std::size_t total = 0;
    for (std::size_t x = 0, y = 0; x < a.size() || y < b.size(); ++total) {
        if (y >= b.size() || (x < a.size() && a[x] < b[y])) ++x;
        else if (x >= a.size() || b[y] < a[x]) ++y;
        else ++x, ++y;
    }
    const bool terminal = run.progress && ::isatty(STDERR_FILENO);
    std::size_t i = 0, j = 0, done = 0;
    while (i < a.size() || j < b.size()) {
        const bool takeLeft = j >= b.size() || (i < a.size() && a[i] < b[j]);
        const bool takeRight = i >= a.size() || (j < b.size() && b[j] < a[i]);
        const std::string& path = takeLeft ? a[i] : b[j];
        ++done;
        if (run.progress)
            std::fprintf(stderr, terminal ? "\r\033[K[%zu/%zu] %s" : "[%zu/%zu] %s\n", done, total, shown(path).c_str());
        if (takeLeft) {
            report.add(Entry::OnlyLeft, path);
            ++i;
        } else if (takeRight) {
            report.add(Entry::OnlyRight, path);
            ++j;
        } else {
            const PairOutcome pair = comparer.compare(left + "/" + path, right + "/" + path, wanted);
            const Entry entry = pair.kind == PairOutcome::Kind::Identical   ? Entry::Identical
                                : pair.kind == PairOutcome::Kind::Different ? Entry::Different
                                                                            : Entry::Failed;
            // The load's problems once, on stderr; a failure's own reason is
            // already on its entry (after its "line L, column C: ").
            const std::size_t colon = pair.failure.find(": ");
            const std::string reason = colon == std::string::npos ? pair.failure : pair.failure.substr(colon + 2);
            for (const std::string& problem : pair.problems)
                if (entry != Entry::Failed || problem.find(reason) == std::string::npos)
                    std::fprintf(stderr, "quillon-diff: %s: %s\n", shown(path).c_str(), shown(problem).c_str());
            report.add(entry, path, &pair);
            ++i, ++j;
        }
    }
    if (terminal) std::fprintf(stderr, "\r\033[K");
    report.finish();
    return report.exitStatus(listings[0].unreadable || listings[1].unreadable);
}

}  // namespace quillon
