// SPDX-License-Identifier: MIT
#include "output/xml_writer.h"

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
    m_text.WriteText(m_lineEnd);
}

bool XmlWriter::writeStrict(std::u16string_view text) {
    return m_text.WriteText(text, Unmappable::Refuse) || !m_error.empty();
}

void XmlWriter::refuse(std::u16string_view what, std::u16string_view text) {
    m_error = std::u16string(what) + u" \"" + std::u16string(text) + u"\" cannot be written in the encoding \"" +
              m_encoding.declared + u"\"; choose an encoding that holds it, such as UTF-8. Nothing was written.";
}

void XmlWriter::writeName(const ElementRecord& element) {
    if (element.name && !writeStrict(element.name->view())) refuse(u"The element name", element.name->view());
}

void XmlWriter::writeEscaped(std::u16string_view text, bool attributeValue) {
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
        if (i > run) m_text.WriteText(text.substr(run, i - run), Unmappable::Reference);
        m_text.WriteText(rep);
        run = i + 1;
    }
    if (run < text.size()) m_text.WriteText(text.substr(run), Unmappable::Reference);
}

void XmlWriter::WriteEscaped(std::u16string_view text) {
    writeEscaped(text, false);
}

void XmlWriter::WriteAttributes(std::u16string_view s) {
    while (!s.empty()) {
        const std::size_t open = s.find(kValueOpen);
        if (open == std::u16string_view::npos) {
            writeEscaped(s, false);
            return;
        }
        std::size_t close = s.find(kValueClose, open + 1);
        if (close == std::u16string_view::npos) close = s.size();
        // The blank before the name and the "=" belong to the name part.
        const std::u16string_view name = s.substr(0, open);
        if (!writeStrict(name)) {
            const std::size_t first = name.find_first_not_of(u' ');
            refuse(u"The attribute name", name.substr(std::min(first, name.size())).substr(0, name.find(u'=') - first));
        }
        m_text.WriteText(u"\"");
        writeEscaped(s.substr(open + 1, close - open - 1), true);
        m_text.WriteText(u"\"");
        s.remove_prefix(std::min(s.size(), close + 1));
    }
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
    if (element.attributesLength > 0) {
        m_text.WriteText(u" ");
        WriteAttributes(element.attributesView());
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

void XmlWriter::WriteElementBody(const ElementRecord& element) {
    m_text.WriteText(u">");
    const ElementRecord* p = element.partner;
    if (m_options.InsertPI == 1 && p && p->textLength > 0 && TextDiffers(element)) {
        WriteMarker(kStartValueChanged);
        WriteEscaped(p->textView());
        WriteMarker(kEndValueChanged);
    }
    WriteEscaped(element.textView());
    if (element.childCount > 0) WriteLineEnd();
}

void XmlWriter::WriteEmptyClose() {
    m_text.WriteText(u"/>");
    WriteLineEnd();
}

void XmlWriter::WriteEndTag(const ElementRecord& element) {
    m_text.WriteText(u"</");
    writeName(element);
    m_text.WriteText(u">");
    WriteLineEnd();
}

void XmlWriter::WriteComment(std::u16string_view text) {
    m_text.WriteText(u"<!-- ");
    // "--" may not appear inside a comment; a blank between the two keeps the
    // document well-formed (an attribute value "a--b" would otherwise break it).
    std::u16string safe;
    safe.reserve(text.size());
    for (char16_t c : text) {
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
