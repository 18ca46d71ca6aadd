// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quillon {

// The "Recent Files" menu: up to eight paths in slots 0 to 7. Slot i is the
// menu item with command kFirstRecentFileCommand + i. Once all eight are used
// a new path replaces slot `last`, which then moves on, wrapping to 0.
struct RecentFileList {
    static constexpr std::size_t kCapacity = 8;
    // Paths of this many characters or more are never kept.
    static constexpr std::size_t kPathLimit = 260;

    std::array<std::u16string, kCapacity> paths;
    std::size_t count = 0;
    std::size_t last = 0;

    // Adds a loaded file. Returns the slot that took it, or -1 when nothing
    // changed (too long, or already listed regardless of letter case).
    int Add(std::u16string_view path);
};

constexpr std::uint32_t kFirstRecentFileCommand = 1041;

}  // namespace quillon
