// SPDX-License-Identifier: MIT
#include "report/text_listing.h"

#include <string>

#include "model/element_record.h"
#include "platform/terminal_text.h"
#include "platform/utf8.h"
#include "report/difference_walk.h"
#include "report/own_changes.h"

namespace quillon {
namespace {

constexpr const char* kRed = "\x1b[31m";
constexpr const char* kGreen = "\x1b[32m";
constexpr const char* kYellow = "\x1b[33m";
constexpr const char* kBold = "\x1b[1m";
constexpr const char* kReset = "\x1b[0m";

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

    void alone(char sign, const char* code, std::string_view path, const ElementRecord& r, const char* what) {
        const std::uint64_t n = SubtreeSize(r);
        color(code);
        m_out << sign << ' ' << path << "  line " << r.line << " (" << what << ", " << n
              << (n == 1 ? " element)" : " elements)");
        color(kReset);
        m_out << '\n';
    }

    void changed(const Difference& d) {
        color(kYellow);
        m_out << "~ " << d.leftPath << "  line " << d.left->line << " -> " << d.right->line;
        color(kReset);
        m_out << '\n';
        if (d.rightPath != d.leftPath) m_out << "    right: " << d.rightPath << '\n';
        const OwnChanges c = OwnChangesOf(*d.left, *d.right);
        for (const AttributeDifference& a : c.attributes) {
            m_out << "    @" << TerminalText(ToUtf8(a.name)) << ": ";
            if (!a.onRight) {
                m_out << "removed ";
                value(a.left, {}, kRed, false);
            } else if (!a.onLeft) {
                m_out << "added ";
                value(a.right, {}, kGreen, false);
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
        value(left, right, kRed, true);
        m_out << " -> ";
        value(right, left, kGreen, true);
    }

    // A quoted value; against the other side's value its changed words are
    // marked (in colour, or [-old-] and {+new+} without), unless all changed.
    void value(std::u16string_view v, std::u16string_view other, const char* code, bool compare) {
        std::vector<ChangedRun> runs;
        if (compare) runs = ChangedRuns(v, other);
        const Excerpt e = ShortenedValue(v, runs, m_style.valueWidth);
        std::size_t changed = 0, visible = 0;
        for (const ChangedRun& r : runs) changed += r.length;
        for (char16_t c : v) visible += c > 0x20;
        const bool whole = runs.empty() || changed >= visible;
        const bool left = code == kRed;
        m_out << '"';
        if (whole) {
            color(code);
            m_out << TerminalText(e.text);
            color(kReset);
        } else {
            std::size_t at = 0;
            for (const auto& [from, to] : e.marks) {
                m_out << TerminalText(std::string_view(e.text).substr(at, from - at));
                if (m_style.color) {
                    m_out << kBold << code << TerminalText(std::string_view(e.text).substr(from, to - from)) << kReset;
                } else {
                    m_out << (left ? "[-" : "{+") << TerminalText(std::string_view(e.text).substr(from, to - from))
                          << (left ? "-]" : "+}");
                }
                at = to;
            }
            m_out << TerminalText(std::string_view(e.text).substr(at));
        }
        m_out << '"';
    }

    std::ostream& m_out;
    std::string_view m_title;
    ListingStyle m_style;
};

}  // namespace

DifferenceTally WriteDifferenceListing(std::ostream& out, const DocumentPane& left, const DocumentPane& right,
                                       std::string_view title, const ListingStyle& style) {
    Listing listing(out, title, style);
    WalkDifferences(left, right, listing);
    return listing.tally;
}

}  // namespace quillon
