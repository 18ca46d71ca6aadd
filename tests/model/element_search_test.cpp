// SPDX-License-Identifier: MIT
#include "model/element_search.h"

#include <gtest/gtest.h>

#include "model/document_pane.h"
#include "model/name_table.h"
#include "settings/options.h"
#include "support/load_xml.h"

namespace quillon {
namespace {

using test::Find;
using test::LoadXml;

struct FindText : ::testing::Test {
    void SetUp() override { ResetOptions(options(), false); }
    DocumentPane pane;
};

// Down in document order, up backwards; neither the current element nor a
// wrap-around at either end is a match.
TEST_F(FindText, SearchesEitherWayFromTheCurrentElementWithoutWrapping) {
    ASSERT_TRUE(LoadXml(pane, "<a><b><hit/></b><c>hit</c><d hit='1'/></a>").ok);
    const ElementRecord* root = Find(pane, "");
    const ElementRecord* first = FindElement(root, u"hit", true, true);
    EXPECT_EQ(first, Find(pane, "b/hit"));
    const ElementRecord* second = FindElement(first, u"hit", true, true);
    EXPECT_EQ(second, Find(pane, "c"));
    EXPECT_EQ(FindElement(second, u"hit", true, true), Find(pane, "d"));

    EXPECT_EQ(FindElement(Find(pane, "d"), u"hit", false, true), Find(pane, "c"));
    EXPECT_EQ(FindElement(Find(pane, "c"), u"hit", false, true), Find(pane, "b/hit"));

    ASSERT_TRUE(LoadXml(pane, "<word><only>unique</only><x>word</x><last>word</last></word>").ok);
    EXPECT_EQ(FindElement(Find(pane, "last"), u"word", true, true), nullptr);
    EXPECT_EQ(FindElement(Find(pane, ""), u"word", false, true), nullptr);
    EXPECT_EQ(FindElement(Find(pane, "only"), u"unique", true, true), nullptr);
    EXPECT_EQ(FindElement(Find(pane, "only"), u"unique", false, true), nullptr);
    EXPECT_EQ(FindElement(Find(pane, ""), u"unique", true, true), Find(pane, "only"));
    // An empty search text matches nothing.
    EXPECT_FALSE(ElementContainsText(*Find(pane, "x"), u"", false));
    EXPECT_EQ(FindElement(Find(pane, ""), u"", true, false), nullptr);
    EXPECT_EQ(FindElement(nullptr, u"a", true, false), nullptr);
}

// Without match case both sides fold; the quotes around values are not part
// of the searched text.
TEST_F(FindText, CaseFoldsOnBothSidesAndQuotesAreNoText) {
    ASSERT_TRUE(LoadXml(pane, "<r><t>PRICE LIST</t><PriceTag/><y>price</y></r>").ok);
    const ElementRecord* root = Find(pane, "");
    EXPECT_EQ(FindElement(root, u"price", true, false), Find(pane, "t"));
    EXPECT_EQ(FindElement(Find(pane, "t"), u"pRICE", true, false), Find(pane, "PriceTag"));
    // With match case only the exact spelling counts.
    EXPECT_EQ(FindElement(root, u"price", true, true), Find(pane, "y"));

    ASSERT_TRUE(LoadXml(pane, "<r><x/><e id=\"42\"/></r>").ok);
    root = Find(pane, "");
    EXPECT_EQ(FindElement(root, u"id=\"", true, true), nullptr);
    EXPECT_EQ(FindElement(root, u"42", true, true), Find(pane, "e"));
    EXPECT_EQ(FindElement(root, u"id=", true, true), Find(pane, "e"));
}

}  // namespace
}  // namespace quillon
