// SPDX-License-Identifier: MIT
#include "load/sax_handlers.h"

#include <xercesc/sax/Locator.hpp>
#include <xercesc/sax/SAXParseException.hpp>
#include <xercesc/sax2/Attributes.hpp>

#include <algorithm>
#include <string_view>
#include <unordered_map>

#include "load/external_entities.h"
#include "load/load_aborted.h"
#include "load/parser_memory.h"
#include "load/record_values.h"
#include "model/child_name_table.h"
#include "model/document_pane.h"
#include "model/element_record.h"
#include "model/line_count.h"
#include "model/name_table.h"
#include "model/wide_string.h"
#include "platform/large_block.h"
#include "platform/notifier.h"
#include "rules/rule_hooks.h"
#include "settings/options.h"

namespace quillon {
namespace {

std::u16string_view view(const XMLCh* s) { return s ? std::u16string_view(s) : std::u16string_view(); }

// DoctypeInfo fields hold at most 259 characters.
std::u16string cut(std::u16string_view s) { return std::u16string(s.substr(0, DoctypeInfo::kCapacity)); }

// The name an element or attribute is known by: the local name when
// namespaces are ignored, else the qualified name. Without namespace
// processing the parser reports no local name for elements and the whole
// qualified name for attributes; the qualified name's part after its prefix
// stands in, so that no name is left empty and no prefix is kept.
std::u16string_view nameOf(const XMLCh* localname, const XMLCh* qname) {
    const std::u16string_view qualified = view(qname);
    if (!options().IgnoreNamespaces) return qualified;
    const std::u16string_view local = view(localname);
    if (!local.empty() && local.find(u':') == std::u16string_view::npos) return local;
    const std::size_t colon = qualified.find(u':');
    if (colon == std::u16string_view::npos || colon + 1 == qualified.size()) return qualified;
    return qualified.substr(colon + 1);
}

// How often, in elements, the progress callback is asked.
constexpr std::uint32_t kProgressInterval = 4096;

// Above this many distinct names a child-name lookup switches from a linear
// scan to a hash map.
constexpr std::size_t kLinearNameScan = 32;

}  // namespace

void SAX2CountHandlers::ResetForPane(DocumentPane* pane, DoctypeInfo* doctype, ProgressFn progress) {
    m_pane = pane;
    m_doctype = doctype;
    m_progress = std::move(progress);
    m_expectedBytes = 0;
    m_open.clear();
    if (m_doctype) m_doctype->clear();
    // A parse that fails before its document starts (an address that cannot
    // be reached) must not report the previous parse's problems as its own.
    m_errorSeen = m_fatalSeen = m_cancelled = false;
    m_documentEnded = false;
    m_elementCount = 0;
    m_problems.clear();
    m_problemCount = 0;
    m_fatalCount = 0;
}

std::u16string DepthLimitMessage(std::uint32_t limit) {
    return u"The document nests elements more than " + DecimalText(limit) +
           u" levels deep and is not loaded (deep nesting makes loading and comparing very slow). To load it, "
           u"raise the limit with --max-depth or the MaxDepth option.";
}

void SAX2CountHandlers::ForgetDocument() {
    if (m_pane) ClearPane(*m_pane);
    m_open.clear();
    m_pending.clear();
    m_elementCount = 0;
    m_documentEnded = false;
}

bool SAX2CountHandlers::stopsAtFatalErrors() { return !options().ContinueAfterFatalError; }

void SAX2CountHandlers::startDocument() {
    m_pending.clear();
    m_open.clear();
    m_elementCount = 0;
    if (m_pane) {
        // Records keep their hashes in the current mode only; another mode's
        // are folded again under the options of this load.
        m_pane->hashMode = ComparisonMode(options());
        m_pane->refold = RefoldUnder(options());
    }
    m_sinceProgress = 0;
    m_errorSeen = m_fatalSeen = m_cancelled = false;
    m_documentEnded = false;
    m_problems.clear();
    m_problemCount = 0;
    m_fatalCount = 0;
}

void SAX2CountHandlers::setDocumentLocator(const xercesc::Locator* locator) { m_locator = locator; }

void SAX2CountHandlers::characters(const XMLCh* chars, XMLSize_t length) {
    if (parserHalted()) return;
    if (m_entityDepth > 0) {
        if (std::u16string why = m_expansion.Deliver(length); !why.empty()) abortLoad(std::move(why));
    }
    // All of an element's text is kept, however long: nothing is dropped.
    m_pending.append(chars, length);
}

void SAX2CountHandlers::flushText() {
    if (m_pending.empty()) return;
    ElementRecord* record = currentRecord();
    const std::u16string_view piece = TrimBlanks(m_pending);
    if (record && !piece.empty()) {
        OpenElement& open = m_open.back();
        FoldTextPiece(record, open.pathHash, open.hashes, piece);
        std::u16string& joined = m_texts[m_open.size() - 1];
        if (!joined.empty()) {
            // The stored text no longer shows where the pieces met.
            open.keep = true;
            joined.push_back(u' ');
        }
        TextPiece at;
        at.child = open.children;
        at.start = std::uint32_t(joined.size());
        at.length = std::uint32_t(piece.size());
        at.spaceBefore = piece.data() != m_pending.data();
        at.spaceAfter = piece.data() + piece.size() != m_pending.data() + m_pending.size();
        m_layouts[m_open.size() - 1].push_back(at);
        joined.append(piece);
    } else if (record && m_open.back().children > 0) {
        // White space after a child: one piece for a run of them, so that
        // indented element-only content costs one entry, not one a child.
        const OpenElement& open = m_open.back();
        TextLayout& layout = m_layouts[m_open.size() - 1];
        if (!layout.empty() && layout.back().length == 0 && layout.back().child + layout.back().gaps == open.children) {
            ++layout.back().gaps;
        } else {
            TextPiece gap;
            gap.child = open.children;
            gap.start = std::uint32_t(m_texts[m_open.size() - 1].size());
            gap.spaceBefore = true;
            layout.push_back(gap);
        }
    }
    m_pending.clear();
}

void SAX2CountHandlers::reportProgress() {
    if (m_relayed || ++m_sinceProgress < kProgressInterval) return;
    m_sinceProgress = 0;
    ReportProgressNow();
}

void SAX2CountHandlers::NoteBytesRead() {
    // The last part of a document fills only a few more blocks.
    if (m_expectedBytes && m_bytesRead >= m_expectedBytes - m_expectedBytes / 32) {
        StopPreparingBlocks();
        m_expectedBytes = 0;
    }
}

void SAX2CountHandlers::ReportProgressNow() {
    NoteBytesRead();
    if (m_progress && m_pane && !m_progress(m_pane->progressChars)) {
        m_cancelled = true;
        throw LoadCancelled{};
    }
}

void SAX2CountHandlers::BeforeElement() {
    if (m_gate) m_gate->TakeRefused();  // a refusal in the DTD concerns no reference here
    if (!m_entitiesChecked) endDTD();     // the parser did not say where its DTD ended
}

void SAX2CountHandlers::ShowHeldNotices() {
    if (!m_tooManyChildNamesHeld) return;
    m_tooManyChildNamesHeld = false;
    showTooManyChildNames();
}

void SAX2CountHandlers::showTooManyChildNames() {
    notifier().show(u"Application Error", u"Too many elements", MessageIcon::Error, MessageButtons::Ok);
}

void SAX2CountHandlers::startElement(const XMLCh*, const XMLCh* localname, const XMLCh* qname,
                                     const xercesc::Attributes& attrs) {
    if (parserHalted() || !m_pane) return;
    if (options().MaxDepth && m_open.size() >= options().MaxDepth) abortLoad(DepthLimitMessage(options().MaxDepth));
    if (!m_relayed) BeforeElement();
    flushText();
    const std::u16string_view name = nameOf(localname, qname);
    const std::uint32_t line = m_locator ? std::uint32_t(m_locator->getLineNumber()) : 0;
    const std::uint32_t column = m_locator ? std::uint32_t(m_locator->getColumnNumber()) : 0;
    ElementRecord* record = CreateRecord(*m_pane, name.empty() ? nullptr : name.data(), name.size(), line, column);
    OpenElement open;
    open.record = record;
    open.pathHash = ChildPathHash(m_open.empty() ? 0 : m_open.back().pathHash, NameIdOf(*record));
    addAttributes(record, open, attrs);
    InsertRecord(record, currentRecord(), *m_pane);
    if (!m_open.empty()) ++m_open.back().children;
    m_open.push_back(open);
    if (m_texts.size() < m_open.size()) {
        m_texts.emplace_back();
        m_layouts.emplace_back();
    }
    m_texts[m_open.size() - 1].clear();
    m_layouts[m_open.size() - 1].clear();
    reportProgress();
}

void SAX2CountHandlers::addAttributes(ElementRecord* record, OpenElement& open, const xercesc::Attributes& attrs) {
    const Options& o = options();
    const IgnoreRule* rule = record->name() ? MatchIgnoreRule(record->name()->nameId, open.pathHash) : nullptr;
    const bool listsAttributes = rule && RuleListsAttributes(*rule);
    const bool hasCondition = rule && RuleHasCondition(*rule);
    m_attributes.clear();
    open.hasShadow = open.keep = listsAttributes && hasCondition;
    const bool caseSensitive = o.XMLAttributeCaseSensitive != 0;
    const XMLSize_t count = attrs.getLength();
    for (XMLSize_t i = 0; i < count; ++i) {
        const std::u16string_view name = nameOf(attrs.getLocalName(i), attrs.getQName(i));
        const std::u16string_view value = view(attrs.getValue(i));
        m_attributes.append(name);
        m_attributes.push_back(u'=');
        m_attributes.push_back(kValueOpen);
        m_attributes.append(value);
        m_attributes.push_back(kValueClose);
        m_attributes.push_back(u' ');

        const std::uint16_t nameHash = AttributeNameHash(name, caseSensitive);
        if (hasCondition && !(record->ruleFlags & kConditionEvaluated))
            record->ruleFlags = EvaluateAttributeCondition(*rule, nameHash, value);
        const bool skipped = (listsAttributes && RuleListsAttribute(*rule, nameHash)) || IsCommonIgnoredAttribute(nameHash);
        if (skipped && !open.hasShadow) {
            open.keep = true;
            continue;
        }
        const AttributeFold fold = FoldAttribute(o, nameHash, name, value);
        if (open.hasShadow) AddAttributeFold(open.shadow, open.shadowWeight, fold);
        if (skipped) continue;
        // A value holding a marker character would be split wrongly when
        // read back from the stored text.
        if (value.find_first_of(u"\u0001\u0002") != std::u16string_view::npos) open.keep = true;
        TakeAttribute(record, open.pathHash, open.hashes, nameHash, name, fold);
    }
    if (!m_attributes.empty()) {
        m_pane->progressChars += m_attributes.size();
        m_attributes.pop_back();  // no trailing blank
        SetAttributesText(record, m_attributes);
    }
}

void SAX2CountHandlers::endElement(const XMLCh*, const XMLCh*, const XMLCh*) {
    if (parserHalted() || m_open.empty()) return;
    ++m_elementCount;
    flushText();
    ElementRecord* record = m_open.back().record;
    const std::u16string& text = m_texts[m_open.size() - 1];
    SetRecordText(record, text);
    if (!text.empty() && m_open.back().children > 0) SetTextLayout(*record, m_layouts[m_open.size() - 1]);
    finishSignature(m_open.back());
    buildChildNameTable(record);
    if (options().DisplayFullMode) m_pane->tree.SetHeight(record->item(), LineCount(*record, true));
    m_open.pop_back();
}

void SAX2CountHandlers::finishSignature(OpenElement& open) {
    ElementRecord* record = open.record;
    if (open.hasShadow) {
        const bool applies = (record->ruleFlags & kConditionEvaluated) ? (record->ruleFlags & kConditionHeld) != 0
                                                                      : MatchesIfNotExistRule(*record, open.pathHash);
        if (!applies) {
            // The rule does not hold: its attributes are compared after all.
            record->attrWeight = open.shadowWeight;
            open.hashes.attr = open.shadow.attr;
            open.hashes.attr16 = open.shadow.attr16;
        }
    }
    SetModeHashes(*record, open.hashes, open.keep);
}

void SAX2CountHandlers::buildChildNameTable(ElementRecord* record) {
    if (ChildCountOf(*record) == 0) return;

    m_childIds.clear();
    m_childCounts.clear();
    std::unordered_map<std::uint32_t, std::uint32_t> slots;
    const TreePane& tree = m_pane->tree;
    for (TreeItem child = tree.FirstChild(record->item()); child; child = tree.NextSibling(child)) {
        if (m_childIds.size() >= kMaxDistinctChildNames) break;
        const ElementRecord* c = m_pane->record(child);
        const std::uint32_t id = c ? NameIdOf(*c) : 0;
        std::size_t slot = m_childIds.size();
        if (m_childIds.size() <= kLinearNameScan) {
            slot = std::size_t(std::find(m_childIds.begin(), m_childIds.end(), id) - m_childIds.begin());
            if (m_childIds.size() == kLinearNameScan && slot == m_childIds.size()) {
                for (std::size_t k = 0; k < m_childIds.size(); ++k) slots.emplace(m_childIds[k], std::uint32_t(k));
            }
        } else if (auto it = slots.find(id); it != slots.end()) {
            slot = it->second;
        }
        if (slot == m_childIds.size()) {
            m_childIds.push_back(id);
            m_childCounts.push_back(1);
            if (m_childIds.size() > kLinearNameScan) slots.emplace(id, std::uint32_t(slot));
        } else {
            ++m_childCounts[slot];
        }
    }
    const auto distinct = std::uint32_t(m_childIds.size());
    if (distinct == kMaxDistinctChildNames) {
        if (m_relayed)
            m_tooManyChildNamesHeld = true;
        else
            showTooManyChildNames();
    }
    SetChildNameTable(*record, m_childIds.data(), m_childCounts.data(), distinct);
}

void SAX2CountHandlers::endDocument() {
    if (!m_pane) return;
    // Text after the root element belongs to no element.
    m_pending.clear();
    ElementRecord* end = CreateRecord(*m_pane, u"", 0, 0, 0);
    InsertRecord(end, nullptr, *m_pane);
    WritableSubtree(*end).descendantCount = m_elementCount > 0 ? m_elementCount - 1 : 0;
    buildChildNameTable(end);
    m_pane->tree.SetHeight(end->item(), options().DisplayFullMode ? 20 : 1);
    m_pane->tree.Select(m_pane->tree.Root());
    m_pane->tree.Select(end->item());
    m_documentEnded = true;
}

void SAX2CountHandlers::PrepareEntities(ExternalEntityGate* gate, ParserMemory* memory, std::uint64_t documentBytes,
                                        std::uint64_t expansionLimit) {
    m_gate = gate;
    m_memory = memory;
    m_expansion.Reset(documentBytes);
    m_expansionLimit = expansionLimit;
    m_entityDepth = 0;
    m_entitiesChecked = false;
}

void SAX2CountHandlers::endDTD() {
    if (m_memory) m_memory->EndOfDocumentType();
    if (m_gate) m_gate->TakeRefused();
    if (m_entitiesChecked) return;
    m_entitiesChecked = true;
    // Attribute values expand entities without telling: measure them all now,
    // and let the parser expand only so often that even the largest entity
    // each time stays within what the document may produce.
    if (std::u16string why = m_expansion.CheckAll(); !why.empty()) abortLoad(std::move(why));
    const std::uint64_t limit = m_expansion.budget() / m_expansion.largest();
    if (limit < m_expansionLimit) throw ParseRestart{limit};
}

void SAX2CountHandlers::elementDecl(const XMLCh*, const XMLCh*) {
    if (m_gate) m_gate->NoteDeclaration(false);
}

void SAX2CountHandlers::attributeDecl(const XMLCh*, const XMLCh*, const XMLCh*, const XMLCh*, const XMLCh*) {
    if (m_gate) m_gate->NoteDeclaration(false);
}

void SAX2CountHandlers::internalEntityDecl(const XMLCh* name, const XMLCh* value) {
    if (m_gate) m_gate->NoteDeclaration(true);
    m_expansion.Declare(view(name), view(value));
}

void SAX2CountHandlers::externalEntityDecl(const XMLCh*, const XMLCh*, const XMLCh*) {
    if (m_gate) m_gate->NoteDeclaration(false);
}

void SAX2CountHandlers::startEntity(const XMLCh* name) {
    const std::u16string_view n = view(name);
    if (n == u"[dtd]") {
        if (m_gate) m_gate->EnterDtdSubset();
        return;
    }
    if (n.empty() || n.front() == u'%') return;
    ++m_entityDepth;
    if (m_gate && m_gate->TakeRefused() && !parserHalted()) {
        // Not read: the reference stays in the text as written.
        m_pending.push_back(u'&');
        m_pending.append(n);
        m_pending.push_back(u';');
    }
    if (std::u16string why = m_expansion.Check(n); !why.empty()) abortLoad(std::move(why));
}

void SAX2CountHandlers::endEntity(const XMLCh* name) {
    const std::u16string_view n = view(name);
    if (n == u"[dtd]") {
        if (m_gate) m_gate->LeaveDtdSubset();
        return;
    }
    if (n.empty() || n.front() == u'%') return;
    if (m_entityDepth) --m_entityDepth;
}

void SAX2CountHandlers::startDTD(const XMLCh* name, const XMLCh* publicId, const XMLCh* systemId) {
    if (m_gate) m_gate->NoteDoctype(view(systemId));
    if (!m_doctype) return;
    m_doctype->rootName = cut(view(name));
    if (publicId && *publicId) m_doctype->publicId = cut(view(publicId));
    if (systemId && *systemId) m_doctype->systemId = cut(view(systemId));
}

ParseProblem SAX2CountHandlers::noteProblem(ProblemKind kind, const xercesc::SAXParseException& e) {
    ParseProblem p;
    p.kind = kind;
    p.message = std::u16string(view(e.getMessage()));
    p.systemId = std::u16string(view(e.getSystemId()));
    p.line = e.getLineNumber();
    p.column = e.getColumnNumber();
    ++m_problemCount;
    if (m_problems.size() < kMaxKeptProblems) m_problems.push_back(p);
    return p;
}

void SAX2CountHandlers::abortLoad(std::u16string message) {
    m_fatalSeen = true;
    throw LoadAborted{std::move(message)};
}

void SAX2CountHandlers::checkProblemBound(const ParseProblem& p) {
    if (m_problemCount < kMaxProblems && m_fatalCount < kMaxFatalErrors) return;
    std::u16string text = u"Loading stopped after " + DecimalText(m_problemCount) + u" problems; the last: ";
    if (p.line) text += u"line " + DecimalText(p.line) + u", column " + DecimalText(p.column) + u": ";
    abortLoad(text + p.message);
}

void SAX2CountHandlers::cancelLoad() {
    m_cancelled = true;
    // The parser would read the rest of the document for nothing; stop it.
    throw LoadCancelled{};
}

void SAX2CountHandlers::warning(const xercesc::SAXParseException& e) {
    if (m_cancelled) return;
    const ParseProblem p = noteProblem(ProblemKind::Warning, e);
    if (m_messages.Report(ProblemKind::Warning, p)) cancelLoad();
    checkProblemBound(p);
}

void SAX2CountHandlers::error(const xercesc::SAXParseException& e) {
    m_errorSeen = true;
    if (m_cancelled) return;
    const ParseProblem p = noteProblem(ProblemKind::Error, e);
    const bool cancel = m_messages.Report(ProblemKind::Error, p);
    m_messages.Log(ProblemKind::Error);
    if (cancel) cancelLoad();
    checkProblemBound(p);
}

void SAX2CountHandlers::fatalError(const xercesc::SAXParseException& e) {
    m_fatalSeen = true;
    if (m_cancelled) return;
    ++m_fatalCount;
    const ParseProblem p = noteProblem(ProblemKind::FatalError, e);
    // The parser's own bound on entity expansions: going on would only
    // repeat it for every further reference.
    if (p.message.find(u"entity expansions") != std::u16string::npos)
        abortLoad(u"Entity references in this document expand to more than a document of this size may "
                  u"produce; the document is not loaded");
    const bool cancel = m_messages.Report(ProblemKind::FatalError, p);
    m_messages.Log(ProblemKind::FatalError);
    if (cancel) cancelLoad();
    checkProblemBound(p);
}

void SAX2CountHandlers::resetErrors() { m_errorSeen = false; }

void SAX2CountHandlers::XmlDeclaration(const XMLCh* encoding) {
    if (encoding && *encoding) SetEncodingByName(options(), view(encoding), false);
}

}  // namespace quillon
