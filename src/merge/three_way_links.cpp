// SPDX-License-Identifier: MIT
#include "merge/three_way_links.h"

#include <algorithm>

#include "compare/compare_state.h"
#include "compare/identity.h"
#include "compare/pairing.h"
#include "compare/prepare.h"
#include "settings/options.h"

namespace quillon {

TreeItem HighestItem(const TreePane& tree) {
    TreeItem highest = 0;
    for (TreeItem it = tree.Root(); it; it = tree.NextInOrder(it)) highest = std::max(highest, it);
    return highest;
}

void ThreeWayLinks::Pair(DocumentPane& base, DocumentPane& ours, DocumentPane& theirs,
                         const std::function<void(std::uint64_t)>& progress) {
    m_panes[0] = &base;
    m_panes[1] = &ours;
    m_panes[2] = &theirs;
    m_changes.assign(std::size_t(HighestItem(base.tree)) + 1, 0);
    m_inferredKeys.clear();
    TakeCompareSnapshot(options());
    std::uint64_t firstPairs = 0;
    for (const Side side : {Side::Ours, Side::Theirs}) {
        const int s = int(side);
        DocumentPane& other = *m_panes[s + 1];
        m_baseTo[s].assign(m_changes.size(), kNoItem);
        m_toBase[s].assign(std::size_t(HighestItem(other.tree)) + 1, kNoItem);
        ResetCompareCounters();
        UseSnapshotMode(base, other);
        ElementRecord* baseRoot = RootRecord(base);
        ElementRecord* otherRoot = RootRecord(other);
        PrepareDocuments(baseRoot, otherRoot);
        PairingProgress pairing;
        if (progress) pairing = [&, offset = firstPairs](std::uint64_t pairs) { progress(offset + pairs); };
        PairElements(baseRoot, otherRoot, pairing);
        const CompareCounters& c = compareCounters();
        firstPairs = c.EqualPairs + c.ChangedPairs;
        capture(side);
    }
}

namespace {

// Two elements whose keys, as the user set them, differ are two elements,
// whatever the pairing made of them (it pairs the last one left on each
// side whatever they hold): merging one into the other would put THEIRS's
// element in the place of another.
bool keysDiffer(const ElementRecord& a, const ElementRecord& b, const CompareSnapshot& s) {
    if (KeyAttrSignatureOf(a) && KeyAttrSignatureOf(b) && !KeyAttributesEqual(a, b, s)) return true;
    const std::uint32_t x = a.subtree().keySum, y = b.subtree().keySum;
    return x != 0 && y != 0 && x != y;
}

}  // namespace

void ThreeWayLinks::capture(Side side) {
    const int s = int(side);
    const DocumentPane& base = *m_panes[0];
    const CompareSnapshot& snapshot = compareSnapshot();
    const int shift = side == Side::Ours ? 0 : 4;
    for (TreeItem it = base.tree.Root(); it; it = base.tree.NextInOrder(it)) {
        const ElementRecord& b = *base.record(it);
        const ElementRecord* p = b.partner();
        if (!p || keysDiffer(b, *p, snapshot)) continue;
        m_baseTo[s][it] = p->item();
        m_toBase[s][p->item()] = it;
        std::uint8_t change = 0;
        if (IsIdentical(b, p, snapshot)) change |= side_change::kSame;
        if (AttributesDiffer(b, snapshot)) change |= side_change::kAttributes;
        if (TextDiffers(b, snapshot)) change |= side_change::kText;
        if (NameIdOf(b) != NameIdOf(*p)) change |= side_change::kName;
        m_changes[it] |= std::uint8_t(change << shift);
    }
    for (const InferredKeyUse& k : pairingReport().inferredKeys) {
        const std::pair<std::u16string, std::u16string> key(k.element, k.attribute);
        if (std::find(m_inferredKeys.begin(), m_inferredKeys.end(), key) == m_inferredKeys.end())
            m_inferredKeys.push_back(key);
    }
}

ElementRecord* ThreeWayLinks::Partner(const ElementRecord& base, Side side) const {
    const std::vector<TreeItem>& links = m_baseTo[int(side)];
    const TreeItem item = base.item();
    return item < links.size() && links[item] ? m_panes[int(side) + 1]->record(links[item]) : nullptr;
}

ElementRecord* ThreeWayLinks::Base(const ElementRecord& element, Side side) const {
    const std::vector<TreeItem>& links = m_toBase[int(side)];
    const TreeItem item = element.item();
    return item < links.size() && links[item] ? m_panes[0]->record(links[item]) : nullptr;
}

std::uint8_t ThreeWayLinks::Change(const ElementRecord& base, Side side) const {
    const TreeItem item = base.item();
    if (item >= m_changes.size()) return 0;
    return std::uint8_t((side == Side::Ours ? m_changes[item] : m_changes[item] >> 4) & 0x0F);
}

}  // namespace quillon
