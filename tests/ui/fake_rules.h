// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "model/document_pane.h"
#include "model/element_record.h"
#include "model/name_table.h"
#include "ui/dialogs/rule_editing.h"

namespace quillon::test {

// A rule set kept in plain lists, matching rules the way the rules module
// does (name id, and either the full path hash or the name id itself).
class FakeRules : public RuleEditing {
public:
    struct Rule {
        std::uint32_t nameId = 0;
        std::uint32_t pathHash = 0;
        std::uint8_t kind = 0;
        std::vector<std::u16string> attributes;
        std::optional<RuleCondition> condition;
        std::u16string text;
    };

    std::vector<Rule> rules;
    int current = -1;
    std::vector<std::u16string> common;
    bool changed = false;
    std::vector<std::u16string> loaded, saved;
    bool saveSucceeds = true;
    // The key attribute.
    bool hasKey = false;
    std::uint32_t keyNameId = 0, keyPathHash = 0;
    std::u16string keyName;

    static std::vector<std::u16string> split(std::u16string_view names) {
        std::vector<std::u16string> out;
        std::u16string word;
        for (char16_t c : names) {
            if (c == u' ') {
                if (!word.empty()) out.push_back(word);
                word.clear();
            } else {
                word += c;
            }
        }
        if (!word.empty()) out.push_back(word);
        return out;
    }

    static std::u16string fullPath(const ElementRecord& e) {
        std::u16string path = e.name ? std::u16string(e.name->view()) : std::u16string();
        for (const ElementRecord* p = ParentRecord(&e); p; p = ParentRecord(p))
            path = std::u16string(p->name->view()) + u">" + path;
        return path;
    }

    Rule& cur() { return rules.at(std::size_t(current)); }
    const Rule& cur() const { return rules.at(std::size_t(current)); }

    std::size_t ruleCount() const override { return rules.size(); }
    std::u16string ruleText(std::size_t i) const override { return rules.at(i).text; }
    bool findRule(const ElementRecord& e) override {
        if (rules.empty()) return false;
        current = -1;
        for (std::size_t i = 0; i < rules.size(); ++i)
            if (rules[i].nameId == e.name->nameId &&
                (rules[i].pathHash == e.pathHash || rules[i].pathHash == rules[i].nameId)) {
                current = int(i);
                return true;
            }
        return false;
    }
    void addRuleFor(const ElementRecord& e, bool byFullName) override {
        if (findRule(e)) return;
        Rule r;
        r.nameId = e.name->nameId;
        r.pathHash = byFullName ? e.pathHash : e.name->nameId;
        r.kind = e.ruleFlags & 7;
        r.text = byFullName ? fullPath(e) : std::u16string(e.name->view());
        rules.push_back(r);
        current = int(rules.size()) - 1;
    }
    void removeRuleFor(const ElementRecord& e) override {
        if (findRule(e)) removeRuleAt(std::size_t(current));
    }
    void removeRuleAt(std::size_t i) override {
        if (i >= rules.size()) return;
        rules[i] = rules.back();
        rules.pop_back();
        current = -1;
    }
    void removeAllRules() override {
        rules.clear();
        current = -1;
    }
    void makeCurrent(std::size_t i) override { current = i < rules.size() ? int(i) : -1; }
    bool hasCurrentRule() const override { return current >= 0; }
    bool currentByFullName() const override { return cur().pathHash != cur().nameId; }
    std::uint8_t currentKind() const override { return cur().kind; }
    std::vector<std::u16string> currentAttributes() const override { return cur().attributes; }
    std::optional<RuleCondition> currentCondition() const override { return cur().condition; }
    void setCurrentKind(std::uint8_t kind) override {
        cur().kind = kind;
        if (kind > 3) changed = true;
    }
    void setCurrentAttributes(std::u16string_view names) override { cur().attributes = split(names); }
    bool setCurrentCondition(const RuleCondition& c) override {
        RuleCondition stored = c;
        stored.value.clear();
        for (char16_t ch : c.value)
            if (ch > 32 && stored.value.size() < 31) stored.value += ch;
        const std::optional<RuleCondition> old = cur().condition;
        cur().condition = stored;
        return old && old->attributeName == stored.attributeName && old->negate == stored.negate &&
               old->op == stored.op && old->ifNotExist == stored.ifNotExist && old->value == stored.value;
    }
    void removeCurrentCondition() override { cur().condition.reset(); }
    std::vector<std::u16string> commonAttributes() const override { return common; }
    void setCommonAttributes(std::u16string_view names) override { common = split(names); }
    bool loadIgnoredElements(const std::u16string& path) override {
        loaded.push_back(path);
        Rule r;
        r.text = u"loaded>rule";
        rules.push_back(r);
        return true;
    }
    bool saveIgnoredElements(const std::u16string& path) override {
        saved.push_back(path);
        return saveSucceeds;
    }
    bool carriesKeyAttribute(const ElementRecord& e) const override {
        return hasKey && e.name->nameId == keyNameId && e.pathHash == keyPathHash;
    }
    bool isKeyAttributeName(std::u16string_view name) const override { return hasKey && name == keyName; }
    std::uint32_t keyAttributeFingerprint() const override {
        return hasKey ? keyNameId ^ keyPathHash ^ std::uint32_t(std::hash<std::u16string>{}(keyName)) : 0xFFFFFFFFu;
    }
    void setKeyAttribute(const ElementRecord& e, std::u16string_view name) override {
        hasKey = true;
        keyNameId = e.name->nameId;
        keyPathHash = e.pathHash;
        keyName = name;
    }
    void resetKeyAttribute() override {
        hasKey = false;
        keyName.clear();
    }
    bool rulesChanged() const override { return changed; }
    void setRulesChanged(bool c) override { changed = c; }
};

}  // namespace quillon::test
