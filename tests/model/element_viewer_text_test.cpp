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

// Attributes in quotes and the text; children without text an ellipsis;
// neither, one empty tag. A huge attribute list is cut, the tag closed.
TEST_F(ViewerText, ShowsTheElementAsATag) {
    ASSERT_TRUE(LoadXml(pane, "<r a='1'><item id='7' kind=\"a b\">some text</item><leaf/><leaf2 x='y'/></r>").ok);
    EXPECT_EQ(ElementViewerText(*Find(pane, "item")), u"<item id=\"7\" kind=\"a b\">some text</item>");
    EXPECT_EQ(ElementViewerText(*Find(pane, "")), u"<r a=\"1\">...</r>");
    EXPECT_EQ(ElementViewerText(*Find(pane, "leaf")), u"<leaf/>");
    EXPECT_EQ(ElementViewerText(*Find(pane, "leaf2")), u"<leaf2 x=\"y\"/>");

    std::string xml = "<r v='";
    xml.append(70000, 'x');
    xml += "'>t</r>";
    ASSERT_TRUE(LoadXml(pane, xml).ok);
    const std::u16string text = ElementViewerText(*Find(pane, ""));
    EXPECT_EQ(text.size(), kViewerAttributeLimit + std::u16string(u">t</r>").size());
    EXPECT_EQ(text.substr(text.size() - 6), u">t</r>");

    // Attribute names in document order, even when values hold "=" and blanks.
    ASSERT_TRUE(LoadXml(pane, "<r zeta='a=b c' alpha='' mid='x y=z'><e/></r>").ok);
    EXPECT_EQ(AttributeNames(*Find(pane, "")), (std::vector<std::u16string>{u"zeta", u"alpha", u"mid"}));
    EXPECT_TRUE(AttributeNames(*Find(pane, "e")).empty());
}

}  // namespace
}  // namespace quillon
