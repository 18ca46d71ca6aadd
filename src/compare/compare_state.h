// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace quillon {

struct Options;

// The options a comparison runs under. Each compare command copies them from
// the options record; the engine and the predicates used for painting read
// this copy until the next compare command.
struct CompareSnapshot {
    unsigned mode = 0;  // FlagComparsion: bit 0 ignore white space, bit 1 ignore case
    bool ignoreAttributes = false;
    bool ignoreValues = false;
    bool uniqueAttributes = false;
};

// The counters of the last comparison. They are 64 bits wide so that they
// never wrap, whatever the size of the two documents.
struct CompareCounters {
    std::uint64_t EqualPairs = 0;
    std::uint64_t ChangedPairs = 0;
    std::uint64_t IgnoredElements = 0;
    std::uint64_t OwnChangedPairs = 0;
};

// The process-wide snapshot and counters.
CompareSnapshot& compareSnapshot();
CompareCounters& compareCounters();

// Copies FlagComparsion, IgnoreAttributes, IgnoreValues and UniqueAttributes.
void TakeCompareSnapshot(const Options& o);
// Sets the four counters to 0.
void ResetCompareCounters();

}  // namespace quillon
