// SPDX-License-Identifier: MIT
#include "compare/similarity_index.h"

#include <algorithm>
#include <utility>

#include "compare/hash_index.h"
#include "compare/identity.h"
#include "compare/pairing.h"
#include "model/document_pane.h"

namespace quillon {
namespace {

// A posting list longer than this is read only when it can still matter.
constexpr std::uint32_t kCommonDigest = 16;

// Tagged so that it never equals a child's digest (those carry a name id on top).
constexpr std::uint64_t kOwnAttributesTag = 0xFFFFFFFF00000000ull;

std::uint64_t ownAttributesKey(const ElementRecord& e) {
    return kOwnAttributesTag | (std::uint64_t(e.attrHash) ^ (std::uint64_t(e.attrHash16) << 8) ^ e.attrWeight);
}

template <class Fn>
void forEachChild(const ChildGroups& g, Fn&& fn) {
    for (std::uint32_t i = 0; i < g.memberCount; ++i)
        if (g.members[i]) fn(*g.members[i]);
}

}  // namespace

SimilarityIndex::SimilarityIndex(const std::vector<SimilarityCandidate>& from, std::vector<SimilarityCandidate>& to,
                                 const CompareSnapshot& s, ScratchArena& arena)
    : m_to(to), m_snapshot(s), m_arena(arena) {
    // Identical children must get equal digests: a term that an ignore rule
    // leaves out of some child's identity leaves the digests altogether.
    std::uint8_t rules = 0;
    for (const auto* side : {&from, static_cast<const std::vector<SimilarityCandidate>*>(&to)})
        for (const SimilarityCandidate& c : *side)
            forEachChild(*c.groups, [&](const ElementRecord& e) { rules |= e.ruleFlags; });
    m_attributeTerm = !s.ignoreAttributes && !(rules & kRuleAttributesNotCompared);
    m_textTerm = !s.ignoreValues && !(rules & kRuleTextNotCompared);

    std::vector<std::pair<std::uint64_t, std::uint32_t>> entries;
    std::vector<std::uint64_t> keys;
    for (std::uint32_t j = 0; j < to.size(); ++j) {
        keys.clear();
        addKeys(to[j], keys);
        std::sort(keys.begin(), keys.end());
        keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
        for (std::uint64_t k : keys) entries.emplace_back(k, j);
    }
    std::sort(entries.begin(), entries.end());
    m_postings.reserve(entries.size());
    for (std::size_t e = 0; e < entries.size(); ++e) {
        if (e == 0 || entries[e].first != entries[e - 1].first) {
            m_keys.push_back(entries[e].first);
            m_start.push_back(std::uint32_t(e));
        }
        m_postings.push_back(entries[e].second);
    }
    m_start.push_back(std::uint32_t(entries.size()));
    m_firstOpen.assign(m_start.begin(), m_start.end() - 1);
    m_stamp.assign(to.size(), 0);
}

void SimilarityIndex::addKeys(const SimilarityCandidate& c, std::vector<std::uint64_t>& out) const {
    const ElementKeyTerms terms{m_attributeTerm, m_textTerm};
    forEachChild(*c.groups, [&](const ElementRecord& e) {
        out.push_back((std::uint64_t(NameIdOf(e)) << 32) | ElementBucketKey(e, terms));
    });
    const ElementRecord& e = *c.element;
    if (e.attrHash != 0 && e.attrWeight != 0) out.push_back(ownAttributesKey(e));
}

std::uint32_t SimilarityIndex::score(const SimilarityCandidate& a, std::uint32_t j) {
    const SimilarityCandidate& b = m_to[j];
    m_work += ChildCountOf(*a.element) + 1;
    const bool sameAttributes = OwnAttributesEqualNonEmpty(*a.element, *b.element);
    return ScoreCandidate(*a.groups, *b.groups, 0, m_arena) + (sameAttributes ? 1u : 0u);
}

std::uint32_t SimilarityIndex::firstOpen(std::size_t key) {
    // Taken candidates never come back: skip them once for all later calls.
    std::uint32_t& p = m_firstOpen[key];
    while (p < m_start[key + 1] && m_to[m_postings[p]].removed) ++p, ++m_work;
    return p;
}

std::uint32_t SimilarityIndex::Choose(const SimilarityCandidate& a) {
    ++m_call;
    m_scratchKeys.clear();
    addKeys(a, m_scratchKeys);
    std::sort(m_scratchKeys.begin(), m_scratchKeys.end());
    m_runs.clear();
    std::uint32_t reachable = 0;  // the most any candidate not gathered yet can score
    for (std::size_t i = 0; i < m_scratchKeys.size();) {
        std::size_t k = i;
        while (k < m_scratchKeys.size() && m_scratchKeys[k] == m_scratchKeys[i]) ++k;
        const auto it = std::lower_bound(m_keys.begin(), m_keys.end(), m_scratchKeys[i]);
        if (it != m_keys.end() && *it == m_scratchKeys[i]) {
            const std::size_t at = std::size_t(it - m_keys.begin());
            m_runs.push_back({std::uint32_t(at), m_start[at + 1] - firstOpen(at), std::uint32_t(k - i)});
            reachable += std::uint32_t(k - i);
        }
        i = k;
    }
    m_work += m_scratchKeys.size();
    auto open = [&](std::uint32_t j) { return !m_to[j].removed; };

    if (m_snapshot.uniqueAttributes) {
        // Equal own attributes choose at once: the earliest such candidate.
        const ElementRecord& e = *a.element;
        const auto it = std::lower_bound(m_keys.begin(), m_keys.end(), ownAttributesKey(e));
        if (e.attrHash != 0 && e.attrWeight != 0 && it != m_keys.end() && *it == ownAttributesKey(e)) {
            const std::size_t at = std::size_t(it - m_keys.begin());
            for (std::uint32_t p = firstOpen(at); p < m_start[at + 1]; ++p) {
                const std::uint32_t j = m_postings[p];
                ++m_work;
                if (open(j) && OwnAttributesEqualNonEmpty(e, *m_to[j].element)) return j;
            }
        }
    }

    std::sort(m_runs.begin(), m_runs.end(), [](const Run& x, const Run& y) { return x.length < y.length; });
    const std::uint32_t most = reachable;
    m_gathered.clear();
    std::size_t scored = 0;
    std::uint32_t best = 0, choice = NotFound;
    auto scoreGathered = [&] {
        for (; scored < m_gathered.size(); ++scored) {
            const std::uint32_t j = m_gathered[scored];
            const std::uint32_t s = score(a, j);
            if (s > best || (s == best && s > 0 && j < choice)) {
                best = s;
                choice = j;
            }
        }
    };
    for (const Run& r : m_runs) {
        const bool common = r.length > kCommonDigest;
        if (common) {
            scoreGathered();
            if (best > reachable) break;
        }
        const std::uint32_t begin = firstOpen(r.key), end = m_start[r.key + 1];
        for (std::uint32_t p = begin; p < end; ++p) {
            const std::uint32_t j = m_postings[p];
            ++m_work;
            if (m_stamp[j] == m_call || !open(j)) continue;
            m_stamp[j] = m_call;
            m_gathered.push_back(j);
            if (common) {
                // A candidate with every digest of a cannot be beaten, and
                // any earlier one as good shares this digest too: seen already.
                scoreGathered();
                if (best == most) return choice;
            }
        }
        reachable -= r.weight;
    }
    scoreGathered();
    return choice;
}

}  // namespace quillon
