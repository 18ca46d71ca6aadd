// SPDX-License-Identifier: MIT
#include "model/element_viewer_text.h"

#include <gtest/gtest.h>

#include <string>

#include "model/attribute_names.h"
#include "model/document_pane.h"
#include "settings/options.h"
#include "support/load_xml.h"

namespace quillon {
namespace {

using test::Find;
using test::LoadXml;

struct ViewerText : ::testing::Test {
    void SetUp() override { ResetOptions(options(), false); }
    DocumentPane pane;
};

TEST_F(ViewerText, ShowsAttributesInQuotesAndTheText) {
    ASSERT_TRUE(LoadXml(pane, "<r><item id='7' kind=\"a b\">some text</item></r>").ok);
    EXPECT_EQ(ElementViewerText(*Find(pane, "item")), u"<item id=\"7\" kind=\"a b\">some text</item>");
}

TEST_F(ViewerText, ElementWithChildrenButNoTextShowsEllipsis) {
    ASSERT_TRUE(LoadXml(pane, "<r a='1'><c/></r>").ok);
    EXPECT_EQ(ElementViewerText(*Find(pane, "")), u"<r a=\"1\">...</r>");
}

TEST_F(ViewerText, ElementWithNeitherIsOneEmptyTag) {
    ASSERT_TRUE(LoadXml(pane, "<r><leaf/><leaf2 x='y'/></r>").ok);
    EXPECT_EQ(ElementViewerText(*Find(pane, "leaf")), u"<leaf/>");
    EXPECT_EQ(ElementViewerText(*Find(pane, "leaf2")), u"<leaf2 x=\"y\"/>");
}

TEST_F(ViewerText, HugeAttributeListIsCutButTheTagIsClosed) {
    std::string xml = "<r v='";
    xml.append(70000, 'x');
    xml += "'>t</r>";
    ASSERT_TRUE(LoadXml(pane, xml).ok);
    const std::u16string text = ElementViewerText(*Find(pane, ""));
    EXPECT_EQ(text.size(), kViewerAttributeLimit + std::u16string(u">t</r>").size());
    EXPECT_EQ(text.substr(text.size() - 6), u">t</r>");
}

TEST(AttributeNamesOf, ListsNamesInDocumentOrderEvenWhenValuesHoldEqualsAndBlanks) {
    ResetOptions(options(), false);
    DocumentPane pane;
    ASSERT_TRUE(LoadXml(pane, "<r zeta='a=b c' alpha='' mid='x y=z'/>").ok);
    const std::vector<std::u16string> names = AttributeNames(*Find(pane, ""));
    EXPECT_EQ(names, (std::vector<std::u16string>{u"zeta", u"alpha", u"mid"}));
}

TEST(AttributeNamesOf, NoneWithoutAttributes) {
    ResetOptions(options(), false);
    DocumentPane pane;
    ASSERT_TRUE(LoadXml(pane, "<r/>").ok);
    EXPECT_TRUE(AttributeNames(*Find(pane, "")).empty());
}

}  // namespace
}  // namespace quillon
