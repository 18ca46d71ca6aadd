// SPDX-License-Identifier: MIT
#include "model/element_record.h"

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "model/document_pane.h"
#include "model/hashes.h"
#include "model/name_table.h"

namespace quillon {
namespace {

ElementRecord* newRecord(DocumentPane& pane, std::uint32_t line, std::uint32_t column) {
    ElementRecord* r = pane.records.create();
    r->paneSlot = pane.slot;
    r->line = line;
    r->column = std::uint16_t(column);
    return r;
}

void setName(ElementRecord* r, const NameEntry* name, std::uint32_t parentPathHash) {
    r->name = name;
    r->pathHash = parentPathHash * 17u + (name ? name->nameId : 0u);
}

// Latin-1 units from UTF-16 that fits (FitsLatin1).
void narrowInto(std::u16string_view s, std::uint8_t* out) {
    for (const char16_t c : s) *out++ = std::uint8_t(c);
}

// Latin-1 strings take an even number of bytes, so that each starts at an
// even address and leaves its pointer's kWideTag bit clear.
std::size_t evenBytes(std::size_t n) { return (n + 1) & ~std::size_t(1); }

// The string's second byte: an odd address, since UTF-16 strings are aligned.
const void* tagWide(const char16_t* p) { return reinterpret_cast<const char*>(p) + kWideTag; }

// Stores a string in the pane, terminated, one byte a character when it
// fits; returns the pointer for the record, tagged when UTF-16.
const void* storeString(DocumentPane& pane, const RecordString& s) {
    if (s.isNarrow() || FitsLatin1(s.utf16())) {
        std::uint8_t* p = pane.narrowChars.allocate(evenBytes(s.size() + 1));
        if (s.isNarrow())
            std::copy(s.latin1().begin(), s.latin1().end(), p);
        else
            narrowInto(s.utf16(), p);
        p[s.size()] = 0;
        return p;
    }
    char16_t* p = pane.wideChars.allocate(s.size() + 1);
    std::copy(s.utf16().begin(), s.utf16().end(), p);
    p[s.size()] = 0;
    return tagWide(p);
}

}  // namespace

namespace detail {
const SubtreeDigest kNoDescendants{};
}  // namespace detail

SubtreeDigest& MakeSubtree(ElementRecord& record) {
    if (DocumentPane* pane = record.treePane()) {
        record.digest = pane->digests.create();
    } else {
        // A record outside a pane is a one-off built by hand: its digest is
        // kept for the life of the program.
        static std::mutex mutex;
        static ObjectStore<SubtreeDigest> loose;
        std::lock_guard lock(mutex);
        record.digest = loose.create();
    }
    return *record.digest;
}

ElementRecord* CreateRecord(DocumentPane& pane, const NameEntry* name, std::uint32_t parentPathHash,
                            std::uint32_t line, std::uint32_t column) {
    ElementRecord* r = newRecord(pane, line, column);
    pane.progressChars += (name ? name->length : 0) * 2 + 5;
    setName(r, name, parentPathHash);
    return r;
}

void ReleaseRecord(ElementRecord* record) {
    if (!record) return;
    if (record->partner && record->partner->partner == record) record->partner->partner = nullptr;
    DocumentPane* pane = record->treePane();
    // Strings and tables stay in the pane's arena until the pane is cleared.
    if (pane) {
        pane->keySignatures.erase(record);
        pane->keptHashes.erase(record);
        if (record->digest) pane->digests.release(record->digest);
        pane->records.release(record);
    } else {
        *record = ElementRecord{};
    }
}

const KeyAttrSignature* KeyAttrSignatureOf(const ElementRecord& record) {
    const DocumentPane* pane = record.treePane();
    if (!pane || pane->keySignatures.empty()) return nullptr;
    const auto it = pane->keySignatures.find(&record);
    return it == pane->keySignatures.end() ? nullptr : &it->second;
}

void SetKeyAttrSignature(ElementRecord& record, const KeyAttrSignature* signature) {
    DocumentPane* pane = record.treePane();
    if (!pane) return;
    if (signature)
        pane->keySignatures[&record] = *signature;
    else
        pane->keySignatures.erase(&record);
}

void InsertRecord(ElementRecord* record, ElementRecord* parent, DocumentPane& pane, InsertAt where, TreeItem after) {
    if (parent) ++parent->childCount;
    record->item = pane.tree.InsertItem(parent ? parent->item : kNoItem, record, where, after);
    record->paneSlot = pane.slot;
}

void SetRecordText(ElementRecord* record, std::u16string_view text) { SetRecordText(record, RecordString(text)); }

void SetRecordText(ElementRecord* record, const RecordString& text) {
    if (text.empty() || !record->treePane()) {
        record->text = nullptr;
        record->textLength = 0;
        return;
    }
    record->text = storeString(*record->treePane(), text);
    record->textLength = std::uint32_t(text.size());
}

void AppendRecordText(ElementRecord* record, std::u16string_view piece) {
    if (piece.empty() || !record->treePane()) return;
    if (!record->text) {
        SetRecordText(record, piece);
        return;
    }
    DocumentPane& pane = *record->treePane();
    const RecordString stored = record->textString();
    const std::size_t old = stored.size();
    const std::size_t length = old + 1 + piece.size();
    if (!stored.isNarrow()) {
        // old text + terminator grows into old text + blank + piece + terminator.
        char16_t* p = pane.wideChars.extend(stored.utf16().data(), old + 1, piece.size() + 1);
        p[old] = u' ';
        std::copy(piece.begin(), piece.end(), p + old + 1);
        p[length] = 0;
        record->text = tagWide(p);
    } else if (FitsLatin1(piece)) {
        const std::size_t had = evenBytes(old + 1);
        std::uint8_t* p = pane.narrowChars.extend(stored.latin1().data(), had, evenBytes(length + 1) - had);
        p[old] = ' ';
        narrowInto(piece, p + old + 1);
        p[length] = 0;
        record->text = p;
    } else {
        // A wide piece on a narrow text: all of it moves to UTF-16.
        char16_t* p = pane.wideChars.allocate(length + 1);
        std::copy(stored.latin1().begin(), stored.latin1().end(), p);
        p[old] = u' ';
        std::copy(piece.begin(), piece.end(), p + old + 1);
        p[length] = 0;
        record->text = tagWide(p);
    }
    record->textLength = std::uint32_t(length);
}

std::uint16_t AttributeNameHash(std::u16string_view name, bool caseSensitive) {
    return std::uint16_t(caseSensitive ? Hash38(name) : Hash38Folded(name));
}

void SetAttributesText(ElementRecord* record, std::u16string_view attributes) {
    SetAttributesText(record, RecordString(attributes));
}

void SetAttributesText(ElementRecord* record, const RecordString& attributes) {
    if (attributes.empty() || !record->treePane()) {
        record->attributesText = nullptr;
        record->attributesLength = 0;
        return;
    }
    record->attributesText = storeString(*record->treePane(), attributes);
    record->attributesLength = std::uint32_t(attributes.size());
}

bool IsNamedElement(const ElementRecord* record) {
    return record && record->name && record->name->length > 0;
}

int ElementState(const ElementRecord& record, bool identicalToPartner) {
    if (record.ignoreState > 0) return 0;
    if (!record.name || record.name->hash == 0) return 0;
    if (!record.partner) return 2;
    return identicalToPartner ? 0 : 1;
}

}  // namespace quillon
