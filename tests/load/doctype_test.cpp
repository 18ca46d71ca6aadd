// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <string>

#include "model/doctype_info.h"
#include "platform/utf8.h"
#include "settings/options.h"
#include "support/load_xml.h"

namespace quillon {
namespace {

// The system form, the public form, or nothing at all (the buffer untouched)
// without a name, an identifier or room.
TEST(Doctype, WrittenInTheSystemOrThePublicFormOrNotAtAll) {
    const struct {
        DoctypeInfo info;
        std::size_t room;
        const char16_t* text;
    } cases[] = {
        {{u"root", u"", u"root.dtd"}, 512, u"<!DOCTYPE root SYSTEM \"root.dtd\">"},
        {{u"html", u"-//W3C//DTD XHTML 1.0//EN", u"x.dtd"}, 512,
         u"<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0//EN\" \"x.dtd\">"},
        {{u"", u"", u"a.dtd"}, 64, nullptr},
        {{u"root", u"", u""}, 64, nullptr},
        {{u"root", u"", u"a.dtd"}, 4 + 5 + 41, nullptr},
    };
    for (const auto& c : cases) {
        char16_t buf[512] = {u'k', 0};
        EXPECT_EQ(DoctypeText(c.info, buf, c.room), c.text != nullptr) << ToUtf8(c.info.systemId);
        EXPECT_EQ(std::u16string(buf), c.text ? c.text : u"k");
    }
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
