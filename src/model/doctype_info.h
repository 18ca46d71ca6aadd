// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quillon {

// The document type of a pane's document, kept until the next load into it.
struct DoctypeInfo {
    static constexpr std::size_t kCapacity = 259;  // characters per field; longer ones are cut
    std::u16string rootName;
    std::u16string publicId;
    std::u16string systemId;

    void clear() {
        rootName.clear();
        publicId.clear();
        systemId.clear();
    }
};

// Writes the document type declaration into buffer (capacity includes the
// terminator). Fails, writing nothing, when there is no root name, no
// identifier, or too little room.
bool DoctypeText(const DoctypeInfo& info, char16_t* buffer, std::size_t capacity);

}  // namespace quillon
