// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace quillon {

struct ElementRecord;

// An element keeps at most this many distinct child names; children whose
// name does not fit take part in no name group.
constexpr std::uint32_t kChildNameCapacity = 2048;

// Stores a copy of a child-name table (ids and their counts, n entries) in
// the record's pane and makes it the record's table; n = 0 leaves none.
// Elements with the same table share one. The old table stays in the pane's
// arena until the pane is cleared.
void SetChildNameTable(ElementRecord& record, const std::uint32_t* ids, const std::uint32_t* counts, std::uint32_t n);

// Position of nameId in the record's table, or distinctChildNameCount.
std::uint32_t FindChildName(const ElementRecord& record, std::uint32_t nameId);

// Counts one more child named nameId: its count grows, or it is appended
// with count 1. False when the table is full and the name is not in it.
bool CountChildName(ElementRecord& record, std::uint32_t nameId);

}  // namespace quillon
