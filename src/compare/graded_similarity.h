// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "compare/compare_state.h"
#include "compare/key_inference.h"
#include "model/element_record.h"

namespace quillon {

// A leftover of a group that similarity may still pair.
struct GradedCandidate {
    ElementRecord* element;
    std::uint64_t key;  // its value of the group's inferred key; 0 without one
};

// How alike two leftovers must be to pair: two fifths of what they hold,
// weighed; nearly all of it when their keys differ (a renamed key).
constexpr double kRelatedShare = 0.4;
constexpr double kRenamedKeyShare = 0.8;

struct GradedPairing {
    std::vector<std::pair<std::uint32_t, std::uint32_t>> pairs;  // positions in the two lists
    bool capped = false;  // the work limit was reached before every leftover was looked at
};

// Pairs leftovers by how alike they are: the words of their text, their
// attribute values and their children, each weighed by how rare it is in the
// group (a value most members share, like a category or a language tag,
// weighs little). Pairs below the threshold stay apart; among the others the
// most alike pair first, the earlier in document order on a tie.
// groupX/groupY: all members of the group, for how rare a value is (null
// slots take no part). key: the group's key, left out of the weighing, and
// its position fields, which count a quarter. work: how many postings and
// features the search may read.
GradedPairing PairByGradedSimilarity(const std::vector<GradedCandidate>& la, const std::vector<GradedCandidate>& lb,
                                     ElementRecord* const* groupX, std::uint32_t nX, ElementRecord* const* groupY,
                                     std::uint32_t nY, const InferredKey& key, const CompareSnapshot& s,
                                     std::uint64_t work);

// How alike two elements are, 0 to 1, weighed as above with both elements
// as the whole group, the fields given left out.
double GradedSimilarity(const ElementRecord& a, const ElementRecord& b, const CompareSnapshot& s,
                        const std::vector<KeyField>& leftOut);

}  // namespace quillon
