// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

// A piece of text the merge puts into OURS's: bytes of another document
// (their line ends become OURS's when written) or text made here.
struct MergePart {
    std::string_view bytes;
    bool foreign = false;
};

// Where an insertion goes among others at the same place: the end of a
// conflict stays with the element before it, its start with the element
// after it, and what is inserted in between keeps the order it came in.
enum class Placement : std::uint8_t { CloseBefore = 0, Between = 1, OpenAfter = 2 };

// OURS's text with the merge's edits: each replaces a range of it (or
// inserts at a place) with parts. Edits never overlap; what no edit touches
// is written byte for byte.
class MergedText {
public:
    MergedText(std::string_view ours, std::string_view lineEnd) : m_ours(ours), m_lineEnd(lineEnd) {}

    void Replace(std::uint64_t begin, std::uint64_t end, std::vector<MergePart> parts);
    // Returns the edit's number, for LineOf, which gives the line where the
    // part numbered `marked` begins.
    std::size_t Insert(std::uint64_t at, std::vector<MergePart> parts, Placement where = Placement::Between,
                       std::size_t marked = 0);
    // Keeps a text made here for as long as this object lives.
    std::string_view Keep(std::string text);
    std::string_view lineEnd() const { return m_lineEnd; }
    bool empty() const { return m_edits.empty(); }

    // Hands the merged text to sink in pieces, in order. False when two
    // edits overlap (a fault of the merge; nothing should be written then).
    // With countLines, LineOf answers afterwards.
    bool Render(const std::function<void(std::string_view)>& sink, bool countLines = false);
    // The line of the merged text (from 1) where an edit's marked part begins.
    std::uint64_t LineOf(std::size_t edit) const { return m_edits[edit].line; }

private:
    struct Edit {
        std::uint64_t begin = 0;
        std::uint64_t end = 0;
        std::uint8_t rank = 0;  // Placement, or 3 for a replacement
        std::size_t order = 0;
        std::vector<MergePart> parts;
        std::size_t marked = 0;
        std::uint64_t line = 0;
    };
    std::size_t add(std::uint64_t begin, std::uint64_t end, std::uint8_t rank, std::vector<MergePart> parts);

    std::string_view m_ours;
    std::string_view m_lineEnd;
    std::vector<Edit> m_edits;
    std::deque<std::string> m_kept;
};

}  // namespace quillon
