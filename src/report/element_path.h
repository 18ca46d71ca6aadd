// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

namespace quillon {

struct ElementRecord;
struct NameEntry;

// XPath 1.0 steps that select exactly one element of its own document: a
// position on every step, and a name test that XPath can evaluate without
// namespace bindings. An unprefixed name outside any default namespace is
// written plainly (item[3]); a prefixed name, or one under a default
// namespace, is written *[name()='p:item'][3]; when prefixes were dropped on
// loading the element's real name is unknown, so *[local-name()='item'][3].

// How a step tests the name.
enum class StepForm : std::uint8_t { Plain, QualifiedName, LocalName };

// The step form of an element, given whether a default namespace is in scope
// at its parent (updated by the element's own xmlns attribute).
StepForm StepFormOf(const ElementRecord& record, bool defaultNamespaceAtParent, bool prefixesDropped);

// The default namespace is in scope for the element's children.
bool DefaultNamespaceBelow(const ElementRecord& record, bool defaultNamespaceAtParent);

// Counts the siblings of one parent in document order: each call gives the
// element's position among the siblings its step would select.
class SiblingPositions {
public:
    std::uint32_t next(const ElementRecord& record, StepForm form);

private:
    std::unordered_map<const NameEntry*, std::uint32_t> m_all;    // every sibling of the name
    std::unordered_map<const NameEntry*, std::uint32_t> m_plain;  // those a plain step selects
};

// Appends "/step[position]" to path (UTF-8).
void AppendStep(std::string& path, const ElementRecord& record, StepForm form, std::uint32_t position);

// The whole path of an element, found by walking up to the root and counting
// the siblings at every level; for single elements, not for a whole walk.
std::string ElementPath(const ElementRecord& record, bool prefixesDropped);

}  // namespace quillon
