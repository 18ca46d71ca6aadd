// SPDX-License-Identifier: MIT
// Pairing that needs no configuration: repeated siblings pair by a key found
// in them (an attribute or a child's text, never a counter), leftovers pair
// only as far as they are alike. Each case names the records that pair, by
// their first child's text (or their own).

#include <functional>
#include <string>

#include "compare/compare_state.h"
#include "compare_fixture.h"
#include "platform/utf8.h"
#include "rules/ignore_rules.h"
#include "rules/rule_list_files.h"

namespace quillon::test {
namespace {

class RelatedPairingTest : public CompareTest {
protected:
    void TearDown() override {
        ResetIgnoreRules();
        CompareTest::TearDown();
    }
    // Each child of the root as label>partner label ("-" unpaired).
    static std::string Pairs(const DocumentPane& pane) {
        std::string out;
        for (const ElementRecord* e = FirstChildRecord(RootRecord(pane)); e; e = NextSiblingRecord(e)) {
            if (!out.empty()) out += ' ';
            out += Label(e) + ">" + (e->partner() ? Label(e->partner()) : "-");
        }
        return out;
    }
    static std::string Label(const ElementRecord* e) {
        const ElementRecord* c = FirstChildRecord(e);
        return ToUtf8((c ? c : e)->textUtf16());
    }
    static std::string Summary() { return ToUtf8(PairingSummary(pairingReport())); }
};

// Records with a key attribute, a name and a quantity.
std::string Items(std::initializer_list<const char*> records, const char* attribute = "sku") {
    std::string s = "<r>";
    for (const char* r : records) {
        const std::string v(r);
        const auto colon = v.find(':');
        s += std::string("<item ") + attribute + "='" + v.substr(0, colon) + "'><name>" + v.substr(colon + 1) +
             "</name><qty>5</qty></item>";
    }
    return s + "</r>";
}

// Rows of a name and a city, numbered in document order by n.
std::string Rows(std::initializer_list<const char*> people, const char* more = "") {
    std::string s = "<t>";
    int n = 0;
    for (const char* p : people) {
        const std::string v(p);
        s += "<row n='" + std::to_string(++n) + "'" + more + "><name>" + v.substr(0, v.find(':')) + "</name><city>" +
             v.substr(v.find(':') + 1) + "</city></row>";
    }
    return s + "</t>";
}

// Each case: a pair in, the pairs of the left side and the summary line out.
struct Case {
    const char* what;
    std::string left, right;
    const char* pairs;
    const char* summary;
    std::function<void()> setUp = [] {};
};

TEST_F(RelatedPairingTest, WhatACarefulPersonPairs) {
    const Case cases[] = {
        {"a removed and an added record stay apart", Items({"A-100:Bolt", "A-200:Washer", "A-300:Nut", "A-500:Screw"}),
         Items({"A-100:Bolt", "A-300:Nut", "A-500:Screw", "A-400:Rivet"}), "Bolt>Bolt Washer>- Nut>Nut Screw>Screw",
         "Inferred keys: item@sku"},
        {"unless leftovers pair whatever they hold", Items({"A-100:Bolt", "A-200:Washer", "A-300:Nut", "A-500:Screw"}),
         Items({"A-100:Bolt", "A-300:Nut", "A-500:Screw", "A-400:Rivet"}), "Bolt>Bolt Washer>Rivet Nut>Nut Screw>Screw",
         "", [] { options().PairRelatedOnly = 0; }},
        {"a counter renumbered by an insertion is no key; the names are",
         Rows({"Alice:Oslo", "Bob:Rome", "Carl:Bonn", "Dora:Lima"}),
         Rows({"Zoe:Kiev", "Alice:Oslo", "Bob:Rome", "Carl:Bonn", "Dora:Lima"}),
         "Alice>Alice Bob>Bob Carl>Carl Dora>Dora", "Inferred keys: row/name; not keys: row@n (position-like)"},
        {"a counter that nothing contradicts pairs by position",
         Rows({"Alice:Oslo", "Bob:Rome", "Carl:Bonn"}), Rows({"Alice:Oslo", "Bob:Roma", "Carl:Bonn"}),
         "Alice>Alice Bob>Bob Carl>Carl", "Inferred keys: row/name"},
        {"an id beside a counter, the two written in either order",
         "<r><i id='a' pos='1'><v>1</v><w>x</w></i><i id='b' pos='2'><v>2</v><w>y</w></i><i id='c' pos='3'><v>3</v><w>z</w></i></r>",
         "<r><i pos='1' id='z'><v>9</v><w>q</w></i><i pos='2' id='a'><v>1</v><w>x</w></i><i pos='3' id='b'><v>2</v><w>y</w></i>"
         "<i pos='4' id='c'><v>3</v><w>w</w></i></r>",
         "1>1 2>2 3>3", "Inferred keys: i@id; not keys: i@pos (position-like)"},
        {"the same, attributes the other way round on the left",
         "<r><i pos='1' id='a'><v>1</v><w>x</w></i><i pos='2' id='b'><v>2</v><w>y</w></i><i pos='3' id='c'><v>3</v><w>z</w></i></r>",
         "<r><i pos='1' id='z'><v>9</v><w>q</w></i><i pos='2' id='a'><v>1</v><w>x</w></i><i pos='3' id='b'><v>2</v><w>y</w></i>"
         "<i pos='4' id='c'><v>3</v><w>w</w></i></r>",
         "1>1 2>2 3>3", "Inferred keys: i@id; not keys: i@pos (position-like)"},
        {"identity in a child: a new item first, an old one edited",
         "<c><item><guid>p5</guid><title>Release notes 5</title></item><item><guid>p4</guid><title>Notes 4</title></item>"
         "<item><guid>p3</guid><title>Notes 3</title></item></c>",
         "<c><item><guid>w</guid><title>Winter release</title></item><item><guid>p5</guid><title>Release notes 5 "
         "(updated)</title></item><item><guid>p4</guid><title>Notes 4</title></item></c>",
         "p5>p5 p4>p4 p3>-", "Inferred keys: item/guid"},
        {"identity in two children together; a replaced dependency is removed and added",
         "<d><dep><g>junit</g><a>junit</a><v>4</v></dep><dep><g>org.a</g><a>core</a><v>1</v></dep>"
         "<dep><g>org.b</g><a>core</a><v>1</v></dep><dep><g>org.a</g><a>api</a><v>1</v></dep></d>",
         "<d><dep><g>org.a</g><a>core</a><v>2</v></dep><dep><g>org.b</g><a>core</a><v>1</v></dep>"
         "<dep><g>org.a</g><a>api</a><v>1</v></dep><dep><g>org.junit</g><a>junit-jupiter</a><v>5</v></dep></d>",
         "junit>- org.a>org.a org.b>org.b org.a>org.a", "Inferred keys: dep/a+g"},
        {"one shared category does not make two posts one",
         "<f><post><t>Old plans</t><b>We plan a spring release.</b><cat>news</cat></post><post><t>Kept</t><b>Same</b>"
         "<cat>misc</cat></post></f>",
         "<f><post><t>Conference</t><b>The team went to a conference.</b><cat>news</cat></post><post><t>Kept</t>"
         "<b>Same</b><cat>misc</cat></post></f>",
         "Old plans>- Kept>Kept", "Inferred keys: post/b; not keys: post/cat (disagrees with content)"},
        {"edited paragraphs stay one, an unrelated one does not",
         "<doc><p>Install the package.</p><p>Run the setup script as root.</p><p>Check the log for errors.</p>"
         "<p>Restart the service.</p></doc>",
         "<doc><p>Install the package.</p><p>Run the setup script as an administrator.</p>"
         "<p>Check the journal for errors.</p><p>Open the firewall port.</p></doc>",
         "Install the package.>Install the package. Run the setup script as root.>Run the setup script as an "
         "administrator. Check the log for errors.>Check the journal for errors. Restart the service.>-",
         ""},
        {"an id renamed, everything else the same: one changed user",
         "<u><user id='u1'><n>Ann</n><m>ann@x</m></user><user id='u2'><n>Bob</n><m>bob@x</m></user>"
         "<user id='u3'><n>Cy</n><m>cy@x</m></user></u>",
         "<u><user id='u1'><n>Ann</n><m>ann@x</m></user><user id='u9'><n>Bob</n><m>bob@x</m></user>"
         "<user id='u3'><n>Cy</n><m>cy@x</m></user></u>",
         "Ann>Ann Bob>Bob Cy>Cy", "Inferred keys: user/m"},
        {"ids that run 1, 2, 3 and are named so stay the identity when every record changed",
         "<r><e id='1'><v>a</v></e><e id='2'><v>c</v></e><e id='3'><v>e</v></e></r>",
         "<r><e id='1'><v>b</v></e><e id='2'><v>d</v></e><e id='3'><v>f</v></e></r>", "a>b c>d e>f",
         "Inferred keys: e@id"},
        {"namespace declarations on every record relate nothing",
         "<r><e xmlns:m='urn:m'><m:a>one</m:a></e><e xmlns:m='urn:m'><m:a>two</m:a></e><e xmlns:m='urn:m'><m:a>k</m:a></e></r>",
         "<r><e xmlns:m='urn:m'><m:a>four</m:a></e><e xmlns:m='urn:m'><m:a>five</m:a></e><e xmlns:m='urn:m'><m:a>k</m:a></e></r>",
         "one>- two>- k>k", ""},
        {"an attribute a rule leaves out is no key",
         Rows({"Alice:Oslo", "Bob:Rome", "Carl:Bonn"}, " c='1'"), Rows({"Zoe:Kiev", "Alice:Oslo", "Bob:Rome", "Carl:Bonn"}, " c='1'"),
         "Alice>Alice Bob>Bob Carl>Carl", "", [] { ReadIgnoreElementLine(u"row 4 n"); }},
        {"nor is a common ignored attribute, though its values are shared and unique",
         "<t><row tid='7'><name>Alice</name><city>Oslo</city></row><row tid='8'><name>Bob</name><city>Rome</city>"
         "</row><row tid='9'><name>Carl</name><city>Bonn</city></row></t>",
         "<t><row tid='9'><name>Alice</name><city>Paris</city></row><row tid='7'><name>Bob</name><city>Milan</city>"
         "</row><row tid='8'><name>Carl</name><city>Berlin</city></row></t>",
         "Alice>Alice Bob>Bob Carl>Carl", "Inferred keys: row/name", [] { ReadCommonAttributesLine(u"tid"); }},
        {"attributes not compared at all are no key either, and leave the children's",
         "<r><item sku='A-1'><name>Bolt</name><qty>5</qty></item><item sku='A-2'><name>Nut</name><qty>6</qty></item>"
         "<item sku='A-3'><name>Screw</name><qty>7</qty></item></r>",
         "<r><item sku='A-2'><name>Bolt</name><qty>8</qty></item><item sku='A-3'><name>Screw</name><qty>9</qty></item>"
         "<item sku='A-1'><name>Rivet</name><qty>4</qty></item></r>",
         "Bolt>Bolt Nut>- Screw>Screw", "Inferred keys: item/name", [] { options().IgnoreAttributes = 1; }},
        {"a value that repeats on one side is no key",
         "<r><i kind='a'><n>1</n><m>x</m></i><i kind='a'><n>2</n><m>y</m></i><i kind='b'><n>3</n></i></r>",
         "<r><i kind='c'><n>3</n></i><i kind='a'><n>2</n><m>q</m></i><i kind='b'><n>1</n><m>x</m></i></r>",
         "1>1 2>2 3>3", "Inferred keys: i/n; not keys: i/m (disagrees with content)"},
        {"nor is a time stamp rewritten everywhere, one value recurring by chance",
         "<r><i at='t1'><v>a</v></i><i at='t2'><v>b</v></i><i at='t3'><v>c</v></i></r>",
         "<r><i at='t9'><v>a</v></i><i at='t8'><v>b</v></i><i at='t1'><v>z</v></i></r>", "a>a b>b c>-", "Inferred keys: i/v"},
        {"members without the key pair among themselves",
         "<r><p n='a'><v>1</v></p><p n='b'><v>2</v></p><p n='c'><v>3</v></p><p><v>4</v><w>x y</w></p></r>",
         "<r><p><v>5</v><w>x y</w></p><p n='c'><v>6</v></p><p n='d'><v>7</v></p><p n='a'><v>8</v></p></r>",
         "1>8 2>- 3>6 4>5", "Inferred keys: p@n"},
        {"a key on exactly half the group is still the key",
         "<r><p n='a'><v>1</v></p><p n='b'><v>2</v></p><p><v>3</v></p><p><v>4</v></p></r>",
         "<r><p><v>5</v></p><p n='b'><v>6</v></p><p n='a'><v>7</v></p><p><v>8</v></p></r>", "1>7 2>6 3>- 4>-",
         "Inferred keys: p@n"},
        {"on fewer than half it is an occasional reference, no key",
         "<r><p ref='a'><v>1</v></p><p ref='b'><v>2</v></p><p><v>3</v></p><p><v>4</v></p><p><v>5</v></p></r>",
         "<r><p ref='b'><v>9</v></p><p ref='a'><v>8</v></p><p><v>3</v></p><p><v>4</v></p><p><v>5</v></p></r>",
         "1>8 2>9 3>3 4>4 5>5", "Inferred keys: p/v"},
        {"the one element of its name is the same element", "<r><note id='1'><t>a</t></note></r>",
         "<r><note id='2'><t>b</t></note></r>", "a>b", ""},
        {"whatever else its parent holds", "<r><note><t>a</t></note><x>y</x></r>", "<r><note><t>b</t></note></r>",
         "a>b y>-", ""},
        {"the last leftover of a larger group pairs only when alike",
         "<r><i><t>a</t></i><i><t>b</t></i><i><t>c</t></i></r>", "<r><i><t>x</t></i><i><t>b</t></i><i><t>c</t></i></r>",
         "a>- b>b c>c", "Inferred keys: i/t"},
        {"and always when leftovers pair whatever they hold", "<r><i><t>a</t></i><i><t>b</t></i><i><t>c</t></i></r>",
         "<r><i><t>x</t></i><i><t>b</t></i><i><t>c</t></i></r>", "a>x b>b c>c", "",
         [] { options().PairRelatedOnly = 0; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.setUp();
        Compare(c.left, c.right);
        EXPECT_EQ(Pairs(left), c.pairs);
        EXPECT_EQ(Summary(), c.summary);
        ResetIgnoreRules();
        ResetOptions(options(), false);
    }
}

// A character beyond Latin-1 keeps the right's attribute strings in UTF-16,
// the left's stay one byte a character: the key's values still meet.
TEST_F(RelatedPairingTest, KeyValuesMeetWhateverFormTheirStringsAreKeptIn) {
    Compare(Items({"A-100:Bolt", "A-200:Washer", "A-300:Nut", "A-500:Screw"}),
            Items({"A-100:Bolt", "A-300:Nut", "A-500:Screw", "A-400:Rivet"}, "note='\xE4\xB8\xAD' sku"));
    ASSERT_TRUE(FirstChildRecord(RootRecord(left))->attributesString().isNarrow());
    ASSERT_FALSE(FirstChildRecord(RootRecord(right))->attributesString().isNarrow());
    EXPECT_EQ(Summary(), "Inferred keys: item@sku");
    EXPECT_EQ(Pairs(left), "Bolt>Bolt Washer>- Nut>Nut Screw>Screw");
}

TEST_F(RelatedPairingTest, ReorderedAndChangedRecordsFollowTheirKey) {
    // Every name changed and the order reversed; the key is not called id.
    Compare(Items({"k1:a", "k2:b", "k3:c"}, "code"), Items({"k3:z", "k2:y", "k1:x"}, "code"));
    EXPECT_EQ(Pairs(left), "a>x b>y c>z");
    EXPECT_EQ(counters().OwnChangedPairs, 3u);  // the names

    // Strict pairs by key as well: it only skips the similarity passes.
    SetLevel(0);
    Compare();
    EXPECT_EQ(Pairs(left), "a>x b>y c>z");

    // Key values that differ in spacing, in case or in both are the same key
    // exactly when the comparison mode leaves out what differs.
    const std::string plain = Items({"k1:a", "k2:b", "k3:c"}, "code");
    const std::string spaced = Items({"k 3:z", "k 2:y", "k 1:x"}, "code");
    const std::string shouted = Items({"K3:z", "K2:y", "K1:x"}, "code");
    const std::string both = Items({"K 3:z", "K 2:y", "K 1:x"}, "code");
    for (std::uint32_t mode = 0; mode < 4; ++mode) {
        options().FlagComparsion = mode;
        for (const auto& [other, same] : {std::pair{&spaced, (mode & 1) != 0}, std::pair{&shouted, (mode & 2) != 0},
                                          std::pair{&both, mode == 3}}) {
            Compare(plain, *other);
            EXPECT_EQ(Pairs(left), same ? "a>x b>y c>z" : "a>- b>- c>-") << "mode " << mode << ": " << *other;
        }
    }
}

// A key is decided on the whole group, looked at in blocks: one missing from
// a long first stretch of it is still the key.
TEST_F(RelatedPairingTest, KeyOnlyFromLateOnStillCounts) {
    const auto group = [](int without, int with, const char* text) {
        std::string s = "<r>";
        for (int i = 0; i < without; ++i) s += "<p><v>" + std::to_string(i) + text + "</v></p>";
        for (int i = 0; i < with; ++i) s += "<p n='k" + std::to_string(i * 11 % with) + "'><v>" + text + "</v></p>";
        return s + "</r>";
    };
    Compare(group(70, 70, "a"), group(70, 70, "b"));
    EXPECT_EQ(Summary(), "Inferred keys: p@n");
    Compare(group(71, 70, "a"), group(70, 70, "b"));
    EXPECT_TRUE(pairingReport().inferredKeys.empty());
}

// Groups far larger than any table is first sized for: a value that comes
// back at the very end is still seen to repeat, and the values still meet.
TEST_F(RelatedPairingTest, KeyOfAHugeGroupIsJudgedOnAllItsValues) {
    constexpr int kHuge = 40000;
    const auto group = [&](const char* text, int lastKey) {
        std::string s = "<r>";
        for (int i = 0; i < kHuge; ++i)
            s += "<i k='v" + std::to_string(i + 1 == kHuge ? lastKey : i * 7919 % kHuge) + "'>" + text + "</i>";
        return s + "</r>";
    };
    Compare(group("a", (kHuge - 1) * 7919 % kHuge), group("b", (kHuge - 1) * 7919 % kHuge));
    EXPECT_EQ(Summary(), "Inferred keys: i@k");
    EXPECT_EQ(compareCounters().ChangedPairs, 1u + kHuge);
    Compare(group("a", 3), group("b", (kHuge - 1) * 7919 % kHuge));
    EXPECT_TRUE(pairingReport().inferredKeys.empty());
}

}  // namespace
}  // namespace quillon::test
