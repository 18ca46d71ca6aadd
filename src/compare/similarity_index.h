// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <vector>

#include "compare/child_groups.h"
#include "compare/compare_state.h"

namespace quillon {

// A leftover element that similarity pairing may still pair.
struct SimilarityCandidate {
    ElementRecord* element;
    ChildGroups* groups;
    bool removed;
};

// Finds the most similar untaken candidate of one side for an element of the
// other, the same one a score against every candidate would find (the most
// identical children, plus one for equal non-empty own attributes; the
// earliest on equal scores; nothing when no candidate scores above 0), but
// scores only the candidates that share a child's or the attributes' digest
// with it. Digests shared by many candidates are looked at last, and not at
// all once the best score found cannot be reached through them.
class SimilarityIndex {
public:
    SimilarityIndex(const std::vector<SimilarityCandidate>& from, std::vector<SimilarityCandidate>& to,
                    const CompareSnapshot& s, ScratchArena& arena);

    // Position in `to` of the partner for a, or NotFound.
    std::uint32_t Choose(const SimilarityCandidate& a);

    // Postings read and children scored so far: what bounds the work per parent.
    std::uint64_t Work() const { return m_work; }

private:
    struct Run {
        std::uint32_t key, length, weight;  // digest position, open postings, a's count of it
    };
    std::uint32_t firstOpen(std::size_t key);
    void addKeys(const SimilarityCandidate& c, std::vector<std::uint64_t>& out) const;
    std::uint32_t score(const SimilarityCandidate& a, std::uint32_t j);

    std::vector<SimilarityCandidate>& m_to;
    const CompareSnapshot& m_snapshot;
    ScratchArena& m_arena;
    bool m_attributeTerm = true, m_textTerm = true;
    std::vector<std::uint64_t> m_keys;      // distinct digests, ascending
    std::vector<std::uint32_t> m_start;     // m_keys.size() + 1 offsets into m_postings
    std::vector<std::uint32_t> m_postings;  // candidates of `to` per digest, ascending
    std::vector<std::uint32_t> m_firstOpen; // per digest: postings before it are all taken
    std::vector<std::uint32_t> m_stamp;     // per candidate: the call that last gathered it
    std::uint32_t m_call = 0;
    std::uint64_t m_work = 0;
    std::vector<std::uint64_t> m_scratchKeys;
    std::vector<Run> m_runs;
    std::vector<std::uint32_t> m_gathered;
};

}  // namespace quillon
