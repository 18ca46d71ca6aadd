// SPDX-License-Identifier: MIT
#include "model/element_record.h"

#include <algorithm>
#include <string>
#include <vector>

#include "compare/value_normalize.h"
#include "model/document_pane.h"
#include "model/hashes.h"
#include "model/name_table.h"
#include "model/wide_string.h"
#include "platform/notifier.h"
#include "rules/rule_hooks.h"
#include "settings/options.h"

namespace quillon {
namespace {

ElementRecord* newRecord(DocumentPane& pane, std::uint32_t line, std::uint32_t column) {
    ElementRecord* r = pane.records.create();
    r->treePane = &pane;
    r->line = line;
    r->column = std::uint16_t(column);
    return r;
}

void setName(ElementRecord* r, const NameEntry* name, std::uint32_t parentPathHash) {
    r->name = name;
    r->pathHash = parentPathHash * 17u + (name ? name->nameId : 0u);
}

// A value's signature after date and number normalisation. A date gives the
// same hashes in every mode; attribute and text dates alike keep the whole
// 32-bit fold, since cutting it to 16 bits makes dates 2,048 days apart equal.
struct FoldedValue {
    std::array<std::uint32_t, 4> h{};
    std::array<std::uint16_t, 4> w{};
    std::uint32_t weight = 0;
    bool isDate = false;
};

FoldedValue foldValue(std::u16string_view value, std::size_t minDateLength, bool attribute) {
    const Options& o = options();
    FoldedValue f;
    double date = 0;
    if (o.NormalizeDate && value.size() >= minDateLength && ParseDate(o, value, date)) {
        const std::uint32_t h = DateFold32(date);
        const std::uint16_t w = DateFold16(date);
        f.h = {h, h, h, h};
        f.w = {w, w, w, w};
        f.weight = attribute ? 6 : 10;
        f.isDate = true;
        return f;
    }
    ValueSignatureResult s;
    std::u16string normalized;
    if (o.NormalizeNumber && NormalizeNumberString(o, value, normalized)) {
        s = ValueSignature(normalized);
    } else {
        s = ValueSignature(value);
    }
    f.h = s.h;
    f.w = s.w;
    f.weight = s.weight;
    return f;
}

// Stores a string in the pane's arena, terminated.
char16_t* storeString(DocumentPane& pane, std::u16string_view s) {
    char16_t* p = pane.chars.allocate(s.size() + 1);
    std::copy(s.begin(), s.end(), p);
    p[s.size()] = 0;
    return p;
}

}  // namespace

ElementRecord* CreateRecord(DocumentPane& pane, const char16_t* name, std::size_t nameLength,
                            std::uint32_t parentPathHash, std::uint32_t line, std::uint32_t column) {
    ElementRecord* r = newRecord(pane, line, column);
    pane.progressChars += nameLength * 2 + 5;
    if (!name) {
        notifier().show(u"XML Error", u"Element is empty", MessageIcon::Error, MessageButtons::Ok);
        r->pathHash = parentPathHash * 17u;
        return r;
    }
    const NameEntry* entry =
        nameTable().InternName({name, nameLength}, options().XMLElementCaseSensitive != 0);
    setName(r, entry, parentPathHash);
    return r;
}

ElementRecord* CreateRecord(DocumentPane& pane, const NameEntry* name, std::uint32_t parentPathHash,
                            std::uint32_t line, std::uint32_t column) {
    ElementRecord* r = newRecord(pane, line, column);
    pane.progressChars += (name ? name->length : 0) * 2 + 5;
    setName(r, name, parentPathHash);
    return r;
}

std::unique_ptr<ElementRecord> CreateShadowRecord() { return std::make_unique<ElementRecord>(); }

void ReleaseRecord(ElementRecord* record) {
    if (!record) return;
    if (record->partner && record->partner->partner == record) record->partner->partner = nullptr;
    DocumentPane* pane = record->treePane;
    // Strings and tables stay in the pane's arena until the pane is cleared.
    if (pane) pane->records.release(record);
    else *record = ElementRecord{};
}

void InsertElement(ElementRecord* record, ElementRecord* parent, std::u16string_view text, DocumentPane& pane,
                   InsertAt where, TreeItem after) {
    if (parent) ++parent->childCount;
    record->item = pane.tree.InsertItem(parent ? parent->item : kNoItem, record, where, after);
    record->treePane = &pane;
    const std::u16string_view trimmed = TrimBlanks(text);
    if (!trimmed.empty()) AppendText(record, trimmed);
}

void FoldTextPiece(ElementRecord* record, std::u16string_view piece) {
    if (piece.empty()) return;
    if (record->ruleFlags < kConditionEvaluated && record->name) {
        if (const IgnoreRule* rule = MatchIgnoreRule(record->name->nameId, record->pathHash);
            rule && RuleHasCondition(*rule)) {
            record->ruleFlags = EvaluateTextCondition(*rule, piece);
        }
    }
    if (record->treePane) record->treePane->progressChars += piece.size() + 2;
    // Each piece steps the running hash before it is added, so that the text
    // signature follows the order of the pieces ("red", "blue" is not "blue",
    // "red"). A single piece keeps the plain value signature. The multipliers
    // are odd with (m - 1) / 2 odd: swapping two pieces can only go unseen
    // when they differ by a multiple of 2^31 (2^15).
    constexpr std::uint32_t kPieceStep = 0x9E3779B7u;
    constexpr std::uint32_t kPieceStep16 = 0x9E37u;
    const FoldedValue f = foldValue(piece, 6, false);
    for (int k = 0; k < 4; ++k) {
        record->textHash[k] = record->textHash[k] * kPieceStep + f.h[k];
        record->textHash16[k] = std::uint16_t(std::uint32_t(record->textHash16[k]) * kPieceStep16 + f.w[k]);
    }
    record->textWeight = std::uint16_t(record->textWeight + f.weight);
}

void SetRecordText(ElementRecord* record, std::u16string_view text) {
    if (text.empty()) {
        record->text = nullptr;
        record->textLength = 0;
        return;
    }
    record->text = record->treePane ? storeString(*record->treePane, text) : nullptr;
    record->textLength = record->text ? std::uint32_t(text.size()) : 0;
}

void AppendText(ElementRecord* record, std::u16string_view piece) {
    if (piece.empty()) return;
    FoldTextPiece(record, piece);
    if (!record->treePane) return;
    Arena<char16_t>& arena = record->treePane->chars;
    const std::size_t old = record->textLength;
    if (!record->text) {
        record->text = storeString(*record->treePane, piece);
        record->textLength = std::uint32_t(piece.size());
        return;
    }
    // old text + terminator grows into old text + blank + piece + terminator.
    char16_t* p = arena.extend(record->text, old + 1, piece.size() + 1);
    p[old] = u' ';
    std::copy(piece.begin(), piece.end(), p + old + 1);
    p[old + 1 + piece.size()] = 0;
    record->text = p;
    record->textLength = std::uint32_t(old + 1 + piece.size());
}

std::uint16_t AttributeNameHash(std::u16string_view name, bool caseSensitive) {
    return std::uint16_t(caseSensitive ? Hash38(name) : Hash38Folded(name));
}

void AddAttribute(ElementRecord* record, std::uint16_t nameHash, std::u16string_view name,
                  std::u16string_view value) {
    const bool caseSensitive = options().XMLAttributeCaseSensitive != 0;
    const FoldedValue f = foldValue(value, 6, true);
    const Hash20Result g = caseSensitive ? Hash20(name) : Hash20Folded(name);
    record->attrWeight = std::uint16_t(record->attrWeight + f.weight + g.count + 4);
    std::array<std::uint32_t, 4> h;
    std::array<std::uint16_t, 4> w;
    for (int k = 0; k < 4; ++k) {
        h[k] = f.h[k] * nameHash;
        w[k] = std::uint16_t(f.w[k] ^ g.hash);
        record->attrHash[k] += h[k];
        record->attrHash16[k] = std::uint16_t(record->attrHash16[k] + w[k]);
    }
    if (record->name && IsKeyAttribute(record->name->nameId, record->pathHash, nameHash, name)) {
        auto sig = std::make_unique<KeyAttrSignature>();
        sig->hash = h;
        sig->hash16 = w;
        record->keyAttrSignature = std::move(sig);
    }
}

void SetAttributesText(ElementRecord* record, std::u16string_view attributes) {
    if (attributes.empty() || !record->treePane) {
        record->attributesText = nullptr;
        record->attributesLength = 0;
        return;
    }
    record->attributesText = storeString(*record->treePane, attributes);
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
