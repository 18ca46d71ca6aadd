// SPDX-License-Identifier: MIT
// Difference, merge and subset documents, and the entire-element list.

#include <gmock/gmock.h>

#include "output/output_fixture.h"

namespace quillon::test {
namespace {

constexpr std::string_view kDeclaration = "<?xml version=\"1.0\"?>";

class DifferenceDocumentsTest : public OutputTest {
protected:
    // Saves from the root of one pane; returns the file without its
    // declaration and the line end behind it.
    std::string Body(std::uint32_t command, DocumentPane& from) {
        const std::string bytes = SaveRoot(from, command);
        EXPECT_EQ(bytes.substr(0, kDeclaration.size()), kDeclaration);
        std::size_t start = std::min(bytes.size(), kDeclaration.size());
        while (start < bytes.size() && (bytes[start] == '\r' || bytes[start] == '\n')) ++start;
        return bytes.substr(start);
    }
    std::string Body(std::uint32_t command) { return Body(command, left); }

    // The saved file is a document the parser accepts.
    void ExpectWellFormed() {
        DocumentPane back;
        EXPECT_TRUE(LoadFile(back, path).ok) << ReadBytes(path);
        ClearPane(back);
    }
};

constexpr std::string_view kLeftCatalog = "<catalog><book id='7'><price>10</price></book><book id='9'/></catalog>";
constexpr std::string_view kRightCatalog = "<catalog><book id='8'><price>12</price></book><book id='11'/></catalog>";

TEST_F(DifferenceDocumentsTest, MergeWithMarkersFollowsTheExample) {
    options().PairRelatedOnly = 0;  // the example pairs the two books that share nothing
    Compare(kLeftCatalog, kRightCatalog);
    ASSERT_EQ(Find(left, "book")->partner(), Find(right, "book"));
    // The example has the books 9 and 11 without counterpart; the engine
    // pairs the two leftover books, so they are parted here.
    ElementRecord* nine = NextSiblingRecord(Find(left, "book"));
    ASSERT_NE(nine->partner(), nullptr);
    nine->partner()->setPartner(nullptr);
    nine->setPartner(nullptr);
    options().InsertPI = 1;
    options().EndOfLine = 1;
    EXPECT_EQ(Body(kModeMerge),
              "<catalog>\r\n"
              "<!-- id=\"8\" -->\r\n"
              "<book id=\"7\">\r\n"
              "<price><?start_value_changed?>\r\n"
              "12<?end_value_changed?>\r\n"
              "10</price>\r\n"
              "</book>\r\n"
              "<?start_elements_added?>\r\n"
              "<book id=\"9\"/>\r\n"
              "<?end_elements_added?>\r\n"
              "<?start_elements_deleted?>\r\n"
              "<book id=\"11\"/>\r\n"
              "<?end_elements_deleted?>\r\n"
              "</catalog>\r\n");
    ExpectWellFormed();
}

// Each kind of output keeps what it names, with the ancestors that lead
// there. A merge writes both versions of a change, the saved side's first,
// then the other side's unmatched elements; elements whose own data differ
// are written whole, but the selected element stays one document element
// (two versions side by side would be two roots).
TEST_F(DifferenceDocumentsTest, EachOutputKeepsWhatItNames) {
    options().PairRelatedOnly = 0;  // the catalogs pair the two books that share nothing
    struct Output {
        std::uint32_t mode;
        bool fromRight;
        const char* body;
    };
    const struct {
        std::string_view leftXml, rightXml;
        std::vector<Output> outputs;
    } cases[] = {
        {"<r><a>1</a><gone/></r>",
         "<r><a>2</a><new/></r>",
         {{kModeMerge, false, "<r><a>1</a><a>2</a><gone/><new/></r>"},
          {kModeMerge, true, "<r><a>2</a><a>1</a><new/><gone/></r>"}}},
        {kLeftCatalog,
         kRightCatalog,
         {{kModeMerge, false,
           "<catalog><book id=\"7\"><price>10</price></book><book id=\"8\"><price>12</price></book>"
           "<book id=\"9\"/><book id=\"11\"/></catalog>"}}},
        {"<r v='1'><a>1</a><gone/></r>",
         "<r v='2'><a>1</a><new/></r>",
         {{kModeMerge, false, "<r v=\"1\"><a>1</a><gone/><new/></r>"},
          {kModeDifferences, false, "<r v=\"1\"><gone/><new/></r>"}}},
        {"<r><same>1</same><changed>1</changed><gone/></r>",
         "<r><same>1</same><changed>2</changed><new/></r>",
         {{kModeDifferences, false, "<r><changed>1</changed><changed>2</changed><gone/><new/></r>"}}},
        {"<r><a>1</a><b>1</b><p><q>1</q></p><s><t>1</t></s><u/></r>",
         "<r><a>1</a><b>2</b><p><q>1</q><extra/></p><s><t>2</t></s></r>",
         {{kModeCommon, false, "<r><a>1</a><p><q>1</q></p></r>"}}},
        {"<r><a>1</a><b>1</b><deep><mid><gone/><stay/></mid><keep/></deep></r>",
         "<r><a>1</a><b>2</b><deep><mid><stay/></mid><keep/></deep></r>",
         {{kModeOnlyChanged, false, "<r><b>1</b></r>"},
          {kModeOnlyDeleted, false, "<r><deep><mid><gone/></mid></deep></r>"},
          {kModeDeletedAndChanged, false, "<r><b>1</b><deep><mid><gone/></mid></deep></r>"},
          // Seen from the right, nothing is deleted; the selected element stays.
          {kModeOnlyDeleted, true, "<r></r>"}}},
    };
    for (const auto& c : cases) {
        Compare(c.leftXml, c.rightXml);
        options().EndOfLine = 0;
        for (const auto& [mode, fromRight, body] : c.outputs) {
            EXPECT_EQ(Body(mode, fromRight ? right : left), body) << c.leftXml << " mode " << mode;
            ExpectWellFormed();
        }
    }
    // Of identical documents, the selected element alone is left (its text
    // stood among children: no line end inside it).
    options().EndOfLine = 1;
    Compare("<r>top<a>1</a><b><c/></b></r>", "<r>top<a>1</a><b><c/></b></r>");
    EXPECT_EQ(Body(kModeDifferences), "<r>top</r>\r\n");
}

TEST_F(DifferenceDocumentsTest, AnEntireElementIsWrittenWholeButItselfStillFiltered) {
    Compare("<r><box><a>1</a><b>1</b></box><bag><a>1</a><b>1</b></bag></r>",
            "<r><box><a>1</a><b>2</b></box><bag><a>1</a><b>1</b></bag></r>");
    options().EndOfLine = 0;
    EXPECT_EQ(Body(kModeOnlyChanged), "<r><box><b>1</b></box></r>");
    ASSERT_TRUE(ToggleEntireElement(*Find(left, "box")));
    EXPECT_EQ(Body(kModeOnlyChanged), "<r><box><a>1</a><b>1</b></box></r>");
    // bag has nothing changed below it, so even as an entire element it is left out.
    ASSERT_TRUE(ToggleEntireElement(*Find(left, "bag")));
    EXPECT_EQ(Body(kModeOnlyChanged), "<r><box><a>1</a><b>1</b></box></r>");
}

// Included, ignored elements count as elements without counterpart; an
// ignored selected element leaves an empty root in every mode (with markers
// a merge still shows the other side's attributes first).
TEST_F(DifferenceDocumentsTest, IgnoredElementsAreWithoutCounterpartOrAnEmptyRoot) {
    Load("<r><a>1</a><skip>1</skip></r>", "<r><a>1</a><skip>1</skip></r>");
    Find(left, "skip")->ignoreState = 3;
    Find(right, "skip")->ignoreState = 3;
    Compare();
    options().EndOfLine = 0;
    EXPECT_EQ(Body(kModeOnlyDeleted), "<r></r>");
    options().IncludeIgnoredElements = 1;
    EXPECT_EQ(Body(kModeOnlyDeleted), "<r><skip>1</skip></r>");
    EXPECT_EQ(Body(kModeCommon), "<r><a>1</a></r>");

    options().IncludeIgnoredElements = 0;
    Compare("<r a='1'><x/></r>", "<r a='2'><y/></r>");
    RootRecord(left)->ignoreState = 2;
    for (std::uint32_t pi = 0; pi < 2; ++pi) {
        options().InsertPI = pi;
        for (std::uint32_t mode = kModeDifferences; mode <= kModeDeletedAndChanged; ++mode) {
            EXPECT_THAT(Body(mode), testing::EndsWith("<r></r>")) << mode;
            ExpectWellFormed();
        }
    }
}

// An element written away from its own ancestors declares the prefixes its
// name and attributes use, also when the output binds their URI to another.
TEST_F(DifferenceDocumentsTest, ElementsFromTheOtherSideDeclareTheirNamespaces) {
    options().EndOfLine = 0;
    options().InsertPI = 1;
    Compare("<r xmlns:q='urn:q'><a/></r>", "<r xmlns='urn:d' xmlns:p='urn:q'><a/><p:n p:k='1'><m/></p:n></r>");
    EXPECT_EQ(Body(kModeMerge),
              "<!-- xmlns=\"urn:d\" xmlns:p=\"urn:q\" --><r xmlns:q=\"urn:q\"><a/><?start_elements_deleted?>"
              "<p:n p:k=\"1\" xmlns:p=\"urn:q\"><m xmlns=\"urn:d\"/></p:n><?end_elements_deleted?></r>");
    ExpectWellFormed();
    // Saved alone, an element declares what its ancestors did.
    EXPECT_EQ(Save(Find(right, "p:n")),
              "<?xml version=\"1.0\"?><p:n p:k=\"1\" xmlns:p=\"urn:q\"><m xmlns=\"urn:d\"/></p:n>");
    // Both versions side by side: the other one keeps its own binding.
    options().InsertPI = 0;
    Compare("<r xmlns:q='urn:1'><q:a>1</q:a></r>", "<r xmlns:q='urn:2'><q:a>2</q:a></r>");
    EXPECT_EQ(Body(kModeMerge), "<r xmlns:q=\"urn:1\"><q:a>1</q:a><q:a xmlns:q=\"urn:2\">2</q:a></r>");
    ExpectWellFormed();
}

TEST_F(DifferenceDocumentsTest, DeepMergesNeedNoRecursion) {
    options().DoNamespaces = 0;
    options().MaxDepth = 0;  // no depth limit
    const std::string open = Repeat("<d>", 100000), close = Repeat("</d>", 100000);
    Compare(open + "x" + close, open + "y" + close);
    options().EndOfLine = 0;
    const std::string merged = SaveRoot(left, kModeMerge);
    EXPECT_NE(merged.find("<d>x</d><d>y</d></d>"), std::string::npos);  // both leaves, saved side first
    const std::string changed = SaveRoot(left, kModeOnlyChanged);
    EXPECT_EQ(changed.size() + std::string_view("<d>y</d>").size(), merged.size());
}

TEST_F(DifferenceDocumentsTest, EntireElementListHoldsFourRemovesByMovingTheLastAndReadsLines) {
    ASSERT_TRUE(LoadXml(left, "<r><a/><b/><c/><d/><e/></r>").ok);
    for (const char* n : {"a", "b", "c", "d"}) EXPECT_TRUE(ToggleEntireElement(*Find(left, n)));
    EXPECT_FALSE(ToggleEntireElement(*Find(left, "e")));  // full
    EXPECT_EQ(entireElements().count, 4u);
    EXPECT_TRUE(ToggleEntireElement(*Find(left, "b")));  // removal still works
    EXPECT_EQ(entireElements().entries[1].pathText, u"r>d");
    EXPECT_TRUE(IsEntireElement(*Find(left, "a")));
    EXPECT_FALSE(IsEntireElement(*Find(left, "b")));
    EXPECT_EQ(entireElements().entries[0].pathText, u"r>a");
    // Lines read from a list match the loaded elements by their path.
    entireElements().clear();
    ASSERT_TRUE(LoadXml(left, "<r><a><b/></a><c><b/></c></r>").ok);
    ReadEntireElementLine(u" r > a\t> b ");
    ReadEntireElementLine(u"r>a>b");  // the same entry again
    ReadEntireElementLine(u" \t ");
    ASSERT_EQ(entireElements().count, 1u);
    EXPECT_EQ(entireElements().entries[0].pathText, u"r>a>b");
    EXPECT_TRUE(IsEntireElement(*Find(left, "a/b")));
    EXPECT_FALSE(IsEntireElement(*Find(left, "c/b")));  // the same name elsewhere
    EXPECT_FALSE(IsEntireElement(*Find(left, "a")));
}

TEST_F(DifferenceDocumentsTest, SavedEntireElementsAreAppendedInUtf8) {
    ASSERT_TRUE(LoadXml(left, "<r><a\xC3\xA9/><b/></r>").ok);
    const std::string list = WriteTempFile("KeyElement=x\r\n", ".txt");
    EXPECT_TRUE(SaveEntireElements(list));  // nothing to save: nothing written
    EXPECT_EQ(ReadBytes(list), "KeyElement=x\r\n");
    ToggleEntireElement(*FirstChildRecord(RootRecord(left)));
    ToggleEntireElement(*Find(left, "b"));
    EXPECT_TRUE(SaveEntireElements(list));
    EXPECT_EQ(
        ReadBytes(list),
        "KeyElement=x\r\n\r\n#These rows were added by Quillon\r\nEntireElement=r>a\xC3\xA9\r\nEntireElement=r>b\r\n");
    EXPECT_FALSE(SaveEntireElements("/nonexistent/folder/list.txt"));
}

}  // namespace
}  // namespace quillon::test
