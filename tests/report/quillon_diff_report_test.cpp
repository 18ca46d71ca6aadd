// SPDX-License-Identifier: MIT
// quillon-diff's reports as their readers see them: the listing on a
// terminal or in a pipe, the JSON a script parses (every path evaluated by
// libxml2's XPath), the HTML page a browser renders.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "support/load_xml.h"
#include "support/run_program.h"

namespace quillon::test {
namespace {

Outcome Diff(const std::string& arguments) { return RunProgram(QUILLON_DIFF, arguments); }

bool Have(const char* program) {
    return RunProgram("command -v", program).status == 0;
}

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// The line on which the start tag of the index-th element (document order,
// from 0) ends, where the parser reports an element.
int StartTagEndLine(const std::string& xml, long index) {
    int line = 1;
    long seen = -1;
    for (std::size_t p = 0; p < xml.size(); ++p) {
        if (xml[p] == '\n') ++line;
        if (xml[p] != '<' || p + 1 >= xml.size()) continue;
        const char next = xml[p + 1];
        if (next == '/' || next == '?' || next == '!') continue;
        if (++seen < index) continue;
        for (; p < xml.size() && xml[p] != '>'; ++p) line += xml[p] == '\n';
        return line;
    }
    return -1;
}

// Every path of the JSON selects exactly one element of its document, the
// one at the reported line. One xmllint run per document evaluates them all.
void CheckPaths(const std::string& json, const std::string& leftFile, const std::string& rightFile) {
    const std::regex side("\"(left|right)\": \\{\"path\": \"([^\"]*)\", \"line\": ([0-9]+)");
    int checked = 0;
    for (const std::string& file : {leftFile, rightFile}) {
        std::vector<std::pair<std::string, int>> paths;
        std::string expression = "concat(''";
        for (std::sregex_iterator it(json.begin(), json.end(), side), end; it != end; ++it) {
            if (((*it)[1] == "left" ? leftFile : rightFile) != file) continue;
            const std::string path = (*it)[2];
            paths.emplace_back(path, std::stoi((*it)[3]));
            expression += ", count(" + path + "), ' ', count(" + path + "/ancestor::*) + count(" + path +
                          "/preceding::*), ' '";
        }
        if (paths.empty()) continue;
        std::istringstream results(RunProgram("xmllint", "--xpath " + Quote(expression + ")") + " " + file).out);
        const std::string xml = ReadBytes(file);
        for (const auto& [path, line] : paths) {
            long count = 0, order = -1;
            results >> count >> order;
            EXPECT_EQ(count, 1) << path;
            EXPECT_EQ(StartTagEndLine(xml, order), line) << path;
            ++checked;
        }
    }
    EXPECT_GT(checked, 0);
}

class ReportTest : public ::testing::Test {
protected:
    std::string a = WriteTempFile("<r>\n  <a x='1'><n>1</n>old text</a>\n  <b/>\n</r>\n");
    std::string b = WriteTempFile("<r>\n  <a x='2' y='3'><n>1</n>new text</a>\n  <c><d/></c>\n</r>\n");
};

TEST_F(ReportTest, ListingPrecedesTheResultAndBriefOrQuietLeaveIt) {
    const Outcome r = Diff(a + " " + b);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out,
              "--- " + a + "\n+++ " + b +
                  "\n"
                  "~ /r[1]/a[1]  line 2 -> 2\n"
                  "    @x: \"1\" -> \"2\"\n"
                  "    @y: added \"3\"\n"
                  "    text: \"[-old-] text\" -> \"{+new+} text\"\n"
                  "- /r[1]/b[1]  line 3 (deleted, 1 element)\n"
                  "+ /r[1]/c[1]  line 3 (added, 2 elements)\n"
                  "1 deleted, 2 added, 1 changed, 0 ignored\n");
    EXPECT_EQ(Diff("--brief " + a + " " + b).out, "1 deleted, 2 added, 1 changed, 0 ignored\n");
    EXPECT_EQ(Diff("-q " + a + " " + b).out, "");
    EXPECT_EQ(Diff(a + " " + a).out, "The two XML Documents are identical ! \n");
}

TEST_F(ReportTest, ColourOnlyWhenAskedOrOnATerminalWithoutNoColor) {
    const std::string escape = "\x1b[";
    EXPECT_EQ(Diff(a + " " + b).out.find(escape), std::string::npos);  // a pipe
    EXPECT_NE(Diff("--color=always " + a + " " + b).out.find("\x1b[31m"), std::string::npos);
    EXPECT_EQ(Diff("--color=never " + a + " " + b).out.find(escape), std::string::npos);
    if (Have("script")) {
        const std::string command = std::string(QUILLON_DIFF) + " " + a + " " + b;
        EXPECT_NE(RunProgram("script", "-qec " + Quote(command) + " /dev/null").out.find(escape), std::string::npos);
        EXPECT_EQ(RunProgram("NO_COLOR=1 script", "-qec " + Quote(command) + " /dev/null").out.find(escape),
                  std::string::npos);
    }
    EXPECT_EQ(Diff("--color=sometimes " + a + " " + b).status, 2);
}

TEST_F(ReportTest, JsonKeepsItsFieldNames) {
    const std::string out = WriteTempFile("", ".json");
    EXPECT_EQ(Diff("--format json --output " + out + " " + a + " " + b).status, 1);
    EXPECT_EQ(ReadBytes(out),
              "{\n  \"left\": \"" + a + "\",\n  \"right\": \"" + b +
                  "\",\n  \"identical\": false,\n"
                  "  \"message\": \"3 element(s) were deleted\\n2 element(s) were changed\\n0 element(s) were "
                  "ignored\\n\\nYou may change comparison\u2019s options\",\n"
                  "  \"differences\": [\n"
                  "    {\"kind\": \"changed\", \"left\": {\"path\": \"/r[1]/a[1]\", \"line\": 2, \"column\": 12}, "
                  "\"right\": {\"path\": \"/r[1]/a[1]\", \"line\": 2, \"column\": 18}, \"name\": \"a\", \"identity\": [], "
                  "\"attributes\": [{\"name\": \"x\", \"left\": \"1\", \"right\": \"2\"}, {\"name\": \"y\", \"left\": null, "
                  "\"right\": \"3\"}], \"text\": {\"left\": \"old text\", \"right\": \"new text\"}},\n"
                  "    {\"kind\": \"deleted\", \"left\": {\"path\": \"/r[1]/b[1]\", \"line\": 3, \"column\": 7}, "
                  "\"right\": null, \"name\": \"b\", \"identity\": [], \"elements\": 1},\n"
                  "    {\"kind\": \"added\", \"left\": null, \"right\": {\"path\": \"/r[1]/c[1]\", \"line\": 3, "
                  "\"column\": 6}, \"name\": \"c\", \"identity\": [], \"elements\": 2}\n"
                  "  ],\n"
                  "  \"counts\": {\"equalPairs\": 1, \"changedPairs\": 2, \"ignoredElements\": 0, \"ownChangedPairs\": "
                  "1, \"changed\": 1, \"deleted\": 1, \"added\": 1, \"deletedElements\": 1, \"addedElements\": 2}\n}\n");
    EXPECT_EQ(Diff("--output " + a + " " + a + " " + b).status, 2);  // never replaces a document
    EXPECT_EQ(ReadBytes(a).rfind("<r>", 0), 0u);

    // Statistics go to stderr, in front of nothing; a change of attributes
    // alone has "text": null; a document that does not load still gives
    // an object, with the error.
    const Outcome stats = RunProgram("sh -c", Quote(std::string(QUILLON_DIFF) + " --format json --stats " + a + " " + b +
                                                    " 2>/dev/null"));
    EXPECT_EQ(stats.out.rfind("{\n", 0), 0u) << stats.out;
    const std::string attributesOnly = WriteTempFile("<?xml version='1.1'?><r>\n  <a x='2' y='3&#9;4&#x1F;\\'><n>1</n>old text</a>\n  <b/>\n</r>\n");
    EXPECT_NE(Diff("--format json " + a + " " + attributesOnly).out.find("\"right\": \"3\\t4\\u001f\\\\\"}], \"text\": null}"),
              std::string::npos);
    const std::string broken = WriteTempFile("<r><x>");
    const Outcome failed = RunProgram("sh -c", Quote(std::string(QUILLON_DIFF) + " --format json " + a + " " + broken +
                                                     " 2>/dev/null"));
    EXPECT_EQ(failed.status, 2);
    EXPECT_EQ(failed.out.rfind("{\n  \"left\": \"" + a + "\",\n  \"right\": \"" + broken +
                                   "\",\n  \"error\": {\"file\": \"" + broken + "\", \"message\": \"line 1, column 7: ",
                               0),
              0u)
        << failed.out;
}

// An added record is named by its key in the listing, the JSON and the page;
// a parent row of the page names its record too.
TEST_F(ReportTest, RecordsAreNamedByTheirKeyInEveryReport) {
    const std::string customers = "<customers>\n<customer id='c1'><name>Ann</name><mail>a@x</mail></customer>\n"
                                  "<customer id='c2'><name>Bob</name><mail>b@x</mail></customer>\n";
    const std::string l = WriteTempFile(customers + "</customers>\n");
    const std::string r = WriteTempFile(
        "<customers>\n<customer id='c1'><name>Ann</name><mail>a@x</mail></customer>\n"
        "<customer id='c2'><name>Bob</name><mail>bob@x</mail></customer>\n"
        "<customer id='c&lt;&amp;\\7'><name>Eve</name><mail>e@x</mail></customer>\n</customers>\n");
    const std::string page = WriteTempFile("", ".html");
    const Outcome listing = Diff("--html " + page + " " + l + " " + r);
    EXPECT_NE(listing.out.find("+ /customers[1]/customer[3] @id=\"c<&\\\\7\"  line 4 (added, 3 elements)\n"), std::string::npos)
        << listing.out;
    EXPECT_NE(Diff("--format json " + l + " " + r)
                  .out.find("\"name\": \"customer\", \"identity\": [{\"kind\": \"attribute\", \"name\": \"id\", "
                            "\"value\": \"c<&\\\\7\"}], \"elements\": 3}"),
              std::string::npos);
    const std::string html = ReadBytes(page);
    EXPECT_NE(html.find("<b>customer</b> <q>@id=c2</q>"), std::string::npos) << html;  // the changed mail's parent
    EXPECT_NE(html.find("<b>customer</b> id=&quot;c&lt;&amp;\\7&quot;"), std::string::npos) << html;
}

TEST_F(ReportTest, EveryJsonPathSelectsItsElementInItsDocument) {
    if (!Have("xmllint")) GTEST_SKIP() << "xmllint (libxml2-utils) is not installed";
    // Prefixes, a default namespace and an element taken out of it,
    // repeated siblings and deep paths.
    const std::string l = WriteTempFile(
        "<r xmlns:p='urn:p'>\n<p:a k='1'>x</p:a><p:a k='2'>y</p:a>\n<s xmlns='urn:d'><t>1</t>\n"
        "<t xmlns=''><u><v>1</v><v>2</v></u></t></s>\n<w><w><w><w>deep</w></w></w></w></r>");
    const std::string r = WriteTempFile(
        "<r xmlns:p='urn:p'>\n<p:a k='1'>x</p:a><p:a k='3'>y</p:a>\n<s xmlns='urn:d'><t>2</t>\n"
        "<t xmlns=''><u><v>1</v><v>3</v><v/></u></t></s>\n<w><w><w><w>deeper</w></w></w></w></r>");
    CheckPaths(Diff("--format json --keep-order " + l + " " + r).out, l, r);

    // A generated catalog with scattered changes, deletions and additions.
    std::string left = "<catalog xmlns:c='urn:c'>\n", right = left;
    for (int i = 0; i < 300; ++i) {
        const std::string item = "<c:item id='" + std::to_string(i) + "'>\n <name>n" + std::to_string(i) +
                                 "</name><price>" + std::to_string(i % 7) + "</price>\n</c:item>\n";
        if (i % 41 != 5) left += item;
        if (i % 37 == 3) right += "<c:item id='" + std::to_string(i) + "'>\n <name>m</name><price>9</price></c:item>\n";
        else if (i % 43 != 8) right += item;
    }
    left += "</catalog>\n";
    right += "</catalog>\n";
    const std::string lf = WriteTempFile(left), rf = WriteTempFile(right);
    const std::string json = Diff("--format json " + lf + " " + rf).out;
    for (const char* kind : {"\"changed\"", "\"deleted\"", "\"added\""}) EXPECT_NE(json.find(kind), std::string::npos);
    CheckPaths(json, lf, rf);
}

TEST_F(ReportTest, HtmlReportRendersEveryDifferenceFromItselfAlone) {
    const std::string page = WriteTempFile("", ".html");
    EXPECT_EQ(Diff("--brief --html " + page + " " + a + " " + b).status, 1);
    const std::string html = ReadBytes(page);
    // Nothing outside the file: no links, sources or addresses.
    for (const char* outside : {"src=", "href=", "http:", "https:", "url(", "@import"})
        EXPECT_EQ(html.find(outside), std::string::npos) << outside;
    if (!Have("chromium")) GTEST_SKIP() << "chromium is not installed";
    const std::string dom =
        RunProgram("chromium", "--headless --no-sandbox --disable-gpu --dump-dom file://" + page + " 2>/dev/null | cat").out;
    // The page's script completes the paths from their last steps.
    for (const char* shown : {"/r[1]/a[1] \u00b7 line 2", "/r[1]/b[1] \u00b7 line 3", "/r[1]/c[1] \u00b7 line 3",
                              "x=\"1\"", "x=\"2\"", "y=\"3\"", "<mark>old</mark> text", "<mark>new</mark> text",
                              "3 element(s) were deleted", "1 deleted, 2 added, 1 changed, 0 ignored", "1 deleted (1 element)",
                              "removed (only left)"})
        EXPECT_NE(dom.find(shown), std::string::npos) << shown << " in\n" << dom;
}

}  // namespace
}  // namespace quillon::test
