// SPDX-License-Identifier: MIT
#include "output/xml_writer.h"

#include "compare/identity.h"
#include "load/doctype_info.h"
#include "model/document_pane.h"
#include "model/name_table.h"
#include "output/difference_documents.h"
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

XmlWriter::XmlWriter(OutputFile& file, const Options& options)
    : m_text(file, options.Encoding, options.EncodingString),
      m_options(options),
      m_lineEnd(lineEndOf(options.EndOfLine)) {
    m_text.SetReferenceNonAscii(options.Encoding <= kEncodingDos && options.EncodingString == u"<none>");
}

void XmlWriter::WriteLineEnd() {
    m_text.WriteText(m_lineEnd);
}

void XmlWriter::WriteEscaped(std::u16string_view text) {
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
            default:
                continue;
        }
        if (i > run) m_text.WriteText(text.substr(run, i - run));
        m_text.WriteText(rep);
        run = i + 1;
    }
    if (run < text.size()) m_text.WriteText(text.substr(run));
}

void XmlWriter::WriteHeader(const ElementRecord& element, const DoctypeInfo* doctype) {
    if (m_options.Encoding == kEncodingUnicode) {
        const std::uint8_t bom[2] = {0xFF, 0xFE};
        if (m_text.valid()) m_text.file().Write(bom, 2);
    }
    if (m_options.EncodingString == u"<none>") {
        m_text.WriteText(u"<?xml version=\"1.0\"?>");
    } else {
        m_text.WriteText(u"<?xml version=\"1.0\" encoding=\"");
        m_text.WriteText(m_options.EncodingString);
        m_text.WriteText(u"\"?>");
    }
    WriteLineEnd();
    if (m_options.PrintDoctype == 1 && doctype && !ParentRecord(&element)) {
        char16_t buffer[512];
        if (DoctypeText(*doctype, buffer, 512)) {
            m_text.WriteText(std::u16string_view(buffer));
            WriteLineEnd();
        }
    }
}

void XmlWriter::WriteStartTag(const ElementRecord& element) {
    m_text.WriteText(u"<");
    if (element.name) m_text.WriteText(element.name->view());
    if (element.attributesLength > 0) {
        m_text.WriteText(u" ");
        WriteEscaped(element.attributesView());
    }
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
    if (element.name) m_text.WriteText(element.name->view());
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
