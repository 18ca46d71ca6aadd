// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace quillon {

struct ElementRecord;

// The navigation commands. 572 to 575 are the same-level forms of 563 to 566;
// with Ctrl held, 563 to 566 act as them.
constexpr std::uint32_t kNextDifference = 563;
constexpr std::uint32_t kPreviousDifference = 564;
constexpr std::uint32_t kNextDeleted = 565;
constexpr std::uint32_t kPreviousDeleted = 566;
constexpr std::uint32_t kNextDifferenceSameLevel = 572;
constexpr std::uint32_t kPreviousDifferenceSameLevel = 573;
constexpr std::uint32_t kNextDeletedSameLevel = 574;
constexpr std::uint32_t kPreviousDeletedSameLevel = 575;
// The next and previous element with a difference of any kind.
constexpr std::uint32_t kNextChange = 1621;
constexpr std::uint32_t kPreviousChange = 1622;

// The targets of the navigation commands for one pane, computed when the
// selection moves to `anchor`. "Changed" elements have state 1, "unpaired"
// ones state 2 (on the right pane: the added elements), "different" either.
// Same-level targets are never deeper than the anchor. Null: none (or not
// computed yet).
// Note: the fields point at records of the pane; clear the state (see
// ResetNavigationStates) whenever records may be destroyed: a load, a
// filtered view, an edit of the tree.
struct NavigationState {
    ElementRecord* anchor = nullptr;
    ElementRecord* nextChanged = nullptr;
    ElementRecord* nextUnpaired = nullptr;
    ElementRecord* prevChanged = nullptr;
    ElementRecord* prevUnpaired = nullptr;
    ElementRecord* nextDifferent = nullptr;
    ElementRecord* prevDifferent = nullptr;
    ElementRecord* nextChangedSameLevel = nullptr;
    ElementRecord* nextUnpairedSameLevel = nullptr;
    ElementRecord* prevChangedSameLevel = nullptr;
    ElementRecord* prevUnpairedSameLevel = nullptr;
};

// One state per pane and the current table: the state of the pane whose
// selection changed last while a comparison result was shown, or none.
struct NavigationTables {
    NavigationState left;
    NavigationState right;
    const NavigationState* current = nullptr;
};

// The process-wide tables.
NavigationTables& navigationTables();

// Clears both states and leaves no current table.
void ResetNavigationStates(NavigationTables& tables = navigationTables());

// The next element after e in pre-order with state 1 or 2, never entering the
// children of an element with state 0 (nor any children when descend is off).
// depth counts steps down from where the walk began and never goes below 0;
// lastSameLevel receives the last element reached at depth 0. Null at the
// end of the document: the walk does not wrap around.
ElementRecord* WalkForward(ElementRecord* e, bool descend, std::uint32_t& depth, ElementRecord*& lastSameLevel);

// The same in reverse pre-order; null at the start of the document.
ElementRecord* WalkBackward(ElementRecord* e, bool descend, std::uint32_t& depth, ElementRecord*& lastSameLevel);

// Recomputes the state for a new selection x, reusing the one target that is
// known to stay right when x is the previous next (or previous) difference.
// False, with the state untouched, when x is null or already the anchor.
bool UpdateNavigation(NavigationState& state, ElementRecord* x);

// The selection of a pane moved to record: while a comparison result is
// shown, that pane's state becomes the current table and is brought up to
// date. True when the targets were recomputed (the commands' enabling may
// have changed).
bool NavigationSelectionChanged(NavigationTables& tables, NavigationState& paneState, ElementRecord* record);

// The element a navigation command goes to, or null (no target, unknown
// command). With ctrlHeld, 563 to 566 take their same-level targets.
ElementRecord* NavigationTarget(const NavigationState& state, std::uint32_t command, bool ctrlHeld);
// The same from the current table; null when there is none.
ElementRecord* NavigationTarget(const NavigationTables& tables, std::uint32_t command, bool ctrlHeld);

}  // namespace quillon
