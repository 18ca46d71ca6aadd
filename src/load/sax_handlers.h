// SPDX-License-Identifier: MIT
#pragma once

#include <xercesc/sax2/DefaultHandler.hpp>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "load/entity_expansion.h"
#include "load/parse_errors.h"
#include "load/parse_problem.h"
#include "model/doctype_info.h"
#include "model/element_record.h"
#include "model/mode_hashes.h"
#include "model/text_layout.h"

namespace quillon {

struct DocumentPane;
class ExternalEntityGate;
class ParserMemory;

// Thrown from a handler to stop the parser at once (the user cancelled).
struct LoadCancelled {};

// Receives the parser's content, lexical and error events and builds the
// document tree of one pane from them.
class SAX2CountHandlers : public xercesc::DefaultHandler {
public:
    // Called with the characters accounted so far; returns false to cancel.
    using ProgressFn = std::function<bool(std::uint64_t chars)>;

    // Prepares for a parse into the pane; empties the pane's document type.
    void ResetForPane(DocumentPane* pane, DoctypeInfo* doctype, ProgressFn progress = {});
    // Before the same document is parsed again: what was built of it goes.
    void ForgetDocument();
    // Where the parser counts the bytes it reads of a document of `total`
    // bytes: near the end the memory blocks are no longer prepared ahead.
    std::uint64_t* WatchBytesRead(std::uint64_t total) {
        m_bytesRead = 0;
        m_expectedBytes = total;
        return &m_bytesRead;
    }

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

    // Before a parse: the gate that refuses external entities (its refusals
    // leave the reference in the text) and the document's size, which sets
    // how much entity expansion may produce.
    // expansionLimit is the parser's count of entity expansions for this
    // parse: once the entities are measured, a lower one restarts the parse.
    // memory, when given, is told where the document type ends.
    void PrepareEntities(ExternalEntityGate* gate, ParserMemory* memory, std::uint64_t documentBytes,
                         std::uint64_t expansionLimit);

    bool errorSeen() const { return m_errorSeen; }
    bool fatalSeen() const { return m_fatalSeen; }
    bool cancelled() const { return m_cancelled; }
    bool documentEnded() const { return m_documentEnded; }
    std::uint32_t elementCount() const { return m_elementCount; }
    // While another thread replays elements and text into this builder
    // (EventRelay), whatever must happen on the parser's thread is left to
    // the relay: the entity gate's bookkeeping at each element
    // (BeforeElement), progress (ReportProgressNow) and message boxes, which
    // are held until ShowHeldNotices.
    void SetRelayed(bool relayed) { m_relayed = relayed; }
    void BeforeElement();
    // Reports progress now; throws LoadCancelled when the user cancels.
    void ReportProgressNow();
    bool ListensForProgress() const { return bool(m_progress); }
    // The part of a progress report that needs only the parser's thread.
    void NoteBytesRead();
    void ShowHeldNotices();
    // The XML declaration: the encoding it names is the document's.
    void XmlDeclaration(const XMLCh* encoding);

    // Problems in the order reported (the first ones; later ones are only counted).
    const std::vector<ParseProblem>& problems() const { return m_problems; }
    std::size_t problemCount() const { return m_problemCount; }
    // The message boxes and the log of parse problems.
    ParseMessages& messages() { return m_messages; }

    static constexpr std::size_t kMaxKeptProblems = 100;
    // A load stops after this many problems, or this many fatal errors,
    // whatever ContinueAfterFatalError says.
    static constexpr std::size_t kMaxProblems = 1000;
    static constexpr std::size_t kMaxFatalErrors = 100;

private:
    struct OpenElement {
        ElementRecord* record = nullptr;
        std::uint32_t pathHash = 0;  // ChildPathHash: the rules ask for it
        ModeHashes hashes;
        // Its hashes cannot be folded again from what the record stores.
        bool keep = false;
        // Under a rule that leaves attributes out only when its condition
        // holds: the signature of all attributes, taken when it does not.
        bool hasShadow = false;
        ModeHashes shadow;
        std::uint16_t shadowWeight = 0;
        std::uint32_t children = 0;
    };

    // Asked for every event: inline, with the options looked up only after
    // a fatal error.
    bool parserHalted() const { return m_cancelled || (m_fatalSeen && stopsAtFatalErrors()); }
    static bool stopsAtFatalErrors();
    ElementRecord* currentRecord() const { return m_open.empty() ? nullptr : m_open.back().record; }
    void flushText();
    void addAttributes(ElementRecord* record, OpenElement& open, const xercesc::Attributes& attrs);
    void finishSignature(OpenElement& open);
    void buildChildNameTable(ElementRecord* record);
    ParseProblem noteProblem(ProblemKind kind, const xercesc::SAXParseException& e);
    // The user answered Cancel: nothing more of this document is processed.
    [[noreturn]] void cancelLoad();
    // Ends the load with a message (a bound was exceeded).
    [[noreturn]] void abortLoad(std::u16string message);
    // After a reported problem: stops the load when it was one too many.
    void checkProblemBound(const ParseProblem& p);
    void reportProgress();
    void showTooManyChildNames();

    DocumentPane* m_pane = nullptr;
    DoctypeInfo* m_doctype = nullptr;
    ProgressFn m_progress;
    std::uint64_t m_expectedBytes = 0;  // WatchBytesRead
    std::uint64_t m_bytesRead = 0;
    const xercesc::Locator* m_locator = nullptr;
    std::vector<OpenElement> m_open;
    // Joined text of each open element, by depth; strings keep their capacity
    // between elements so that loading does not allocate per element.
    std::vector<std::u16string> m_texts;
    // Where those texts stood among the children, by depth (kept only for an
    // element that ends with both).
    std::vector<TextLayout> m_layouts;
    std::u16string m_pending;
    std::u16string m_attributes;
    std::vector<std::uint32_t> m_childIds;
    std::vector<std::uint32_t> m_childCounts;
    std::uint32_t m_elementCount = 0;
    std::uint32_t m_sinceProgress = 0;
    bool m_errorSeen = false;
    bool m_fatalSeen = false;
    bool m_cancelled = false;
    bool m_documentEnded = false;
    std::vector<ParseProblem> m_problems;
    std::size_t m_problemCount = 0;
    std::size_t m_fatalCount = 0;
    ParseMessages m_messages;
    ExternalEntityGate* m_gate = nullptr;
    ParserMemory* m_memory = nullptr;
    EntityExpansionGuard m_expansion;
    std::uint64_t m_expansionLimit = 0;
    // General entities being expanded in content (their text is counted).
    std::uint32_t m_entityDepth = 0;
    bool m_entitiesChecked = false;
    bool m_relayed = false;
    bool m_tooManyChildNamesHeld = false;
};

// Why a document nested deeper than the MaxDepth option is not loaded. The
// parser's namespace look-up walks its element stack for every element, and
// the comparison and the window walk the tree, so deep nesting costs far
// more than its size.
std::u16string DepthLimitMessage(std::uint32_t limit);

// The distinct child names an element may list.
constexpr std::uint32_t kMaxDistinctChildNames = 2048;

}  // namespace quillon
