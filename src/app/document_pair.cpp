// SPDX-License-Identifier: MIT
#include "app/document_pair.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <sstream>

#include "compare/compare_commands.h"
#include "compare/compare_state.h"
#include "load/load_document.h"
#include "platform/notifier.h"
#include "platform/utf8.h"
#include "report/json_report.h"
#include "report/report_output.h"

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

// Keeps the messages of a load as lines, answering each with its default.
class KeptMessages : public Notifier {
public:
    explicit KeptMessages(std::vector<std::string>& lines) : m_lines(lines) {}
    MessageAnswer show(std::u16string_view title, std::u16string_view text, MessageIcon,
                       MessageButtons buttons) override {
        if (title == u"Result") return DefaultAnswer(buttons);
        std::string body = FileNameBytes(text);
        constexpr std::string_view kQuestion = "\n\nContinue?";
        if (body.ends_with(kQuestion)) body.resize(body.size() - kQuestion.size());
        for (std::size_t p = body.find("\n\n"); p != std::string::npos; p = body.find("\n\n", p))
            body.replace(p, 2, ": ");
        m_lines.push_back(FileNameBytes(title) + ": " + body);
        return DefaultAnswer(buttons);
    }

private:
    std::vector<std::string>& m_lines;
};

}  // namespace

PairOutcome PairComparer::compare(const std::string& left, const std::string& right, const PairReportRequest& rq) {
    PairOutcome out;
    KeptMessages kept(out.problems);
    ScopedNotifier scoped(kept);
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
    out.kind = c.ChangedPairs == 0 ? PairOutcome::Kind::Identical : PairOutcome::Kind::Different;
    out.ignored = c.IgnoredElements;
    if (rq.json) {
        std::ostringstream json;
        out.tally = WriteJsonDifferences(json, m_panes[0], m_panes[1], "  ");
        out.json = json.str();
    }
    if (rq.listing) {
        // The differences themselves first, then the line that sums them up.
        std::ostringstream differences;
        out.tally = WriteDifferenceListing(differences, m_panes[0], m_panes[1], {}, rq.style);
        out.listing = differences.str() + ClosingLine(out.tally, ResultSentence(m_panes[0], m_panes[1]));
    } else if (!rq.json) {
        out.tally = TallyDifferences(m_panes[0], m_panes[1]);
    }
    return out;
}

}  // namespace quillon
