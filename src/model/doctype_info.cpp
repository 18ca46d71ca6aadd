// SPDX-License-Identifier: MIT
#include "model/doctype_info.h"

#include "model/wide_string.h"

namespace quillon {

bool DoctypeText(const DoctypeInfo& info, char16_t* buffer, std::size_t capacity) {
    if (!buffer || info.rootName.empty()) return false;
    if (info.publicId.empty() && info.systemId.empty()) return false;
    if (capacity < info.rootName.size() + info.publicId.size() + info.systemId.size() + 42) return false;
    if (!info.publicId.empty()) {
        AppendParts(buffer, capacity, 1,
                    {u"<!DOCTYPE ", info.rootName, u" PUBLIC \"", info.publicId, u"\" \"", info.systemId, u"\">"});
    } else {
        AppendParts(buffer, capacity, 1, {u"<!DOCTYPE ", info.rootName, u" SYSTEM \"", info.systemId, u"\">"});
    }
    return true;
}

}  // namespace quillon
