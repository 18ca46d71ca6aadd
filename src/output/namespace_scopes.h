// SPDX-License-Identifier: MIT
#pragma once

#include <deque>
#include <string>
#include <string_view>

namespace quillon {

struct ElementRecord;

// One namespace binding in scope. The chain runs from the innermost
// declaration outwards, so an element that declares nothing shares the chain
// of its parent, and two places with the same chain bind alike.
struct NamespaceBinding {
    std::u16string_view prefix;  // empty for the default namespace
    std::u16string_view uri;
    const NamespaceBinding* outer = nullptr;
};

// The binding of a prefix in a chain; null when it is not bound.
const NamespaceBinding* FindBinding(const NamespaceBinding* chain, std::u16string_view prefix);

// The namespace bindings met while writing one document. An element written
// away from its own ancestors (the other side's element in a merge, the
// selected element of a save) gets the declarations its prefixes need.
class NamespaceScopes {
public:
    // The bindings inside the element: its own xmlns attributes on around.
    const NamespaceBinding* Enter(const ElementRecord& element, const NamespaceBinding* around);
    // The bindings around the element in its own document (from its ancestors).
    const NamespaceBinding* Around(const ElementRecord& element);
    // For each prefix the element's name (and, withAttributes, its attribute
    // names) use whose binding in written, what the output has in scope at
    // the element, differs from inside, its binding in the element's own
    // document: appends a declaration to declarations (marked up as
    // attributes) and the binding to written.
    void Declare(const ElementRecord& element, bool withAttributes, const NamespaceBinding* inside,
                 const NamespaceBinding*& written, std::u16string& declarations);

private:
    const NamespaceBinding* bind(std::u16string_view prefix, std::u16string_view uri, const NamespaceBinding* outer);
    // A UTF-16 copy that lasts as long as the bindings, for what a binding
    // takes from a narrow (Latin-1) record string.
    std::u16string_view keep(std::u16string_view s) { return m_kept.emplace_back(s); }

    std::deque<NamespaceBinding> m_bindings;
    std::deque<std::u16string> m_kept;
    std::u16string m_scratch;
};

}  // namespace quillon
