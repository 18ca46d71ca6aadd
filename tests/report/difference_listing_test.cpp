// SPDX-License-Identifier: MIT
// The difference listing of compared pairs: which elements are listed, their
// paths, and their own attribute and text changes.

#include <gmock/gmock.h>

#include <functional>
#include <sstream>
#include <string>

#include "compare/compare_fixture.h"
#include "compare/compare_state.h"
#include "report/element_identity.h"
#include "report/element_path.h"
#include "report/own_changes.h"
#include "report/text_listing.h"
#include "rules/key_elements.h"

namespace quillon::test {
namespace {

class ListingTest : public CompareTest {
protected:
    std::string Listing(std::string_view l, std::string_view r) {
        Compare(l, r);
        std::ostringstream out;
        WriteDifferenceListing(out, left, right, "");
        return out.str();
    }
};

TEST_F(ListingTest, ChangedElementsShowOnlyTheirOwnChangesAndOneSidedSubtreesAreListedOnce) {
    SetLevel(0);
    options().IgnoreOrderElements = 0;
    ApplyCompareLevel(options());
    EXPECT_EQ(Listing("<r>\n<a x='1' gone='g' same='s'>five old boxes</a>\n<b><c/><c/></b>\n<d><e>t</e></d>\n</r>",
                      "<r>\n<a x='2' same='s' new='n'>five new boxes</a>\n<d><e>u</e></d>\n<f/>\n</r>"),
              "~ /r[1]/a[1]  line 2 -> 2\n"
              "    @x: \"1\" -> \"2\"\n"
              "    @gone: removed \"g\"\n"
              "    @new: added \"n\"\n"
              "    text: \"five [-old-] boxes\" -> \"five {+new+} boxes\"\n"
              "- /r[1]/b[1]  line 3 (deleted, 3 elements)\n"
              "~ /r[1]/d[1]/e[1]  line 4 -> 3\n"
              "    text: \"t\" -> \"u\"\n"
              "+ /r[1]/f[1]  line 4 (added, 1 element)\n");
    EXPECT_EQ(Listing("<r><a/></r>", "<r><a/></r>"), "");
}

TEST_F(ListingTest, DeletedBeforeAddedBetweenPairedSiblingsAndPositionsCountSameNamedSiblings) {
    options().IgnoreOrderElements = 0;
    EXPECT_EQ(Listing("<r><k/><i>1</i><i>2</i><j><i><v>3</v></i><i><v>4</v></i></j></r>",
                      "<r><k/><i>1</i><n/><j><i><v>3</v></i><i><v>5</v></i></j></r>"),
              "- /r[1]/i[2] \"2\"  line 1 (deleted, 1 element)\n"
              "+ /r[1]/n[1]  line 1 (added, 1 element)\n"
              "~ /r[1]/j[1]/i[2]/v[1]  line 1 -> 1\n"
              "    text: \"4\" -> \"5\"\n");
}

TEST_F(ListingTest, NamespacedNamesGetStepsThatNeedNoBindings) {
    const char* l = "<r xmlns:p='urn:p'><p:a>1</p:a><s xmlns='urn:d'><t>1</t><t xmlns=''>1 a</t></s></r>";
    const char* r = "<r xmlns:p='urn:p'><p:a>2</p:a><s xmlns='urn:d'><t>1</t><t xmlns=''>2 a</t></s></r>";
    const std::string listing = Listing(l, r);
    EXPECT_NE(listing.find("~ /r[1]/*[name()='p:a'][1] "), std::string::npos) << listing;
    // The second t is outside the default namespace: a plain step, counted
    // among the plain t's only.
    EXPECT_NE(listing.find("~ /r[1]/*[name()='s'][1]/t[1] "), std::string::npos) << listing;

    options().IgnoreNamespaces = 1;
    const std::string local = Listing(l, r);
    EXPECT_NE(local.find("~ /*[local-name()='r'][1]/*[local-name()='a'][1] "), std::string::npos) << local;
    EXPECT_EQ(ElementPath(*Find(left, "s/t"), true), "/*[local-name()='r'][1]/*[local-name()='s'][1]/*[local-name()='t'][1]");
}

TEST_F(ListingTest, DeepNestingIsWalkedWithoutRecursion) {
    constexpr int kDepth = 20000;
    std::string l, r;
    for (int i = 0; i < kDepth; ++i) l += "<e>";
    r = l;
    l += "old";
    r += "new";
    for (int i = 0; i < kDepth; ++i) l += "</e>", r += "</e>";
    options().MaxDepth = 2 * kDepth;  // deeper than the default limit on purpose
    const std::string listing = Listing(l, r);
    EXPECT_EQ(listing.size(), std::size_t(kDepth) * 5 + std::string("~   line 1 -> 1\n    text: \"old\" -> \"new\"\n").size());
}

// What names an element in every report, best first: the user's key, the
// inferred key, identifying attributes, a key-like child, the start of the
// text.
TEST_F(ListingTest, ElementsAreNamedByWhatIdentifiesThem) {
    const InferredKeyUse rowByRef{u"row", u"ref", {}, 1};
    const InferredKeyUse dependencyByCoordinates{u"dependency", {}, {u"groupId", u"artifactId"}, 1};
    const std::string dependency =
        "<r><dependency><groupId>g</groupId><artifactId>junit</artifactId><version>4</version></dependency></r>";
    const struct {
        std::string xml;
        const char* element;
        std::function<void()> setUp;
        const char* named;
    } cases[] = {
        {"<r><method name='IsNSS'><arg/></method></r>", "method", {}, "@name=IsNSS"},
        {"<r><mime-type type='text/plain'><comment>x</comment></mime-type></r>", "mime-type", {}, "@type=text/plain"},
        {"<r><e name='n' id='7'/></r>", "e", {}, "@id=7"},
        {"<r><e colour='red' productId='p 1'/></r>", "e", {}, "@productId=\"p 1\""},
        {"<r><e name='a&#10;b&#9;\"q\"'/></r>", "e", {}, "@name=\"a\\nb\\t\\\"q\\\"\""},
        {dependency, "dependency", {}, "artifactId=junit"},
        {"<r><p>Run the setup script as root, then reboot the machine twice.</p></r>", "p", {},
         "\"Run the setup script as root, then...\""},
        {"<r><e><f/></e></r>", "e", {}, ""},
        {"<r><glob weight='50' pattern='*.png'/></r>", "glob", {}, "@weight=50"},
        {"<r><row name='n' ref='x'/></r>", "row", [&] { pairingReport().inferredKeys = {rowByRef}; }, "@ref=x"},
        {dependency, "dependency", [&] { pairingReport().inferredKeys = {dependencyByCoordinates}; },
         "groupId=g artifactId=junit"},
        {"<r><book id='1'><title>T</title><isbn>123</isbn></book></r>", "book",
         [this] { ToggleKeyElement(*Find(left, "book/isbn")); }, "isbn=123"},
        {"<r><item id='1' sku='A'/></r>", "item", [this] { SetKeyAttribute(*Find(left, "item"), u"sku"); }, "@sku=A"},
    };
    for (const auto& c : cases) {
        ClearPane(left);
        ResetKeys();
        pairingReport() = {};
        ASSERT_TRUE(LoadXml(left, c.xml).ok) << c.xml;
        if (c.setUp) c.setUp();
        EXPECT_EQ(IdentityText(IdentifyElement(*Find(left, c.element))), c.named) << c.xml;
    }
    ResetKeys();
    pairingReport() = {};
}

// One entry stays one line: line breaks, tabs and quotes escaped, a change of
// white space alone made visible, long values cut where words meet; an added
// subtree printed under its entry with --verbose, cut after its lines.
TEST_F(ListingTest, ValuesAndSubtreesStayReadable) {
    const std::string longText = "alpha beta gamma delta epsilon zeta eta theta iota kappa";
    const struct {
        const char* left;
        const char* right;
        const char* line;
    } values[] = {
        {"a\nb", "a\tc \"q\"", "    text: \"a\\n[-b-]\" -> \"a\\t{+c+} {+\\\"q\\\"+}\"\n"},
        {"one two", "one  two", "    text: \"one\u00b7two\" -> \"one\u00b7\u00b7two\"  (white space only)\n"},
    };
    for (const auto& v : values) {
        const std::string listing = Listing(std::string("<r><e>") + v.left + "</e></r>", std::string("<r><e>") + v.right + "</e></r>");
        EXPECT_NE(listing.find(v.line), std::string::npos) << listing;
    }
    Compare("<r/>", "<r><e>" + longText + "</e></r>");
    std::ostringstream out;
    ListingStyle style;
    style.valueWidth = 20;
    style.subtreeLines = 2;
    WriteDifferenceListing(out, left, right, "", style);
    EXPECT_EQ(out.str(), "+ /r[1]/e[1] \"alpha beta gamma delta epsilon zeta eta...\"  line 1 (added, 1 element)\n"
                         "    <e>alpha beta gamma...</e>\n");
    Compare("<r/>", "<r><e id='1'><f>1</f><g><h/></g><i/></e></r>");
    out.str("");
    WriteDifferenceListing(out, left, right, "", style);
    EXPECT_EQ(out.str(), "+ /r[1]/e[1] @id=1  line 1 (added, 5 elements)\n    <e id=\"1\">\n      <f>1</f>\n"
                         "    ... (3 more elements)\n");
    // One element left, or every element shown but a closing tag cut: the cut is marked; or nothing cut.
    for (const auto& [lines, end] : {std::pair{4, "<h/>\n    ... (1 more element)\n"}, {6, "<i/>\n    ...\n"},
                                     {20, "      <g>\n        <h/>\n      </g>\n      <i/>\n    </e>\n"}}) {
        style.subtreeLines = std::size_t(lines);
        out.str("");
        WriteDifferenceListing(out, left, right, "", style);
        EXPECT_THAT(out.str(), ::testing::EndsWith(end)) << lines;
    }
}

TEST(ShortenedValueTest, LongValuesAreCutAroundTheirChanges) {
    const std::u16string value = std::u16string(200, u'a') + u" changed " + std::u16string(200, u'b');
    const Excerpt e = ShortenedValue(value, {{201, 7}}, 80);
    EXPECT_EQ(e.text, "..." + std::string(19, 'a') + " changed " + std::string(19, 'b') + "...");
    ASSERT_EQ(e.marks.size(), 1u);
    EXPECT_EQ(e.text.substr(e.marks[0].first, e.marks[0].second - e.marks[0].first), "changed");
    EXPECT_EQ(ShortenedValue(u"short", {}, 80).text, "short");
    EXPECT_EQ(CutAtWord(u"abc", 3), u"abc");
    EXPECT_EQ(CutAtWord(u"ab\U0001F600cd", 3), u"ab...");  // never half a surrogate pair
    // Where words meet near the cut, the cut moves there.
    EXPECT_EQ(ShortenedValue(u"the quick brown fox jumps over", {}, 12).text, "the quick...");
}

}  // namespace
}  // namespace quillon::test
