// SPDX-License-Identifier: MIT
#include "output/namespace_scopes.h"

#include <algorithm>
#include <vector>

#include "model/attribute_names.h"
#include "model/document_pane.h"
#include "model/element_record.h"
#include "model/name_table.h"

namespace quillon {

namespace {

// Calls f(name, value) for each attribute of a UTF-16 attributes text; the
// views point into it.
template <typename F>
void forEachAttribute(std::u16string_view s, F f) {
    ForEachAttribute(RecordString(s), [&](const AttributeText& a) { f(a.name.utf16(), a.value.utf16()); });
}

// The prefix an xmlns attribute declares, or false when it is none.
bool declaredPrefix(std::u16string_view name, std::u16string_view& prefix) {
    if (name == u"xmlns") {
        prefix = {};
        return true;
    }
    if (name.size() > 6 && name.substr(0, 6) == u"xmlns:") {
        prefix = name.substr(6);
        return true;
    }
    return false;
}

}  // namespace

const NamespaceBinding* FindBinding(const NamespaceBinding* chain, std::u16string_view prefix) {
    for (; chain; chain = chain->outer)
        if (chain->prefix == prefix) return chain;
    return nullptr;
}

const NamespaceBinding* NamespaceScopes::bind(std::u16string_view prefix, std::u16string_view uri,
                                              const NamespaceBinding* outer) {
    m_bindings.push_back({prefix, uri, outer});
    return &m_bindings.back();
}

const NamespaceBinding* NamespaceScopes::Enter(const ElementRecord& element, const NamespaceBinding* around) {
    const RecordString stored = element.attributesString();
    if (stored.find(u"xmlns") == RecordString::npos) return around;
    // The bindings point into the string.
    const std::u16string_view attributes = stored.isNarrow() ? keep(stored.utf16(m_scratch)) : stored.utf16();
    const NamespaceBinding* inside = around;
    forEachAttribute(attributes, [&](std::u16string_view name, std::u16string_view value) {
        std::u16string_view prefix;
        if (declaredPrefix(name, prefix)) inside = bind(prefix, value, inside);
    });
    return inside;
}

const NamespaceBinding* NamespaceScopes::Around(const ElementRecord& element) {
    std::vector<const ElementRecord*> ancestors;
    for (const ElementRecord* a = ParentRecord(&element); a; a = ParentRecord(a)) ancestors.push_back(a);
    const NamespaceBinding* chain = nullptr;
    for (auto it = ancestors.rbegin(); it != ancestors.rend(); ++it) chain = Enter(**it, chain);
    return chain;
}

void NamespaceScopes::Declare(const ElementRecord& element, bool withAttributes, const NamespaceBinding* inside,
                              const NamespaceBinding*& written, std::u16string& declarations) {
    std::vector<std::u16string_view> prefixes;
    const auto need = [&](std::u16string_view qname, bool isElement) {
        const std::size_t colon = qname.find(u':');
        // An unprefixed attribute is in no namespace; "xml" is always bound.
        if (colon == std::u16string_view::npos && !isElement) return;
        const std::u16string_view prefix =
            colon == std::u16string_view::npos ? std::u16string_view() : qname.substr(0, colon);
        if (prefix == u"xml" || prefix == u"xmlns") return;
        if (std::find(prefixes.begin(), prefixes.end(), prefix) == prefixes.end()) prefixes.push_back(prefix);
    };
    if (element.name()) need(element.name()->view(), true);
    if (withAttributes)
        forEachAttribute(element.attributesString().utf16(m_scratch), [&](std::u16string_view name, std::u16string_view) {
            std::u16string_view ignored;
            if (!declaredPrefix(name, ignored)) need(name, false);
        });
    for (std::u16string_view prefix : prefixes) {
        const NamespaceBinding* wanted = FindBinding(inside, prefix);
        const NamespaceBinding* has = FindBinding(written, prefix);
        const std::u16string_view uri = wanted ? wanted->uri : std::u16string_view();
        // A prefix its own document left unbound cannot be mended here.
        if ((!wanted && !prefix.empty()) || uri == (has ? has->uri : std::u16string_view())) continue;
        if (!declarations.empty()) declarations.push_back(u' ');
        declarations += prefix.empty() ? u"xmlns" : u"xmlns:" + std::u16string(prefix);
        declarations.push_back(u'=');
        declarations.push_back(kValueOpen);
        declarations.append(uri);
        declarations.push_back(kValueClose);
        // prefix may point into the scratch string.
        written = bind(keep(prefix), uri, written);
    }
}

}  // namespace quillon
