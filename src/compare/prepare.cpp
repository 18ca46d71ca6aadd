// SPDX-License-Identifier: MIT
#include "compare/prepare.h"

#include <vector>

#include "compare/identity.h"
#include "model/document_pane.h"
#include "platform/side_by_side.h"
#include "rules/rule_hooks.h"

namespace quillon {
namespace {

constexpr std::uint8_t kLowRuleBits = 0x3F;

// Steps on entering an element: ignore state, rule flags, cleared results.
// clearBackLink: also clear the partner's link back to this element.
// pathHash: the element's (ChildPathHash).
std::uint8_t enter(ElementRecord& e, std::uint32_t pathHash, std::uint8_t inherited, CompareCounters& counters,
                   bool clearBackLink) {
    const IgnoreRule* rule = e.name() ? MatchIgnoreRule(e.name()->nameId, pathHash) : nullptr;
    bool applies = true;
    if (rule && RuleHasCondition(*rule)) {
        applies = (e.ruleFlags & kConditionEvaluated) ? (e.ruleFlags & kConditionHeld) != 0 : RuleIfNotExist(*rule);
    }
    std::uint8_t state;
    if (e.ignoreState == 3 || e.ignoreState == 4) {
        state = 4;
    } else if (inherited != 0) {
        state = inherited;
    } else {
        const std::uint8_t kind = rule ? RuleKind(*rule) : 0;
        state = (rule && kind == 0) ? 2 : 0;
        if (!(e.ruleFlags & kRuleFlagsFixed))
            e.ruleFlags = std::uint8_t((e.ruleFlags & ~kLowRuleBits) | (kind & kLowRuleBits));
    }
    if (!applies) {
        state = 0;
        e.ruleFlags &= std::uint8_t(~kLowRuleBits);
    }
    e.ignoreState = state;
    if (state > 0) ++counters.IgnoredElements;

    // A partner outside the swept subtree must not keep pointing here.
    if (clearBackLink) ClearBackLink(e);
    e.setPartner(nullptr);
    if (SubtreeDigest* d = e.ownDigest()) {
        const std::uint32_t* childNames = d->childNames;
        *d = SubtreeDigest{};
        d->childNames = childNames;
    }
    e.diffFlags = 0;
    return state;
}

// Adds a prepared child that takes part in the comparison into its parent
// (whose path hash is given).
void addChild(ElementRecord& p, std::uint32_t pathHash, const ElementRecord& c, bool keyed, const CompareSnapshot& s) {
    if (c.ignoreState != 0) return;
    SubtreeDigest& d = WritableSubtree(p);
    const SubtreeDigest& below = c.subtree();
    const std::uint32_t nameId = NameIdOf(c);
    if (keyed && IsKeyOf(c, p, pathHash)) d.keySum += KeySignature(c, ChildPathHash(pathHash, nameId), s);
    d.descendantCount += below.descendantCount + 1;
    d.nameSum += nameId + below.nameSum;
    if (!(c.ruleFlags & kRuleTextNotCompared)) {
        d.textWeight = std::uint16_t(d.textWeight + below.textWeight + c.textWeight);
        const std::uint32_t h = c.textHash + below.textSum;
        d.textSum += (h + 3) * h;
        d.textProduct += (c.textHash16 + below.textProduct) * (nameId + 1);
    }
    if (!(c.ruleFlags & kRuleAttributesNotCompared)) {
        d.attrWeight = std::uint16_t(d.attrWeight + below.attrWeight + c.attrWeight);
        const std::uint32_t h = c.attrHash + below.attrSum;
        d.attrSum += (h + 7) * h;
        d.attrProduct += (c.attrHash16 + below.attrProduct) * (nameId + 1);
    }
}

void finish(ElementRecord& e) {
    if (SubtreeDigest* d = e.ownDigest()) {
        d->textProduct *= d->textSum;
        d->attrProduct *= d->attrSum;
    }
}

std::uint8_t sweep(ElementRecord* start, std::uint8_t inherited, CompareCounters& counters, bool clearBackLinks) {
    if (!start) return 0;
    const CompareSnapshot& s = compareSnapshot();
    const auto step = [&](ElementRecord& e, std::uint32_t path, std::uint8_t from) {
        enter(e, path, from, counters, clearBackLinks);
    };
    const std::uint32_t startPath = PathHashOf(*start);

    // The whole subtree lives in the start element's pane.
    if (!start->treePane()) {
        step(*start, startPath, inherited);
        finish(*start);
        return start->ignoreState;
    }
    const DocumentPane& pane = *start->treePane();
    const TreePane& tree = pane.tree;
    struct Frame {
        ElementRecord* element;
        TreeItem nextChild;
        std::uint32_t path;
        bool keyed;
    };
    std::vector<Frame> stack;
    step(*start, startPath, inherited);
    stack.push_back({start, tree.FirstChild(start->item()), startPath, IsKeyParent(*start, startPath)});
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (const TreeItem item = top.nextChild) {
            top.nextChild = tree.NextSibling(item);
            ElementRecord* child = pane.record(item);
            if (!child) continue;
            ElementRecord* parent = top.element;
            const std::uint32_t parentPath = top.path;
            const std::uint32_t path = ChildPathHash(parentPath, NameIdOf(*child));
            step(*child, path, parent->ignoreState);
            if (const TreeItem grandchild = tree.FirstChild(item)) {
                stack.push_back({child, grandchild, path, IsKeyParent(*child, path)});  // `top` is stale from here
            } else {
                finish(*child);
                addChild(*parent, parentPath, *child, top.keyed, s);
            }
            continue;
        }
        ElementRecord* done = top.element;
        finish(*done);
        stack.pop_back();
        if (!stack.empty()) addChild(*stack.back().element, stack.back().path, *done, stack.back().keyed, s);
    }
    return start->ignoreState;
}

// Documents at least this large (in records, each) are swept on two threads.
constexpr std::size_t kSweepSidesAtOnce = std::size_t(1) << 16;

}  // namespace

std::uint8_t PrepareSubtree(ElementRecord* start, std::uint8_t inherited) {
    return sweep(start, inherited, compareCounters(), true);
}

void PrepareDocuments(ElementRecord* left, ElementRecord* right) {
    const auto large = [](const ElementRecord* root) {
        return root && root->treePane() && root->treePane()->tree.Count() >= kSweepSidesAtOnce;
    };
    if (large(left) && large(right)) {
        // Pairs only ever link two elements below the two roots, so each
        // sweep clears its own half of every link; reaching into the other
        // tree would race with the sweep there.
        CompareCounters rightCounters;
        RunSideBySide(
            true, [&] { sweep(left, 0, compareCounters(), false); }, [&] { sweep(right, 0, rightCounters, false); });
        compareCounters().IgnoredElements += rightCounters.IgnoredElements;
        return;
    }
    PrepareSubtree(left, 0);
    PrepareSubtree(right, 0);
}

}  // namespace quillon
