// SPDX-License-Identifier: MIT
#include "load/event_relay.h"

#include <xercesc/framework/XMLAttr.hpp>
#include <xercesc/framework/XMLDocumentHandler.hpp>
#include <xercesc/framework/XMLElementDecl.hpp>
#include <xercesc/sax/Locator.hpp>
#include <xercesc/sax2/Attributes.hpp>
#include <xercesc/sax2/SAX2XMLReader.hpp>
#include <xercesc/util/XMLString.hpp>

#include <algorithm>
#include <cstring>
#include <string>
#include <system_error>
#include <utility>

#include "load/load_aborted.h"
#include "load/sax_handlers.h"
#include "platform/interrupted_writes.h"
#include "platform/side_by_side.h"
#include "settings/options.h"

namespace quillon {
namespace {

// A batch is handed over once it holds this many units (2 MiB). The builder
// is faster than the parser and sleeps whenever it has caught up, so each
// batch costs a wake-up on the other processor; in a virtual machine that
// is dear, and the parse ran a few percent slower with 128 KiB batches.
constexpr std::size_t kBatchUnits = std::size_t(1) << 20;
// The batch size while someone listens for progress (128 KiB). The parser
// then waits at every progress report until the builder has replayed the
// filling batch too, so a large one would leave the builder idle for most
// of each interval and the parser for the rest.
constexpr std::size_t kWatchedBatchUnits = std::size_t(64) << 10;
// Room past that for the event that fills it, so that one rarely grows.
constexpr std::size_t kBatchSlack = std::size_t(4) << 10;
// Units handed over and not yet replayed (32 MiB); the parser waits beyond
// this. On a shared host either processor can be taken away for many
// milliseconds; with only a megabyte queued the parse then soon stood still
// too, and a 100 MB load took up to a tenth longer.
constexpr std::size_t kMaxHandedUnits = std::size_t(16) << 20;
// How often, in elements, progress is reported while relaying. Each report
// waits for the builder to catch up, so it is rarer than without the relay.
constexpr std::uint32_t kProgressInterval = 32768;

// Event tags. A batch is a run of events, each a tag and its fields:
//   element start: line, column (2 units each), attribute count (2 units),
//                  local name, qualified name, then for each attribute its
//                  local name, qualified name and value;
//   text:          one string;
//   element end:   no fields.
// A string is its length (2 units), its units and a terminating zero. A
// qualified name without a prefix, as most are, is the local name again and
// is only a length of kSameAsLocal.
enum : char16_t { kStart = 1, kText = 2, kEnd = 3 };
constexpr std::uint32_t kSameAsLocal = 0xFFFFFFFF;

char16_t* put32(char16_t* p, std::uint32_t v) {
    p[0] = char16_t(v & 0xFFFF);
    p[1] = char16_t(v >> 16);
    return p + 2;
}

char16_t* putString(char16_t* p, const XMLCh* s, std::uint32_t n) {
    p = put32(p, n);
    if (n) std::memcpy(p, s, n * sizeof(char16_t));
    p[n] = 0;
    return p + n + 1;
}

// The units a string takes in a batch.
constexpr std::size_t stringUnits(std::uint32_t n) { return 2 + std::size_t(n) + 1; }

std::uint32_t lengthOf(const XMLCh* s) { return s ? std::uint32_t(std::char_traits<char16_t>::length(s)) : 0; }

// Measures a name and its qualified form in one walk when they are the
// same, as most are; it stops at the first difference, so neither is read
// past its end.
std::uint32_t measureNames(const XMLCh* local, const XMLCh* qname, std::uint32_t& qualified) {
    if (local == qname) {  // an element name without a prefix
        qualified = kSameAsLocal;
        return lengthOf(local);
    }
    if (local && qname) {
        const XMLCh* a = local;
        const XMLCh* q = qname;
        while (*a && *a == *q) ++a, ++q;
        if (*a == *q) {
            qualified = kSameAsLocal;
            return std::uint32_t(a - local);
        }
    }
    qualified = lengthOf(qname);
    return lengthOf(local);
}

std::size_t namesUnits(std::uint32_t local, std::uint32_t qualified) {
    return stringUnits(local) + (qualified == kSameAsLocal ? 2 : stringUnits(qualified));
}

char16_t* putNames(char16_t* p, const XMLCh* local, std::uint32_t localLength, const XMLCh* qname,
                   std::uint32_t qualified) {
    p = putString(p, local, localLength);
    return qualified == kSameAsLocal ? put32(p, kSameAsLocal) : putString(p, qname, qualified);
}

struct Reader {
    const char16_t* p;
    std::uint32_t u32() {
        const std::uint32_t v = std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 16);
        p += 2;
        return v;
    }
    // The string's units, terminated; its length in `n`.
    const char16_t* string(std::uint32_t& n) {
        n = u32();
        const char16_t* s = p;
        p += n + 1;
        return s;
    }
    const char16_t* string() {
        std::uint32_t n;
        return string(n);
    }
    // A qualified name: the local name when it was stored as the same.
    const char16_t* qualified(const char16_t* local) {
        if (p[0] == 0xFFFF && p[1] == 0xFFFF) {
            p += 2;
            return local;
        }
        return string();
    }
};

}  // namespace

// Where the element being built started, as the parser said when it sent it.
class RecordedLocator : public xercesc::Locator {
public:
    const XMLCh* getPublicId() const override { return nullptr; }
    const XMLCh* getSystemId() const override { return nullptr; }
    XMLFileLoc getLineNumber() const override { return line; }
    XMLFileLoc getColumnNumber() const override { return column; }
    XMLFileLoc line = 0;
    XMLFileLoc column = 0;
};

// An element's attributes as copied into a batch. The builder reads them by
// index only.
class RecordedAttributes : public xercesc::Attributes {
public:
    struct Attribute {
        const XMLCh* localName;
        const XMLCh* qName;
        const XMLCh* value;
    };
    XMLSize_t getLength() const override { return list.size(); }
    const XMLCh* getURI(const XMLSize_t) const override { return nullptr; }
    const XMLCh* getLocalName(const XMLSize_t i) const override { return list[i].localName; }
    const XMLCh* getQName(const XMLSize_t i) const override { return list[i].qName; }
    const XMLCh* getType(const XMLSize_t) const override { return nullptr; }
    const XMLCh* getValue(const XMLSize_t i) const override { return list[i].value; }
    bool getIndex(const XMLCh* const, const XMLCh* const, XMLSize_t&) const override { return false; }
    int getIndex(const XMLCh* const, const XMLCh* const) const override { return -1; }
    bool getIndex(const XMLCh* const, XMLSize_t&) const override { return false; }
    int getIndex(const XMLCh* const) const override { return -1; }
    const XMLCh* getType(const XMLCh* const, const XMLCh* const) const override { return nullptr; }
    const XMLCh* getType(const XMLCh* const) const override { return nullptr; }
    const XMLCh* getValue(const XMLCh* const, const XMLCh* const) const override { return nullptr; }
    const XMLCh* getValue(const XMLCh* const) const override { return nullptr; }
    std::vector<Attribute> list;
};

// The reader's lower-level document events: the XML declaration, which only
// they carry, and the elements and text once the relay has taken over from
// the content handler. The reader passes every event to this handler
// whether or not it wants it.
class ElementTap : public xercesc::XMLDocumentHandler {
public:
    explicit ElementTap(EventRelay& relay) : m_relay(relay) {}
    void startElement(const xercesc::XMLElementDecl& decl, const unsigned int, const XMLCh* prefix,
                      const xercesc::RefVectorOf<xercesc::XMLAttr>& attrs, const XMLSize_t count, const bool isEmpty,
                      const bool) override {
        if (m_relay.m_tapping) return m_relay.tapStart(decl, prefix, attrs, count, isEmpty);
        if (!m_relay.m_tapPending) return;
        // The root, which the content handler has just had; from here on the
        // tap has the elements and text.
        m_relay.m_tapPending = false;
        m_relay.m_tapping = true;
        m_relay.m_reader->setContentHandler(nullptr);
    }
    // The parser reports no text outside the root, where the tap starts.
    void endElement(const xercesc::XMLElementDecl&, const unsigned int, const bool, const XMLCh*) override {
        if (m_relay.m_tapping) m_relay.relayEnd();
    }
    void docCharacters(const XMLCh* chars, const XMLSize_t length, const bool) override {
        if (m_relay.m_tapping) m_relay.relayText(chars, length);
    }
    void endDocument() override {
        if (m_relay.m_tapping) m_relay.endDocument();
    }
    // What the content handler has no use for either.
    void docComment(const XMLCh*) override {}
    void docPI(const XMLCh*, const XMLCh*) override {}
    void endEntityReference(const xercesc::XMLEntityDecl&) override {}
    void ignorableWhitespace(const XMLCh*, const XMLSize_t, const bool) override {}
    void resetDocument() override {}
    void startDocument() override {}
    void startEntityReference(const xercesc::XMLEntityDecl&) override {}
    void XMLDecl(const XMLCh*, const XMLCh* encoding, const XMLCh*, const XMLCh*) override {
        m_relay.m_builder.XmlDeclaration(encoding);
    }

private:
    EventRelay& m_relay;
};

EventRelay::EventRelay(SAX2CountHandlers& builder)
    : m_builder(builder),
      m_tap(std::make_unique<ElementTap>(*this)),
      m_recordedLocator(std::make_unique<RecordedLocator>()),
      m_recordedAttributes(std::make_unique<RecordedAttributes>()) {}

void EventRelay::AttachReader(xercesc::SAX2XMLReader& reader) {
    m_reader = &reader;
    reader.setContentHandler(this);
    reader.installAdvDocHandler(m_tap.get());
}

void EventRelay::restoreContentHandler() {
    m_tapPending = false;
    if (!m_tapping) return;
    m_tapping = false;
    m_reader->setContentHandler(this);
}

EventRelay::~EventRelay() {
    try {
        stopRelaying();
    } catch (...) {  // NOLINT(bugprone-empty-catch): a failure nobody asked for any more
    }
}

void EventRelay::Run(std::uint64_t documentBytes, std::uint64_t fromBytes, const std::function<void()>& parse) {
    m_eligible = m_reader && documentBytes >= fromBytes && UsableProcessors() >= 2;
    m_relayedOnce = false;
    try {
        parse();
    } catch (...) {
        // What the builder failed on came earlier in the document.
        stopRelaying();
        throw;
    }
    stopRelaying();
}

void EventRelay::startRelaying() {
    m_stop = false;
    m_batchUnits = m_builder.ListensForProgress() ? kWatchedBatchUnits : kBatchUnits;
    try {
        m_thread = StartWorkerThread([this] { builderLoop(); });
    } catch (const std::system_error&) {
        m_eligible = false;  // no thread to be had: build here, as before
        return;
    }
    m_relaying = m_relayedOnce = true;
    m_tapPending = true;
    m_depth = 1;  // the root
    m_maxDepth = options().MaxDepth ? options().MaxDepth : UINT32_MAX;
    m_sinceProgress = 0;
    m_builder.SetRelayed(true);
    m_builder.setDocumentLocator(m_recordedLocator.get());
}

void EventRelay::stopRelaying() {
    if (!m_relaying) return;
    restoreContentHandler();
    // Hand over what is left, so that the builder still replays it.
    if (!m_filling.empty()) pushFilling();
    {
        std::unique_lock lock(m_mutex);
        m_stop = true;
    }
    m_wakeBuilder.notify_one();
    m_thread.join();
    m_relaying = false;
    m_builder.SetRelayed(false);
    m_builder.setDocumentLocator(m_locator);
    m_handed.clear();
    m_handedUnits = 0;
    m_spare.clear();
    m_spare.shrink_to_fit();
    m_filling = {};
    m_builder.ShowHeldNotices();
    std::exception_ptr failure = std::exchange(m_failure, nullptr);
    if (failure) std::rethrow_exception(failure);
}

void EventRelay::rethrowBuilderFailure() {
    std::exception_ptr failure;
    {
        std::lock_guard lock(m_mutex);
        failure = m_failure;
    }
    if (failure) std::rethrow_exception(failure);
}

// Called for every event: kept small enough to be inlined, with the rare
// work out of line.
inline void EventRelay::maybeHandOver() {
    if (m_filling.size >= m_batchUnits) handOver();
}

inline char16_t* EventRelay::room(std::size_t units) {
    Batch& b = m_filling;
    if (b.capacity - b.size < units) grow(units);
    return b.units.get() + b.size;
}

void EventRelay::grow(std::size_t units) {
    // Only an event longer than a batch gets here with a fresh batch.
    Batch& b = m_filling;
    const std::size_t capacity = std::max(m_batchUnits + kBatchSlack, b.size + units);
    auto grown = std::make_unique_for_overwrite<char16_t[]>(capacity);
    if (b.size) std::memcpy(grown.get(), b.units.get(), b.size * sizeof(char16_t));
    b.units = std::move(grown);
    b.capacity = capacity;
}

void EventRelay::handOver() {
    pushFilling();
    rethrowBuilderFailure();
}

void EventRelay::pushFilling() {
    {
        std::unique_lock lock(m_mutex);
        m_wakeParser.wait(lock, [this] { return m_handedUnits < kMaxHandedUnits || m_failure; });
        if (!m_failure) {
            m_handedUnits += m_filling.capacity;
            m_handed.push_back(std::move(m_filling));
            m_filling = {};
            if (!m_spare.empty()) {
                m_filling = std::move(m_spare.back());
                m_spare.pop_back();
            }
        }
        m_filling.size = 0;
    }
    m_wakeBuilder.notify_one();
}

void EventRelay::catchUp() {
    if (!m_relaying) return;
    if (!m_filling.empty()) handOver();
    {
        std::unique_lock lock(m_mutex);
        m_wakeParser.wait(lock, [this] { return (m_handed.empty() && !m_builderBusy) || m_failure; });
    }
    m_builder.ShowHeldNotices();
    rethrowBuilderFailure();
}

void EventRelay::builderLoop() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wakeBuilder.wait(lock, [this] { return m_stop || !m_handed.empty(); });
        if (m_handed.empty()) return;  // stopped, with nothing left
        Batch batch = std::move(m_handed.front());
        m_handed.pop_front();
        m_handedUnits -= batch.capacity;
        m_builderBusy = true;
        const bool failed = m_failure != nullptr;
        lock.unlock();
        if (!failed) {
            try {
                replay(batch);
            } catch (...) {
                lock.lock();
                m_failure = std::current_exception();
                lock.unlock();
            }
        }
        batch.size = 0;
        // A batch grown for one long event is not kept for the next.
        if (batch.capacity > m_batchUnits + kBatchSlack) batch = {};
        lock.lock();
        if (batch.units) m_spare.push_back(std::move(batch));
        m_builderBusy = false;
        m_wakeParser.notify_one();
    }
}

void EventRelay::replay(const Batch& batch) {
    Reader r{batch.units.get()};
    const char16_t* const end = batch.units.get() + batch.size;
    RecordedAttributes& attrs = *m_recordedAttributes;
    while (r.p < end) {
        switch (*r.p++) {
            case kStart: {
                m_recordedLocator->line = r.u32();
                m_recordedLocator->column = r.u32();
                const std::uint32_t count = r.u32();
                const char16_t* local = r.string();
                const char16_t* qname = r.qualified(local);
                attrs.list.clear();
                for (std::uint32_t i = 0; i < count; ++i) {
                    const char16_t* aLocal = r.string();
                    const char16_t* aQname = r.qualified(aLocal);
                    attrs.list.push_back({aLocal, aQname, r.string()});
                }
                m_builder.startElement(nullptr, local, qname, attrs);
                break;
            }
            case kText: {
                std::uint32_t n;
                const char16_t* text = r.string(n);
                m_builder.characters(text, n);
                break;
            }
            default: m_builder.endElement(nullptr, nullptr, nullptr); break;
        }
    }
}

void EventRelay::setDocumentLocator(const xercesc::Locator* locator) {
    m_locator = locator;
    m_builder.setDocumentLocator(m_relaying ? m_recordedLocator.get() : locator);
}

void EventRelay::startDocument() {
    catchUp();
    m_builder.startDocument();
}

void EventRelay::endDocument() {
    catchUp();
    m_builder.endDocument();
}

void EventRelay::startElement(const XMLCh* uri, const XMLCh* localname, const XMLCh* qname,
                              const xercesc::Attributes& attrs) {
    // Only the root gets here while relaying can start: later elements come
    // through the tap.
    catchUp();
    m_builder.startElement(uri, localname, qname, attrs);
    // The first element ends the prolog, and with it the last event that
    // the document type could have brought.
    if (!m_relaying && m_eligible) startRelaying();
}

void EventRelay::endElement(const XMLCh* uri, const XMLCh* localname, const XMLCh* qname) {
    if (m_relaying) return relayEnd();  // an empty root, before the tap took over
    m_builder.endElement(uri, localname, qname);
}

void EventRelay::characters(const XMLCh* chars, XMLSize_t length) {
    if (m_relaying) return relayText(chars, length);
    m_builder.characters(chars, length);
}

void EventRelay::tapStart(const xercesc::XMLElementDecl& decl, const XMLCh* prefix,
                          const xercesc::RefVectorOf<xercesc::XMLAttr>& attrs, XMLSize_t count, bool isEmpty) {
    // The builder stops at the limit too, but only once it gets there;
    // meanwhile the parser would read on through a document that grows
    // dearer with every level.
    if (++m_depth > m_maxDepth) throw LoadAborted{DepthLimitMessage(m_maxDepth)};
    // The names as the reader's content handler would have had them.
    const xercesc::QName& name = *decl.getElementName();
    const XMLCh* local = name.getLocalPart();
    const XMLCh* qname = local;
    if (prefix && *prefix) {
        if (xercesc::XMLString::equals(prefix, name.getPrefix())) {
            qname = name.getRawName();
        } else {
            m_composedName.assign(prefix);
            m_composedName += u':';
            m_composedName += local;
            qname = m_composedName.c_str();
        }
    }
    if (!qname || !*qname) {
        // An element without a name makes the builder say so in a message
        // box, which only this thread may show.
        catchUp();
        m_recordedLocator->line = m_locator ? m_locator->getLineNumber() : 0;
        m_recordedLocator->column = m_locator ? m_locator->getColumnNumber() : 0;
        RecordedAttributes& recorded = *m_recordedAttributes;
        recorded.list.clear();
        for (XMLSize_t i = 0; i < count; ++i) {
            const xercesc::XMLAttr* a = attrs.elementAt(i);
            recorded.list.push_back({a->getName(), a->getQName(), a->getValue()});
        }
        m_builder.startElement(nullptr, local, qname, recorded);
    } else {
        m_builder.BeforeElement();
        if (m_lengths.size() <= count) m_lengths.resize(count + 1);
        Lengths* const n = m_lengths.data();
        n[0] = {local, qname, nullptr, 0, 0, 0};
        for (XMLSize_t i = 0; i < count; ++i) {
            const xercesc::XMLAttr* a = attrs.elementAt(i);
            n[i + 1] = {a->getName(), a->getQName(), a->getValue(), 0, 0, 0};
        }
        relayStart(count);
    }
    // This parser reports the end of an empty element as an event of its
    // own; the interface allows it to say so here instead.
    if (isEmpty) relayEnd();
}

void EventRelay::relayStart(XMLSize_t count) {
    const std::uint64_t line = m_locator ? m_locator->getLineNumber() : 0;
    const std::uint64_t column = m_locator ? m_locator->getColumnNumber() : 0;
    // Measured first, so that the event is written in one go.
    Lengths* const n = m_lengths.data();
    std::size_t units = 1 + 3 * 2;
    n[0].local = measureNames(n[0].localName, n[0].qName, n[0].qualified);
    units += namesUnits(n[0].local, n[0].qualified);
    for (XMLSize_t i = 0; i < count; ++i) {
        Lengths& a = n[i + 1];
        a.local = measureNames(a.localName, a.qName, a.qualified);
        a.value = lengthOf(a.valueText);
        units += namesUnits(a.local, a.qualified) + stringUnits(a.value);
    }
    char16_t* const start = room(units);
    char16_t* p = start;
    *p++ = kStart;
    p = put32(p, std::uint32_t(line));
    p = put32(p, std::uint32_t(column));
    p = put32(p, std::uint32_t(count));
    p = putNames(p, n[0].localName, n[0].local, n[0].qName, n[0].qualified);
    for (XMLSize_t i = 0; i < count; ++i) {
        const Lengths& a = n[i + 1];
        p = putNames(p, a.localName, a.local, a.qName, a.qualified);
        p = putString(p, a.valueText, a.value);
    }
    m_filling.size += std::size_t(p - start);
    if (++m_sinceProgress == kProgressInterval) {
        m_sinceProgress = 0;
        // Waiting for the builder leaves a processor idle; only a listener
        // that may look at the tree is worth it.
        if (m_builder.ListensForProgress()) {
            catchUp();
            m_builder.ReportProgressNow();
            return;
        }
        m_builder.NoteBytesRead();
    }
    maybeHandOver();
}

void EventRelay::relayEnd() {
    if (m_depth) --m_depth;
    *room(1) = kEnd;
    ++m_filling.size;
    maybeHandOver();
}

void EventRelay::relayText(const XMLCh* chars, XMLSize_t length) {
    char16_t* const start = room(1 + stringUnits(std::uint32_t(length)));
    *start = kText;
    m_filling.size += std::size_t(putString(start + 1, chars, std::uint32_t(length)) - start);
    maybeHandOver();
}

void EventRelay::warning(const xercesc::SAXParseException& e) {
    catchUp();
    m_builder.warning(e);
}

void EventRelay::error(const xercesc::SAXParseException& e) {
    catchUp();
    m_builder.error(e);
}

void EventRelay::fatalError(const xercesc::SAXParseException& e) {
    catchUp();
    m_builder.fatalError(e);
}

void EventRelay::resetErrors() {
    catchUp();
    m_builder.resetErrors();
}

void EventRelay::startDTD(const XMLCh* name, const XMLCh* publicId, const XMLCh* systemId) {
    // Entities declared there are measured as the text arrives and their
    // references interleave with the entity gate's reads: all of that stays
    // on one thread.
    m_eligible = false;
    catchUp();
    m_builder.startDTD(name, publicId, systemId);
}

void EventRelay::endDTD() {
    catchUp();
    m_builder.endDTD();
}

void EventRelay::startEntity(const XMLCh* name) {
    catchUp();
    m_builder.startEntity(name);
}

void EventRelay::endEntity(const XMLCh* name) {
    catchUp();
    m_builder.endEntity(name);
}

void EventRelay::elementDecl(const XMLCh* name, const XMLCh* model) {
    catchUp();
    m_builder.elementDecl(name, model);
}

void EventRelay::attributeDecl(const XMLCh* element, const XMLCh* attribute, const XMLCh* type, const XMLCh* mode,
                               const XMLCh* value) {
    catchUp();
    m_builder.attributeDecl(element, attribute, type, mode, value);
}

void EventRelay::internalEntityDecl(const XMLCh* name, const XMLCh* value) {
    catchUp();
    m_builder.internalEntityDecl(name, value);
}

void EventRelay::externalEntityDecl(const XMLCh* name, const XMLCh* publicId, const XMLCh* systemId) {
    catchUp();
    m_builder.externalEntityDecl(name, publicId, systemId);
}

}  // namespace quillon
