// SPDX-License-Identifier: MIT
#include "report/own_changes.h"

#include <algorithm>

#include "compare/identity.h"
#include "model/element_record.h"
#include "platform/utf8.h"
#include "rules/rule_hooks.h"
#include "settings/options.h"

namespace quillon {
namespace {

HighlightSettings settingsFor(const ElementRecord& record) {
    HighlightSettings st;
    st.mode = compareSnapshot().mode;
    st.highlightChars = options().HighlightChars != 0;
    st.attributeNamesCaseSensitive = options().XMLAttributeCaseSensitive != 0;
    st.ignoredAttribute = [&record](std::uint16_t hash) { return AttributeNotCompared(record, hash); };
    return st;
}

}  // namespace

OwnChanges OwnChangesOf(const ElementRecord& left, const ElementRecord& right) {
    OwnChanges c;
    const auto utf16 = [&c](const RecordString& stored, std::size_t slot) {
        if (!stored.isNarrow()) return stored.utf16();
        if (!c.widened) c.widened = std::make_unique<std::array<std::u16string, 4>>();
        return stored.utf16((*c.widened)[slot]);
    };
    c.nameChanged = NameIdOf(left) != NameIdOf(right);
    const CompareSnapshot& s = compareSnapshot();
    if (AttributesDiffer(left, s))
        c.attributes = AttributeDifferences(utf16(left.attributesString(), 0), utf16(right.attributesString(), 1),
                                            settingsFor(left));
    if (TextDiffers(left, s)) {
        c.textChanged = true;
        c.leftText = utf16(left.textString(), 2);
        c.rightText = utf16(right.textString(), 3);
    }
    return c;
}

std::vector<ChangedRun> ChangedRuns(std::u16string_view value, std::u16string_view other) {
    HighlightSettings st;
    st.mode = compareSnapshot().mode;
    st.highlightChars = options().HighlightChars != 0;
    std::vector<ChangedRun> runs;
    for (const HighlightRange& r : TextRanges(value, other, st)) runs.push_back({r.start, r.length});
    return runs;
}

Excerpt ShortenedValue(std::u16string_view value, const std::vector<ChangedRun>& runs, std::size_t width) {
    // The pieces of value to keep, [from, to): all of it when it fits,
    // otherwise some context around the changed runs until the width is used.
    std::vector<std::pair<std::size_t, std::size_t>> keep;
    if (value.size() <= width) {
        keep.emplace_back(0, value.size());
    } else if (runs.empty()) {
        keep.emplace_back(0, width);
    } else {
        constexpr std::size_t kContext = 20;
        std::size_t used = 0;
        for (const ChangedRun& r : runs) {
            const std::size_t from = r.start > kContext ? r.start - kContext : 0;
            const std::size_t to = std::min({value.size(), std::size_t(r.start) + r.length + kContext, from + width});
            if (!keep.empty() && from <= keep.back().second) {
                used += to > keep.back().second ? to - keep.back().second : 0;
                keep.back().second = std::max(keep.back().second, to);
            } else {
                if (!keep.empty() && used + (to - from) > width) break;
                keep.emplace_back(from, to);
                used += to - from;
            }
            if (used >= width) break;
        }
    }
    // Cut where words meet when one is near, leaving the changed runs whole.
    constexpr std::size_t kReach = 12;
    const auto blank = [&value](std::size_t i) { return value[i] == u' ' || value[i] == u'\t' || value[i] == u'\n'; };
    for (auto& [from, to] : keep) {
        std::size_t firstRun = to, lastRun = from;
        for (const ChangedRun& r : runs) {
            if (r.start + r.length <= from || r.start >= to) continue;
            firstRun = std::min<std::size_t>(firstRun, r.start);
            lastRun = std::max<std::size_t>(lastRun, r.start + r.length);
        }
        if (from > 0 && !blank(from - 1)) {
            for (std::size_t i = from; i < std::min(from + kReach, firstRun); ++i)
                if (blank(i)) {
                    from = i + 1;
                    break;
                }
        }
        if (to < value.size() && !blank(to)) {
            for (std::size_t i = to; i > std::max(to > kReach ? to - kReach : 0, lastRun); --i)
                if (blank(i - 1) && i - 1 > from) {
                    to = i - 1;
                    break;
                }
        }
    }
    Excerpt e;
    auto markRuns = [&](std::size_t from, std::size_t to) {
        for (const ChangedRun& r : runs) {
            const std::size_t a = std::max<std::size_t>(r.start, from), b = std::min<std::size_t>(r.start + r.length, to);
            if (a >= b) continue;
            const std::size_t begin = e.text.size() + ToUtf8(value.substr(from, a - from)).size();
            e.marks.emplace_back(begin, begin + ToUtf8(value.substr(a, b - a)).size());
        }
    };
    for (std::size_t i = 0; i < keep.size(); ++i) {
        const auto [from, to] = keep[i];
        if (from > 0 && (i == 0 || from > keep[i - 1].second)) e.text += "...";
        markRuns(from, to);
        e.text += ToUtf8(value.substr(from, to - from));
    }
    if (!keep.empty() && keep.back().second < value.size()) e.text += "...";
    return e;
}

}  // namespace quillon
