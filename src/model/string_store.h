// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "model/record_string.h"
#include "platform/large_block.h"

namespace quillon {

// A record's string as a 32-bit handle into its pane's StringStore; 0 is none.
using StringHandle = std::uint32_t;

// One document's record strings, each found by a 32-bit handle instead of an
// 8-byte pointer and a 4-byte length: every element pays for two of them,
// whether it has text and attributes or not. A handle is an offset in 2-byte units
// into 4 MiB segments, so a pane holds up to 8 GiB of strings. Each string
// starts with its length and form, then its characters, one byte each when
// all are below U+0100 (see RecordString), then a terminating zero. Strings
// are never freed singly; they go with the pane.
class StringStore {
public:
    // Stores s, one byte a character when it fits; empty s gives 0.
    StringHandle store(const RecordString& s);
    // The string of h followed by a blank and piece, in place when h is the
    // newest string and the form stays; otherwise h's string stays as it was
    // and a new one is returned.
    StringHandle append(StringHandle h, std::u16string_view piece);

    RecordString read(StringHandle h) const {
        if (!h) return {};
        const char16_t* p = m_segments[h >> kSegmentShift] + (h & kSegmentMask);
        std::size_t length = p[0] >> 1;
        const char16_t* data = p + 1;
        if (length == kLongLength) {
            length = std::size_t(p[1]) | std::size_t(p[2]) << 16;
            data = p + 3;
        }
        if (p[0] & kWide) return std::u16string_view(data, length);
        return RecordString::Latin1(reinterpret_cast<const std::uint8_t*>(data), length);
    }
    // Where h's string starts, for a prefetch.
    const void* address(StringHandle h) const { return m_segments[h >> kSegmentShift] + (h & kSegmentMask); }

    void clear();
    // Gives back the pages past the newest string.
    void trim();

private:
    static constexpr unsigned kSegmentShift = 21;  // 2 Mi units: 4 MiB
    static constexpr std::uint32_t kSegmentMask = (std::uint32_t(1) << kSegmentShift) - 1;
    // The first unit: the length times two, plus kWide for UTF-16; lengths
    // from kLongLength on follow in the next two units.
    static constexpr char16_t kWide = 1;
    static constexpr std::size_t kLongLength = 0x7FFF;

    static std::size_t headerUnits(std::size_t length) { return length < kLongLength ? 1 : 3; }
    static std::size_t units(std::size_t length, bool wide) {
        return headerUnits(length) + (wide ? length + 1 : (length + 2) / 2);
    }
    // Room for n units; the handle of the first.
    StringHandle allocate(std::size_t n);
    char16_t* at(StringHandle h) { return m_segments[h >> kSegmentShift] + (h & kSegmentMask); }
    // Writes the header of a string of that length and form at h; where its
    // characters go.
    void* begin(StringHandle h, std::size_t length, bool wide);

    std::vector<LargeBlock> m_blocks;
    std::vector<char16_t*> m_segments;  // by handle >> kSegmentShift
    std::uint64_t m_next = 0;           // the next free unit's handle
    std::uint64_t m_end = 0;            // the end of the newest block
};

}  // namespace quillon
