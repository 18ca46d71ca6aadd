// SPDX-License-Identifier: MIT
#include "compare/value_differences.h"

#include <algorithm>

#include "model/element_record.h"
#include "model/hashes.h"

namespace quillon {
namespace {

bool sameChar(char16_t a, char16_t b, unsigned mode) {
    if (a == b) return true;
    return (mode & 2u) != 0 && UpperFold(a) == UpperFold(b);
}

// The probe walk shared by characters and words. eq(a, b) compares own[a]
// with partner[b]; confirm(a, b, d) checks what follows a probe at distance
// d; mark(a, b) records a match.
template <typename Eq, typename Confirm, typename Mark>
void probeWalk(std::size_t n, std::size_t m, std::size_t limit, Eq eq, Confirm confirm, Mark mark) {
    std::size_t i = 0, j = 0;
    unsigned di = 0, dj = 0, k = 1, c = 0;
    bool exhausted = false;  // past the largest window: only the far diagonal is tried
    while (i < n && j < m && i < limit) {
        const std::size_t a = i + di, b = j + dj;
        const bool ownThere = a < n, partnerThere = b < m;
        if (!ownThere && !partnerThere) break;
        if (ownThere && partnerThere && eq(a, b) && ((di == 0 && dj == 0) || confirm(a, b, std::max(di, dj)))) {
            mark(a, b);
            i = a + 1;
            j = b + 1;
            di = dj = 0;
            k = 1;
            c = 0;
            exhausted = false;
            continue;
        }
        if (!exhausted) {
            if (di == 0 && dj == 0) {
                k = 1;
                c = 0;
            } else if (++c > 2 * k) {
                ++k;
                c = 0;
            }
            if (k > kMatchWindow) exhausted = true;
        }
        if (exhausted) {
            // The own character stays unmarked; the search goes on one
            // further along with the window kept at its largest.
            ++i;
            ++j;
            k = kMatchWindow;
            di = dj = kMatchWindow - 1;
            continue;
        }
        // Window k: index 2t is (k, t), 2t + 1 is (t, k), 2k is (k, k).
        if (c == 2 * k) {
            di = dj = k;
        } else if (c % 2 == 0) {
            di = k;
            dj = c / 2;
        } else {
            di = c / 2;
            dj = k;
        }
    }
}

void addRange(std::vector<HighlightRange>& ranges, std::uint32_t start, std::uint32_t length, std::uint8_t cls) {
    if (length == 0 || ranges.size() >= kMaxHighlightRanges) return;
    ranges.push_back({start, length, cls});
}

// Each run of unmarked characters becomes a class-2 range, offset by base.
void unmatchedRuns(const std::vector<std::uint8_t>& marks, std::size_t count, std::uint32_t base,
                   std::vector<HighlightRange>& ranges) {
    std::size_t runStart = 0;
    bool inRun = false;
    for (std::size_t p = 0; p <= count; ++p) {
        const bool unmatched = p < count && !marks[p];
        if (unmatched && !inRun) {
            runStart = p;
            inRun = true;
        } else if (!unmatched && inRun) {
            addRange(ranges, base + std::uint32_t(runStart), std::uint32_t(p - runStart), 2);
            inRun = false;
        }
    }
}

}  // namespace

void ValueHashes(std::u16string_view value, unsigned mode, std::uint32_t& h, std::uint32_t& g) {
    h = 0;
    g = 0;
    for (char16_t ch : value) {
        if ((mode & 1u) && ch <= 0x20) continue;
        const char16_t c = (mode & 2u) ? UpperFold(ch) : ch;
        h = (h >> 24) + h * 38u + c;
        g = g * 23u + c;
    }
}

std::vector<AttributeEntry> ParseAttributeEntries(std::u16string_view s, unsigned mode, bool caseSensitive) {
    std::vector<AttributeEntry> entries;
    std::size_t p = 0;
    while (p < s.size() && entries.size() < kMaxAttributeEntries) {
        while (p < s.size() && s[p] == u' ') ++p;
        if (p >= s.size()) break;
        const std::size_t eq = s.find(u'=', p);
        if (eq == std::u16string_view::npos || eq + 1 >= s.size() || s[eq + 1] != kValueOpen) break;
        const std::size_t close = s.find(kValueClose, eq + 2);
        if (close == std::u16string_view::npos) break;
        AttributeEntry e;
        e.namePos = std::uint32_t(p);
        e.nameLength = std::uint32_t(eq - p);
        e.valueOffset = e.nameLength + 2;
        e.valueLength1 = std::uint32_t(close - (eq + 2)) + 1;
        const std::u16string_view name = s.substr(p, e.nameLength);
        e.nameHash = caseSensitive ? Hash38(name) : Hash38Folded(name);
        ValueHashes(s.substr(eq + 2, e.valueLength()), mode, e.valueHash, e.valueHash2);
        entries.push_back(e);
        p = close + 1;
    }
    return entries;
}

std::vector<std::uint8_t> MatchCharacters(std::u16string_view own, std::u16string_view partner, unsigned mode,
                                          std::size_t limit, std::vector<std::uint32_t>* insertions) {
    std::vector<std::uint8_t> marks(own.size(), 0);
    const std::size_t n = own.size(), m = partner.size();
    // The last pair matched, one past it on either side.
    std::size_t ownAfter = 0, partnerAfter = 0;
    auto inserted = [&](std::size_t a, std::size_t b) {
        // Partner characters between two matches, and none of own's.
        if (insertions && b > partnerAfter && a == ownAfter && a <= limit) insertions->push_back(std::uint32_t(a));
    };
    probeWalk(
        n, m, limit, [&](std::size_t a, std::size_t b) { return sameChar(own[a], partner[b], mode); },
        [&](std::size_t a, std::size_t b, unsigned d) {
            const unsigned ahead = std::min(d, 4u);
            for (unsigned t = 1; t <= ahead; ++t) {
                if (a + t >= n || b + t >= m) return true;
                const char16_t x = own[a + t], y = partner[b + t];
                if (x <= 0x20 && y <= 0x20) return true;
                if (!sameChar(x, y, mode)) return false;
            }
            return true;
        },
        [&](std::size_t a, std::size_t b) {
            marks[a] = 1;
            inserted(a, b);
            ownAfter = a + 1;
            partnerAfter = b + 1;
        });
    // What the partner has after own's end.
    if (n <= limit) inserted(n, m);
    return marks;
}

std::vector<WordEntry> SplitWords(std::u16string_view text, unsigned mode) {
    std::vector<WordEntry> words;
    std::size_t p = 0;
    while (p < text.size() && words.size() < kMaxWordEntries) {
        while (p < text.size() && text[p] <= 0x20) ++p;
        if (p >= text.size()) break;
        const std::size_t start = p;
        while (p < text.size() && text[p] > 0x20) ++p;
        WordEntry w;
        w.start = std::uint32_t(start);
        w.length = std::uint32_t(p - start);
        ValueHashes(text.substr(start, p - start), mode, w.hash, w.hash2);
        words.push_back(w);
    }
    return words;
}

void MatchWords(std::vector<WordEntry>& own, std::vector<WordEntry>& partner) {
    probeWalk(
        own.size(), partner.size(), std::size_t(-1),
        [&](std::size_t a, std::size_t b) {
            return own[a].length == partner[b].length && own[a].hash == partner[b].hash &&
                   own[a].hash2 == partner[b].hash2;
        },
        [](std::size_t, std::size_t, unsigned) { return true; },
        [&](std::size_t a, std::size_t b) {
            own[a].matched = true;
            partner[b].matched = true;
        });
}

namespace {

// Gives each of own's entries (up to the limit) its state against the
// partner's, and the partner entry it matched (-1 for none). Entries are
// matched by name in order, each partner entry at most once.
std::vector<int> matchAttributes(std::vector<AttributeEntry>& mine, std::vector<AttributeEntry>& theirs,
                                 const HighlightSettings& st) {
    std::vector<int> matched(mine.size(), -1);
    std::size_t lowest = 0;  // the lowest partner position not consumed yet
    for (std::size_t i = 0; i < mine.size(); ++i) {
        AttributeEntry& e = mine[i];
        if (e.namePos >= st.limit) break;
        if (st.ignoredAttribute && st.ignoredAttribute(std::uint16_t(e.nameHash))) {
            e.state = kEntryIgnored;
            continue;
        }
        for (std::size_t q = lowest; q < theirs.size(); ++q) {
            AttributeEntry& t = theirs[q];
            if (t.state != kEntryAlone || t.nameHash != e.nameHash || t.nameLength != e.nameLength) continue;
            const bool equal = t.valueHash == e.valueHash && t.valueHash2 == e.valueHash2;
            e.state = t.state = equal ? kEntryEqual : kEntryChanged;
            matched[i] = int(q);
            if (q == lowest) ++lowest;
            break;
        }
    }
    return matched;
}

}  // namespace

std::vector<HighlightRange> AttributeRanges(std::u16string_view own, std::u16string_view partner,
                                            const HighlightSettings& st, std::vector<std::uint32_t>* insertions) {
    std::vector<AttributeEntry> mine = ParseAttributeEntries(own, st.mode, st.attributeNamesCaseSensitive);
    std::vector<AttributeEntry> theirs = ParseAttributeEntries(partner, st.mode, st.attributeNamesCaseSensitive);
    const std::vector<int> matched = matchAttributes(mine, theirs, st);
    std::vector<HighlightRange> ranges;
    for (std::size_t i = 0; i < mine.size(); ++i) {
        const AttributeEntry& e = mine[i];
        if (e.namePos >= st.limit) break;
        switch (e.state) {
            case kEntryChanged:
                if (st.highlightChars) {
                    const AttributeEntry& t = theirs[std::size_t(matched[i])];
                    const std::u16string_view a = own.substr(e.valuePos(), e.valueLength());
                    const std::u16string_view b = partner.substr(t.valuePos(), t.valueLength());
                    std::vector<std::uint32_t> at;
                    unmatchedRuns(MatchCharacters(a, b, st.mode, std::size_t(-1), insertions ? &at : nullptr),
                                  a.size(), e.valuePos(), ranges);
                    for (std::uint32_t p : at) insertions->push_back(e.valuePos() + p);
                } else {
                    addRange(ranges, e.valuePos(), e.valueLength(), 1);
                }
                break;
            case kEntryAlone:
                addRange(ranges, e.namePos, e.wholeLength(), 2);
                break;
            case kEntryIgnored:
                addRange(ranges, e.namePos, e.wholeLength(), 3);
                break;
            default:
                break;
        }
    }
    return ranges;
}

std::vector<AttributeDifference> AttributeDifferences(std::u16string_view left, std::u16string_view right,
                                                      const HighlightSettings& st) {
    std::vector<AttributeEntry> mine = ParseAttributeEntries(left, st.mode, st.attributeNamesCaseSensitive);
    std::vector<AttributeEntry> theirs = ParseAttributeEntries(right, st.mode, st.attributeNamesCaseSensitive);
    const std::vector<int> matched = matchAttributes(mine, theirs, st);
    auto name = [](std::u16string_view s, const AttributeEntry& e) { return s.substr(e.namePos, e.nameLength); };
    auto value = [](std::u16string_view s, const AttributeEntry& e) { return s.substr(e.valuePos(), e.valueLength()); };
    std::vector<AttributeDifference> out;
    for (std::size_t i = 0; i < mine.size(); ++i) {
        const AttributeEntry& e = mine[i];
        if (e.state == kEntryChanged)
            out.push_back({name(left, e), value(left, e), value(right, theirs[std::size_t(matched[i])]), true, true});
        else if (e.state == kEntryAlone)
            out.push_back({name(left, e), value(left, e), {}, true, false});
    }
    for (const AttributeEntry& t : theirs) {
        if (t.state != kEntryAlone) continue;
        if (st.ignoredAttribute && st.ignoredAttribute(std::uint16_t(t.nameHash))) continue;
        out.push_back({name(right, t), {}, value(right, t), false, true});
    }
    return out;
}

std::vector<HighlightRange> TextRanges(std::u16string_view own, std::u16string_view partner,
                                       const HighlightSettings& st, std::vector<std::uint32_t>* insertions) {
    std::vector<HighlightRange> ranges;
    if (st.highlightChars) {
        const std::size_t count = std::min(own.size(), st.limit);
        unmatchedRuns(MatchCharacters(own, partner, st.mode, count, insertions), count, 0, ranges);
        return ranges;
    }
    std::vector<WordEntry> mine = SplitWords(own, st.mode);
    std::vector<WordEntry> theirs = SplitWords(partner, st.mode);
    MatchWords(mine, theirs);
    for (const WordEntry& w : mine) {
        if (w.start >= st.limit) break;
        if (!w.matched) addRange(ranges, w.start, w.length, 2);
    }
    return ranges;
}

}  // namespace quillon
