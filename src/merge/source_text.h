// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quillon {

// A document's own bytes, read again beside its loaded tree: the merge keeps
// whatever the tree does not hold (comments, white space, the prolog, the
// way each value was written) by copying these bytes. A UTF-8 (or ASCII)
// document is mapped as it is; any other encoding is converted to UTF-8
// here and back on output (SourceText::encoding).
class SourceText {
public:
    SourceText() = default;
    ~SourceText();
    SourceText(const SourceText&) = delete;
    SourceText& operator=(const SourceText&) = delete;

    // Reads the file; false with the system's reason or the encoding's.
    bool Read(const std::string& path, std::string& error);
    // Takes bytes already in memory (the tests' inline documents).
    bool Assign(std::string bytes, std::string& error);

    std::string_view text() const { return m_text; }
    // The iconv name of the document's encoding when it is not UTF-8; empty
    // for UTF-8 and ASCII.
    const std::string& encoding() const { return m_encoding; }
    // The line end the document uses most: "\r\n" or "\n".
    std::string_view lineEnd() const { return m_crlf ? "\r\n" : "\n"; }

private:
    bool takeEncoding(std::string_view raw, std::string& error);
    void release();

    std::string_view m_text;
    std::string m_owned;  // converted or assigned bytes
    void* m_map = nullptr;
    std::size_t m_mapSize = 0;
    std::string m_encoding;
    bool m_crlf = false;
};

// The encoding a document's first bytes name: its byte-order mark, else the
// encoding of its XML declaration; empty for UTF-8 and ASCII.
std::string DeclaredEncoding(std::string_view bytes);

// UTF-8 text in the given encoding; a character the encoding cannot hold is
// written as a character reference (the merge only puts such characters in
// text and attribute values, where a reference means the same).
bool EncodeUtf8As(std::string_view utf8, const std::string& encoding, std::string& out);

}  // namespace quillon
