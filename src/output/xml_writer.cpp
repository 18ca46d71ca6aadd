// SPDX-License-Identifier: MIT
#include "output/xml_writer.h"

#include <algorithm>

#include "compare/identity.h"
#include "model/doctype_info.h"
#include "model/document_pane.h"
#include "model/name_table.h"
#include "output/difference_documents.h"
#include "output/text_writer.h"
#include "settings/options.h"

namespace quillon {

namespace {

std::u16string_view lineEndOf(std::uint32_t style) {
    switch (style) {
        case 1:
            return u"\r\n";
        case 2:
            return u"\n";
        case 3:
            return u"\r";
        default:
            return {};
    }
}

}  // namespace

DocumentEncoding DocumentEncodingOf(const Options& o) {
    DocumentEncoding e;
    const bool declared = o.EncodingString != u"<none>";
    if (o.Encoding == kEncodingUnicode) {
        e.family = kEncodingUnicode;
        e.name = o.EncodingString;
        if (declared) e.declared = u"UTF-16";
    } else if (o.Encoding == kEncodingUtf8 || !declared) {
        e.family = kEncodingUtf8;
        e.name = u"UTF-8";
        if (declared) e.declared = u"UTF-8";
    } else {
        // A name given with the Default family still says what the bytes are.
        e.family = o.Encoding == kEncodingDefault ? kEncodingAnsi : o.Encoding;
        e.name = o.EncodingString;
        e.declared = o.EncodingString;
    }
    return e;
}

bool CheckDocumentEncoding(const Options& options, std::u16string* error) {
    OutputFile none;
    XmlWriter w(none, options);
    if (!w.valid() && error) *error = w.error();
    return w.valid();
}

XmlWriter::XmlWriter(OutputFile& file, const Options& options)
    : m_encoding(DocumentEncodingOf(options)),
      m_text(file, m_encoding.family, m_encoding.name),
      m_options(options),
      m_lineEnd(lineEndOf(options.EndOfLine)) {
    if (!m_text.valid()) {
        m_error = m_text.error();
    } else if (m_encoding.family < kEncodingUtf8) {
        // The declaration must be one a reader can parse and must name the
        // bytes written: not a name that only fell back to the ANSI code page,
        // and not a code page whose ASCII differs (the declaration itself
        // could not be read).
        const std::u16string& name = m_encoding.declared;
        const bool namesItsBytes =
            DerivedCodePage(name) != 0 || std::u16string(m_text.codePage().begin(), m_text.codePage().end()) == name;
        if (!IsXmlEncodingName(name) || !m_text.asciiSame() || !namesItsBytes)
            m_error = u"An XML document cannot be written in the encoding \"" + name +
                      u"\"; choose another (UTF-8 holds every character). Nothing was written.";
    }
}

void XmlWriter::WriteLineEnd() {
    if (m_inline == 0) m_text.WriteText(m_lineEnd);
}

bool XmlWriter::writeStrict(std::u16string_view text) {
    return m_text.WriteText(text, Unmappable::Refuse) || !m_error.empty();
}

bool XmlWriter::writeStrict(std::span<const std::uint8_t> latin1) {
    return m_text.WriteLatin1(latin1, Unmappable::Refuse) || !m_error.empty();
}

void XmlWriter::refuse(std::u16string_view what, std::u16string_view text) {
    m_error = std::u16string(what) + u" \"" + std::u16string(text) + u"\" cannot be written in the encoding \"" +
              m_encoding.declared + u"\"; choose an encoding that holds it, such as UTF-8. Nothing was written.";
}

void XmlWriter::writeName(const ElementRecord& element) {
    if (element.name() && !writeStrict(element.name()->view())) refuse(u"The element name", element.name()->view());
}

template <class Units>
void XmlWriter::writeEscaped(Units text, bool attributeValue) {
    std::size_t run = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::u16string_view rep;
        switch (text[i]) {
            case kValueOpen:
            case kValueClose:
                rep = u"\"";
                break;
            case u'"':
                rep = u"&quot;";
                break;
            case u'&':
                rep = u"&amp;";
                break;
            case u'<':
                rep = u"&lt;";
                break;
            case u'>':
                rep = u"&gt;";
                break;
            case u'\r':
                rep = u"&#13;";
                break;
            case u'\n':
                if (!attributeValue) continue;
                rep = u"&#10;";
                break;
            case u'\t':
                if (!attributeValue) continue;
                rep = u"&#9;";
                break;
            default:
                continue;
        }
        if (i > run) writeRun(text.subspan(run, i - run));
        m_text.WriteText(rep);
        run = i + 1;
    }
    if (run < text.size()) writeRun(text.subspan(run));
}

void XmlWriter::WriteEscaped(std::u16string_view text) {
    writeEscaped(std::span<const char16_t>(text.data(), text.size()), false);
}

void XmlWriter::WriteEscaped(const RecordString& text) {
    text.visit([&](auto units) { writeEscaped(units, false); });
}

template <class Units>
void XmlWriter::writeAttributes(Units s) {
    const auto find = [&s](char16_t c, std::size_t from) {
        return std::size_t(std::find(s.begin() + std::ptrdiff_t(from), s.end(), c) - s.begin());
    };
    while (!s.empty()) {
        const std::size_t open = find(kValueOpen, 0);
        if (open == s.size()) {
            writeEscaped(s, false);
            return;
        }
        const std::size_t close = find(kValueClose, open + 1);
        // The blank before the name and the "=" belong to the name part.
        const Units nameUnits = s.first(open);
        if (!writeStrict(nameUnits)) {
            const std::u16string wide(nameUnits.begin(), nameUnits.end());
            const std::u16string_view name = wide;
            const std::size_t first = name.find_first_not_of(u' ');
            refuse(u"The attribute name", name.substr(std::min(first, name.size())).substr(0, name.find(u'=') - first));
        }
        m_text.WriteText(u"\"");
        writeEscaped(s.subspan(open + 1, close - open - 1), true);
        m_text.WriteText(u"\"");
        s = s.subspan(std::min(s.size(), close + 1));
    }
}

void XmlWriter::WriteAttributes(std::u16string_view attributes) {
    writeAttributes(std::span<const char16_t>(attributes.data(), attributes.size()));
}

void XmlWriter::WriteAttributes(const RecordString& attributes) {
    attributes.visit([&](auto units) { writeAttributes(units); });
}

void XmlWriter::WriteHeader(const ElementRecord& element, const DoctypeInfo* doctype) {
    if (m_encoding.family == kEncodingUnicode) {
        const std::uint8_t bom[2] = {0xFF, 0xFE};
        if (m_text.valid()) m_text.file().Write(bom, 2);
    }
    if (m_encoding.declared.empty()) {
        m_text.WriteText(u"<?xml version=\"1.0\"?>");
    } else {
        m_text.WriteText(u"<?xml version=\"1.0\" encoding=\"");
        m_text.WriteText(m_encoding.declared);
        m_text.WriteText(u"\"?>");
    }
    WriteLineEnd();
    if (m_options.PrintDoctype == 1 && doctype && !ParentRecord(&element)) {
        char16_t buffer[512];
        if (DoctypeText(*doctype, buffer, 512)) {
            if (!writeStrict(std::u16string_view(buffer))) refuse(u"The document type declaration", buffer);
            WriteLineEnd();
        }
    }
}

void XmlWriter::WriteStartTag(const ElementRecord& element, std::u16string_view declarations) {
    m_text.WriteText(u"<");
    writeName(element);
    if (element.attributes) {
        m_text.WriteText(u" ");
        WriteAttributes(element.attributesString());
    }
    if (!declarations.empty()) {
        m_text.WriteText(u" ");
        WriteAttributes(declarations);
    }
}

void XmlWriter::WriteEmptyElement(const ElementRecord& element, std::u16string_view declarations) {
    m_text.WriteText(u"<");
    writeName(element);
    if (!declarations.empty()) {
        m_text.WriteText(u" ");
        WriteAttributes(declarations);
    }
    m_text.WriteText(u"></");
    writeName(element);
    m_text.WriteText(u">");
    WriteLineEnd();
}

void XmlWriter::WriteElementBody(const ElementRecord& element, bool inlineText) {
    m_text.WriteText(u">");
    const ElementRecord* p = element.partner();
    if (m_options.InsertPI == 1 && p && p->text && TextDiffers(element)) {
        WriteMarker(kStartValueChanged);
        WriteEscaped(p->textString());
        WriteMarker(kEndValueChanged);
    }
    if (inlineText) return;
    WriteEscaped(element.textString());
    if (ChildCountOf(element) > 0) WriteLineEnd();
}

void XmlWriter::WriteTextPieces(const ElementRecord& element, const TextLayout& layout, std::uint32_t child,
                                std::size_t* next) {
    // One blank stands for the white space that was there: the stored text
    // keeps none, and prose needs the word break.
    while (*next < layout.size()) {
        const TextPiece& piece = layout[*next];
        if (piece.child > child) return;
        if (piece.length == 0) {
            const std::uint32_t end = piece.child + piece.gaps;
            if (child < end) {
                m_text.WriteText(u" ");
                if (child + 1 == end) ++*next;
                return;
            }
            ++*next;
            continue;
        }
        if (piece.spaceBefore) m_text.WriteText(u" ");
        WriteEscaped(element.textString().substr(piece.start, piece.length));
        if (piece.spaceAfter) m_text.WriteText(u" ");
        ++*next;
    }
}

void XmlWriter::WriteEmptyClose() {
    m_text.WriteText(u"/>");
    WriteLineEnd();
}

void XmlWriter::WriteEndTag(const ElementRecord& element, bool endsInline) {
    m_text.WriteText(u"</");
    writeName(element);
    m_text.WriteText(u">");
    if (endsInline) EndInline();
    WriteLineEnd();
}

void XmlWriter::WriteComment(const RecordString& text) {
    m_text.WriteText(u"<!-- ");
    // "--" may not appear inside a comment; a blank between the two keeps the
    // document well-formed (an attribute value "a--b" would otherwise break it).
    std::u16string safe;
    safe.reserve(text.size());
    for (const char16_t c : text) {
        if (c == u'-' && !safe.empty() && safe.back() == u'-') safe.push_back(u' ');
        safe.push_back(c);
    }
    if (!safe.empty() && safe.back() == u'-') safe.push_back(u' ');
    WriteEscaped(safe);
    m_text.WriteText(u" -->");
    WriteLineEnd();
}

void XmlWriter::WriteMarker(std::u16string_view marker) {
    m_text.WriteText(marker);
    WriteLineEnd();
}

void WriteSubtree(XmlWriter& writer, const ElementRecord& element) {
    // The merge mode never filters, so this is the plain unfiltered form.
    WriteFiltered(writer, element, true, kModeMerge, false, false);
}

}  // namespace quillon
