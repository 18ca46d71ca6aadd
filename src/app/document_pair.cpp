// SPDX-License-Identifier: MIT
#include "app/document_pair.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <sstream>

#include "app/console_notifier.h"
#include "compare/compare_commands.h"
#include "load/load_document.h"
#include "platform/notifier.h"
#include "platform/utf8.h"
#include "report/text_listing.h"

namespace quillon {
namespace {

// The parser words a folder or a missing file poorly; say it plainly.
bool readableFile(const std::string& path, std::string& why) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        why = std::strerror(errno);
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        why = "is a directory";
        return false;
    }
    return true;
}

}  // namespace

PairOutcome PairComparer::compare(const std::string& left, const std::string& right) {
    PairOutcome out;
    ConsoleNotifier console;
    ScopedNotifier scoped(console);
    const std::string* paths[2] = {&left, &right};
    for (int i = 0; i < 2; ++i) {
        out.failedPath = *paths[i];
        if (!readableFile(*paths[i], out.failure)) return out;
        const LoadResult r = LoadDocument(m_parser, m_panes[i], m_doctypes[i], FileNameFromBytes(*paths[i]));
        if (!r.ok) {
            out.failure = r.message.empty() ? "the document could not be loaded" : FileNameBytes(r.message);
            return out;
        }
    }
    out.failedPath.clear();
    CompareHost host;
    if (!CompareFiles(&m_panes[0], &m_panes[1], host, FileNameFromBytes(left), FileNameFromBytes(right))) {
        out.failure = "the documents could not be compared";
        return out;
    }
    const CompareCounters& c = compareCounters();
    const ElementRecord* roots[2] = {RootRecord(m_panes[0]), RootRecord(m_panes[1])};
    const std::uint64_t total = std::uint64_t(roots[0]->descendantCount()) + roots[1]->descendantCount() + 2;
    out.kind = c.ChangedPairs == 0 ? PairOutcome::Kind::Identical : PairOutcome::Kind::Different;
    out.deleted = UnpairedCount(c, total);
    out.changed = c.ChangedPairs;
    out.ignored = c.IgnoredElements;
    // The differences themselves first, then the sentence that sums them up.
    std::ostringstream differences;
    WriteDifferenceListing(differences, m_panes[0], m_panes[1], {});
    out.listing = differences.str() + ToUtf8(console.result);
    return out;
}

}  // namespace quillon
