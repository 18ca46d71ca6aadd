// SPDX-License-Identifier: MIT
#include "load/entity_expansion.h"

#include <algorithm>
#include <string>

#include "model/wide_string.h"

namespace quillon {

void EntityExpansionGuard::Reset(std::uint64_t documentBytes) {
    m_entities.clear();
    m_budget = std::max(kFloorChars, documentBytes * kBytesFactor);
    m_delivered = 0;
    m_largest = 1;
    m_failure = Failure::None;
}

void EntityExpansionGuard::Declare(std::u16string_view name, std::u16string_view value) {
    if (name.empty() || name.front() == u'%') return;  // parameter entities are expanded in the DTD
    m_entities.try_emplace(std::u16string(name), Entity{std::u16string(value)});
}

bool EntityExpansionGuard::measure(const std::u16string& name, Entity& e, std::uint32_t level) {
    if (e.state == 2) return true;
    if (e.state == 1) return true;  // recursion: the parser reports it
    if (level > kMaxNesting) {
        m_failure = Failure::Nesting;
        return false;
    }
    e.state = 1;
    std::uint64_t size = 0;
    std::uint32_t depth = 1;
    const std::u16string& v = e.value;
    for (std::size_t i = 0; i < v.size();) {
        const std::size_t semi = v[i] == u'&' ? v.find(u';', i + 1) : std::u16string::npos;
        if (semi == std::u16string::npos || v[i + 1] == u'#') {
            // Character references were replaced when the entity was declared;
            // "&#" is what an escaped ampersand leaves.
            ++size;
            ++i;
            continue;
        }
        const std::u16string ref = v.substr(i + 1, semi - i - 1);
        const auto it = m_entities.find(ref);
        if (it == m_entities.end()) {
            size += ref.size() + 2;  // an unknown reference stays as written
        } else {
            if (!measure(it->first, it->second, level + 1)) {
                e.state = 0;
                return false;
            }
            size += it->second.size;
            depth = std::max(depth, it->second.depth + 1);
        }
        if (size > m_budget) {
            e.state = 0;
            m_failure = Failure::Size;
            return false;
        }
        i = semi + 1;
    }
    (void)name;
    if (depth > kMaxNesting) {
        e.state = 0;
        m_failure = Failure::Nesting;
        return false;
    }
    e.size = size;
    e.depth = depth;
    e.state = 2;
    m_largest = std::max(m_largest, size);
    return true;
}

std::u16string EntityExpansionGuard::failureText(std::u16string_view name) const {
    if (m_failure == Failure::Nesting)
        return u"The entity '" + std::u16string(name) + u"' nests entity definitions more than " +
               DecimalText(kMaxNesting) + u" levels deep; the document is not loaded";
    return u"The entity '" + std::u16string(name) + u"' expands to more than " + DecimalText(m_budget) +
           u" characters, more than a document of this size may produce; the document is not loaded";
}

std::u16string EntityExpansionGuard::Check(std::u16string_view name) {
    const auto it = m_entities.find(std::u16string(name));
    if (it == m_entities.end()) return {};
    if (measure(it->first, it->second, 1)) return {};
    return failureText(name);
}

std::u16string EntityExpansionGuard::CheckAll() {
    for (auto& [name, e] : m_entities)
        if (!measure(name, e, 1)) return failureText(name);
    return {};
}

std::u16string EntityExpansionGuard::Deliver(std::uint64_t chars) {
    m_delivered += chars;
    if (m_delivered <= m_budget) return {};
    return u"Entity references in this document expand to more than " + DecimalText(m_budget) +
           u" characters, more than a document of this size may produce; the document is not loaded";
}

}  // namespace quillon
