// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>

#include "compare/child_groups.h"

namespace quillon {

struct ElementRecord;

// Called now and then during pairing with the number of pairs recorded so far.
using PairingProgress = std::function<void(std::uint64_t pairsRecorded)>;

// Pairs two prepared subtrees top-down: the two starting elements whatever
// their names, below them only same-named children of paired parents, under
// the level and order options and the snapshot in force. Records partners,
// counts pairs and leaves the summary bits in diffFlags. The descent runs on
// an explicit work stack, so document depth is limited only by memory.
void PairElements(ElementRecord* first, ElementRecord* second, const PairingProgress& progress = {});

// Links the two elements as partners and counts the pair.
void RecordPair(ElementRecord* first, ElementRecord* second);

// Whether the similarity pass may run on groups of nX and nY elements of which
// `matched` are paired already, under the current CompareLevel.
bool SimilarityAllowed(std::uint32_t nX, std::uint32_t nY, std::uint32_t matched);

// How many elements of the smaller array have an identical partner in the
// larger one; aligns the larger array so that partners share positions.
std::uint32_t CountIdentical(ElementRecord** x, std::uint32_t nX, ElementRecord** y, std::uint32_t nY,
                             ScratchArena& arena);

// The number of identical children two candidates share, stopping early once
// the first can no longer beat `best`.
std::uint32_t ScoreCandidate(const ChildGroups& a, const ChildGroups& b, std::uint32_t best, ScratchArena& arena);

}  // namespace quillon
