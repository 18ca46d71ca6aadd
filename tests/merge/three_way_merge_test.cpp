// SPDX-License-Identifier: MIT
// The three-way merge on inline triples: BASE, OURS, THEIRS in, the merged
// text (byte for byte) and the conflicts out.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "merge/element_spans.h"
#include "merge/merged_text.h"
#include "merge/source_text.h"
#include "merge/three_way_links.h"
#include "merge/three_way_merge.h"
#include "model/document_pane.h"
#include "platform/utf8.h"
#include "rules/ignore_rules.h"
#include "rules/key_elements.h"
#include "rules/rule_list_files.h"
#include "settings/options.h"
#include "settings/settings_file.h"
#include "support/load_xml.h"

namespace quillon::test {
namespace {

struct Triple {
    const char* name;
    std::string base, ours, theirs;
    std::string merged;
    std::vector<std::string> conflicts;  // "PATH: WHAT"
    std::string rules = {};              // lines of a list file, read before loading
    std::string refusal = {};            // what a refused merge says
};

struct Merge {
    std::string text;
    std::vector<std::string> conflicts;
    std::string error;
};

Merge RunMerge(const Triple& c) {
    ResetOptions(options(), false);
    ResetIgnoreRules();
    ResetKeys();
    if (!c.rules.empty()) {
        RegisterRuleListReaders();
        ReadSettingsFile(FileNameFromBytes(WriteTempFile(c.rules, ".txt")), kIgnoreRulesSection | kKeysSection);
    }
    Merge m;
    DocumentPane panes[3];
    SourceText texts[3];
    ElementSpans spans[3];
    const std::string* xml[3] = {&c.base, &c.ours, &c.theirs};
    for (int i = 0; i < 3; ++i) {
        if (!LoadXml(panes[i], *xml[i]).ok || !texts[i].Assign(*xml[i], m.error) ||
            !spans[i].Map(texts[i].text(), panes[i], m.error))
            return m.error += " (document " + std::to_string(i) + ")", m;
    }
    ThreeWayLinks links;
    links.Pair(panes[0], panes[1], panes[2]);
    MergedText merged(texts[1].text(), texts[1].lineEnd());
    std::vector<MergeConflict> conflicts;
    const MergeSources sources{spans[1], spans[2], [&](std::string&) { return &spans[0]; }};
    if (!MergeThreeWay(links, panes[1], sources, merged, conflicts, m.error)) return m;
    if (!merged.Render([&](std::string_view b) { m.text.append(b); }, true)) m.error = "edits overlap";
    for (const MergeConflict& k : conflicts)
        m.conflicts.push_back(k.path + ": " + k.what + " (line " + std::to_string(merged.LineOf(k.edit)) + ")");
    ResetIgnoreRules();
    ResetKeys();
    return m;
}

const Triple kTriples[] = {
    {"EachSideChangesItsOwnElement",
     "<r>\n  <a id=\"1\" v=\"x\"/>\n  <b id=\"2\">t</b>\n</r>\n",
     "<!-- ours --><r>\n  <a  id=\"1\"   v=\"x\" />\n  <b id=\"2\" k=\"o\">t</b><!-- note -->\n</r>\n",
     "<r>\n  <a id=\"1\" v='y' w=\"new\"/>\n  <b id=\"2\">t</b>\n</r>\n",
     "<!-- ours --><r>\n  <a  id=\"1\"   v='y' w=\"new\" />\n  <b id=\"2\" k=\"o\">t</b><!-- note -->\n</r>\n",
     {}},
    {"TheirsRemovesAnAttributeAndChangesText",
     "<r>\n  <a id=\"1\" old=\"o\">one</a>\n</r>",
     "<r>\n  <a id=\"1\" old=\"o\">one</a>\n  <c/>\n</r>",
     "<r>\n  <a id=\"1\">one &amp; two</a>\n</r>",
     "<r>\n  <a id=\"1\">one &amp; two</a>\n  <c/>\n</r>",
     {}},
    {"BothAddAtOnePlaceOursFirst",
     "<deps>\n  <dep id=\"a\"/>\n  <dep id=\"z\"/>\n</deps>",
     "<deps>\n  <dep id=\"a\"/>\n  <dep id=\"o\"/>\n  <dep id=\"z\"/>\n</deps>",
     "<deps>\n  <dep id=\"a\"/>\n  <dep id=\"t\"/>\n  <dep id=\"u\"/>\n  <dep id=\"z\"/>\n</deps>",
     "<deps>\n  <dep id=\"a\"/>\n  <dep id=\"o\"/>\n  <dep id=\"t\"/>\n  <dep id=\"u\"/>\n  <dep id=\"z\"/>\n</deps>",
     {}},
    {"RemovalsTakeTheirLines",
     "<r>\n  <i id=\"1\"/>\n  <i id=\"2\"/>\n  <i id=\"3\"/>\n</r>",
     "<r>\n  <i id=\"1\"/>\n  <i id=\"2\"/>\n  <i id=\"3\" x=\"1\"/>\n  <!-- c -->\n</r>",
     "<r>\n  <i id=\"1\"/>\n  <i id=\"3\"/>\n</r>",
     "<r>\n  <i id=\"1\"/>\n  <i id=\"3\" x=\"1\"/>\n  <!-- c -->\n</r>",
     {}},
    {"TheSameChangeOnBothSidesOnce",
     "<r>\n  <v>1</v>\n</r>",
     "<r>\n  <v>2</v>\n  <n>x</n>\n</r>",
     "<r>\n  <v>2</v>\n  <n>x</n>\n</r>",
     "<r>\n  <v>2</v>\n  <n>x</n>\n</r>",
     {}},
    {"OrderAloneIsNoChange",
     "<r>\n  <i id=\"1\"/>\n  <i id=\"2\"/>\n</r>",
     "<r>\n  <i id=\"1\"/>\n  <i id=\"2\"/> <!-- two -->\n</r>",
     "<r>\n  <i id=\"2\"/>\n  <i id=\"1\"/>\n</r>",
     "<r>\n  <i id=\"1\"/>\n  <i id=\"2\"/> <!-- two -->\n</r>",
     {}},
    {"TextChangedTwoWays",
     "<r>\n  <v>1</v>\n</r>",
     "<r>\n  <v>2</v>\n</r>",
     "<r>\n  <v>3</v>\n</r>",
     "<r>\n  <?start_conflict text changed in ours and in theirs?>\n  <v>2</v>\n  <?theirs_version <v>3</v>?>\n"
     "  <?base_version <v>1</v>?>\n  <?end_conflict?>\n</r>",
     {"/r[1]/v[1]: text changed in ours and in theirs (line 2)"}},
    {"OneAttributeChangedTwoWaysTheOtherTaken",
     "<r>\n  <e a=\"1\" b=\"1\"/>\n</r>",
     "<r>\n  <e a=\"2\" b=\"1\"/>\n</r>",
     "<r>\n  <e a=\"3\" b=\"2\"/>\n</r>",
     "<r>\n  <?start_conflict attribute a changed in ours and in theirs?>\n  <e a=\"2\" b=\"2\"/>\n"
     "  <?theirs_version <e a=\"3\" b=\"2\"/>?>\n  <?base_version <e a=\"1\" b=\"1\"/>?>\n  <?end_conflict?>\n</r>",
     {"/r[1]/e[1]: attribute a changed in ours and in theirs (line 2)"}},
    {"RemovedInTheirsChangedInOurs",
     "<r>\n  <i id=\"1\">a</i>\n  <i id=\"2\">b</i>\n</r>",
     "<r>\n  <i id=\"1\">a</i>\n  <i id=\"2\">B</i>\n</r>",
     "<r>\n  <i id=\"1\">a</i>\n</r>",
     "<r>\n  <i id=\"1\">a</i>\n  <?start_conflict removed in theirs, changed in ours?>\n  <i id=\"2\">B</i>\n"
     "  <?theirs_removed?>\n  <?base_version <i id=\"2\">b</i>?>\n  <?end_conflict?>\n</r>",
     {"/r[1]/i[2]: removed in theirs, changed in ours (line 3)"}},
    {"RemovedInOursChangedInTheirs",
     "<r>\n  <i id=\"1\">a</i>\n  <i id=\"2\">b</i>\n</r>",
     "<r>\n  <i id=\"1\">a</i>\n</r>",
     "<r>\n  <i id=\"1\">a</i>\n  <i id=\"2\">B?></i>\n</r>",
     "<r>\n  <i id=\"1\">a</i>\n  <?start_conflict removed in ours, changed in theirs?>\n"
     "  <?theirs_version <i id=\"2\">B?&gt;</i>?>\n  <?base_version <i id=\"2\">b</i>?>\n  <?end_conflict?>\n</r>",
     {"/r[1]/i[2]: removed in ours, changed in theirs (line 3)"}},
    {"AddedTwiceWithTheSameKey",
     "<r>\n  <i id=\"1\">a</i>\n</r>",
     "<r>\n  <i id=\"1\">a</i>\n  <i id=\"2\">o</i>\n</r>",
     "<r>\n  <i id=\"1\">a</i>\n  <i id=\"2\">t</i>\n  <i id=\"3\">t</i>\n</r>",
     "<r>\n  <i id=\"1\">a</i>\n  <?start_conflict added differently in ours and in theirs?>\n  <i id=\"2\">o</i>\n"
     "  <?theirs_version <i id=\"2\">t</i>?>\n  <?end_conflict?>\n  <i id=\"3\">t</i>\n</r>",
     {"/r[1]/i[2]: added differently in ours and in theirs (line 3)"},
     "KeyAttribute=r>i|id\n"},
    {"AddedTwiceWithTheSameKeyInChildElements",
     "<d>\n  <p><a>x</a><v>1</v></p>\n  <p><a>y</a><v>1</v></p>\n</d>",
     "<d>\n  <p><a>x</a><v>1</v></p>\n  <p><a>y</a><v>1</v></p>\n  <p><a>z</a><v>1</v></p>\n</d>",
     "<d>\n  <p><a>x</a><v>1</v></p>\n  <p><a>y</a><v>1</v></p>\n  <p><a>z</a><v>2</v></p>\n  <p><a>w</a><v>2</v></p>\n</d>",
     "<d>\n  <p><a>x</a><v>1</v></p>\n  <p><a>y</a><v>1</v></p>\n  <?start_conflict added differently in ours and in theirs?>\n"
     "  <p><a>z</a><v>1</v></p>\n  <?theirs_version <p><a>z</a><v>2</v></p>?>\n  <?end_conflict?>\n  <p><a>w</a><v>2</v></p>\n</d>",
     {"/d[1]/p[3]: added differently in ours and in theirs (line 4)"}},
    {"AddedTwiceDifferingInAnotherIdentity",
     "<d>\n  <p><groupId>a</groupId><artifactId>x</artifactId></p>\n  <p><groupId>b</groupId><artifactId>y</artifactId></p>\n</d>",
     "<d>\n  <p><groupId>a</groupId><artifactId>x</artifactId></p>\n  <p><groupId>b</groupId><artifactId>y</artifactId></p>\n"
     "  <p><groupId>c</groupId><artifactId>z</artifactId></p>\n</d>",
     "<d>\n  <p><groupId>a</groupId><artifactId>x</artifactId></p>\n  <p><groupId>b</groupId><artifactId>y</artifactId></p>\n"
     "  <p><groupId>c</groupId><artifactId>w</artifactId></p>\n</d>",
     "<d>\n  <p><groupId>a</groupId><artifactId>x</artifactId></p>\n  <p><groupId>b</groupId><artifactId>y</artifactId></p>\n"
     "  <p><groupId>c</groupId><artifactId>z</artifactId></p>\n  <p><groupId>c</groupId><artifactId>w</artifactId></p>\n</d>",
     {}},
    {"OneSettingAddedTwoWays",
     "<c>\n  <a>1</a>\n</c>",
     "<c>\n  <a>1</a>\n  <b>1</b>\n</c>",
     "<c>\n  <a>1</a>\n  <b>2</b>\n</c>",
     "<c>\n  <a>1</a>\n  <?start_conflict added differently in ours and in theirs?>\n  <b>1</b>\n"
     "  <?theirs_version <b>2</b>?>\n  <?end_conflict?>\n</c>",
     {"/c[1]/b[1]: added differently in ours and in theirs (line 3)"}},
    {"AddedIntoAnEmptyTag",
     "<p>\n  <deps/>\n</p>",
     "<p>\n  <deps />\n  <x/>\n</p>",
     "<p>\n  <deps>\n    <dep>a</dep>\n  </deps>\n</p>",
     "<p>\n  <deps >\n    <dep>a</dep>\n  </deps>\n  <x/>\n</p>",
     {}},
    {"TextAmongChildElementsTakenWhole",
     "<doc>\n  <p>Run the <b>setup</b> as root.</p>\n</doc>",
     "<doc>\n  <p>Run the <b>setup</b> as root.</p>\n  <p>New.</p>\n</doc>",
     "<doc>\n  <p>Run the <b>setup</b> as an administrator.</p>\n</doc>",
     "<doc>\n  <p>Run the <b>setup</b> as an administrator.</p>\n  <p>New.</p>\n</doc>",
     {}},
    {"TextAmongChildElementsAgainstAChangedChild",
     "<d>\n  <p>A <b>x</b> B</p>\n</d>",
     "<d>\n  <p>A <b>y</b> B</p>\n</d>",
     "<d>\n  <p>A2 <b>x</b> B<i/></p>\n</d>",
     "<d>\n  <?start_conflict text changed in theirs among child elements that ours changed?>\n  <p>A <b>y</b> B</p>\n"
     "  <?theirs_version <p>A2 <b>x</b> B<i/></p>?>\n  <?base_version <p>A <b>x</b> B</p>?>\n  <?end_conflict?>\n</d>",
     {"/d[1]/p[1]: text changed in theirs among child elements that ours changed (line 2)"}},
    {"MarkupInsideDeclarationsAndValuesIsNoElement",
     "<r>\n  <c><![CDATA[<not-an-element/>]]></c>\n  <v a=\"x>y\">1</v>\n</r>",
     "<?xml version=\"1.0\"?>\n<!DOCTYPE r [\n  <!ENTITY e \"a]>b\">\n  <!-- <x> -->\n]>\n<?pi <y>?>\n"
     "<r>\n  <c><![CDATA[<not-an-element/>]]></c>\n  <v a=\"x>y\">1</v>\n</r>\n<!-- end -->\n",
     "<r>\n  <c><![CDATA[<not-an-element/>]]></c>\n  <v a=\"x>y\">2</v>\n</r>",
     "<?xml version=\"1.0\"?>\n<!DOCTYPE r [\n  <!ENTITY e \"a]>b\">\n  <!-- <x> -->\n]>\n<?pi <y>?>\n"
     "<r>\n  <c><![CDATA[<not-an-element/>]]></c>\n  <v a=\"x>y\">2</v>\n</r>\n<!-- end -->\n",
     {}},
    {"InsertedLinesTakeOursLineEnds",
     "<r>\n  <a/>\n</r>",
     "<r>\r\n  <a/>\r\n</r>",
     "<r>\n  <a/>\n  <b>\n    <c/>\n  </b>\n</r>",
     "<r>\r\n  <a/>\r\n  <b>\r\n    <c/>\r\n  </b>\r\n</r>",
     {}},
    {"IgnoredElementsStayAsOursHasThem",
     "<r>\n  <stamp>1</stamp>\n  <v>1</v>\n</r>",
     "<r>\n  <stamp>2</stamp>\n  <v>1</v>\n</r>",
     "<r>\n  <v>2</v>\n  <stamp>3</stamp>\n</r>",
     "<r>\n  <stamp>2</stamp>\n  <v>2</v>\n</r>",
     {},
     "IgnoreElement=stamp\n"},
    {"EntitiesThatStandForElementsAreRefused",  // their elements have no place in the text
     "<!DOCTYPE r [<!ENTITY two \"<a/><a/>\">]><r>&two;</r>", "<r/>", "<r/>", "", {}, "",
     "entity references that stand for elements"},
};

// One process for the whole table: each row costs a start of the test
// program otherwise, which is most of the time under the sanitizers.
TEST(ThreeWayMergeTest, MergesAsAPersonWould) {
    for (const Triple& c : kTriples) {
        SCOPED_TRACE(c.name);
        const Merge m = RunMerge(c);
        if (!c.refusal.empty()) {
            EXPECT_NE(m.error.find(c.refusal), std::string::npos) << m.error;
            continue;
        }
        ASSERT_EQ(m.error, "");
        EXPECT_EQ(m.text, c.merged);
        EXPECT_EQ(m.conflicts, c.conflicts);
    }
}

}  // namespace
}  // namespace quillon::test
