// SPDX-License-Identifier: MIT
#include "model/attribute_names.h"

#include "model/element_record.h"

namespace quillon {

std::vector<std::u16string> AttributeNames(const ElementRecord& record) {
    std::vector<std::u16string> names;
    std::u16string scratch;
    const std::u16string_view s = record.attributesString().utf16(scratch);
    std::size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && s[i] == u' ') ++i;
        const std::size_t start = i;
        // A value is framed by markers, so an '=' or blank inside it cannot
        // be taken for the end of a name.
        while (i < s.size() && s[i] != u'=' && s[i] != kValueOpen) ++i;
        if (i > start) names.emplace_back(s.substr(start, i - start));
        const std::size_t open = s.find(kValueOpen, i);
        if (open == std::u16string_view::npos) break;
        const std::size_t close = s.find(kValueClose, open + 1);
        if (close == std::u16string_view::npos) break;
        i = close + 1;
    }
    return names;
}

}  // namespace quillon
