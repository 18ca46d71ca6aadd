// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/element_record.h"

namespace quillon {

// The attribute that identifies the members of a group of same-named
// siblings, found from the data: carried by most members on each side,
// unique among its carriers on each side, and sharing many values between
// the sides. values* hold one entry per slot of the arrays it was found in:
// a non-zero digest of the member's value, 0 for a member without it.
struct InferredKey {
    std::u16string attribute;  // empty when no attribute qualifies
    std::vector<std::uint64_t> valuesX, valuesY;
};

// Null slots take no part. Both sides need at least two members. Values are
// compared as the comparison mode (0..3) compares them.
InferredKey InferKeyAttribute(ElementRecord* const* x, std::uint32_t nX, ElementRecord* const* y, std::uint32_t nY,
                              unsigned mode);

// The two elements have an attribute of the same name and value.
bool ShareAttributeValue(const ElementRecord& a, const ElementRecord& b);

}  // namespace quillon
