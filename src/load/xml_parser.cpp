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

#include <sys/stat.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/parsers/SAX2XMLReaderImpl.hpp>
#include <xercesc/util/XMLNetAccessor.hpp>

#include "load/load_aborted.h"
#include "load/load_pipeline.h"
#include "load/local_file_source.h"
#include "platform/file_address.h"
#include "platform/network_fetch.h"
#include "platform/utf8.h"
#include "settings/options.h"

namespace quillon {

using namespace xercesc;

XmlParser::XmlParser() {
#if defined(__GLIBC__)
    // The parser takes and frees some 100 KB for every entity reference it
    // expands. By default the C library hands that memory back to the system
    // each time and faults it in again, which made a document that uses an
    // entity in every record load some thirty times slower.
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
    mallopt(M_TOP_PAD, 1 << 20);
    // Setting those fixes the size from which blocks are mapped one by one
    // at its default, 128 KB, below the reader the parser makes for each
    // entity it expands: mapping and unmapping that cost a hundred
    // microseconds a reference.
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
#endif
    // English parser messages.
    XMLPlatformUtils::Initialize("en_US");
    // Every fetch goes through the entity gate, with a timeout; the library
    // must never reach the network on its own.
    delete XMLPlatformUtils::fgNetAccessor;
    XMLPlatformUtils::fgNetAccessor = nullptr;
    m_reader = XMLReaderFactory::createXMLReader(&m_memory);
    m_relay.AttachReader(*m_reader);
    m_reader->setErrorHandler(&m_relay);
    m_reader->setLexicalHandler(&m_relay);
    m_reader->setDeclarationHandler(&m_relay);
    static_cast<SAX2XMLReaderImpl*>(m_reader)->setXMLEntityResolver(&m_gate);
    // The parser's count of entity expansions is set for each document from
    // its size; the handlers bound what the expansions produce.
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
    // The parser always asks for the external DTD subset: the entity gate
    // reads it only when the validation options want it, and otherwise
    // declares the entities the document refers to so their references stay.
    m_reader->setFeature(XMLUni::fgXercesLoadExternalDTD, true);
    switch (o.SchemaValidation) {
        case 0:
            m_validating = true;
            m_reader->setFeature(XMLUni::fgSAX2CoreValidation, true);
            m_reader->setFeature(XMLUni::fgXercesDynamic, true);
            break;
        case 1:
            // Dynamic validation keeps whatever an earlier configuration set.
            m_validating = false;
            m_reader->setFeature(XMLUni::fgSAX2CoreValidation, false);
            break;
        case 2:
            m_validating = true;
            m_reader->setFeature(XMLUni::fgSAX2CoreValidation, true);
            m_reader->setFeature(XMLUni::fgXercesDynamic, false);
            break;
        default: break;
    }
    // Schema hints (xsi:schemaLocation) are followed only to validate: a
    // comparison never waits for a schema server or fails without one.
    m_reader->setFeature(XMLUni::fgXercesLoadSchema, m_validating);
}

bool XmlParser::Parse(std::u16string_view systemId, std::u16string* failure) {
    const std::u16string id(systemId);
    const Options& o = options();
    m_aborted = false;
    m_schemasNotRead = false;
    ExternalReadPolicy policy;
    policy.documentId = id;
    policy.documentFromNetwork = IsAddress(id);
    policy.resolveEntities = o.ResolveEntities != 0;
    policy.validating = m_validating;
    policy.timeoutSeconds = o.NetworkTimeout;
    policy.onlyUnder = m_confinedTo;
    std::string body;
    std::uint64_t bytes = 0;
    if (policy.documentFromNetwork && !m_confinedTo.empty()) {
        if (failure) *failure = u"Network addresses are not read here";
        m_aborted = true;
        return false;
    }
    if (policy.documentFromNetwork) {
        std::string error;
        if (!FetchAddress(ToUtf8(id), o.NetworkTimeout, kMaxNetworkDocumentBytes, &body, &error)) {
            m_gate.Reset({});
            m_aborted = true;
            if (failure) *failure = FromUtf8(error);
            return false;
        }
        bytes = body.size();
        policy.referencedNames = ReferencedEntityNames(body, ExternalEntityGate::kMaxDeclaredNames);
    } else {
        // A file:// address measures as the file it names.
        const std::optional<std::string> local = LocalPathOfFileAddress(FileNameBytes(id));
        struct stat st {};
        if (::stat(local ? local->c_str() : FileNameBytes(id).c_str(), &st) == 0) bytes = std::uint64_t(st.st_size);
    }
    // What the document reads besides itself holds no more than its
    // entities may produce.
    m_gate.SetFetchLimit(std::max(EntityExpansionGuard::kFloorChars, bytes * EntityExpansionGuard::kBytesFactor));
    // No document has more plain references than a third of its bytes; the
    // handlers restart the parse with a tighter count once they have measured
    // the entities, if it needs one.
    std::uint64_t limit = std::max<std::uint64_t>(bytes / 3 + 1000, 100000);
    bool entitiesMeasured = false;
    // A schema that cannot be read restarts the parse without schemas,
    // validating only what the document type gives.
    struct SchemaFeatures {
        SAX2XMLReader* reader;
        bool load, dynamic;
        ~SchemaFeatures() {
            reader->setFeature(XMLUni::fgXercesLoadSchema, load);
            reader->setFeature(XMLUni::fgXercesDynamic, dynamic);
        }
    } restore{m_reader, m_reader->getFeature(XMLUni::fgXercesLoadSchema), m_reader->getFeature(XMLUni::fgXercesDynamic)};
    struct Unbound {
        ParserMemory& memory;
        ~Unbound() { memory.Stop(); }
    } unbound{m_memory};
    // No buffer of the parser is larger than all that expansions may
    // produce, two bytes a character.
    const std::uint64_t maxBlock =
        2 * std::max(EntityExpansionGuard::kFloorChars, bytes * EntityExpansionGuard::kBytesFactor) + (1 << 20);
    try {
        for (;;) {
            m_gate.Reset(policy);
            m_handlers.PrepareEntities(&m_gate, &m_memory, bytes, entitiesMeasured ? 0 : limit);
            m_memory.Start(maxBlock);
            m_security->setEntityExpansionLimit(XMLSize_t(limit));
            // Setting the manager again also resets the parser's count.
            m_reader->setProperty(XMLUni::fgXercesSecurityManager, m_security.get());
            try {
                m_relay.Run(bytes, m_relayFromBytes, [&] {
                    if (policy.documentFromNetwork) {
                        MemBufInputSource source(reinterpret_cast<const XMLByte*>(body.data()), body.size(),
                                                 id.c_str(), false);
                        m_reader->parse(source);
                    } else if (id.find(u"://") != std::u16string::npos) {
                        m_reader->parse(id.c_str());  // a file:// address
                    } else {
                        LocalFileSource source(id, m_handlers.WatchBytesRead(bytes));
                        m_reader->parse(source);
                    }
                });
                return true;
            } catch (const ParseRestart& restart) {
                if (entitiesMeasured) throw LoadAborted{u"The document's entities could not be measured"};
                entitiesMeasured = true;
                limit = std::max<std::uint64_t>(restart.expansionLimit, 1);
            } catch (const SchemaUnavailable&) {
                if (m_schemasNotRead) throw LoadAborted{std::u16string(kSchemaNotRead)};
                m_schemasNotRead = true;
                m_handlers.ForgetDocument();
                m_reader->setFeature(XMLUni::fgXercesLoadSchema, false);
                m_reader->setFeature(XMLUni::fgXercesDynamic, true);
            }
        }
    } catch (const LoadAborted& e) {
        m_aborted = true;
        if (failure) *failure = e.message;
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
