// SPDX-License-Identifier: MIT
#pragma once

#include <xercesc/sax2/DefaultHandler.hpp>
#include <xercesc/util/RefVectorOf.hpp>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

XERCES_CPP_NAMESPACE_BEGIN
class SAX2XMLReader;
class XMLAttr;
class XMLElementDecl;
XERCES_CPP_NAMESPACE_END

namespace quillon {

class SAX2CountHandlers;
class RecordedLocator;
class RecordedAttributes;
class ElementTap;

// Stands between the parser and the tree builder. Building the tree costs
// about as much as parsing, so on a large document the builder runs on a
// second thread: elements and text are copied into batches that it replays,
// while the parser reads on. Every other event (problems, the document type,
// entities, the document's end) first waits until the builder has caught up
// and is then handled here, on the parser's thread, so the builder sees the
// events in the order the parser sent them and never runs alongside anything
// else. Progress is reported from the parser's thread as well, with the
// builder idle, so a progress callback may look at the tree being built.
//
// While relaying, elements and text are taken from the reader's lower-level
// document events and its content handler is detached: the reader then
// skips turning each element into its SAX form (names, attribute list,
// name-space bookkeeping), which cost the parse as much as the relay itself.
class EventRelay : public xercesc::DefaultHandler {
public:
    explicit EventRelay(SAX2CountHandlers& builder);
    ~EventRelay() override;
    EventRelay(const EventRelay&) = delete;
    EventRelay& operator=(const EventRelay&) = delete;

    // The reader whose content handler this is. Without one, nothing is
    // relayed.
    void AttachReader(xercesc::SAX2XMLReader& reader);

    // Runs one parse through the relay. A document of at least `fromBytes`
    // bytes without a document type is built on the second thread (if the
    // process has two processors). Whatever stopped the builder is thrown
    // from here, ahead of what the parser threw after it.
    void Run(std::uint64_t documentBytes, std::uint64_t fromBytes, const std::function<void()>& parse);

    // ContentHandler
    void characters(const XMLCh* chars, XMLSize_t length) override;
    void endDocument() override;
    void endElement(const XMLCh* uri, const XMLCh* localname, const XMLCh* qname) override;
    void setDocumentLocator(const xercesc::Locator* locator) override;
    void startDocument() override;
    void startElement(const XMLCh* uri, const XMLCh* localname, const XMLCh* qname,
                      const xercesc::Attributes& attrs) override;
    // ErrorHandler
    void warning(const xercesc::SAXParseException& e) override;
    void error(const xercesc::SAXParseException& e) override;
    void fatalError(const xercesc::SAXParseException& e) override;
    void resetErrors() override;
    // LexicalHandler
    void startDTD(const XMLCh* name, const XMLCh* publicId, const XMLCh* systemId) override;
    void endDTD() override;
    void startEntity(const XMLCh* name) override;
    void endEntity(const XMLCh* name) override;
    // DeclHandler
    void elementDecl(const XMLCh* name, const XMLCh* model) override;
    void attributeDecl(const XMLCh* element, const XMLCh* attribute, const XMLCh* type, const XMLCh* mode,
                       const XMLCh* value) override;
    void internalEntityDecl(const XMLCh* name, const XMLCh* value) override;
    void externalEntityDecl(const XMLCh* name, const XMLCh* publicId, const XMLCh* systemId) override;

    // Whether the last parse was built on the second thread (for tests).
    bool relayedLastParse() const { return m_relayedOnce; }

private:
    friend class ElementTap;

    // Events of one batch, encoded as UTF-16 units (see event_relay.cpp),
    // written through a plain pointer: the parser's thread pays for every
    // unit, and a vector would check its capacity for each.
    struct Batch {
        std::unique_ptr<char16_t[]> units;
        std::size_t size = 0;
        std::size_t capacity = 0;
        bool empty() const { return size == 0; }
    };
    // A name, its qualified form and, for an attribute, its value, as the
    // parser gave them, with their lengths (qualified is kSameAsLocal when
    // it is the local name).
    struct Lengths {
        const XMLCh* localName;
        const XMLCh* qName;
        const XMLCh* valueText;
        std::uint32_t local;
        std::uint32_t qualified;
        std::uint32_t value;
    };

    void startRelaying();
    // Hands the filling batch to the builder once it is full enough.
    void maybeHandOver();
    // Hands the filling batch to the builder; rethrows what stopped it.
    [[gnu::noinline]] void handOver();
    // Hands the filling batch over unless the builder has stopped.
    void pushFilling();
    // Waits until the builder has replayed everything handed to it and
    // rethrows what stopped it; afterwards the builder may be called here.
    void catchUp();
    // Ends relaying: the reader gets its content handler back, the builder
    // catches up and its thread ends.
    void stopRelaying();
    void rethrowBuilderFailure();
    void builderLoop();
    void replay(const Batch& batch);
    // Element events as the reader's lower level gives them (ElementTap).
    void tapStart(const xercesc::XMLElementDecl& decl, const XMLCh* prefix,
                  const xercesc::RefVectorOf<xercesc::XMLAttr>& attrs, XMLSize_t count, bool isEmpty);
    // Writes an element start from m_lengths: the element, then `count`
    // attributes.
    void relayStart(XMLSize_t count);
    void relayEnd();
    void relayText(const XMLCh* chars, XMLSize_t length);
    // Gives the reader its content handler back, if the tap took it.
    void restoreContentHandler();
    // Where the next `units` units go in the filling batch, which has room
    // for them afterwards; the caller adds what it wrote to its size.
    char16_t* room(std::size_t units);
    // Gives the filling batch room for `units` more.
    [[gnu::noinline]] void grow(std::size_t units);

    SAX2CountHandlers& m_builder;
    xercesc::SAX2XMLReader* m_reader = nullptr;
    std::unique_ptr<ElementTap> m_tap;
    // The tap takes over at the root's start, after the reader has given it
    // to this content handler; from then on it has the elements and text.
    bool m_tapPending = false;
    bool m_tapping = false;
    std::u16string m_composedName;  // a prefixed name the reader had not spelled out
    const xercesc::Locator* m_locator = nullptr;  // the parser's
    // What the builder reads instead of the parser's, while relaying.
    std::unique_ptr<RecordedLocator> m_recordedLocator;
    std::unique_ptr<RecordedAttributes> m_recordedAttributes;
    bool m_eligible = false;
    bool m_relaying = false;
    bool m_relayedOnce = false;
    std::uint32_t m_sinceProgress = 0;
    Batch m_filling;
    std::size_t m_batchUnits = 0;  // handed over at this size
    std::vector<Lengths> m_lengths;  // the element being relayed and its attributes
    // Elements open while relaying, and the most the options allow.
    std::uint32_t m_depth = 0;
    std::uint32_t m_maxDepth = 0;

    std::mutex m_mutex;
    std::condition_variable m_wakeBuilder;
    std::condition_variable m_wakeParser;
    std::deque<Batch> m_handed;
    std::size_t m_handedUnits = 0;  // the capacity of those
    std::vector<Batch> m_spare;
    bool m_builderBusy = false;
    bool m_stop = false;
    std::exception_ptr m_failure;
    std::thread m_thread;
};

}  // namespace quillon
