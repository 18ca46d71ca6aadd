// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>

namespace quillon {

struct DocumentPane;
struct ElementRecord;

// The hashes of an element's own attributes and text in each comparison mode
// (0 exact, 1 without white space, 2 folded, 3 folded without white space).
// A record holds those of its pane's current mode only; the others are folded
// again from its stored strings when the mode changes.
struct ModeHashes {
    std::array<std::uint32_t, 4> attr{};
    std::array<std::uint32_t, 4> text{};
    std::array<std::uint16_t, 4> attr16{};
    std::array<std::uint16_t, 4> text16{};
};

// Gives the record its hashes in the pane's mode. With keep, all four modes
// are kept beside the pane's records as well: for an element whose stored
// strings do not give its hashes again (text in several pieces, attributes a
// rule left out, a copy from another document).
void SetModeHashes(ElementRecord& record, const ModeHashes& hashes, bool keep);

// The record's hashes in every mode: those kept, or its strings folded again
// by the pane's loader. A record outside a pane has its own mode's only,
// repeated.
ModeHashes AllModeHashes(const ElementRecord& record);

// Makes every record of the pane hold its hashes in the given mode; nothing
// to do when they already do.
void SwitchHashMode(DocumentPane& pane, unsigned mode);

}  // namespace quillon
