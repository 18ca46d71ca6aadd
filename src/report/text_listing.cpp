// SPDX-License-Identifier: MIT
#include "report/text_listing.h"

#include <string>

#include "compare/compare_state.h"
#include "model/attribute_names.h"
#include "model/document_pane.h"
#include "model/element_record.h"
#include "platform/terminal_text.h"
#include "platform/utf8.h"
#include "report/difference_walk.h"
#include "report/element_identity.h"
#include "report/own_changes.h"

namespace quillon {
namespace {

constexpr const char* kRed = "\x1b[31m";
constexpr const char* kGreen = "\x1b[32m";
constexpr const char* kYellow = "\x1b[33m";
constexpr const char* kBold = "\x1b[1m";
constexpr const char* kReset = "\x1b[0m";

bool isBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; }

// The two values differ in white space alone: shown with the white space
// made visible, or the line would read as no change at all.
bool whiteSpaceOnly(std::u16string_view a, std::u16string_view b) {
    std::size_t i = 0, j = 0;
    for (;;) {
        while (i < a.size() && isBlank(a[i])) ++i;
        while (j < b.size() && isBlank(b[j])) ++j;
        if (i == a.size() || j == b.size()) return i == a.size() && j == b.size() && a != b;
        if (a[i++] != b[j++]) return false;
    }
}

// A piece of a value on one line: escaped, blanks shown as middle dots when
// white space is what changed.
std::string shown(std::string_view utf8, bool visibleBlanks) {
    std::string s = EscapedForLine(utf8);
    if (!visibleBlanks) return TerminalText(s);
    std::string out;
    for (const char c : s) out += c == ' ' ? std::string("\u00b7") : std::string(1, c);
    return TerminalText(out);
}

class Listing : public DifferenceVisitor {
public:
    Listing(std::ostream& out, std::string_view title, const ListingStyle& style)
        : m_out(out), m_title(title), m_style(style) {}

    void difference(const Difference& d) override {
        if (!m_title.empty()) {
            m_out << TerminalText(m_title) << '\n';
            m_title = {};
        }
        switch (d.kind) {
            case DifferenceKind::Changed:
                ++tally.changed;
                changed(d);
                break;
            case DifferenceKind::Deleted:
                ++tally.deleted;
                tally.deletedElements += SubtreeSize(*d.left);
                alone('-', kRed, d.leftPath, *d.left, "deleted");
                break;
            case DifferenceKind::Added:
                ++tally.added;
                tally.addedElements += SubtreeSize(*d.right);
                alone('+', kGreen, d.rightPath, *d.right, "added");
                break;
        }
    }

    DifferenceTally tally;

private:
    void color(const char* code) {
        if (m_style.color) m_out << code;
    }

    // The path and, after it, what identifies the element; for a changed
    // one not the start of its own text, which its text line shows.
    void head(std::string_view path, const ElementRecord& r, bool changed = false) {
        m_out << path;
        const std::string identity = IdentityText(IdentifyElement(r, !changed));
        if (!identity.empty()) m_out << ' ' << TerminalText(identity);
    }

    void alone(char sign, const char* code, std::string_view path, const ElementRecord& r, const char* what) {
        const std::uint64_t n = SubtreeSize(r);
        color(code);
        m_out << sign << ' ';
        head(path, r);
        m_out << "  line " << r.line << " (" << what << ", " << n << (n == 1 ? " element)" : " elements)");
        color(kReset);
        m_out << '\n';
        if (m_style.subtreeLines) subtree(r, code);
    }

    void changed(const Difference& d) {
        color(kYellow);
        m_out << "~ ";
        head(d.leftPath, *d.left, true);
        m_out << "  line " << d.left->line << " -> " << d.right->line;
        color(kReset);
        m_out << '\n';
        if (d.rightPath != d.leftPath) m_out << "    right: " << d.rightPath << '\n';
        const OwnChanges c = OwnChangesOf(*d.left, *d.right);
        for (const AttributeDifference& a : c.attributes) {
            m_out << "    @" << TerminalText(ToUtf8(a.name)) << ": ";
            if (!a.onRight) {
                m_out << "removed ";
                value(a.left, {}, kRed, false, false);
            } else if (!a.onLeft) {
                m_out << "added ";
                value(a.right, {}, kGreen, false, false);
            } else {
                pair(a.left, a.right);
            }
            m_out << '\n';
        }
        if (c.textChanged) {
            m_out << "    text: ";
            pair(c.leftText, c.rightText);
            m_out << '\n';
        }
    }

    void pair(std::u16string_view left, std::u16string_view right) {
        const bool blanks = whiteSpaceOnly(left, right);
        value(left, right, kRed, !blanks, blanks);
        m_out << " -> ";
        value(right, left, kGreen, !blanks, blanks);
        if (blanks) m_out << "  (white space only)";
    }

    // A quoted value; against the other side's value its changed words are
    // marked (in colour, or [-old-] and {+new+} without), unless all changed.
    void value(std::u16string_view v, std::u16string_view other, const char* code, bool compare, bool blanks) {
        std::vector<ChangedRun> runs;
        if (compare) runs = ChangedRuns(v, other);
        const Excerpt e = ShortenedValue(v, runs, m_style.valueWidth);
        std::size_t changed = 0, visible = 0;
        for (const ChangedRun& r : runs) changed += r.length;
        for (char16_t c : v) visible += c > 0x20;
        const bool whole = runs.empty() || changed >= visible;
        const bool left = code == kRed;
        const std::string_view text = e.text;
        m_out << '"';
        if (whole) {
            color(code);
            m_out << shown(text, blanks);
            color(kReset);
        } else {
            std::size_t at = 0;
            for (const auto& [from, to] : e.marks) {
                m_out << shown(text.substr(at, from - at), blanks);
                if (m_style.color)
                    m_out << kBold << code << shown(text.substr(from, to - from), blanks) << kReset;
                else
                    m_out << (left ? "[-" : "{+") << shown(text.substr(from, to - from), blanks) << (left ? "-]" : "+}");
                at = to;
            }
            m_out << shown(text.substr(at), blanks);
        }
        m_out << '"';
    }

    // One line of a subtree: an element's start tag, its text when it has
    // no children (with its end tag), at its depth below the entry.
    void tagLine(const ElementRecord& r, std::size_t depth, bool leaf) {
        m_out << std::string(4 + 2 * depth, ' ') << '<' << TerminalText(ToUtf8(r.nameView()));
        std::u16string scratch;
        ForEachAttribute(r.attributesString(), [&](const AttributeText& a) {
            m_out << ' ' << TerminalText(ToUtf8(a.name.utf16(scratch))) << "=\"";
            m_out << shown(ToUtf8(CutAtWord(a.value.utf16(scratch), m_style.valueWidth)), false) << '"';
        });
        const bool empty = leaf && !r.text;
        m_out << (empty ? "/>" : ">");
        if (r.text) m_out << shown(ToUtf8(CutAtWord(r.textString().utf16(scratch), m_style.valueWidth)), false);
        if (leaf && r.text) m_out << "</" << TerminalText(ToUtf8(r.nameView())) << '>';
        m_out << '\n';
    }

    // The deleted or added subtree itself, cut after subtreeLines lines.
    void subtree(const ElementRecord& top, const char* code) {
        color(code);
        std::size_t lines = 0, depth = 0;
        std::uint64_t elements = 0;
        const ElementRecord* r = &top;
        while (r && lines < m_style.subtreeLines) {
            const ElementRecord* child = FirstChildRecord(r);
            tagLine(*r, depth, !child);
            ++lines, ++elements;
            if (child) {
                r = child;
                ++depth;
                continue;
            }
            // Up to the next sibling, closing the elements left.
            while (r != &top && !NextSiblingRecord(r) && lines < m_style.subtreeLines) {
                r = ParentRecord(r);
                --depth;
                m_out << std::string(4 + 2 * depth, ' ') << "</" << TerminalText(ToUtf8(r->nameView())) << ">\n";
                ++lines;
            }
            r = r == &top ? nullptr : NextSiblingRecord(r);
        }
        if (elements < SubtreeSize(top) || depth > 0) {
            const std::uint64_t more = SubtreeSize(top) - elements;
            m_out << "    ...";
            if (more) m_out << " (" << more << (more == 1 ? " more element)" : " more elements)");
            m_out << '\n';
        }
        color(kReset);
    }

    std::ostream& m_out;
    std::string_view m_title;
    ListingStyle m_style;
};

}  // namespace

std::string TallyLine(const DifferenceTally& t, std::uint64_t ignored) {
    return std::to_string(t.deletedElements) + " deleted, " + std::to_string(t.addedElements) + " added, " +
           std::to_string(t.changed) + " changed, " + std::to_string(ignored) + " ignored";
}

DifferenceTally TallyDifferences(const DocumentPane& left, const DocumentPane& right) {
    class Tally : public DifferenceVisitor {
    public:
        void difference(const Difference& d) override {
            if (d.kind == DifferenceKind::Changed) {
                ++tally.changed;
            } else if (d.kind == DifferenceKind::Deleted) {
                ++tally.deleted;
                tally.deletedElements += SubtreeSize(*d.left);
            } else {
                ++tally.added;
                tally.addedElements += SubtreeSize(*d.right);
            }
        }
        DifferenceTally tally;
    } tally;
    WalkDifferences(left, right, tally);
    return tally.tally;
}

std::string ClosingLine(const DifferenceTally& tally, std::u16string_view resultSentence) {
    if (!compareCounters().ChangedPairs) return ToUtf8(resultSentence);
    return TallyLine(tally, compareCounters().IgnoredElements);
}

DifferenceTally WriteDifferenceListing(std::ostream& out, const DocumentPane& left, const DocumentPane& right,
                                       std::string_view title, const ListingStyle& style) {
    Listing listing(out, title, style);
    WalkDifferences(left, right, listing);
    return listing.tally;
}

}  // namespace quillon
