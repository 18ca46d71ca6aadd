// SPDX-License-Identifier: MIT
#include "load/xml_parser.h"

#include <xercesc/sax/SAXException.hpp>
#include <xercesc/sax2/SAX2XMLReader.hpp>
#include <xercesc/sax2/XMLReaderFactory.hpp>
#include <xercesc/util/OutOfMemoryException.hpp>
#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/SecurityManager.hpp>
#include <xercesc/util/XMLException.hpp>
#include <xercesc/util/XMLUni.hpp>

#include "settings/options.h"

namespace quillon {

using namespace xercesc;

XmlParser::XmlParser() {
    // English parser messages.
    XMLPlatformUtils::Initialize("en_US");
    m_reader = XMLReaderFactory::createXMLReader();
    m_reader->setContentHandler(&m_handlers);
    m_reader->setErrorHandler(&m_handlers);
    m_reader->setLexicalHandler(&m_handlers);
    m_reader->installAdvDocHandler(&m_advanced);
    // Bounds entity expansion so that a hostile document ("billion laughs")
    // cannot exhaust memory; ordinary documents stay far below the limit.
    m_security = std::make_unique<SecurityManager>();
    m_reader->setProperty(XMLUni::fgXercesSecurityManager, m_security.get());
}

XmlParser::~XmlParser() {
    delete m_reader;
    m_reader = nullptr;
    XMLPlatformUtils::Terminate();
}

void XmlParser::ConfigureParser(const Options& o) {
    m_reader->setFeature(XMLUni::fgXercesSchema, o.DoSchema != 0);
    m_reader->setFeature(XMLUni::fgXercesSchemaFullChecking, o.SchemaFullChecking != 0);
    m_reader->setFeature(XMLUni::fgXercesValidationErrorAsFatal, o.ValidationErrorAsFatal != 0);
    m_reader->setFeature(XMLUni::fgXercesContinueAfterFatalError, o.ContinueAfterFatalError != 0);
    m_reader->setFeature(XMLUni::fgSAX2CoreNameSpacePrefixes, o.DoNamespaces != 0);
    m_reader->setFeature(XMLUni::fgSAX2CoreNameSpaces, o.DoNamespaces != 0);
    switch (o.SchemaValidation) {
        case 0:
            m_reader->setFeature(XMLUni::fgXercesLoadExternalDTD, true);
            m_reader->setFeature(XMLUni::fgSAX2CoreValidation, true);
            m_reader->setFeature(XMLUni::fgXercesDynamic, true);
            break;
        case 1:
            // Dynamic validation keeps whatever an earlier configuration set.
            m_reader->setFeature(XMLUni::fgXercesLoadExternalDTD, false);
            m_reader->setFeature(XMLUni::fgSAX2CoreValidation, false);
            break;
        case 2:
            m_reader->setFeature(XMLUni::fgXercesLoadExternalDTD, true);
            m_reader->setFeature(XMLUni::fgSAX2CoreValidation, true);
            m_reader->setFeature(XMLUni::fgXercesDynamic, false);
            break;
        default: break;
    }
}

bool XmlParser::Parse(std::u16string_view systemId, std::u16string* failure) {
    const std::u16string id(systemId);
    try {
        m_reader->parse(id.c_str());
        return true;
    } catch (const LoadCancelled&) {
        if (failure) *failure = u"Loading was cancelled";
    } catch (const OutOfMemoryException&) {
        if (failure) *failure = u"Out of memory while parsing";
    } catch (const XMLException& e) {
        if (failure) *failure = e.getMessage();
    } catch (const SAXException& e) {
        if (failure) *failure = e.getMessage();
    } catch (const std::bad_alloc&) {
        if (failure) *failure = u"Out of memory while loading";
    }
    return false;
}

}  // namespace quillon
