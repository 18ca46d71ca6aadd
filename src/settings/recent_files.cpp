// SPDX-License-Identifier: MIT
#include "settings/recent_files.h"

#include "model/wide_string.h"

namespace quillon {

int RecentFileList::Add(std::u16string_view path) {
    if (path.empty() || path.size() >= kPathLimit) return -1;
    for (std::size_t i = 0; i < count; ++i)
        if (WideEqualIgnoringCase(paths[i], path)) return -1;
    if (count == kCapacity) {
        if (last >= kCapacity) last = 0;
        const std::size_t slot = last;
        paths[slot] = std::u16string(path);
        last = (last + 1) % kCapacity;
        return int(slot);
    }
    paths[count] = std::u16string(path);
    return int(count++);
}

}  // namespace quillon
