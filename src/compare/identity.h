// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "compare/compare_state.h"
#include "model/element_record.h"
#include "model/name_table.h"

// The equality questions of a comparison, answered from the digests that
// loading and the preparation sweep computed; no string is ever compared.
// Each takes the snapshot in force; the overloads without one use the
// process-wide snapshot of the last compare command.

namespace quillon {

// How far ahead a walk over a group's records asks for them.
constexpr std::uint32_t kRecordsAhead = 8;

// Asks for the record's leading fields (name, digests, sums) ahead of use.
inline void PrefetchRecord(const ElementRecord* r) {
    if (!r) return;
    __builtin_prefetch(r);
    __builtin_prefetch(reinterpret_cast<const char*>(r) + 64);
}

constexpr std::uint8_t kIdenticalBelow = 1;
constexpr std::uint8_t kUnpairedBelow = 2;
constexpr std::uint8_t kChangedBelow = 4;

inline bool AttributesEqual(const ElementRecord& a, const ElementRecord& b, const CompareSnapshot& s) {
    if (s.ignoreAttributes) return true;
    if ((a.ruleFlags & b.ruleFlags & kRuleAttributesNotCompared) != 0) return true;
    const SubtreeDigest& x = a.subtree();
    const SubtreeDigest& y = b.subtree();
    return a.attrHash == b.attrHash && x.attrSum == y.attrSum && a.attrHash16 == b.attrHash16 &&
           x.attrProduct == y.attrProduct && x.attrWeight == y.attrWeight && a.attrWeight == b.attrWeight;
}

inline bool TextEqual(const ElementRecord& a, const ElementRecord& b, const CompareSnapshot& s) {
    if (s.ignoreValues) return true;
    if ((a.ruleFlags & b.ruleFlags & kRuleTextNotCompared) != 0) return true;
    const SubtreeDigest& x = a.subtree();
    const SubtreeDigest& y = b.subtree();
    return a.textHash == b.textHash && x.textSum == y.textSum && a.textHash16 == b.textHash16 &&
           x.textProduct == y.textProduct && x.textWeight == y.textWeight && a.textWeight == b.textWeight;
}

// Same name, same subtree shape, texts and attributes (own and below), and no
// difference recorded below either element.
inline bool IsIdentical(const ElementRecord& a, const ElementRecord* b, const CompareSnapshot& s) {
    if (!b) return false;
    if ((a.diffFlags | b->diffFlags) >= 2) return false;
    return NameIdOf(a) == NameIdOf(*b) && a.subtree().nameSum == b->subtree().nameSum &&
           a.descendantCount() == b->descendantCount() && TextEqual(a, *b, s) && AttributesEqual(a, *b, s);
}

// Only the elements' own name, attributes and text.
inline bool OwnDataEqual(const ElementRecord& a, const ElementRecord* b, const CompareSnapshot& s) {
    if (!b || NameIdOf(a) != NameIdOf(*b)) return false;
    if (!s.ignoreAttributes && (a.ruleFlags & b->ruleFlags & kRuleAttributesNotCompared) == 0) {
        if (a.attrHash != b->attrHash || a.attrHash16 != b->attrHash16 || a.attrWeight != b->attrWeight)
            return false;
    }
    if (s.ignoreValues || (a.ruleFlags & b->ruleFlags & kRuleTextNotCompared) != 0) return true;
    return a.textHash == b->textHash && a.textHash16 == b->textHash16 && a.textWeight == b->textWeight;
}

// The element has a partner and its own attributes differ from the partner's.
inline bool AttributesDiffer(const ElementRecord& e, const CompareSnapshot& s) {
    const ElementRecord* p = e.partner();
    if (!p || s.ignoreAttributes || (e.ruleFlags & p->ruleFlags & kRuleAttributesNotCompared) != 0) return false;
    return e.attrHash != p->attrHash || e.attrHash16 != p->attrHash16 || e.attrWeight != p->attrWeight;
}

// The element has a partner and its own text differs from the partner's.
inline bool TextDiffers(const ElementRecord& e, const CompareSnapshot& s) {
    const ElementRecord* p = e.partner();
    if (!p || s.ignoreValues || (e.ruleFlags & p->ruleFlags & kRuleTextNotCompared) != 0) return false;
    return e.textHash != p->textHash || e.textHash16 != p->textHash16 || e.textWeight != p->textWeight;
}

inline bool KeyAttributesEqual(const ElementRecord& a, const ElementRecord& b, const CompareSnapshot& s) {
    const KeyAttrSignature* x = KeyAttrSignatureOf(a);
    const KeyAttrSignature* y = x ? KeyAttrSignatureOf(b) : nullptr;
    if (!x || !y) return false;
    const unsigned m = s.mode;
    return x->hash[m] == y->hash[m] && x->hash16[m] == y->hash16[m];
}

// The signature a key child (of that path hash) adds to its parent's keySum.
inline std::uint32_t KeySignature(const ElementRecord& c, std::uint32_t pathHash, const CompareSnapshot& s) {
    const SubtreeDigest& below = c.subtree();
    const std::uint32_t structure = (below.nameSum << 16) ^ pathHash;
    const std::uint32_t attributes = s.ignoreAttributes ? 0u : ((below.attrSum << 8) ^ c.attrHash);
    const std::uint32_t text = s.ignoreValues ? 0u : ((below.textSum << 8) ^ c.textHash);
    return structure + attributes + text;
}

// Own attributes equal and not empty: what makes "unique attributes" pair.
inline bool OwnAttributesEqualNonEmpty(const ElementRecord& a, const ElementRecord& b) {
    return a.attrHash == b.attrHash && a.attrHash != 0 && a.attrHash16 == b.attrHash16 &&
           a.attrWeight == b.attrWeight && a.attrWeight != 0;
}

inline bool IsIdentical(const ElementRecord& a, const ElementRecord* b) {
    return IsIdentical(a, b, compareSnapshot());
}
inline bool AttributesDiffer(const ElementRecord& e) {
    return AttributesDiffer(e, compareSnapshot());
}
inline bool TextDiffers(const ElementRecord& e) {
    return TextDiffers(e, compareSnapshot());
}

// 0 equal or ignored, 1 changed, 2 without partner, under the last comparison.
inline int CompareState(const ElementRecord& e) {
    return ElementState(e, IsIdentical(e, e.partner()));
}

}  // namespace quillon
