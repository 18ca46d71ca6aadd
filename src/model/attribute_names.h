// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "model/element_record.h"
#include "model/record_string.h"

namespace quillon {

// One attribute of a marked-up attributes text.
struct AttributeText {
    RecordString name, value;
};

namespace detail {

template <class Unit, class Fn>
void forEachAttribute(const RecordString& s, const Unit* const begin, Fn&& fn) {
    const Unit* p = begin;
    const Unit* const end = p + s.size();
    while (p < end) {
        while (p < end && *p == u' ') ++p;
        const Unit* const name = p;
        // A value is framed by markers, so an '=' or blank inside it cannot
        // be taken for the end of a name.
        while (p < end && *p != u'=' && *p != kValueOpen) ++p;
        const Unit* const nameEnd = p;
        while (p < end && *p != kValueOpen) ++p;
        if (p == end) return;
        const Unit* const value = ++p;
        while (p < end && *p != kValueClose) ++p;
        if (p == end) return;
        if (nameEnd > name)
            fn(AttributeText{s.substr(std::size_t(name - begin), std::size_t(nameEnd - name)),
                             s.substr(std::size_t(value - begin), std::size_t(p - value))});
        ++p;
    }
}

}  // namespace detail

// Calls fn(AttributeText) for each attribute of a stored attributes text
// (name=<open>value<close>, separated by blanks), in document order, reading
// the stored units as they are. The parts share the string's form: those of
// a UTF-16 text are UTF-16 too.
template <class Fn>
void ForEachAttribute(const RecordString& s, Fn&& fn) {
    if (s.isNarrow())
        detail::forEachAttribute(s, s.latin1().data(), fn);
    else
        detail::forEachAttribute(s, s.utf16().data(), fn);
}

// The element's attribute names in document order, read from its stored
// attributes text.
std::vector<std::u16string> AttributeNames(const ElementRecord& record);

}  // namespace quillon
