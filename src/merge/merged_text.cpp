// SPDX-License-Identifier: MIT
#include "merge/merged_text.h"

#include <algorithm>
#include <numeric>

namespace quillon {
namespace {

constexpr std::uint8_t kReplacement = 3;

// Writes bytes of another document with OURS's line ends.
void writeForeign(std::string_view bytes, std::string_view lineEnd, const std::function<void(std::string_view)>& sink) {
    const bool crlf = lineEnd.size() == 2;
    std::size_t from = 0;
    for (std::size_t i = bytes.find('\n'); i != std::string_view::npos; i = bytes.find('\n', i + 1)) {
        const bool hasCr = i > 0 && bytes[i - 1] == '\r';
        if (crlf == hasCr) continue;
        sink(bytes.substr(from, hasCr ? i - 1 - from : i - from));
        sink(lineEnd);
        from = i + 1;
    }
    sink(bytes.substr(from));
}

}  // namespace

std::size_t MergedText::add(std::uint64_t begin, std::uint64_t end, std::uint8_t rank,
                            std::vector<MergePart> parts) {
    Edit e;
    e.begin = begin;
    e.end = end;
    e.rank = rank;
    e.order = m_edits.size();
    e.parts = std::move(parts);
    m_edits.push_back(std::move(e));
    return m_edits.size() - 1;
}

void MergedText::Replace(std::uint64_t begin, std::uint64_t end, std::vector<MergePart> parts) {
    add(begin, end, kReplacement, std::move(parts));
}

std::size_t MergedText::Insert(std::uint64_t at, std::vector<MergePart> parts, Placement where, std::size_t marked) {
    const std::size_t edit = add(at, at, std::uint8_t(where), std::move(parts));
    m_edits[edit].marked = marked;
    return edit;
}

std::string_view MergedText::Keep(std::string text) { return m_kept.emplace_back(std::move(text)); }

bool MergedText::Render(const std::function<void(std::string_view)>& sink, bool countLines) {
    std::vector<std::size_t> sequence(m_edits.size());
    std::iota(sequence.begin(), sequence.end(), std::size_t(0));
    std::sort(sequence.begin(), sequence.end(), [&](std::size_t a, std::size_t b) {
        const Edit& x = m_edits[a];
        const Edit& y = m_edits[b];
        if (x.begin != y.begin) return x.begin < y.begin;
        if (x.rank != y.rank) return x.rank < y.rank;
        return x.order < y.order;
    });
    for (std::size_t i = 1; i < sequence.size(); ++i) {
        const Edit& before = m_edits[sequence[i - 1]];
        if (m_edits[sequence[i]].begin < before.end) return false;
    }
    std::uint64_t line = 1;
    const std::function<void(std::string_view)> out = [&](std::string_view bytes) {
        if (bytes.empty()) return;
        if (countLines) line += std::uint64_t(std::count(bytes.begin(), bytes.end(), '\n'));
        sink(bytes);
    };
    std::uint64_t cursor = 0;
    for (const std::size_t i : sequence) {
        Edit& e = m_edits[i];
        out(m_ours.substr(cursor, e.begin - cursor));
        e.line = line;
        for (std::size_t k = 0; k < e.parts.size(); ++k) {
            const MergePart& part = e.parts[k];
            if (k == e.marked) e.line = line;
            if (part.foreign)
                writeForeign(part.bytes, m_lineEnd, out);
            else
                out(part.bytes);
        }
        cursor = e.end;
    }
    out(m_ours.substr(cursor));
    return true;
}

}  // namespace quillon
