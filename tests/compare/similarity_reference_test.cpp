// SPDX-License-Identifier: MIT
// The indexed similarity pass chooses the pairs that scoring every leftover
// against every other chooses. The reference below is that plain pass, run on
// the root's children of generated pairs before the engine pairs them.

#include <random>
#include <string>
#include <vector>

#include "compare/child_groups.h"
#include "compare/compare_state.h"
#include "compare/pairing.h"
#include "compare/prepare.h"
#include "compare_fixture.h"

namespace quillon::test {
namespace {

std::vector<ElementRecord*> Children(const DocumentPane& pane) {
    std::vector<ElementRecord*> out;
    for (ElementRecord* e = FirstChildRecord(RootRecord(pane)); e; e = NextSiblingRecord(e)) out.push_back(e);
    return out;
}

// The root's children pairs, as (left index, right index), at Full, in order.
std::vector<std::pair<int, int>> ReferencePairs(const DocumentPane& leftPane, const DocumentPane& rightPane) {
    const CompareSnapshot& s = compareSnapshot();
    std::vector<ElementRecord*> x = Children(leftPane), y = Children(rightPane);
    const bool swapped = y.size() < x.size();
    if (swapped) std::swap(x, y);
    std::vector<int> partner(x.size(), -1);
    std::vector<bool> taken(y.size(), false);
    std::size_t matched = 0;
    for (std::size_t i = 0; i < x.size(); ++i)
        for (std::size_t j = 0; j < y.size(); ++j)
            if (!taken[j] && IsIdentical(*x[i], y[j], s)) {
                partner[i] = int(j), taken[j] = true, ++matched;
                break;
            }
    ScratchArena arena;
    std::vector<ChildGroups*> gx, gy;
    for (ElementRecord* e : x) gx.push_back(BuildChildGroups(e, arena));
    for (ElementRecord* e : y) gy.push_back(BuildChildGroups(e, arena));
    if (x.size() != y.size() || matched + 1 != x.size()) {  // not one left on each side
        for (std::size_t i = 0; i < x.size(); ++i) {
            if (partner[i] >= 0) continue;
            std::uint32_t best = 0;
            int choice = -1;
            for (std::size_t j = 0; j < y.size(); ++j) {
                if (taken[j]) continue;
                const bool same = OwnAttributesEqualNonEmpty(*x[i], *y[j]);
                if (s.uniqueAttributes && same) {
                    choice = int(j);
                    break;
                }
                const std::uint32_t score = ScoreCandidate(*gx[i], *gy[j], best, arena) + (same ? 1u : 0u);
                if (score > best) best = score, choice = int(j);
            }
            if (choice >= 0) partner[i] = choice, taken[choice] = true;
        }
    }
    std::size_t q = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        if (partner[i] >= 0) continue;
        while (q < y.size() && taken[q]) ++q;
        if (q == y.size()) break;
        partner[i] = int(q), taken[q] = true;
    }
    std::vector<std::pair<int, int>> out;
    for (std::size_t i = 0; i < x.size(); ++i)
        if (partner[i] >= 0) out.push_back(swapped ? std::pair{partner[i], int(i)} : std::pair{int(i), partner[i]});
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<std::pair<int, int>> EnginePairs(const DocumentPane& leftPane, const DocumentPane& rightPane) {
    const std::vector<ElementRecord*> x = Children(leftPane), y = Children(rightPane);
    std::vector<std::pair<int, int>> out;
    for (std::size_t i = 0; i < x.size(); ++i)
        for (std::size_t j = 0; j < y.size(); ++j)
            if (x[i]->partner() == y[j]) out.emplace_back(int(i), int(j));
    return out;
}

// Records of a few children drawn from small sets, so that many share some.
std::string Records(std::mt19937& random, int count) {
    std::string xml = "<r>";
    for (int k = 0; k < count; ++k) {
        xml += random() % 4 == 0 ? "<i s='1'>" : "<i>";
        for (int c = 1 + int(random() % 4); c > 0; --c) {
            const char name = char('a' + random() % 3);
            const std::uint32_t value = random() % 8 == 0 ? 100 + random() % 1000 : random() % 3;
            xml += std::string("<") + name + ">" + std::to_string(value) + "</" + name + ">";
        }
        xml += "</i>";
    }
    return xml + "</r>";
}

class SimilarityReferenceTest : public CompareTest {};

TEST_F(SimilarityReferenceTest, IndexedPassChoosesTheSamePairsAsScoringAll) {
    options().PairRelatedOnly = 0;
    std::mt19937 random(7);
    for (int round = 0; round < 40; ++round) {
        options().UniqueAttributes = round % 4 == 3;
        Load(Records(random, 30 + int(random() % 60)), Records(random, 30 + int(random() % 60)));
        TakeCompareSnapshot(options());
        PrepareSubtree(RootRecord(left), 0);
        PrepareSubtree(RootRecord(right), 0);
        const auto expected = ReferencePairs(left, right);
        Compare();
        EXPECT_EQ(EnginePairs(left, right), expected) << "round " << round;
        EXPECT_EQ(pairingReport().cappedGroups, 0u);
    }
}

TEST_F(SimilarityReferenceTest, WorkLimitPairsTheRestInOrder) {
    // Every record shares one child with every other; one more child is
    // shared only with a record that has nothing else. No candidate can
    // reach the best conceivable score, so each record would read them all.
    std::string l = "<r>", r = "<r>";
    for (int k = 0; k < 3000; ++k) {
        l += "<i><t>x</t><w>c</w><v>l" + std::to_string(k) + "</v></i>";
        r += "<i><t>x</t><v>r" + std::to_string(k) + "</v></i>";
    }
    r += "<i><w>c</w></i>";
    options().PairRelatedOnly = 0;
    Compare(l + "</r>", r + "</r>");
    EXPECT_EQ(pairingReport().cappedGroups, 1u);
    EXPECT_EQ(counters().ChangedPairs, 6001u);  // records, their values, the root
    const std::vector<ElementRecord*> items = Children(left);
    EXPECT_EQ(PartnerText(NextSiblingRecord(NextSiblingRecord(FirstChildRecord(items.back())))), "r2999");
}

}  // namespace
}  // namespace quillon::test
