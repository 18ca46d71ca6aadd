// SPDX-License-Identifier: MIT
#include "compare/navigation.h"

#include "compare/compare_commands.h"
#include "compare/identity.h"
#include "model/document_pane.h"

namespace quillon {
namespace {

int stateOf(const ElementRecord* e) {
    return e ? CompareState(*e) : 0;
}
bool isTarget(int state) {
    return state == 1 || state == 2;
}

// The walks, also handing back the state of the element they stop at so the
// callers need not ask again.
ElementRecord* walkForward(ElementRecord* e, bool descend, std::uint32_t& depth, ElementRecord*& last, int& state) {
    if (!e || !e->treePane()) return nullptr;
    const DocumentPane& pane = *e->treePane();
    const TreePane& tree = pane.tree;
    TreeItem item = e->item();
    int current = stateOf(e);
    for (;;) {
        const TreeItem child = (descend && current != 0) ? tree.FirstChild(item) : kNoItem;
        if (child) {
            item = child;
            ++depth;
        } else {
            while (!tree.NextSibling(item)) {
                item = tree.Parent(item);
                if (!item) return nullptr;
                if (depth) --depth;
            }
            item = tree.NextSibling(item);
        }
        ElementRecord* r = pane.record(item);
        if (depth == 0 && r) last = r;
        current = stateOf(r);
        if (isTarget(current)) {
            state = current;
            return r;
        }
    }
}

ElementRecord* walkBackward(ElementRecord* e, bool descend, std::uint32_t& depth, ElementRecord*& last, int& state) {
    if (!e || !e->treePane()) return nullptr;
    const DocumentPane& pane = *e->treePane();
    const TreePane& tree = pane.tree;
    TreeItem item = e->item();
    for (;;) {
        int current;
        if (const TreeItem prev = tree.PrevSibling(item)) {
            item = prev;
            current = stateOf(pane.record(item));
            while (descend && isTarget(current) && tree.LastChild(item)) {
                item = tree.LastChild(item);
                ++depth;
                current = stateOf(pane.record(item));
            }
        } else {
            item = tree.Parent(item);
            if (!item) return nullptr;
            if (depth) --depth;
            current = stateOf(pane.record(item));
        }
        ElementRecord* r = pane.record(item);
        if (depth == 0 && r) last = r;
        if (isTarget(current)) {
            state = current;
            return r;
        }
    }
}

void fillOnce(ElementRecord*& field, ElementRecord* e) {
    if (!field) field = e;
}

// Which targets one direction of the search fills.
struct Direction {
    ElementRecord* NavigationState::*changed;
    ElementRecord* NavigationState::*unpaired;
    ElementRecord* NavigationState::*different;
    ElementRecord* NavigationState::*changedSameLevel;
    ElementRecord* NavigationState::*unpairedSameLevel;
    ElementRecord* (*walk)(ElementRecord*, bool, std::uint32_t&, ElementRecord*&, int&);
};

constexpr Direction kForward{&NavigationState::nextChanged,           &NavigationState::nextUnpaired,
                             &NavigationState::nextDifferent,         &NavigationState::nextChangedSameLevel,
                             &NavigationState::nextUnpairedSameLevel, walkForward};
constexpr Direction kBackward{&NavigationState::prevChanged,           &NavigationState::prevUnpaired,
                              &NavigationState::prevDifferent,         &NavigationState::prevChangedSameLevel,
                              &NavigationState::prevUnpairedSameLevel, walkBackward};

// The full search in one direction, then the same-level search that goes on
// from the last element the full search reached on the anchor's level.
void search(NavigationState& s, const Direction& d, ElementRecord* x, bool needChanged, bool needUnpaired) {
    std::uint32_t depth = 0;
    ElementRecord* last = nullptr;
    ElementRecord* e = x;
    int state = 0;
    while ((!(s.*d.unpaired) && needUnpaired) || (!(s.*d.changed) && needChanged)) {
        e = d.walk(e, true, depth, last, state);
        if (!e) break;
        fillOnce(s.*(state == 2 ? d.unpaired : d.changed), e);
        fillOnce(s.*d.different, e);
        if (depth == 0) fillOnce(s.*(state == 2 ? d.unpairedSameLevel : d.changedSameLevel), e);
    }

    // Without descending the walk never goes below the level it starts on.
    std::uint32_t flat = 0;
    ElementRecord* unused = nullptr;
    e = last ? last : x;
    while (!(s.*d.unpairedSameLevel) || !(s.*d.changedSameLevel)) {
        e = d.walk(e, false, flat, unused, state);
        if (!e) break;
        fillOnce(s.*(state == 2 ? d.unpairedSameLevel : d.changedSameLevel), e);
    }
}

}  // namespace

NavigationTables& navigationTables() {
    static NavigationTables instance;
    return instance;
}

void ResetNavigationStates(NavigationTables& tables) {
    tables = NavigationTables{};
}

ElementRecord* WalkForward(ElementRecord* e, bool descend, std::uint32_t& depth, ElementRecord*& lastSameLevel) {
    int state = 0;
    return walkForward(e, descend, depth, lastSameLevel, state);
}

ElementRecord* WalkBackward(ElementRecord* e, bool descend, std::uint32_t& depth, ElementRecord*& lastSameLevel) {
    int state = 0;
    return walkBackward(e, descend, depth, lastSameLevel, state);
}

bool UpdateNavigation(NavigationState& s, ElementRecord* x) {
    if (!x || x == s.anchor) return false;

    bool needChanged = true;
    bool needUnpaired = true;
    NavigationState kept;
    if (s.anchor) {
        // Nothing found either way from the old anchor, and the anchor itself
        // is none of them: the pane has no such element at all.
        const int old = stateOf(s.anchor);
        if (!s.nextChanged && !s.prevChanged && old != 1) needChanged = false;
        if (!s.nextUnpaired && !s.prevUnpaired && old != 2) needUnpaired = false;
        // Moving onto the next (previous) difference leaves the next (previous)
        // target of the other kind where it was.
        if (x == s.nextDifferent) {
            if (x == s.nextUnpaired)
                kept.nextChanged = s.nextChanged;
            else
                kept.nextUnpaired = s.nextUnpaired;
        } else if (x == s.prevDifferent) {
            if (x == s.prevUnpaired)
                kept.prevChanged = s.prevChanged;
            else
                kept.prevUnpaired = s.prevUnpaired;
        }
    }
    s = kept;
    s.anchor = x;
    search(s, kForward, x, needChanged, needUnpaired);
    search(s, kBackward, x, needChanged, needUnpaired);
    return true;
}

bool NavigationSelectionChanged(NavigationTables& tables, NavigationState& paneState, ElementRecord* record) {
    if (!compareCommandState().Compared || !record) return false;
    tables.current = &paneState;
    return UpdateNavigation(paneState, record);
}

ElementRecord* NavigationTarget(const NavigationState& s, std::uint32_t command, bool ctrlHeld) {
    if (ctrlHeld && command >= kNextDifference && command <= kPreviousDeleted)
        command += kNextDifferenceSameLevel - kNextDifference;
    switch (command) {
        case kNextDifference:
            return s.nextChanged;
        case kPreviousDifference:
            return s.prevChanged;
        case kNextDeleted:
            return s.nextUnpaired;
        case kPreviousDeleted:
            return s.prevUnpaired;
        case kNextDifferenceSameLevel:
            return s.nextChangedSameLevel;
        case kPreviousDifferenceSameLevel:
            return s.prevChangedSameLevel;
        case kNextDeletedSameLevel:
            return s.nextUnpairedSameLevel;
        case kPreviousDeletedSameLevel:
            return s.prevUnpairedSameLevel;
        // A search that stopped short of any element leaves the one kept
        // target: the only kind the pane has in that direction.
        case kNextChange:
            return s.nextDifferent ? s.nextDifferent : (s.nextChanged ? s.nextChanged : s.nextUnpaired);
        case kPreviousChange:
            return s.prevDifferent ? s.prevDifferent : (s.prevChanged ? s.prevChanged : s.prevUnpaired);
        default:
            return nullptr;
    }
}

ElementRecord* NavigationTarget(const NavigationTables& tables, std::uint32_t command, bool ctrlHeld) {
    return tables.current ? NavigationTarget(*tables.current, command, ctrlHeld) : nullptr;
}

}  // namespace quillon
