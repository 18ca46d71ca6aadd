// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "model/document_pane.h"

namespace quillon {

// What one side did to a base element it kept, as its comparison with the
// base saw it.
namespace side_change {
constexpr std::uint8_t kSame = 1;        // the whole subtree is identical
constexpr std::uint8_t kAttributes = 2;  // own attributes differ
constexpr std::uint8_t kText = 4;        // own text differs
constexpr std::uint8_t kName = 8;        // the name differs (only roots pair so)
}  // namespace side_change

enum class Side { Ours, Theirs };

// The two comparisons of a three-way merge: BASE with OURS and BASE with
// THEIRS, each by the engine under the options in force. A record has room
// for one partner, so each result is copied out before the next comparison
// overwrites it: partners both ways by tree item, and per base element what
// each side changed.
class ThreeWayLinks {
public:
    // Both comparisons, one after the other. progress gets the pairs
    // recorded so far, over both.
    void Pair(DocumentPane& base, DocumentPane& ours, DocumentPane& theirs,
              const std::function<void(std::uint64_t)>& progress = {});

    // The partner of a base element on one side, or null.
    ElementRecord* Partner(const ElementRecord& base, Side side) const;
    // The base element an element of one side is paired with, or null.
    ElementRecord* Base(const ElementRecord& element, Side side) const;
    // side_change bits of a base element that has a partner on that side.
    std::uint8_t Change(const ElementRecord& base, Side side) const;

    // Attribute keys the engine inferred in either comparison: element name,
    // attribute name.
    const std::vector<std::pair<std::u16string, std::u16string>>& InferredKeys() const { return m_inferredKeys; }

private:
    void capture(Side side);

    DocumentPane* m_panes[3] = {nullptr, nullptr, nullptr};  // base, ours, theirs
    std::vector<TreeItem> m_baseTo[2];                       // by base item
    std::vector<TreeItem> m_toBase[2];                       // by the side's item
    std::vector<std::uint8_t> m_changes;                     // ours in the low half, theirs in the high
    std::vector<std::pair<std::u16string, std::u16string>> m_inferredKeys;
};

// The highest item of the tree, for tables by item.
TreeItem HighestItem(const TreePane& tree);

}  // namespace quillon
