// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <string>

#include "model/doctype_info.h"
#include "settings/options.h"
#include "support/load_xml.h"

namespace quillon {
namespace {

TEST(Doctype, SystemOnlyWritesTheSystemForm) {
    DoctypeInfo info{u"root", u"", u"root.dtd"};
    char16_t buf[512];
    ASSERT_TRUE(DoctypeText(info, buf, 512));
    EXPECT_EQ(std::u16string(buf), u"<!DOCTYPE root SYSTEM \"root.dtd\">");
}

TEST(Doctype, BothIdentifiersWriteThePublicForm) {
    DoctypeInfo info{u"html", u"-//W3C//DTD XHTML 1.0//EN", u"x.dtd"};
    char16_t buf[512];
    ASSERT_TRUE(DoctypeText(info, buf, 512));
    EXPECT_EQ(std::u16string(buf), u"<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0//EN\" \"x.dtd\">");
}

TEST(Doctype, FailsWithoutNameIdentifierOrRoom) {
    char16_t buf[64] = {u'k', 0};
    EXPECT_FALSE(DoctypeText(DoctypeInfo{u"", u"", u"a.dtd"}, buf, 64));
    EXPECT_FALSE(DoctypeText(DoctypeInfo{u"root", u"", u""}, buf, 64));
    EXPECT_FALSE(DoctypeText(DoctypeInfo{u"root", u"", u"a.dtd"}, buf, 4 + 5 + 41));
    EXPECT_EQ(std::u16string(buf), u"k");
}

TEST(Doctype, ParsedFromTheDocumentAndCut) {
    ResetOptions(options(), false);
    DocumentPane pane;
    DoctypeInfo info;
    const std::string longId(400, 'p');
    ASSERT_TRUE(test::LoadXml(pane, "<!DOCTYPE r PUBLIC \"" + longId + "\" \"r.dtd\"><r/>", &info).ok);
    EXPECT_EQ(info.rootName, u"r");
    EXPECT_EQ(info.publicId.size(), DoctypeInfo::kCapacity);
    EXPECT_EQ(info.systemId, u"r.dtd");
    // A new load empties it.
    ASSERT_TRUE(test::LoadXml(pane, "<r/>", &info).ok);
    EXPECT_TRUE(info.rootName.empty());
}

}  // namespace
}  // namespace quillon
