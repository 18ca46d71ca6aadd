// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

namespace quillon {

struct ElementRecord;

// The element's attribute names in document order, read from its stored
// attributes text (name=<open>value<close>, separated by blanks).
std::vector<std::u16string> AttributeNames(const ElementRecord& record);

}  // namespace quillon
