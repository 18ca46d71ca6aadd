// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/arena.h"
#include "model/name_table.h"
#include "model/record_string.h"
#include "model/string_store.h"
#include "platform/tree_pane.h"

namespace quillon {

struct DocumentPane;
struct ElementRecord;

// The contribution of an element's key attribute, kept apart so that pairing
// by key attribute can compare it alone.
struct KeyAttrSignature {
    std::array<std::uint32_t, 4> hash{};
    std::array<std::uint16_t, 4> hash16{};
};

namespace detail {
// Every live pane by its slot; slot 0 stands for none. A record names its
// pane by a 16-bit slot rather than by an 8-byte pointer.
constexpr std::uint32_t kPaneSlots = 1u << 16;  // what a 16-bit slot can name
extern DocumentPane* paneSlots[kPaneSlots];
// Each live pane's strings by the same slot, so that reading a record's
// string needs no more than this header.
extern const StringStore* paneStrings[kPaneSlots];
// Each live pane's records, and the slot of the pane its records are paired
// with: a pane's records pair with those of one other pane at a time.
extern IndexedStore<ElementRecord>* paneRecords[kPaneSlots];
extern std::uint16_t partnerSlots[kPaneSlots];
}  // namespace detail

// What the comparison sums up over an element's descendants, and its
// child-name table: only elements with children (and the end-of-document
// item) have one, so leaves, most of a document, carry a null pointer instead.
struct SubtreeDigest {
    std::uint32_t textSum = 0;
    std::uint32_t nameSum = 0;
    std::uint32_t attrSum = 0;
    std::uint32_t textProduct = 0;
    std::uint32_t attrProduct = 0;
    std::uint32_t descendantCount = 0;
    std::uint32_t keySum = 0;
    std::uint16_t textWeight = 0;
    std::uint16_t attrWeight = 0;
    // The distinct child names' ids, then as many counts in the same order;
    // their number is stored just before (SetChildNameTable).
    const std::uint32_t* childNames = nullptr;
};

namespace detail {
extern const SubtreeDigest kNoDescendants;
// Each live pane's digests by its slot; slot 0 holds those of records outside
// a pane, one-offs built by hand that keep theirs for the life of the program.
extern IndexedStore<SubtreeDigest>* paneDigests[kPaneSlots];
}  // namespace detail

// One loaded XML element in compact, hashed form. Its strings live in the
// pane's StringStore, terminated, Latin-1 or UTF-16 (see RecordString). Text
// and attribute lengths keep all 32 bits, up to 4,294,967,295 characters, so
// long values are never cut.
struct ElementRecord {
    // What the preparation sweep and the identity checks read comes first,
    // so that a comparison walking millions of records touches as few cache
    // lines of each as it can; what only loading, display and output read
    // follows.
    // The paired record's index in the partner pane (detail::partnerSlots);
    // 0 when unpaired. Read through partner().
    std::uint32_t partnerIndex = 0;
    std::uint32_t nameIndex = 0;  // the interned name (name()); 0 for none
    // Own attributes and text, in the pane's comparison mode (ModeHashes).
    std::uint32_t attrHash = 0;
    std::uint32_t textHash = 0;
    std::uint16_t textWeight = 0;
    std::uint16_t attrWeight = 0;
    std::uint16_t attrHash16 = 0;
    std::uint16_t textHash16 = 0;
    std::uint8_t ignoreState = 0;  // 0 compared; 1, 3 marks; 2, 4 ignored
    std::uint8_t diffFlags = 0;    // 1 some equal below, 2 some unpaired below, 4 changed
    std::uint8_t ruleFlags = 0;    // bits 0-5 rule flags, 7 condition evaluated, 6 it held
    std::uint16_t column = 0;
    std::uint16_t paneSlot = 0;  // the pane's slot (treePane()); 0 for none
    // Trimmed pieces joined by one blank; 0 when none. Read through textString().
    StringHandle text = 0;
    // Index in the pane's digest store; 0, none, reads as all zero (subtree()).
    std::uint32_t digest = 0;
    // name=\1value\2 name=\1value\2 ... ; 0 when none. Read through attributesString().
    StringHandle attributes = 0;
    std::uint32_t line = 0;

    DocumentPane* treePane() const { return detail::paneSlots[paneSlot]; }
    // The record's index in its pane's store, and so its item in the pane's
    // tree (shown once tree.IsValid(item)); 0 outside a pane. Found from
    // where the record lies in the store rather than kept in every record.
    TreeItem item() const;
    ElementRecord* partner() const {
        return partnerIndex ? &(*detail::paneRecords[detail::partnerSlots[paneSlot]])[partnerIndex] : nullptr;
    }
    // Links this record to p (null: unpairs it), one way. Only records of two
    // panes pair; a record outside a pane stays unpaired.
    void setPartner(const ElementRecord* p) {
        if (!p || !paneSlot || !p->paneSlot) {
            partnerIndex = 0;
            return;
        }
        // Written only when it changes, so that threads pairing in the same
        // two panes at once only read it (see LinkPanes).
        if (detail::partnerSlots[paneSlot] != p->paneSlot) detail::partnerSlots[paneSlot] = p->paneSlot;
        partnerIndex = p->item();
    }
    // Makes the two records' panes each other's partner panes, before
    // threads pair records of the two.
    static void LinkPanes(const ElementRecord& a, const ElementRecord& b) {
        if (!a.paneSlot || !b.paneSlot) return;
        detail::partnerSlots[a.paneSlot] = b.paneSlot;
        detail::partnerSlots[b.paneSlot] = a.paneSlot;
    }
    const NameEntry* name() const { return NameAt(nameIndex); }
    // The name as written; empty when there is none.
    std::u16string_view nameView() const {
        const NameEntry* n = name();
        return n ? n->view() : std::u16string_view();
    }

    const SubtreeDigest& subtree() const {
        return digest ? (*detail::paneDigests[paneSlot])[digest] : detail::kNoDescendants;
    }
    // The record's own digest, null when it has none.
    SubtreeDigest* ownDigest() const { return digest ? &(*detail::paneDigests[paneSlot])[digest] : nullptr; }
    std::uint32_t descendantCount() const { return subtree().descendantCount; }

    const std::uint32_t* childNameIds() const { return digest ? subtree().childNames : nullptr; }
    std::uint32_t distinctChildNameCount() const {
        const std::uint32_t* ids = childNameIds();
        return ids ? ids[-1] : 0;
    }
    const std::uint32_t* childNameCounts() const {
        const std::uint32_t* ids = childNameIds();
        return ids ? ids + ids[-1] : nullptr;
    }

    RecordString textString() const { return text ? detail::paneStrings[paneSlot]->read(text) : RecordString(); }
    RecordString attributesString() const {
        return attributes ? detail::paneStrings[paneSlot]->read(attributes) : RecordString();
    }
    // Where the attribute string starts, for a prefetch; null when none.
    const void* attributesAddress() const {
        return attributes ? detail::paneStrings[paneSlot]->address(attributes) : nullptr;
    }
    std::uint32_t textLength() const { return std::uint32_t(textString().size()); }
    std::uint32_t attributesLength() const { return std::uint32_t(attributesString().size()); }
    // UTF-16 copies, for a caller that keeps or hands on the whole string.
    std::u16string textUtf16() const { return std::u16string(textString()); }
    std::u16string attributesUtf16() const { return std::u16string(attributesString()); }
};

// 48 bytes: every element of a document has one.
static_assert(sizeof(ElementRecord) == 48, "a record grew: every element of a document pays for it");

inline TreeItem ElementRecord::item() const {
    return paneSlot ? IndexedStore<ElementRecord>::IndexOf(this) : kNoItem;
}

// Unpairs the record's partner, when the partner's link points back here.
inline void ClearBackLink(const ElementRecord& record) {
    if (ElementRecord* p = record.partner(); p && p->partner() == &record) p->setPartner(nullptr);
}

// The name's id (NameEntry::nameId); 0 when the record has no name.
inline std::uint32_t NameIdOf(const ElementRecord& r) {
    const NameEntry* n = r.name();
    return n ? n->nameId : 0;
}

// An element's path hash: its parent's times 17 plus its own name id, 0 above
// the root, so that elements at the same path of names share one. It is not
// kept in the record: a walk down the tree carries it from parent to child,
// and PathHashOf (document_pane.h) works it out for a single element.
inline std::uint32_t ChildPathHash(std::uint32_t parentPathHash, std::uint32_t nameId) {
    return parentPathHash * 17u + nameId;
}

// Gives the record a digest of its own (see WritableSubtree).
SubtreeDigest& MakeSubtree(ElementRecord& record);

// The record's digest to write into, made in its pane's store on first use.
// A record outside a pane gets one that lives as long as the program.
inline SubtreeDigest& WritableSubtree(ElementRecord& record) {
    return record.digest ? *record.ownDigest() : MakeSubtree(record);
}

// Flags of ruleFlags.
constexpr std::uint8_t kRuleTextNotCompared = 1;
constexpr std::uint8_t kRuleAttributesNotCompared = 2;
constexpr std::uint8_t kRuleListedAttributes = 4;
constexpr std::uint8_t kRuleFlagsFixed = 32;
constexpr std::uint8_t kConditionHeld = 64;
constexpr std::uint8_t kConditionEvaluated = 128;

// Markers that stand for the quotation marks of an attribute value.
constexpr char16_t kValueOpen = 0x0001;
constexpr char16_t kValueClose = 0x0002;

// Creates a record in the pane for an interned name (null: no name).
ElementRecord* CreateRecord(DocumentPane& pane, const NameEntry* name, std::uint32_t line, std::uint32_t column);

// A blank record in the pane, its index in the pane's store as its item (not
// yet in the tree).
ElementRecord* NewRecord(DocumentPane& pane);

// Frees what the record owns and clears its partner's back link, leaving a
// blank record with the same item and pane.
void ResetRecord(ElementRecord* record);

// Frees what the record owns, clears its partner's back link and gives its
// slot back to the pane; its fields stay as they were until the slot is used
// again. The item is not touched: the caller deletes it before that.
void ReleaseRecord(ElementRecord* record);

// The signature of the record's key attribute, kept beside the pane's records
// since few elements have one; null when it has none.
const KeyAttrSignature* KeyAttrSignatureOf(const ElementRecord& record);
// Gives the record the signature, or takes it away (null). A record outside
// a pane keeps none.
void SetKeyAttrSignature(ElementRecord& record, const KeyAttrSignature* signature);

// Releases the record and every record beneath it (no recursion).
void DestroySubtree(ElementRecord* record);

// Destroys every record of the pane and deletes all its items.
void ClearPane(DocumentPane& pane);

// Gives back the unused pages at the end of the pane's stores, once a load
// has filled them.
void TrimPane(DocumentPane& pane);

// Inserts the record's item under parent (null = top level). Does nothing
// for a record of another pane or one already shown.
void InsertRecord(ElementRecord* record, ElementRecord* parent, DocumentPane& pane,
                  InsertAt where = InsertAt::Last, TreeItem after = kNoItem);

// Stores a non-empty piece of text behind the record's text, joined by a
// blank; the signature is the caller's (the tree builder folds it).
void AppendRecordText(ElementRecord* record, std::u16string_view piece);
// Replaces the stored text of the record.
void SetRecordText(ElementRecord* record, std::u16string_view text);
void SetRecordText(ElementRecord* record, const RecordString& text);

// The 16-bit attribute-name hash used by the tree builder and the rules.
std::uint16_t AttributeNameHash(std::u16string_view name, bool caseSensitive);

// Stores the marked-up attribute string of the record.
void SetAttributesText(ElementRecord* record, std::u16string_view attributes);
void SetAttributesText(ElementRecord* record, const RecordString& attributes);

// The record stands for an element of the document: not null, not the
// nameless end-of-document item.
bool IsNamedElement(const ElementRecord* record);

// 0 equal or ignored (also the end-of-document item), 1 changed, 2 without
// partner. identicalToPartner is the comparison engine's verdict on the pair.
int ElementState(const ElementRecord& record, bool identicalToPartner);

}  // namespace quillon
