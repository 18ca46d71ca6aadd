// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "compare/compare_state.h"
#include "compare/pairing.h"
#include "platform/notifier.h"

namespace quillon {

struct DocumentPane;
struct ElementRecord;

// View menu entries that decide what a comparison leaves in the trees.
constexpr std::uint32_t kViewNormal = 1086;
constexpr std::uint32_t kViewOnlyDifferences = 1087;
constexpr std::uint32_t kViewOnlySimilarities = 1088;

// Process-wide state around comparisons.
struct CompareCommandState {
    bool Compared = false;      // a comparison result is present in the panes
    bool ViewFiltered = false;  // items were removed by a filtered view
    std::uint32_t ViewMode = kViewNormal;
};
CompareCommandState& compareCommandState();

// What a compare command asks of the window shell. Every operation does
// nothing by default, which is what the console program and tests need.
class CompareHost {
public:
    virtual ~CompareHost() = default;
    // Reloads both documents from their file-name boxes, without questions.
    virtual void ReloadBoth() {}
    virtual void EnableSaveCommands() {}
    // The status bar's outcome part: "Comparing...", "Compared".
    virtual void SetStatusText(std::u16string_view) {}
    virtual void SetWindowTitle(std::u16string_view) {}
    // Selections back, roots collapsed and expanded, the given elements'
    // items expanded, navigation reset.
    virtual void RefreshPanes(ElementRecord*, ElementRecord*) {}
    // ExpandDifferences changed the expanded state of items in both panes.
    virtual void DifferencesExpanded() {}
};

// Compares the two documents from their roots and shows the result message.
// False (and Compared false) when either pane is missing or empty. The file
// names are the texts of the two file-name boxes, for the window title.
bool CompareFiles(DocumentPane* left, DocumentPane* right, CompareHost& host, std::u16string_view leftName = {},
                  std::u16string_view rightName = {}, const PairingProgress& progress = {});

// Compares the selected element of each pane. Refused with a message while
// the trees are filtered or when a pane has no selected element.
bool CompareElements(DocumentPane* left, DocumentPane* right, CompareHost& host);

// The "Result" message for the counters of the last comparison; total is
// both starting elements' descendant counts plus 2.
struct ResultMessage {
    std::u16string text;
    MessageIcon icon = MessageIcon::Information;
    bool identical = true;
};
ResultMessage BuildResultMessage(const CompareCounters& c, std::uint64_t total, bool documents);

// The elements of the two compared subtrees that got no partner.
std::uint64_t UnpairedCount(const CompareCounters& c, std::uint64_t total);

// "left - right [Quillon]", long names shortened with "...".
std::u16string CompareWindowTitle(std::u16string_view leftName, std::u16string_view rightName);

// Removes from the element's subtree (never the starting element) what the
// view does not show: equal elements for Only Differences, changed and
// unpaired ones for Only Similarities, each together with its partner's
// subtree in the other pane. Sets ViewFiltered when anything is removed.
void FilterView(ElementRecord* start, bool onlySimilarities);

// Expands the parent item of every element below start whose state is not 0.
void ExpandDifferences(ElementRecord* start);

}  // namespace quillon
