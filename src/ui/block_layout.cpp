// SPDX-License-Identifier: MIT
#include "ui/block_layout.h"

#include <algorithm>

#include "model/element_record.h"

namespace quillon {
namespace {

bool closesValue(std::u16string_view stored, std::size_t i) {
    return i < stored.size() && stored[i] == kValueClose;
}

bool isLetter(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c >= 0x80;
}

// A word with the white space behind it; a line feed ends the chunk and is
// not drawn, nor is the white space before it. A value ending in white space
// keeps its closing mark: the mark and the blanks before it stay in the word.
struct Chunk {
    std::uint32_t start = 0;
    std::uint32_t wordLength = 0;
    std::uint32_t drawnLength = 0;  // word and following blanks, without a line feed
    bool lineFeed = false;
};

std::vector<Chunk> chunksOf(std::u16string_view s, std::u16string_view stored) {
    std::vector<Chunk> chunks;
    std::size_t p = 0;
    while (p < s.size()) {
        Chunk c;
        c.start = std::uint32_t(p);
        for (;;) {
            while (p < s.size() && s[p] > 0x20) ++p;
            const std::size_t wordEnd = p;
            bool lineFeed = false;
            while (p < s.size() && s[p] <= 0x20) {
                if (s[p++] == u'\n') {
                    lineFeed = true;
                    break;
                }
            }
            if (!lineFeed && p > wordEnd && closesValue(stored, p)) continue;
            c.wordLength = std::uint32_t(wordEnd - c.start);
            c.lineFeed = lineFeed;
            break;
        }
        c.drawnLength = c.lineFeed ? c.wordLength : std::uint32_t(p - c.start);
        chunks.push_back(c);
    }
    return chunks;
}

class Placer {
public:
    Placer(std::u16string_view s, std::u16string_view stored, const WrapMetrics& m, int stopAfter, bool keepRuns)
        : m_s(s), m_stored(stored), m_m(m), m_stopAfter(stopAfter), m_keepRuns(keepRuns) {}

    bool done() const { return m_line > m_stopAfter; }
    int lines() const { return m_line + 1; }

    void place(const Chunk& c) {
        if (c.drawnLength == 0) return;
        const int drawn = width(c.start, c.drawnLength);
        if (m_x + drawn <= m_m.lineWidth) {
            put(c.start, c.drawnLength, drawn);
            return;
        }
        const int word = width(c.start, c.wordLength);
        if (m_x + word > m_m.lineWidth) {
            if (word <= m_m.lineWidth) {
                newLine();
                place(c);
                return;
            }
            split(c.start, c.wordLength);
        } else {
            put(c.start, c.wordLength, word);
        }
        // Blanks that would run past the line are left out.
        const std::uint32_t blanks = c.drawnLength - c.wordLength;
        const int blankWidth = width(c.start + c.wordLength, blanks);
        if (blanks && m_x + blankWidth <= m_m.lineWidth) put(c.start + c.wordLength, blanks, blankWidth);
    }

    void newLine() {
        ++m_line;
        m_x = 0;
    }

    std::vector<PlacedRun> take() { return std::move(m_runs); }

private:
    int width(std::uint32_t start, std::uint32_t length) const {
        return length ? m_m.width(m_s.substr(start, length)) : 0;
    }
    void put(std::uint32_t start, std::uint32_t length, int w) {
        if (length && m_keepRuns && !done()) m_runs.push_back({start, length, m_x, m_line});
        m_x += w;
    }

    // A word longer than a line: pieces end after a run of letters and one
    // character more, and a piece never begins with a closing mark.
    void split(std::uint32_t start, std::uint32_t length) {
        const std::uint32_t end = start + length;
        for (std::uint32_t q = start; q < end && !done();) {
            std::uint32_t r = q;
            while (r < end && isLetter(m_s[r])) ++r;
            if (r < end) ++r;
            while (r < end && closesValue(m_stored, r)) ++r;
            placePiece(q, r - q);
            q = r;
        }
    }

    // A piece goes whole onto this line or the next; one longer than a line
    // is cut where the line is full, never just before a closing mark.
    void placePiece(std::uint32_t start, std::uint32_t length) {
        while (length && !done()) {
            const int w = width(start, length);
            if (m_x + w <= m_m.lineWidth) {
                put(start, length, w);
                return;
            }
            if (m_x > 0 && w <= m_m.lineWidth) {
                newLine();
                continue;
            }
            const int room = m_m.lineWidth - m_x;
            std::uint32_t count =
                room > 0 ? std::min<std::uint32_t>(length, std::uint32_t(room / std::max(1, m_m.averageCharWidth))) : 0;
            while (count > 0 && width(start, count) > room) --count;
            while (count < length && width(start, count + 1) <= room) ++count;
            while (count > 0 && count < length && closesValue(m_stored, start + count)) --count;
            if (count == 0 && m_x == 0) {
                // Not even one character fits a whole line: it goes there anyway.
                count = 1;
                while (count < length && closesValue(m_stored, start + count)) ++count;
            }
            if (count) put(start, count, width(start, count));
            start += count;
            length -= count;
            if (length) newLine();
        }
    }

    std::u16string_view m_s;
    std::u16string_view m_stored;
    const WrapMetrics& m_m;
    int m_stopAfter;
    bool m_keepRuns;
    int m_line = 0;
    int m_x = 0;
    std::vector<PlacedRun> m_runs;
};

Placer run(std::u16string_view s, const WrapMetrics& m, std::u16string_view stored, int stopAfterLine, bool keepRuns) {
    if (stored.size() != s.size()) stored = {};
    const std::vector<Chunk> chunks = chunksOf(s, stored);
    Placer p(s, stored, m, stopAfterLine, keepRuns);
    for (std::size_t i = 0; i < chunks.size() && !p.done(); ++i) {
        p.place(chunks[i]);
        // A line feed at the very end opens no line of its own.
        if (chunks[i].lineFeed && i + 1 < chunks.size()) p.newLine();
    }
    return p;
}

}  // namespace

std::vector<PlacedRun> WrapBlock(std::u16string_view s, const WrapMetrics& m, std::u16string_view stored,
                                 int stopAfterLine) {
    return run(s, m, stored, stopAfterLine, true).take();
}

int WrappedLines(std::u16string_view s, const WrapMetrics& m, std::u16string_view stored) {
    return run(s, m, stored, 1 << 30, false).lines();
}

}  // namespace quillon
