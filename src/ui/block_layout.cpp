// SPDX-License-Identifier: MIT
#include "ui/block_layout.h"

#include <algorithm>

namespace quillon {
namespace {

// A word with the white space behind it; a line feed ends the chunk and is
// not drawn, nor is the white space before it.
struct Chunk {
    std::uint32_t start = 0;
    std::uint32_t wordLength = 0;
    std::uint32_t drawnLength = 0;  // word and following blanks, without a line feed
    bool lineFeed = false;
};

std::vector<Chunk> chunksOf(std::u16string_view s) {
    std::vector<Chunk> chunks;
    std::size_t p = 0;
    while (p < s.size()) {
        Chunk c;
        c.start = std::uint32_t(p);
        while (p < s.size() && s[p] > 0x20) ++p;
        c.wordLength = std::uint32_t(p - c.start);
        while (p < s.size() && s[p] <= 0x20) {
            if (s[p] == u'\n') {
                c.lineFeed = true;
                ++p;
                break;
            }
            ++p;
        }
        c.drawnLength = c.lineFeed ? c.wordLength : std::uint32_t(p - c.start);
        chunks.push_back(c);
    }
    return chunks;
}

bool isLetter(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c >= 0x80;
}

class Placer {
public:
    Placer(std::u16string_view s, int lines, const WrapMetrics& m, int stopAfter)
        : m_s(s), m_lines(std::max(lines, 1)), m_m(m), m_stopAfter(stopAfter) {}

    bool done() const { return m_line > m_stopAfter; }
    bool onLastLine() const { return m_line >= m_lines - 1; }
    int x() const { return m_x; }

    int width(std::uint32_t start, std::uint32_t length) const {
        return length ? m_m.width(m_s.substr(start, length)) : 0;
    }
    void put(std::uint32_t start, std::uint32_t length, int w) {
        if (length) m_runs.push_back({start, length, m_x, m_line});
        m_x += w;
    }
    void newLine() {
        if (onLastLine()) return;  // beyond the block: stays on its last line
        ++m_line;
        m_x = 0;
    }

    // Cuts a piece that does not fit into what the line holds and carries
    // the rest to the following lines.
    void placePiece(std::uint32_t start, std::uint32_t length) {
        while (length && !done()) {
            const int w = width(start, length);
            if (m_m.wrapWidth - w - m_x - 6 >= 0 || onLastLine()) {
                put(start, length, w);
                return;
            }
            const int avail = m_m.wrapWidth - m_x - 6;
            std::uint32_t count =
                avail > 0 ? std::min<std::uint32_t>(length, std::uint32_t(avail / std::max(1, m_m.averageCharWidth)))
                          : 0;
            while (count > 0 && width(start, count) > avail) --count;
            while (count < length && width(start, count + 1) <= avail) ++count;
            // A character wider than a whole line still has to go somewhere.
            if (count == 0 && m_x == 0) count = 1;
            if (count) put(start, count, width(start, count));
            start += count;
            length -= count;
            newLine();
        }
    }

    std::vector<PlacedRun> take() { return std::move(m_runs); }

private:
    std::u16string_view m_s;
    int m_lines;
    const WrapMetrics& m_m;
    int m_stopAfter;
    int m_line = 0;
    int m_x = 0;
    std::vector<PlacedRun> m_runs;
};

}  // namespace

bool BlockFits(std::u16string_view s, int lines, const WrapMetrics& m) {
    const std::vector<Chunk> chunks = chunksOf(s);
    int line = 0, used = 0;
    for (std::size_t i = 0; i < chunks.size(); ++i) {
        const Chunk& c = chunks[i];
        const int w = c.drawnLength ? m.width(s.substr(c.start, c.drawnLength)) : 0;
        if (w > m.wrapWidth - 10) return false;
        if (used > 0 && used + w >= m.wrapWidth - 6) {
            if (++line >= lines) return false;
            used = 0;
        }
        used += w;
        if (c.lineFeed && i + 1 < chunks.size()) {
            if (++line >= lines) return false;
            used = 0;
        }
    }
    return true;
}

std::vector<PlacedRun> WrapBlock(std::u16string_view s, int lines, const WrapMetrics& m, int stopAfterLine) {
    const std::vector<Chunk> chunks = chunksOf(s);
    const bool fits = BlockFits(s, lines, m);
    Placer p(s, lines, m, stopAfterLine);
    for (std::size_t i = 0; i < chunks.size() && !p.done(); ++i) {
        const Chunk& c = chunks[i];
        const bool final = i + 1 == chunks.size();
        const int w = p.width(c.start, c.drawnLength);
        const int room = m.wrapWidth - w - p.x() - 6;
        if (room >= 0 || p.onLastLine()) {
            const std::uint32_t length = room < 10 ? c.wordLength : c.drawnLength;
            p.put(c.start, length, p.width(c.start, length));
        } else {
            const bool narrow = w < m.wrapWidth - 10;
            const bool lineFull = m.wrapWidth < p.x() * 1.2;
            if (fits || (final && narrow) || (!final && lineFull && narrow)) {
                p.newLine();
                const int roomThere = m.wrapWidth - w - p.x() - 6;
                const std::uint32_t length = roomThere < 10 ? c.wordLength : c.drawnLength;
                p.put(c.start, length, p.width(c.start, length));
            } else {
                // Pieces end after a run of letters and one character more.
                std::uint32_t q = c.start;
                const std::uint32_t end = c.start + c.drawnLength;
                while (q < end && !p.done()) {
                    std::uint32_t r = q;
                    while (r < end && isLetter(s[r])) ++r;
                    if (r < end) ++r;
                    p.placePiece(q, r - q);
                    q = r;
                }
            }
        }
        if (c.lineFeed) p.newLine();
    }
    return p.take();
}

}  // namespace quillon
