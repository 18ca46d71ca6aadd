// SPDX-License-Identifier: MIT
#include "report/html_report.h"

#include <cstdio>

#include "compare/compare_state.h"
#include "model/element_record.h"
#include "model/name_table.h"
#include "platform/utf8.h"
#include "report/difference_walk.h"
#include "report/own_changes.h"
#include "rules/ignore_rules.h"
#include "rules/key_elements.h"
#include "settings/options.h"

namespace quillon {
namespace {

constexpr std::size_t kValueWidth = 160;

void escape(std::string& out, std::string_view s) {
    for (const char c : s) {
        switch (c) {
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '&': out += "&amp;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
}

void escape(std::string& out, std::u16string_view s) { escape(out, ToUtf8(s)); }

std::string css(ColorRef c) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "#%02x%02x%02x", c & 255u, (c >> 8) & 255u, (c >> 16) & 255u);
    return buffer;
}

// A value with its changed runs against other in <mark>, cut when long.
void markedValue(std::string& out, std::u16string_view value, std::u16string_view other, bool compare) {
    const std::vector<ChangedRun> runs = compare ? ChangedRuns(value, other) : std::vector<ChangedRun>{};
    const Excerpt e = ShortenedValue(value, runs, kValueWidth);
    std::size_t at = 0;
    for (const auto& [from, to] : e.marks) {
        escape(out, std::string_view(e.text).substr(at, from - at));
        out += "<mark>";
        escape(out, std::string_view(e.text).substr(from, to - from));
        out += "</mark>";
        at = to;
    }
    escape(out, std::string_view(e.text).substr(at));
}

class HtmlRows : public DifferenceVisitor {
public:
    explicit HtmlRows(std::ostream& out) : m_out(out) {}

    void difference(const Difference& d) override {
        m_row.clear();
        switch (d.kind) {
            case DifferenceKind::Changed: {
                ++tally.changed;
                const OwnChanges c = OwnChangesOf(*d.left, *d.right);
                open("c", d.depth);
                changedCell(*d.left, d.leftPath, c, true);
                changedCell(*d.right, d.rightPath, c, false);
                m_lastChanged = d.left;
                break;
            }
            case DifferenceKind::Deleted:
                ++tally.deleted;
                tally.deletedElements += SubtreeSize(*d.left);
                open("d", d.depth);
                aloneCell(*d.left, d.leftPath);
                m_row += "<td class=\"x\"></td>";
                break;
            case DifferenceKind::Added:
                ++tally.added;
                tally.addedElements += SubtreeSize(*d.right);
                open("a", d.depth);
                m_row += "<td class=\"x\"></td>";
                aloneCell(*d.right, d.rightPath);
                break;
        }
        m_row += "</tr>\n";
        m_out << m_row;
    }

    void enter(const Difference& d) override {
        ++m_depth;
        if (d.left == m_lastChanged) return;  // its row is already there
        m_row.clear();
        open("p", d.depth);
        for (const ElementRecord* r : {d.left, d.right}) {
            m_row += "<td>";
            startTag(*r, r == d.left ? d.leftPath : d.rightPath);
            m_row += "</td>";
        }
        m_row += "</tr>\n";
        m_out << m_row;
    }

    void leave() override { --m_depth; }

    void unchanged(std::uint64_t siblings, std::uint64_t elements) override {
        m_row.clear();
        m_row += "<tr class=\"e\" data-d=\"" + std::to_string(m_depth) + "\"><td colspan=\"2\" style=\"padding-left:" +
                 std::to_string(m_depth * 16 + 4) + "px\">&#8943; " + std::to_string(siblings) +
                 (siblings == 1 ? " equal element" : " equal elements");
        if (elements != siblings) m_row += " (" + std::to_string(elements) + " with their children)";
        m_row += "</td></tr>\n";
        m_out << m_row;
    }

    DifferenceTally tally;

private:
    void open(const char* kind, std::uint32_t depth) {
        m_row += "<tr class=\"";
        m_row += kind;
        if (kind[0] != 'p') m_row += " k";
        m_row += "\" data-d=\"" + std::to_string(depth) + "\" style=\"--d:" + std::to_string(depth) + "\">";
    }

    void startTag(const ElementRecord& r, std::string_view path) {
        m_row += "<div class=\"t\">&lt;<b>";
        escape(m_row, r.name ? r.name->view() : std::u16string_view());
        m_row += "</b>&gt;</div><div class=\"h\">";
        escape(m_row, path);
        m_row += "</div>";
    }

    void attribute(std::u16string_view name, std::u16string_view value, std::u16string_view other, const char* cls,
                   bool compare) {
        m_row += " <span class=\"";
        m_row += cls;
        m_row += "\">";
        escape(m_row, name);
        m_row += "=&quot;";
        markedValue(m_row, value, other, compare);
        m_row += "&quot;</span>";
    }

    void changedCell(const ElementRecord& r, std::string_view path, const OwnChanges& c, bool left) {
        m_row += "<td><div class=\"t\">&lt;<b";
        if (c.nameChanged) m_row += " class=\"n\"";
        m_row += '>';
        escape(m_row, r.name ? r.name->view() : std::u16string_view());
        m_row += "</b>";
        for (const AttributeDifference& a : c.attributes) {
            if (a.onLeft && a.onRight)
                attribute(a.name, left ? a.left : a.right, left ? a.right : a.left, "v", true);
            else if (left ? a.onLeft : a.onRight)
                attribute(a.name, left ? a.left : a.right, {}, "o", false);
        }
        m_row += "&gt;";
        if (c.textChanged) {
            m_row += "<span class=\"tx\">";
            markedValue(m_row, left ? c.leftText : c.rightText, left ? c.rightText : c.leftText, true);
            m_row += "</span>";
        }
        m_row += "</div><div class=\"h\">";
        escape(m_row, path);
        m_row += " &middot; line " + std::to_string(r.line) + "</div></td>";
    }

    void aloneCell(const ElementRecord& r, std::string_view path) {
        m_row += "<td><div class=\"t\">&lt;<b>";
        escape(m_row, r.name ? r.name->view() : std::u16string_view());
        m_row += "</b>";
        const std::u16string_view a = r.attributesView();
        if (!a.empty()) {
            m_row += ' ';
            std::u16string shown(a.substr(0, kValueWidth));
            for (char16_t& ch : shown)
                if (ch == kValueOpen || ch == kValueClose) ch = u'"';
            escape(m_row, shown);
            if (a.size() > kValueWidth) m_row += "...";
        }
        m_row += "&gt;";
        if (r.text) {
            m_row += "<span class=\"tx\">";
            markedValue(m_row, r.textView(), {}, false);
            m_row += "</span>";
        }
        const std::uint64_t n = SubtreeSize(r);
        if (n > 1) m_row += " <i>(" + std::to_string(n) + " elements)</i>";
        m_row += "</div><div class=\"h\">";
        escape(m_row, path);
        m_row += " &middot; line " + std::to_string(r.line) + "</div></td>";
    }

    std::ostream& m_out;
    std::string m_row;
    std::uint32_t m_depth = 0;  // pairs entered: the depth of their children
    const ElementRecord* m_lastChanged = nullptr;
};

const char* const kScript = R"(<script>
(function () {
  var rows = Array.prototype.slice.call(document.querySelectorAll('tr.k'));
  var at = -1;
  function go(step) {
    if (!rows.length) return;
    if (at >= 0) rows[at].classList.remove('cur');
    at = (at + step + rows.length) % rows.length;
    rows[at].classList.add('cur');
    rows[at].scrollIntoView({block: 'center'});
    document.getElementById('pos').textContent = (at + 1) + ' / ' + rows.length;
  }
  document.addEventListener('keydown', function (e) {
    if (e.key === 'n' || e.key === 'j' || e.key === 'F8') { go(1); e.preventDefault(); }
    if (e.key === 'p' || e.key === 'k' || e.key === 'F7') { go(-1); e.preventDefault(); }
  });
  document.getElementById('next').onclick = function () { go(1); };
  document.getElementById('prev').onclick = function () { go(-1); };
  // A click on an ancestor row folds or unfolds the rows below it.
  document.querySelectorAll('tr.p, tr.c').forEach(function (row) {
    row.addEventListener('click', function () {
      var depth = +row.dataset.d, folded = row.classList.toggle('f');
      for (var r = row.nextElementSibling; r && +r.dataset.d > depth; r = r.nextElementSibling)
        r.hidden = folded;
    });
  });
})();
</script>
)";

}  // namespace

std::vector<std::string> ComparisonSettingsSummary() {
    const Options& o = options();
    static const char* const levels[] = {"strict", "fast", "normal", "full"};
    std::vector<std::string> lines;
    lines.push_back(std::string("level ") + (o.CompareLevel < 4 ? levels[o.CompareLevel] : "full"));
    lines.push_back(o.IgnoreOrderElements ? "order of elements ignored" : "order of elements kept");
    const unsigned mode = compareSnapshot().mode;
    if (mode & kIgnoreCaseBit) lines.push_back("case ignored");
    if (mode & kIgnoreWhiteSpaceBit) lines.push_back("white space ignored");
    if (o.IgnoreAttributes) lines.push_back("attributes ignored");
    if (o.IgnoreValues) lines.push_back("values ignored");
    if (o.UniqueAttributes) lines.push_back("unique attributes");
    if (o.IgnoreNamespaces) lines.push_back("namespace prefixes ignored");
    if (!o.XMLElementCaseSensitive) lines.push_back("element names ignore case");
    if (!o.XMLAttributeCaseSensitive) lines.push_back("attribute names ignore case");
    if (o.NormalizeDate) lines.push_back("dates normalized");
    if (o.NormalizeNumber) lines.push_back("numbers normalized");
    if (const std::size_t n = ignoreRules().rules.size()) lines.push_back(std::to_string(n) + " ignore rule(s)");
    if (ignoreRules().commonAttributes.count()) lines.push_back("common attributes ignored");
    if (const std::size_t n = keyElements().size()) lines.push_back(std::to_string(n) + " key element(s)");
    if (keyAttribute().present()) lines.push_back("key attribute");
    return lines;
}

DifferenceTally WriteHtmlReport(std::ostream& out, const DocumentPane& left, const DocumentPane& right,
                                const HtmlReportInput& input) {
    const Palette& p = input.colors;
    std::string head =
        "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">\n"
        "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; style-src 'unsafe-inline'; "
        "script-src 'unsafe-inline'\">\n<title>";
    escape(head, input.leftName);
    head += " &#8594; ";
    escape(head, input.rightName);
    head += "</title>\n<style>\n"
            "body{font:13px system-ui,sans-serif;margin:0;color:#222}\n"
            "header{position:sticky;top:0;background:#f4f4f4;border-bottom:1px solid #ccc;padding:6px 10px;z-index:1}\n"
            "header h1{font-size:15px;margin:0 0 4px}\nheader p{margin:2px 0}\n"
            ".opt{color:#555}\nbutton{font:inherit}\n"
            "table{border-collapse:collapse;width:100%;table-layout:fixed}\n"
            "th{background:#e8e8e8;text-align:left;padding:4px 8px;position:sticky;top:var(--top,0)}\n"
            "td{vertical-align:top;padding:2px 8px 2px calc(var(--d,0)*16px + 8px);border-bottom:1px solid #eee;"
            "font-family:ui-monospace,monospace;overflow-wrap:anywhere}\n"
            "td+td{border-left:1px solid #ccc}\n"
            ".h{color:#777;font-size:11px}\n"
            "tr.p,tr.c{cursor:pointer}\ntr.f .t::after{content:' \\25B8'}\n"
            "tr.e td{color:#888;font-style:italic}\n"
            "td.x{background:repeating-linear-gradient(45deg,#fafafa,#fafafa 6px,#f0f0f0 6px,#f0f0f0 12px)}\n";
    head += "tr.c b{background:" + css(p[0]) + ";color:" + css(p[4]) + "}\n";
    head += "tr.d b,tr.a b{background:" + css(p[1]) + ";color:" + css(p[5]) + "}\n";
    head += "tr.d .t,tr.a .t{color:" + css(p[10]) + "}\n";
    head += "b.n{outline:2px solid " + css(p[1]) + "}\n";
    head += ".v,.o{background:" + css(p[6]) + ";color:" + css(p[8]) + "}\n";
    head += ".o{background:" + css(p[7]) + ";color:" + css(p[9]) + "}\n";
    head += "mark{background:" + css(p[7]) + ";color:" + css(p[9]) + ";font-weight:bold}\n";
    head += "tr.cur td{box-shadow:inset 0 2px 0 #36c,inset 0 -2px 0 #36c}\n</style></head><body>\n<header><h1>";
    escape(head, input.leftName);
    head += " &#8594; ";
    escape(head, input.rightName);
    head += "</h1><p id=\"msg\">";
    std::string message = ToUtf8(input.message);
    for (std::size_t at = message.find('\n'); at != std::string::npos; at = message.find('\n', at + 1))
        message[at] = ' ';
    escape(head, message);
    const CompareCounters& c = compareCounters();
    head += "</p><p>Equal pairs " + std::to_string(c.EqualPairs) + ", changed pairs " + std::to_string(c.ChangedPairs) +
            ", ignored elements " + std::to_string(c.IgnoredElements) + ", pairs with own changes " +
            std::to_string(c.OwnChangedPairs) + "</p><p class=\"opt\">Compared with: ";
    const std::vector<std::string> settings = ComparisonSettingsSummary();
    for (std::size_t i = 0; i < settings.size(); ++i) {
        if (i) head += ", ";
        escape(head, settings[i]);
    }
    head += "</p><p><button id=\"prev\" title=\"p\">&#9650; Previous</button> "
            "<button id=\"next\" title=\"n\">&#9660; Next</button> <span id=\"pos\"></span> "
            "<span class=\"opt\">Keys: n next, p previous difference; click a row to fold it.</span></p>"
            "</header>\n<table><colgroup><col><col></colgroup>\n<tr><th>Left (old): ";
    escape(head, input.leftName);
    head += "</th><th>Right (new): ";
    escape(head, input.rightName);
    head += "</th></tr>\n";
    out << head;
    HtmlRows rows(out);
    WalkDifferences(left, right, rows);
    const DifferenceTally& t = rows.tally;
    std::string tail = "</table>\n<footer class=\"opt\" style=\"padding:6px 10px\">";
    tail += std::to_string(t.changed) + " changed, " + std::to_string(t.deleted) + " deleted (" +
            std::to_string(t.deletedElements) + " elements), " + std::to_string(t.added) + " added (" +
            std::to_string(t.addedElements) + " elements); equal pairs " + std::to_string(c.EqualPairs) +
            ", changed pairs " + std::to_string(c.ChangedPairs) + ", ignored elements " +
            std::to_string(c.IgnoredElements) + ".</footer>\n";
    tail += kScript;
    tail += "</body></html>\n";
    out << tail;
    return t;
}

}  // namespace quillon
