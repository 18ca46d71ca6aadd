// SPDX-License-Identifier: MIT
#include "load/load_document.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>
#include <string>

#include "load/external_entities.h"
#include "load/load_pipeline.h"
#include "load/xml_parser.h"
#include "model/document_pane.h"
#include "model/element_record.h"
#include "model/wide_string.h"
#include "platform/file_address.h"
#include "platform/utf8.h"
#include "settings/options.h"

namespace quillon {

std::u16string UnreadableDocument(std::u16string_view path) {
    std::string name = FileNameBytes(path);
    if (path.find(u"://") != std::u16string_view::npos) {
        // A file:// address reads a local file like its path; the parser
        // has the last word on the others.
        const std::optional<std::string> local = LocalPathOfFileAddress(name);
        if (!local) return {};
        if (local->empty()) return u"The address names no local file";
        name = *local;
    }
    // Not blocking, so that opening a named pipe does not wait for a writer.
    const int fd = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return u"The file cannot be read: " + FromUtf8(std::strerror(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0) st.st_mode = 0;
    bool readable = S_ISREG(st.st_mode);
    if (S_ISFIFO(st.st_mode)) {
        // A pipe the shell made (<(command), /dev/stdin) has a writer; a
        // named pipe may have none and would wait for one for ever.
        char link[64] = {};
        const std::string fdPath = "/proc/self/fd/" + std::to_string(fd);
        readable = ::readlink(fdPath.c_str(), link, sizeof link - 1) > 0 && std::string_view(link).starts_with("pipe:");
    }
    ::close(fd);
    if (readable) return {};
    if (S_ISDIR(st.st_mode)) return u"This is a folder, not a file";
    const std::u16string_view kind = S_ISFIFO(st.st_mode)                         ? u"a named pipe"
                                     : S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode) ? u"a device"
                                     : S_ISSOCK(st.st_mode)                       ? u"a socket"
                                                                                  : u"a special file";
    return u"This is " + std::u16string(kind) +
           u", not a regular file: reading it could block the program or never end, so it is not read";
}

LoadResult LoadDocument(XmlParser& parser, DocumentPane& pane, DoctypeInfo& doctype, std::u16string_view path,
                        std::function<bool(std::uint64_t)> progress) {
    const auto start = std::chrono::steady_clock::now();
    LoadResult result;
    ClearPane(pane);
    // The parser words every unreadable file as "unable to open primary
    // document entity"; the system's reason ("Permission denied") says more.
    if (const std::u16string why = UnreadableDocument(path); !why.empty()) {
        result.message = why;
        return result;
    }
    SAX2CountHandlers& h = parser.handlers();
    h.ResetForPane(&pane, &doctype, std::move(progress));
    parser.ConfigureParser(options());
    h.messages().PrepareLog(path, !IsAddress(path));
    std::u16string failure;
    const bool parsed = parser.Parse(path, &failure);
    h.messages().CloseLog();
    result.elementCount = h.elementCount();
    result.cancelled = h.cancelled();
    result.errorSeen = h.errorSeen();
    result.fatalSeen = h.fatalSeen();
    // A load ended for a stated reason (a bound, a fetch) is a fatal failure
    // with that reason, not a parser exception.
    if (parser.aborted()) result.fatalSeen = true;
    result.exception = !parsed && !h.cancelled() && !parser.aborted();
    if (result.exception) result.exceptionMessage = failure;
    // With ContinueAfterFatalError the builder never halted, so the tree is
    // complete as far as the parser could read it and the document stays.
    const bool halted = h.cancelled() || (h.fatalSeen() && !options().ContinueAfterFatalError);

    for (const ParseProblem& p : h.problems()) {
        if (p.kind != ProblemKind::FatalError) continue;
        result.line = p.line;
        result.column = p.column;
        if (!parser.aborted())
            failure = p.line ? u"line " + DecimalText(p.line) + u", column " + DecimalText(p.column) + u": " + p.message
                             : p.message;
        break;
    }
    if (parsed && !halted) {
        if (!RootRecord(pane) || !h.documentEnded() || h.elementCount() == 0) {
            failure = u"The document has no root element";
        } else {
            result.ok = true;
        }
    } else if (failure.empty()) {
        failure = h.cancelled() ? u"Loading was cancelled" : u"The document could not be parsed";
    }
    if (result.ok) {
        if (parser.schemasNotRead()) result.notice = std::u16string(kSchemaNotRead);
        if (parser.entitiesNotRead() > 0)
            result.notice += (result.notice.empty() ? u"" : u"; ") + std::u16string(kEntitiesNotLoaded);
    }
    if (!result.ok) {
        result.message = failure;
        ClearPane(pane);
    } else {
        TrimPane(pane);
    }
    ReleasePreparedBlocks();
    // The handler must not keep a callback that refers to the caller's frame.
    h.ResetForPane(nullptr, nullptr);
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return result;
}

}  // namespace quillon
