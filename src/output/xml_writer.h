// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "model/record_string.h"
#include "model/text_layout.h"
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

// The encoding a document is written in: its family, the name the text
// writer converts with, and the name its declaration states (empty: no
// encoding attribute). Without a declared name a code page would be read
// back as UTF-8, so UTF-8 is written; "Unicode" is declared as "UTF-16".
struct DocumentEncoding {
    unsigned family = 3;
    std::u16string name;
    std::u16string declared;
};
DocumentEncoding DocumentEncodingOf(const Options& options);

// Checks that documents can be written with the options' encoding; the
// error text when not.
bool CheckDocumentEncoding(const Options& options, std::u16string* error = nullptr);

// The pieces of XML output over one file, in the encoding, line end and
// marker options given (normally the process-wide options).
class XmlWriter {
public:
    XmlWriter(OutputFile& file, const Options& options);

    // False when the encoding cannot be written, or a name could not be
    // written in it; error() says which. The file must then be discarded.
    bool valid() const { return m_error.empty(); }
    const std::u16string& error() const { return m_error; }
    const Options& options() const { return m_options; }

    void WriteText(std::u16string_view text) { m_text.WriteText(text); }
    void WriteLineEnd();
    // Character data: " & < > as entities, CR as a character reference (a
    // reader would turn it into LF), U+0001/U+0002 as double quotes, and a
    // character the code page lacks as a character reference.
    void WriteEscaped(std::u16string_view text);
    void WriteEscaped(const RecordString& text);
    // Marked-up attributes (name=U+0001 value U+0002, separated by blanks):
    // names as they are, values escaped as text and LF, TAB, CR as character
    // references, since a reader normalises them to blanks.
    void WriteAttributes(std::u16string_view attributes);
    void WriteAttributes(const RecordString& attributes);
    // Byte-order mark, declaration, and with PrintDoctype the document type
    // of a root element (doctype may be null).
    void WriteHeader(const ElementRecord& element, const DoctypeInfo* doctype);
    // declarations: namespace declarations to add, marked up as attributes.
    void WriteStartTag(const ElementRecord& element, std::u16string_view declarations = {});
    // "<name></name>" without attributes or content: what stands for a
    // selected element that is left out, so that the document has a root.
    void WriteEmptyElement(const ElementRecord& element, std::u16string_view declarations = {});
    // Closes the start tag, then the changed-value block and the text; a line
    // end after them when the element has children. inlineText: the text is
    // written among the children instead (WriteTextPieces), with no line end.
    void WriteElementBody(const ElementRecord& element, bool inlineText = false);
    // The pieces of the element's text that stood before child `child`
    // (ChildCountOf: after the last), from *next on; advances *next.
    void WriteTextPieces(const ElementRecord& element, const TextLayout& layout, std::uint32_t child,
                         std::size_t* next);
    void WriteEmptyClose();
    // endsInline: the element began BeginInline; its line end follows the
    // tag only when no enclosing element is inline too.
    void WriteEndTag(const ElementRecord& element, bool endsInline = false);
    // Inside an element with text among its children a line end would be new
    // text in it: until the matching EndInline, no line ends are written.
    void BeginInline() { ++m_inline; }
    void EndInline() { --m_inline; }
    void WriteComment(std::u16string_view text) { WriteComment(RecordString(text)); }
    void WriteComment(const RecordString& text);
    void WriteMarker(std::u16string_view marker);

private:
    // Names and the document type: a character the code page lacks has no
    // stand-in there, so the document is refused.
    // False when it could not be written (and nothing was refused before).
    bool writeStrict(std::u16string_view text);
    bool writeStrict(std::span<const char16_t> units) { return writeStrict(std::u16string_view(units.data(), units.size())); }
    bool writeStrict(std::span<const std::uint8_t> latin1);
    void refuse(std::u16string_view what, std::u16string_view text);
    void writeName(const ElementRecord& element);
    // Over the stored units of a record string, Latin-1 or UTF-16, so that
    // nothing is widened on the way out.
    void writeRun(std::span<const char16_t> units) { m_text.WriteText({units.data(), units.size()}, Unmappable::Reference); }
    void writeRun(std::span<const std::uint8_t> latin1) { m_text.WriteLatin1(latin1, Unmappable::Reference); }
    template <class Units>
    void writeEscaped(Units text, bool attributeValue);
    template <class Units>
    void writeAttributes(Units s);

    DocumentEncoding m_encoding;
    TextWriter m_text;
    const Options& m_options;
    std::u16string_view m_lineEnd;
    std::u16string m_error;
    std::uint32_t m_inline = 0;
};

// The whole element with all its descendants (no recursion, so any depth).
void WriteSubtree(XmlWriter& writer, const ElementRecord& element);

}  // namespace quillon
