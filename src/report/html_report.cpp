// SPDX-License-Identifier: MIT
#include "report/html_report.h"

#include <cstdio>

#include "compare/compare_state.h"
#include "model/element_record.h"
#include "model/name_table.h"
#include "platform/utf8.h"
#include "report/difference_walk.h"
#include "report/element_identity.h"
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

std::string elementCount(std::uint64_t n) {
    return std::to_string(n) + (n == 1 ? " element" : " elements");
}

// What identifies an element, after its name (<q> in the page).
// childrenOnly: the cell shows the attributes and text already.
void identity(std::string& out, const ElementRecord& r, bool ownText = true, bool childrenOnly = false) {
    std::vector<IdentityField> fields = IdentifyElement(r, ownText);
    if (childrenOnly)
        std::erase_if(fields, [](const IdentityField& f) { return f.kind != IdentityField::Kind::Child; });
    const std::string text = IdentityText(fields);
    if (text.empty()) return;
    out += " <q>";
    escape(out, text);
    out += "</q>";
}

// A value with its changed runs against other in <mark>, cut when long. When
// every word changed nothing is marked: the cell's colour says it already.
void markedValue(std::string& out, std::u16string_view value, std::u16string_view other, bool compare) {
    std::vector<ChangedRun> runs = compare ? ChangedRuns(value, other) : std::vector<ChangedRun>{};
    std::size_t changed = 0, visible = 0;
    for (const ChangedRun& r : runs) changed += r.length;
    for (char16_t c : value) visible += c > 0x20;
    if (changed >= visible) runs.clear();
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

// Rows are kept small, as a large pair can have tens of thousands: the class
// is the kind letter and the depth (c changed, d deleted, a added, p an
// ancestor, e equal siblings), end tags are left out where HTML allows, and
// a cell's <i> holds only the last step of its path and the line; the page's
// script puts the ancestors' path in front. A path that does not continue its
// parent's (a pair across parents) is written whole after "=".
class HtmlRows : public DifferenceVisitor {
public:
    explicit HtmlRows(std::ostream& out) : m_out(out) {}

    void difference(const Difference& d) override {
        m_row.clear();
        switch (d.kind) {
            case DifferenceKind::Changed: {
                ++tally.changed;
                const OwnChanges c = OwnChangesOf(*d.left, *d.right);
                open('c', d.depth);
                changedCell(*d.left, d, c, true);
                changedCell(*d.right, d, c, false);
                m_lastChanged = d.left;
                break;
            }
            case DifferenceKind::Deleted:
                ++tally.deleted;
                tally.deletedElements += SubtreeSize(*d.left);
                open('d', d.depth);
                aloneCell(*d.left, d.leftPath, m_leftPaths, d.depth);
                m_row += "<td class=x>";
                break;
            case DifferenceKind::Added:
                ++tally.added;
                tally.addedElements += SubtreeSize(*d.right);
                open('a', d.depth);
                m_row += "<td class=x>";
                aloneCell(*d.right, d.rightPath, m_rightPaths, d.depth);
                break;
        }
        m_row += '\n';
        m_out << m_row;
    }

    void enter(const Difference& d) override {
        ++m_depth;
        remember(m_leftPaths, d.depth, d.leftPath);
        remember(m_rightPaths, d.depth, d.rightPath);
        if (d.left == m_lastChanged) return;  // its row is already there
        m_row.clear();
        open('p', d.depth);
        const std::string leftStep = step(m_leftPaths, d.depth, d.leftPath);
        const std::string rightStep = step(m_rightPaths, d.depth, d.rightPath);
        for (const ElementRecord* r : {d.left, d.right}) {
            m_row += "<td><b>";
            escape(m_row, r->nameView());
            m_row += "</b>";
            identity(m_row, *r, false);
            place(*r, r == d.left || rightStep != leftStep ? (r == d.left ? leftStep : rightStep) : std::string());
        }
        m_row += '\n';
        m_out << m_row;
    }

    void leave() override { --m_depth; }

    void unchanged(std::uint64_t siblings, std::uint64_t elements) override {
        m_row = "<tr class=e" + std::to_string(m_depth) + "><td colspan=2>\u22ef " + std::to_string(siblings) +
                (siblings == 1 ? " equal element" : " equal elements");
        if (elements != siblings) m_row += " (" + std::to_string(elements) + " with their children)";
        m_row += '\n';
        m_out << m_row;
    }

    DifferenceTally tally;

private:
    void open(char kind, std::uint32_t depth) {
        m_row += "<tr class=";
        m_row += kind;
        m_row += std::to_string(depth) + '>';
    }

    // The paths of the entered pairs, by depth: [d] is the parent's of a row at depth d.
    static void remember(std::vector<std::string>& paths, std::uint32_t depth, std::string_view path) {
        if (paths.size() < depth + 2) paths.resize(depth + 2);
        paths[depth + 1] = path;
    }

    static std::string step(std::vector<std::string>& paths, std::uint32_t depth, std::string_view path) {
        if (paths.size() < depth + 1) paths.resize(depth + 1);
        const std::string& parent = paths[depth];
        if (path.size() > parent.size() && path.compare(0, parent.size(), parent) == 0 &&
            path.find('/', parent.size() + 1) == std::string_view::npos)
            return std::string(path.substr(parent.size()));
        std::string absolute(1, '=');
        return absolute.append(path);
    }

    // The step (empty: the same as the left cell's) and the line under a cell.
    void place(const ElementRecord& r, const std::string& step) {
        m_row += "<i>";
        escape(m_row, step);
        m_row += ' ' + std::to_string(r.line) + "</i>";
    }

    // <u> a changed attribute, <s> one the other side lacks.
    void attribute(std::u16string_view name, std::u16string_view value, std::u16string_view other, bool changed) {
        m_row += changed ? " <u>" : " <s>";
        escape(m_row, name);
        m_row += "=\"";
        markedValue(m_row, value, other, changed);
        m_row += changed ? "\"</u>" : "\"</s>";
    }

    void changedCell(const ElementRecord& r, const Difference& d, const OwnChanges& c, bool left) {
        m_row += "<td><b";
        if (c.nameChanged) m_row += " class=n";
        m_row += '>';
        escape(m_row, r.nameView());
        m_row += "</b>";
        identity(m_row, r, false);
        for (const AttributeDifference& a : c.attributes) {
            if (a.onLeft && a.onRight)
                attribute(a.name, left ? a.left : a.right, left ? a.right : a.left, true);
            else if (left ? a.onLeft : a.onRight)
                attribute(a.name, left ? a.left : a.right, {}, false);
        }
        if (c.textChanged) {
            m_row += " <em>";
            markedValue(m_row, left ? c.leftText : c.rightText, left ? c.rightText : c.leftText, true);
            m_row += "</em>";
        }
        const std::string leftStep = step(m_leftPaths, d.depth, d.leftPath);
        if (left) {
            place(r, leftStep);
        } else {
            const std::string rightStep = step(m_rightPaths, d.depth, d.rightPath);
            place(r, rightStep == leftStep ? std::string() : rightStep);
        }
        remember(left ? m_leftPaths : m_rightPaths, d.depth, left ? d.leftPath : d.rightPath);
    }

    void aloneCell(const ElementRecord& r, std::string_view path, std::vector<std::string>& paths,
                   std::uint32_t depth) {
        m_row += "<td><b>";
        escape(m_row, r.nameView());
        m_row += "</b>";
        identity(m_row, r, false, true);
        const RecordString a = r.attributesString();
        if (!a.empty()) {
            m_row += ' ';
            std::u16string shown(a.substr(0, kValueWidth));
            for (char16_t& ch : shown)
                if (ch == kValueOpen || ch == kValueClose) ch = u'"';
            escape(m_row, shown);
            if (a.size() > kValueWidth) m_row += "...";
        }
        if (r.text) {
            m_row += " <em>";
            markedValue(m_row, r.textString().utf16(m_scratch), {}, false);
            m_row += "</em>";
        }
        m_row += " (" + elementCount(SubtreeSize(r)) + ")";
        place(r, step(paths, depth, path));
    }

    std::ostream& m_out;
    std::string m_row;
    std::uint32_t m_depth = 0;  // pairs entered: the depth of their children
    const ElementRecord* m_lastChanged = nullptr;
    std::vector<std::string> m_leftPaths{std::string()};
    std::vector<std::string> m_rightPaths{std::string()};
    std::u16string m_scratch;
};

const char* const kScript = R"(<script>
(function () {
  // Each cell's <i> holds "STEP LINE"; the path is its parent row's path and
  // the step (STEP "=PATH" is whole, an empty right STEP is the left's).
  var left = [''], right = [''];
  function resolve(cell, paths, depth, same) {
    var i = cell.querySelector('i');
    if (!i) return null;
    var t = i.textContent, at = t.lastIndexOf(' '), step = t.slice(0, at), line = t.slice(at + 1);
    if (same !== null && step === '') step = same.step;
    var path = step.charAt(0) === '=' ? step.slice(1) : paths[depth] + step;
    paths[depth + 1] = path;
    i.textContent = (same && same.path === path ? '' : path + ' \u00b7 ') + 'line ' + line;
    return {step: step, path: path};
  }
  var rows = [];
  document.querySelectorAll('tr[class]').forEach(function (row) {
    var kind = row.className.charAt(0), depth = +row.className.slice(1);
    row.dataset.d = depth;
    for (var c = 0; c < row.cells.length; ++c) row.cells[c].style.paddingLeft = (depth * 16 + 8) + 'px';
    if (kind === 'e') return;
    var l = resolve(row.cells[0], left, depth, null);
    resolve(row.cells[1], right, depth, l || null);
    if (kind !== 'p') rows.push(row);
  });
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
  // A click on a row folds or unfolds the rows below it.
  document.querySelectorAll('tr[class^=p], tr[class^=c]').forEach(function (row) {
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
    // File names need not be UTF-8; the page is.
    const std::string leftName = ValidUtf8(input.leftName), rightName = ValidUtf8(input.rightName);
    std::string head =
        "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">\n"
        "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; style-src 'unsafe-inline'; "
        "script-src 'unsafe-inline'\">\n<title>";
    escape(head, leftName);
    head += " &#8594; ";
    escape(head, rightName);
    head += "</title>\n<style>\n"
            "body{font:13px system-ui,sans-serif;margin:0;color:#222}\n"
            "header{position:sticky;top:0;background:#f4f4f4;border-bottom:1px solid #ccc;padding:6px 10px;z-index:1}\n"
            "header h1{font-size:15px;margin:0 0 4px}\nheader p{margin:2px 0}\n"
            ".opt{color:#555}\nbutton{font:inherit}\n"
            "table{border-collapse:collapse;width:100%;table-layout:fixed}\n"
            "th{background:#e8e8e8;text-align:left;padding:4px 8px;position:sticky;top:var(--top,0)}\n"
            "td{vertical-align:top;padding:2px 8px;border-bottom:1px solid #eee;"
            "font-family:ui-monospace,monospace;overflow-wrap:anywhere}\n"
            "td+td{border-left:1px solid #ccc}\n"
            "td i{display:block;color:#777;font:11px system-ui,sans-serif}\n"
            "u,s{text-decoration:none}\nem{font-style:normal}\n"
            "tr[class^=p],tr[class^=c]{cursor:pointer}\ntr.f b::after{content:' \\25B8'}\n"
            "tr[class^=e] td{color:#888;font-style:italic}\n"
            "td.x{background:repeating-linear-gradient(45deg,#fafafa,#fafafa 6px,#f0f0f0 6px,#f0f0f0 12px)}\n";
    // The colours of diff tools: removed red, added green, changed amber;
    // the marked words a stronger tint of their row's colour.
    head += "tr[class^=d] td:first-child,.lg .d{background:#ffebe9}\n"
            "tr[class^=a] td:last-child,.lg .a{background:#e6ffec}\n"
            "tr[class^=c] td,.lg .c{background:#fff8c5}\n"
            "tr[class^=d] b,tr[class^=a] b,tr[class^=c] b{padding:0 3px;border-radius:3px}\n"
            "tr[class^=d] b{background:#ffcecb;color:#82071e}\ntr[class^=a] b{background:#aceebb;color:#055d20}\n"
            "tr[class^=c] b{background:#f5d90a;color:#3b2300}\nb.n{outline:2px solid #cf222e}\n"
            "q{quotes:none;color:#0550ae}\n"
            "td:first-child u,td:first-child mark{background:#ffcecb;color:#82071e}\n"
            "td:last-child u,td:last-child mark{background:#aceebb;color:#055d20}\n"
            "td:first-child s{background:#ffcecb;color:#82071e;text-decoration:line-through}\n"
            "td:last-child s{background:#aceebb;color:#055d20}\nmark{font-weight:bold}\n"
            ".lg span{display:inline-block;padding:0 6px;margin-right:6px;border:1px solid #ccc;border-radius:3px}\n"
            "tr.cur td{box-shadow:inset 0 2px 0 #36c,inset 0 -2px 0 #36c}\n</style></head><body>\n<header><h1>";
    escape(head, leftName);
    head += " &#8594; ";
    escape(head, rightName);
    head += "</h1>";
    // The counts a reader checks the rows against, then the Result box's words.
    const CompareCounters& c = compareCounters();
    if (c.ChangedPairs) head += "<p id=\"tally\"><b>" + TallyLine(TallyDifferences(left, right), c.IgnoredElements) + "</b></p>";
    head += "<p id=\"msg\">";
    std::string message = ToUtf8(input.message);
    for (std::size_t at = message.find('\n'); at != std::string::npos; at = message.find('\n', at + 1))
        message[at] = ' ';
    escape(head, message);
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
            "<p class=\"lg\"><span class=\"d\">removed (only left)</span><span class=\"a\">added (only right)"
            "</span><span class=\"c\">changed</span></p>"
            "</header>\n<table><colgroup><col><col></colgroup>\n<tr><th>Left (old): ";
    escape(head, leftName);
    head += "</th><th>Right (new): ";
    escape(head, rightName);
    head += "</th></tr>\n";
    out << head;
    HtmlRows rows(out);
    WalkDifferences(left, right, rows);
    const DifferenceTally& t = rows.tally;
    std::string tail = "</table>\n<footer class=\"opt\" style=\"padding:6px 10px\">";
    tail += std::to_string(t.changed) + " changed, " + std::to_string(t.deleted) + " deleted (" +
            elementCount(t.deletedElements) + "), " + std::to_string(t.added) + " added (" +
            elementCount(t.addedElements) + "); equal pairs " + std::to_string(c.EqualPairs) +
            ", changed pairs " + std::to_string(c.ChangedPairs) + ", ignored elements " +
            std::to_string(c.IgnoredElements) + ".</footer>\n";
    tail += kScript;
    tail += "</body></html>\n";
    out << tail;
    return t;
}

}  // namespace quillon
