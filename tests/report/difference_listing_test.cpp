// SPDX-License-Identifier: MIT
// The difference listing of compared pairs: which elements are listed, their
// paths, and their own attribute and text changes.

#include <sstream>
#include <string>

#include "compare/compare_fixture.h"
#include "report/element_path.h"
#include "report/own_changes.h"
#include "report/text_listing.h"

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
              "- /r[1]/i[2]  line 1 (deleted, 1 element)\n"
              "+ /r[1]/n[1]  line 1 (added, 1 element)\n"
              "~ /r[1]/j[1]/i[2]/v[1]  line 1 -> 1\n"
              "    text: \"4\" -> \"5\"\n");
}

TEST_F(ListingTest, NamespacedNamesGetStepsThatNeedNoBindings) {
    const char* l = "<r xmlns:p='urn:p'><p:a>1</p:a><s xmlns='urn:d'><t>1</t><t xmlns=''>1</t></s></r>";
    const char* r = "<r xmlns:p='urn:p'><p:a>2</p:a><s xmlns='urn:d'><t>1</t><t xmlns=''>2</t></s></r>";
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

TEST(ShortenedValueTest, LongValuesAreCutAroundTheirChanges) {
    const std::u16string value = std::u16string(200, u'a') + u" changed " + std::u16string(200, u'b');
    const Excerpt e = ShortenedValue(value, {{201, 7}}, 80);
    EXPECT_EQ(e.text, "..." + std::string(19, 'a') + " changed " + std::string(19, 'b') + "...");
    ASSERT_EQ(e.marks.size(), 1u);
    EXPECT_EQ(e.text.substr(e.marks[0].first, e.marks[0].second - e.marks[0].first), "changed");
    EXPECT_EQ(ShortenedValue(u"short", {}, 80).text, "short");
}

}  // namespace
}  // namespace quillon::test
