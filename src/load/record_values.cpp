// SPDX-License-Identifier: MIT
#include "load/record_values.h"

#include <array>
#include <memory>
#include <string>

#include "compare/value_normalize.h"
#include "model/document_pane.h"
#include "model/element_record.h"
#include "model/attribute_names.h"
#include "model/hashes.h"
#include "model/name_table.h"
#include "model/wide_string.h"
#include "platform/notifier.h"
#include "rules/rule_hooks.h"
#include "settings/options.h"

namespace quillon {
namespace {

// A value's signature after date and number normalisation. A date gives the
// same hashes in every mode; attribute and text dates alike keep the whole
// 32-bit fold, since cutting it to 16 bits makes dates 2,048 days apart equal.
struct FoldedValue {
    std::array<std::uint32_t, 4> h{};
    std::array<std::uint16_t, 4> w{};
    std::uint32_t weight = 0;
    bool isDate = false;
};

FoldedValue foldValue(const Options& o, std::u16string_view value, std::size_t minDateLength, bool attribute) {
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

// Each piece steps the running hash before it is added, so that the text
// signature follows the order of the pieces ("red", "blue" is not "blue",
// "red"). A single piece keeps the plain value signature. The multipliers
// are odd with (m - 1) / 2 odd: swapping two pieces can only go unseen when
// they differ by a multiple of 2^31 (2^15).
void foldText(const Options& o, ModeHashes& h, std::uint16_t& weight, std::u16string_view piece) {
    constexpr std::uint32_t kPieceStep = 0x9E3779B7u;
    constexpr std::uint32_t kPieceStep16 = 0x9E37u;
    const FoldedValue f = foldValue(o, piece, 6, false);
    for (int k = 0; k < 4; ++k) {
        h.text[k] = h.text[k] * kPieceStep + f.h[k];
        h.text16[k] = std::uint16_t(std::uint32_t(h.text16[k]) * kPieceStep16 + f.w[k]);
    }
    weight = std::uint16_t(weight + f.weight);
}

}  // namespace

ElementRecord* CreateRecord(DocumentPane& pane, const char16_t* name, std::size_t nameLength, std::uint32_t line,
                            std::uint32_t column) {
    // The entry interned has the given spelling: the record counts nameLength
    // characters of progress, as it should.
    const NameEntry* entry =
        name ? nameTable().InternName({name, nameLength}, options().XMLElementCaseSensitive != 0) : nullptr;
    ElementRecord* r = CreateRecord(pane, entry, line, column);
    if (!name) notifier().show(u"XML Error", u"Element is empty", MessageIcon::Error, MessageButtons::Ok);
    return r;
}

void InsertElement(ElementRecord* record, ElementRecord* parent, std::u16string_view text, DocumentPane& pane) {
    InsertRecord(record, parent, pane);
    const std::u16string_view trimmed = TrimBlanks(text);
    if (!trimmed.empty()) AppendText(record, trimmed);
}

void FoldTextPiece(ElementRecord* record, std::uint32_t pathHash, ModeHashes& hashes, std::u16string_view piece) {
    if (piece.empty()) return;
    if (record->ruleFlags < kConditionEvaluated && record->name()) {
        if (const IgnoreRule* rule = MatchIgnoreRule(record->name()->nameId, pathHash);
            rule && RuleHasCondition(*rule)) {
            record->ruleFlags = EvaluateTextCondition(*rule, piece);
        }
    }
    if (record->treePane()) record->treePane()->progressChars += piece.size() + 2;
    foldText(options(), hashes, record->textWeight, piece);
}

void AppendText(ElementRecord* record, std::u16string_view piece) {
    if (piece.empty()) return;
    ModeHashes h = AllModeHashes(*record);
    FoldTextPiece(record, PathHashOf(*record), h, piece);
    AppendRecordText(record, piece);
    SetModeHashes(*record, h, true);
}

AttributeFold FoldAttribute(const Options& o, std::uint16_t nameHash, std::u16string_view name,
                            std::u16string_view value) {
    const FoldedValue f = foldValue(o, value, 6, true);
    const Hash20Result g = o.XMLAttributeCaseSensitive != 0 ? Hash20(name) : Hash20Folded(name);
    AttributeFold fold;
    fold.weight = f.weight + g.count + 4;
    for (int k = 0; k < 4; ++k) {
        fold.part.hash[k] = f.h[k] * nameHash;
        fold.part.hash16[k] = std::uint16_t(f.w[k] ^ g.hash);
    }
    return fold;
}

void AddAttributeFold(ModeHashes& hashes, std::uint16_t& weight, const AttributeFold& fold) {
    weight = std::uint16_t(weight + fold.weight);
    for (int k = 0; k < 4; ++k) {
        hashes.attr[k] += fold.part.hash[k];
        hashes.attr16[k] = std::uint16_t(hashes.attr16[k] + fold.part.hash16[k]);
    }
}

void TakeAttribute(ElementRecord* record, std::uint32_t pathHash, ModeHashes& hashes, std::uint16_t nameHash,
                   std::u16string_view name, const AttributeFold& fold) {
    AddAttributeFold(hashes, record->attrWeight, fold);
    if (record->name() && IsKeyAttribute(record->name()->nameId, pathHash, nameHash, name))
        SetKeyAttrSignature(*record, &fold.part);
}

void AddAttribute(ElementRecord* record, std::uint16_t nameHash, std::u16string_view name,
                  std::u16string_view value) {
    ModeHashes h = AllModeHashes(*record);
    TakeAttribute(record, PathHashOf(*record), h, nameHash, name, FoldAttribute(options(), nameHash, name, value));
    SetModeHashes(*record, h, true);
}

std::function<ModeHashes(const ElementRecord&)> RefoldUnder(const Options& o) {
    return [o](const ElementRecord& r) {
        ModeHashes h;
        std::uint16_t weight = 0;
        std::u16string name, value;
        ForEachAttribute(r.attributesString(), [&](const AttributeText& a) {
            const std::u16string_view n = a.name.utf16(name), v = a.value.utf16(value);
            AddAttributeFold(h, weight, FoldAttribute(o, AttributeNameHash(n, o.XMLAttributeCaseSensitive != 0), n, v));
        });
        if (r.text) {
            std::u16string text;
            foldText(o, h, weight, r.textString().utf16(text));
        }
        return h;
    };
}

}  // namespace quillon
