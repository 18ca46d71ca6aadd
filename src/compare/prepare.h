// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace quillon {

struct ElementRecord;

// The preparation sweep over one subtree, children before their parent:
// decides every element's ignore state from the rules and the marks, clears
// the previous result and computes the subtree digests, descendant counts
// and key sums the pairing reads. Counts ignored elements in the counters.
// Runs on an explicit stack, so any depth is fine. Returns the start
// element's ignore state.
std::uint8_t PrepareSubtree(ElementRecord* start, std::uint8_t inherited);

// The same sweep over two whole documents from their roots; large ones are
// swept at the same time.
void PrepareDocuments(ElementRecord* leftRoot, ElementRecord* rightRoot);

}  // namespace quillon
