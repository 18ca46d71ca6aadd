// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "compare/compare_state.h"
#include "model/element_record.h"

namespace quillon {

// One field a key is made of: an attribute of the members, or the text of a
// child element that each member has once.
struct KeyField {
    bool attribute = true;
    std::u16string name;
    std::uint32_t childNameId = 0;  // a child field's name
};

// A candidate that looked like a key but was turned down, and why.
struct RejectedKeyCandidate {
    std::vector<KeyField> fields;
    KeyRejection reason;
};

// What identifies the members of a group of same-named siblings, found from
// the data: one or two fields whose values are unique among the members on
// each side, shared between the sides, not positions, and whose pairs agree
// with what the members hold. values* hold one entry per slot of the arrays
// the key was found in: a non-zero digest of the member's value, 0 for a
// member without it.
struct InferredKey {
    std::vector<KeyField> fields;  // empty when nothing qualifies
    std::vector<std::uint64_t> valuesX, valuesY;
    std::vector<RejectedKeyCandidate> rejected;
    // Fields whose values count positions (key or not): they tell where a
    // member stands, which says little about which member it is.
    std::vector<KeyField> positions;
};

// The members of a group: all of them (null slots take no part) and, in
// arrays of the same slots, those still unpaired (null where taken by an
// earlier pass, which paired identical members).
struct KeyGroup {
    ElementRecord* const* allX;
    ElementRecord* const* leftX;
    std::uint32_t nX;
    ElementRecord* const* allY;
    ElementRecord* const* leftY;
    std::uint32_t nY;
};

// Both sides need at least two members. Values compare as the snapshot's
// mode compares them; what the comparison leaves out (ignored attributes,
// namespace declarations, text that is not compared, ignored children)
// never makes a key. The choice does not depend on attribute order.
InferredKey InferKey(const KeyGroup& group, const CompareSnapshot& s);

// A key's fields as the reports name them: "@id", "/guid", "/groupId+artifactId".
std::u16string KeyFieldsText(const std::vector<KeyField>& fields);

}  // namespace quillon
