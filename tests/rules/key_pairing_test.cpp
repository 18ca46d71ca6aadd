// SPDX-License-Identifier: MIT
// Pairing repeated elements by key elements and by the key attribute, where
// their order and similarity point the other way.
#include "rules_fixture.h"

namespace quillon::test {
namespace {

// The titles follow the order, the isbns are swapped.
constexpr const char* kLeftBooks =
    "<catalog><book><isbn>1</isbn><title>Alpha</title></book>"
    "<book><isbn>2</isbn><title>Beta</title></book></catalog>";
constexpr const char* kRightBooks =
    "<catalog><book><isbn>2</isbn><title>Alpha</title></book>"
    "<book><isbn>1</isbn><title>Beta</title></book></catalog>";

// Everything but the id follows the order.
constexpr const char* kLeftItems =
    "<r><item id='1' c='red' n='a'>Alpha</item><item id='2' c='blue' n='b'>Beta</item></r>";
constexpr const char* kRightItems =
    "<r><item id='2' c='red' n='a'>Alpha</item><item id='1' c='blue' n='b'>Beta</item></r>";

using KeyElementTest = RulesTest;

TEST_F(KeyElementTest, BooksPairByIsbnOnlyWithTheKey) {
    options().PairRelatedOnly = 0;  // or the isbns are found to be the key
    Compare(kLeftBooks, kRightBooks);
    EXPECT_EQ(PartnerKey(Find(left, "book")), "2");  // order and similarity decide
    ReadKeyElementLine(u"catalog>book>isbn");
    Compare(kLeftBooks, kRightBooks);
    const ElementRecord* first = Find(left, "book");
    EXPECT_EQ(PartnerKey(first), "1");
    EXPECT_EQ(PartnerKey(NextSiblingRecord(first)), "2");
}

TEST_F(KeyElementTest, ToggledFromTheTreeTwelveAtMost) {
    Load(kLeftBooks, kRightBooks);
    ElementRecord* isbn = Find(left, "book/isbn");
    EXPECT_TRUE(ToggleKeyElement(*isbn));
    ASSERT_EQ(keyElements().size(), 1u);
    EXPECT_EQ(ToUtf8(keyElements()[0].text), "catalog>book>isbn");
    EXPECT_TRUE(IsKeyElement(*Find(right, "book/isbn")));
    EXPECT_TRUE(IsKeyParent(*Find(right, "book")));
    Compare();
    EXPECT_EQ(PartnerKey(Find(left, "book")), "1");
    // Twice leaves the list as it was; the root has no parent.
    EXPECT_TRUE(ToggleKeyElement(*isbn));
    EXPECT_TRUE(keyElements().empty());
    EXPECT_FALSE(ToggleKeyElement(*RootRecord(left)));
    // Twelve at most, from lines or the tree.
    for (int i = 0; i < 14; ++i) ReadKeyElementLine(U("a>k" + std::to_string(i)));
    EXPECT_EQ(keyElements().size(), kMaxKeyElements);
    EXPECT_FALSE(ToggleKeyElement(*isbn));
    ReadKeyElementLine(u"a>k0");  // the same entry again
    EXPECT_EQ(keyElements().size(), kMaxKeyElements);
}

TEST_F(KeyElementTest, AnotherPathOrASingleNameIsNoKey) {
    ReadKeyElementLine(u"catalog>book>isbn");
    Load("<catalog><shelf><book><isbn>1</isbn></book></shelf></catalog>", "<catalog/>");
    EXPECT_FALSE(IsKeyElement(*Find(left, "shelf/book/isbn")));
    EXPECT_FALSE(IsKeyParent(*Find(left, "shelf/book")));
    EXPECT_FALSE(IsKeyOf(*Find(left, "shelf/book/isbn"), *Find(left, "shelf/book")));
    // A single name is stored but concerns nothing.
    ResetKeys();
    ReadKeyElementLine(u"isbn");
    ASSERT_EQ(keyElements().size(), 1u);
    Load(kLeftBooks, kRightBooks);
    EXPECT_FALSE(IsKeyOf(*Find(left, "book/isbn"), *Find(left, "book")));
}

using KeyAttributeTest = RulesTest;

TEST_F(KeyAttributeTest, ItemsPairByIdOnlyWithTheKey) {
    options().PairRelatedOnly = 0;  // or the ids are found to be the key
    Compare(kLeftItems, kRightItems);
    EXPECT_EQ(PartnerText(Find(left, "item")), "Alpha");
    ReadKeyAttributeLine(u"r>item|id");
    Compare(kLeftItems, kRightItems);
    const ElementRecord* first = Find(left, "item");
    EXPECT_EQ(PartnerText(first), "Beta");
    EXPECT_EQ(PartnerText(NextSiblingRecord(first)), "Alpha");
}

TEST_F(KeyAttributeTest, SetFromAnElementOrALineAndReset) {
    Load(kLeftItems, kRightItems);
    const ElementRecord* item = Find(left, "item");
    const std::uint32_t before = keyAttribute().fingerprint();
    SetKeyAttribute(*item, u" id ");
    EXPECT_EQ(ToUtf8(keyAttribute().text), "r>item|id");
    EXPECT_TRUE(IsKeyAttributeElement(*item));
    EXPECT_FALSE(IsKeyAttributeElement(*RootRecord(left)));
    EXPECT_TRUE(IsKeyAttributeName(u"id "));
    EXPECT_FALSE(IsKeyAttributeName(u"ID"));
    EXPECT_NE(keyAttribute().fingerprint(), before);
    ResetKeyAttribute();
    EXPECT_FALSE(keyAttribute().present());
    EXPECT_EQ(keyAttribute().fingerprint(), before);
    // A line without a bar changes nothing; one with a bar and a name replaces.
    ReadKeyAttributeLine(u"r>item|id");
    ReadKeyAttributeLine(u"r>item");
    EXPECT_EQ(ToUtf8(keyAttribute().text), "r>item|id");
    ReadKeyAttributeLine(u"nowhere>else|code");
    EXPECT_EQ(ToUtf8(keyAttribute().attributeName), "code");
    ReadKeyAttributeLine(u"r>item|");
    EXPECT_EQ(ToUtf8(keyAttribute().attributeName), "code");
}

TEST_F(KeyAttributeTest, NameCaseFollowsTheAttributeCaseOption) {
    ReadKeyAttributeLine(u"r>item|id");
    Load("<r><item ID='1'/></r>", "<r><item id='1'/></r>");
    EXPECT_EQ(KeyAttrSignatureOf(*Find(left, "item")), nullptr);
    EXPECT_NE(KeyAttrSignatureOf(*Find(right, "item")), nullptr);
    ClearPane(left);
    ClearPane(right);
    options().XMLAttributeCaseSensitive = 0;
    ReadKeyAttributeLine(u"r>item|id");  // the hash is made under the option
    Load("<r><item ID='1'/></r>", "<r><item id='1'/></r>");
    EXPECT_NE(KeyAttrSignatureOf(*Find(left, "item")), nullptr);
}

}  // namespace
}  // namespace quillon::test
