// SPDX-License-Identifier: MIT
// A large set of sibling pairs is paired by two threads when nobody watches
// the progress. Everything pairing leaves behind must be what one thread
// leaves: partners, summary bits, counters and the report, in its order.

#include <string>
#include <unordered_map>
#include <vector>

#include "compare/compare_state.h"
#include "compare_fixture.h"
#include "platform/side_by_side.h"

namespace quillon::test {
namespace {

constexpr int kItems = 12000;  // well past the size that is shared

// Items keyed by sku, all changed on the right, a few dropped or added.
// Every 64th item holds a group of its own element name that only a key
// inferred from it pairs, so the report lists one key per such item, in the
// order one thread meets them (from the end of the document); some items
// hold notes that only similarity can pair.
std::string Catalog(bool right) {
    std::string s = "<r>";
    for (int i = 0; i < kItems; ++i) {
        if (right && i % 97 == 5 && i % 64 != 0) continue;
        const std::string n = std::to_string(i);
        s += "<item sku='S" + n + "'><name>name " + n + (right ? "." : "") + "</name>";
        if (i % 64 == 0) {
            // Reordered and one changed on the right: only the key pairs them all.
            const std::string element = "g" + std::to_string(i / 64);
            for (int k = 0; k < 4; ++k) {
                const int j = right ? 3 - k : k;
                s += "<" + element + " id='" + n + "-" + std::to_string(j) + "'>" + (right && j == 2 ? "new" : "old") +
                     "</" + element + ">";
            }
        }
        if (i % 50 == 7) {
            s += "<note><w>a</w><w>b</w><w>" + n + "</w></note>";
            s += std::string("<note><w>x</w><w>") + (right ? "z" : "y") + "</w><w>" + n + "</w></note>";
        }
        s += "</item>";
    }
    if (right) s += "<item sku='new'><name>added</name></item>";
    return s + "</r>";
}

struct Outcome {
    std::vector<std::string> records;     // per element: partner position, bits, state
    std::vector<std::uint64_t> counters;  // equal, changed, own changed, ignored
    std::vector<std::string> keys;
    std::uint64_t capped = 0;
};

class SharedPairingTest : public CompareTest {
protected:
    Outcome Run(bool watched) {
        CompareHost host;
        const PairingProgress progress = [](std::uint64_t) {};
        EXPECT_TRUE(CompareFiles(&left, &right, host, u"", u"", watched ? progress : PairingProgress()));
        Outcome out;
        std::unordered_map<const ElementRecord*, std::size_t> position;
        for (const DocumentPane* pane : {&left, &right})
            for (const ElementRecord* r = RootRecord(*pane); r; r = NextInDocumentOrder(r))
                position.emplace(r, position.size());
        for (const DocumentPane* pane : {&left, &right}) {
            for (const ElementRecord* r = RootRecord(*pane); r; r = NextInDocumentOrder(r)) {
                const std::string partner = r->partner() ? std::to_string(position.at(r->partner())) : "-";
                out.records.push_back(partner + "/" + std::to_string(r->diffFlags) + "/" +
                                      std::to_string(CompareState(*r)));
            }
        }
        const CompareCounters& c = compareCounters();
        out.counters = {c.EqualPairs, c.ChangedPairs, c.OwnChangedPairs, c.IgnoredElements};
        for (const InferredKeyUse& k : pairingReport().inferredKeys)
            out.keys.push_back(ToUtf8(k.element) + "@" + ToUtf8(k.attribute) + " " + std::to_string(k.groups));
        out.capped = pairingReport().cappedGroups;
        return out;
    }
};

TEST_F(SharedPairingTest, LeavesWhatOneThreadLeaves) {
    if (UsableProcessors() < 2) GTEST_SKIP() << "one processor: nothing is shared";
    Load(Catalog(false), Catalog(true));
    RecordingNotifier quiet;
    ScopedNotifier scope(quiet);
    const Outcome alone = Run(true);
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const Outcome shared = Run(false);
        EXPECT_EQ(shared.counters, alone.counters);
        EXPECT_EQ(shared.keys, alone.keys);
        EXPECT_EQ(shared.capped, alone.capped);
        ASSERT_EQ(shared.records.size(), alone.records.size());
        for (std::size_t i = 0; i < alone.records.size(); ++i)
            ASSERT_EQ(shared.records[i], alone.records[i]) << "element " << i;
    }
    // The documents reach every path: changes, similarity and keys met all
    // over the shared part, in the order one thread meets them.
    EXPECT_GT(alone.counters[2], 100u);
    ASSERT_EQ(alone.keys.size(), 1u + (kItems + 63) / 64);
    EXPECT_EQ(alone.keys[0], "item@sku 1");
    EXPECT_EQ(alone.keys[1], "g" + std::to_string((kItems - 1) / 64) + "@id 1");
    EXPECT_EQ(alone.keys.back(), "g0@id 1");
}

}  // namespace
}  // namespace quillon::test
