// SPDX-License-Identifier: MIT
#include "model/attribute_names.h"

namespace quillon {

std::vector<std::u16string> AttributeNames(const ElementRecord& record) {
    std::vector<std::u16string> names;
    ForEachAttribute(record.attributesString(),
                     [&](const AttributeText& a) { names.push_back(std::u16string(a.name)); });
    return names;
}

}  // namespace quillon
