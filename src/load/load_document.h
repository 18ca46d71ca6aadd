// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace quillon {

struct DocumentPane;
struct DoctypeInfo;
class XmlParser;

// Outcome of loading one document into a pane.
struct LoadResult {
    bool ok = false;
    bool cancelled = false;
    std::uint32_t elementCount = 0;  // elements that ended
    std::uint64_t line = 0;          // position of the first fatal error, if any
    std::uint64_t column = 0;
    std::u16string message;          // why the load failed; empty on success
    double seconds = 0;
    bool errorSeen = false;          // the parser reported errors (validation)
    bool fatalSeen = false;          // the parser reported a fatal error
    bool exception = false;          // the parser aborted with an exception
    std::u16string exceptionMessage; // the exception's own message
    // Said once for a document that loaded: external entities that were not
    // read (their references stay in the text); empty otherwise.
    std::u16string notice;
};

// Why a local document (a path or a file:// address) is not read, or empty
// when it may be: it cannot be opened, or it is not a regular file nor a
// pipe given on the command line.
std::u16string UnreadableDocument(std::u16string_view path);

// Clears the pane and loads the document named by path or address into it.
// A fatal parse error (kept only with ContinueAfterFatalError on), a missing
// or unreadable file or a document without a root element fails the load;
// the pane is then left empty. progress gets the
// characters accounted so far and returns false to cancel.
LoadResult LoadDocument(XmlParser& parser, DocumentPane& pane, DoctypeInfo& doctype, std::u16string_view path,
                        std::function<bool(std::uint64_t)> progress = {});

}  // namespace quillon
