// SPDX-License-Identifier: MIT
#include "rules/key_elements.h"

#include "model/document_pane.h"
#include "model/element_record.h"
#include "model/hashes.h"
#include "model/name_table.h"
#include "rules/ignore_rules.h"
#include "rules/rule_hooks.h"
#include "settings/options.h"

namespace quillon {
namespace {

std::u16string_view trim(std::u16string_view s) {
    while (!s.empty() && s.front() <= 32) s.remove_prefix(1);
    while (!s.empty() && s.back() <= 32) s.remove_suffix(1);
    return s;
}

// parentPathHash: the parent's, or null to work it out when the names agree.
bool concerns(const KeyElement& k, const ElementRecord& child, const ElementRecord& parent,
              const std::uint32_t* parentPathHash) {
    if (!child.name() || !parent.name() || k.keyNameId != child.name()->nameId ||
        k.parentNameId != parent.name()->nameId)
        return false;
    // With the names equal, equal parent paths make the child paths equal.
    return k.parentPathHash == (parentPathHash ? *parentPathHash : PathHashOf(parent));
}

bool isKeyOf(const ElementRecord& child, const ElementRecord& parent, const std::uint32_t* parentPathHash) {
    for (const KeyElement& k : keyElements())
        if (concerns(k, child, parent, parentPathHash)) return true;
    return false;
}

}  // namespace

std::vector<KeyElement>& keyElements() {
    static std::vector<KeyElement> list;
    return list;
}

KeyAttribute& keyAttribute() {
    static KeyAttribute key;
    return key;
}

bool ToggleKeyElement(const ElementRecord& element) {
    const ElementRecord* parent = ParentRecord(&element);
    if (!parent || !element.name() || !parent->name()) return false;
    std::vector<KeyElement>& list = keyElements();
    for (std::size_t i = 0; i < list.size(); ++i)
        if (concerns(list[i], element, *parent, nullptr)) {
            list[i] = std::move(list.back());
            list.pop_back();
            return true;
        }
    if (list.size() >= kMaxKeyElements) return false;
    const std::uint32_t parentPath = PathHashOf(*parent);
    list.push_back({element.name()->nameId, ChildPathHash(parentPath, element.name()->nameId), parentPath,
                    parent->name()->nameId, ElementRuleText(element, true)});
    return true;
}

bool IsKeyElement(const ElementRecord& element) {
    if (!element.name()) return false;
    for (const KeyElement& k : keyElements())
        if (k.keyNameId == element.name()->nameId && k.keyPathHash == PathHashOf(element)) return true;
    return false;
}

bool IsKeyParent(const ElementRecord& element) {
    const std::vector<KeyElement>& list = keyElements();
    if (list.empty() || !element.name()) return false;
    for (const KeyElement& k : list)
        if (k.parentNameId == element.name()->nameId) return IsKeyParent(element, PathHashOf(element));
    return false;
}

bool IsKeyParent(const ElementRecord& element, std::uint32_t pathHash) {
    const std::vector<KeyElement>& list = keyElements();
    if (list.empty() || !element.name()) return false;
    for (const KeyElement& k : list)
        if (k.parentNameId == element.name()->nameId && k.parentPathHash == pathHash) return true;
    return false;
}

bool IsKeyOf(const ElementRecord& child, const ElementRecord& parent) { return isKeyOf(child, parent, nullptr); }

bool IsKeyOf(const ElementRecord& child, const ElementRecord& parent, std::uint32_t parentPathHash) {
    return isKeyOf(child, parent, &parentPathHash);
}

void ResetKeyAttribute() { keyAttribute() = KeyAttribute{}; }

void SetKeyAttribute(const ElementRecord& element, std::u16string_view attributeName) {
    ResetKeyAttribute();
    const std::u16string_view name = trim(attributeName);
    if (!element.name() || name.empty()) return;
    KeyAttribute& key = keyAttribute();
    key.elementNameId = element.name()->nameId;
    key.elementPathHash = PathHashOf(element);
    key.attributeId = AttributeNameHash(name, options().XMLAttributeCaseSensitive != 0);
    key.attributeName.assign(name);
    key.text = ElementRuleText(element, true) + u"|" + key.attributeName;
}

bool IsKeyAttributeName(std::u16string_view attributeName) {
    const KeyAttribute& key = keyAttribute();
    if (!key.present()) return false;
    const std::u16string_view name = trim(attributeName);
    const bool caseSensitive = options().XMLAttributeCaseSensitive != 0;
    if (AttributeNameHash(name, caseSensitive) != key.attributeId || name.size() != key.attributeName.size())
        return false;
    for (std::size_t i = 0; i < name.size(); ++i)
        if (caseSensitive ? name[i] != key.attributeName[i] : UpperFold(name[i]) != UpperFold(key.attributeName[i]))
            return false;
    return true;
}

bool IsKeyAttributeElement(const ElementRecord& element) {
    const KeyAttribute& key = keyAttribute();
    return key.present() && element.name() && element.name()->nameId == key.elementNameId &&
           PathHashOf(element) == key.elementPathHash;
}

void ResetKeys() {
    keyElements().clear();
    ResetKeyAttribute();
}

}  // namespace quillon
