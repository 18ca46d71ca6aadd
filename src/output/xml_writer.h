// SPDX-License-Identifier: MIT
#pragma once

#include <string_view>

#include "output/text_writer.h"

namespace quillon {

struct ElementRecord;
struct DoctypeInfo;
struct Options;

// The processing-instruction markers of difference and merge documents.
inline constexpr std::u16string_view kStartValueChanged = u"<?start_value_changed?>";
inline constexpr std::u16string_view kEndValueChanged = u"<?end_value_changed?>";
inline constexpr std::u16string_view kStartElementsAdded = u"<?start_elements_added?>";
inline constexpr std::u16string_view kEndElementsAdded = u"<?end_elements_added?>";
inline constexpr std::u16string_view kStartElementsDeleted = u"<?start_elements_deleted?>";
inline constexpr std::u16string_view kEndElementsDeleted = u"<?end_elements_deleted?>";

// The pieces of XML output over one file, in the encoding, line end and
// marker options given (normally the process-wide options).
class XmlWriter {
public:
    XmlWriter(OutputFile& file, const Options& options);

    // False when the encoding cannot be written; see TextWriter::error.
    bool valid() const { return m_text.valid(); }
    const std::u16string& error() const { return m_text.error(); }
    const Options& options() const { return m_options; }

    void WriteText(std::u16string_view text) { m_text.WriteText(text); }
    void WriteLineEnd();
    // Character data and attribute text: U+0001/U+0002 become double quotes,
    // and " & < > their entities.
    void WriteEscaped(std::u16string_view text);
    // Byte-order mark, declaration, and with PrintDoctype the document type
    // of a root element (doctype may be null).
    void WriteHeader(const ElementRecord& element, const DoctypeInfo* doctype);
    void WriteStartTag(const ElementRecord& element);
    void WriteElementBody(const ElementRecord& element);
    void WriteEmptyClose();
    void WriteEndTag(const ElementRecord& element);
    void WriteComment(std::u16string_view text);
    void WriteMarker(std::u16string_view marker);

private:
    TextWriter m_text;
    const Options& m_options;
    std::u16string_view m_lineEnd;
};

// The whole element with all its descendants (no recursion, so any depth).
void WriteSubtree(XmlWriter& writer, const ElementRecord& element);

}  // namespace quillon
