// SPDX-License-Identifier: MIT
#include "rules/rule_list_files.h"

#include <memory>
#include <string>
#include <vector>

#include "model/element_record.h"
#include "model/name_table.h"
#include "platform/output_file.h"
#include "platform/utf8.h"
#include "rules/ignore_rules.h"
#include "rules/key_elements.h"
#include "settings/options.h"

namespace quillon {
namespace {

constexpr char16_t kBlockHeader[] = u"\r\n#These rows were added by Quillon\r\n";
constexpr char16_t kTextAttribute[] = u"$TEXT$";

std::u16string_view trim(std::u16string_view s) {
    while (!s.empty() && s.front() <= 32) s.remove_prefix(1);
    while (!s.empty() && s.back() <= 32) s.remove_suffix(1);
    return s;
}

std::u16string withoutBlanks(std::u16string_view s, std::size_t limit) {
    std::u16string out;
    for (char16_t c : s)
        if (c > 32 && out.size() < limit) out.push_back(c);
    return out;
}

struct PathIds {
    std::uint32_t nameId = 0, pathHash = 0;
    std::uint32_t parentNameId = 0, parentPathHash = 0;
};

// Interns every ">"-separated piece; false for an empty piece, which no
// element name can match.
bool internPath(std::u16string_view path, PathIds& ids) {
    const bool caseSensitive = options().XMLElementCaseSensitive != 0;
    ids = PathIds{};
    while (true) {
        const std::size_t end = std::min(path.find(u'>'), path.size());
        const std::u16string_view piece = trim(path.substr(0, end));
        if (piece.empty()) return false;
        const NameEntry* entry = nameTable().InternName(piece, caseSensitive);
        ids.parentNameId = ids.nameId;
        ids.parentPathHash = ids.pathHash;
        ids.nameId = entry->nameId;
        ids.pathHash = ChildPathHash(ids.pathHash, entry->nameId);
        if (end == path.size()) return true;
        path.remove_prefix(end + 1);
    }
}

std::u16string number(unsigned n) {
    std::u16string out;
    for (char c : std::to_string(n)) out.push_back(char16_t(c));
    return out;
}

// The whole block goes out in one write (it is far smaller than the file's
// buffer), so a failure leaves no half block; UTF-8, as every text file of
// this system.
bool appendToFile(const std::u16string& path, std::u16string_view block) {
    OutputFile file(FileNameBytes(path), OutputFile::Mode::Append);
    if (!file.ok()) return false;
    const std::string bytes = ToUtf8(block);
    file.Write(bytes.data(), bytes.size());
    return file.Commit();
}

}  // namespace

void ReadIgnoreElementLine(std::u16string_view value) {
    IgnoreRuleSet& set = ignoreRules();
    set.readerRule = nullptr;
    if (set.rules.size() >= kMaxIgnoreRules || withoutBlanks(value, 1).empty()) return;
    value = value.substr(std::min(value.find_first_not_of(u" \t\r\n"), value.size()));
    const std::size_t blank = std::min(value.find(u' '), value.size());
    const std::u16string text = withoutBlanks(value.substr(0, blank), kMaxRuleText);
    std::u16string_view kindPart = blank < value.size() ? value.substr(blank + 1) : std::u16string_view();

    PathIds ids;
    if (!internPath(text, ids)) return;
    for (const auto& r : set.rules)
        if (r->nameId == ids.nameId && (r->pathHash == ids.pathHash || r->pathHash == r->nameId)) {
            set.readerRule = r.get();
            return;
        }

    auto rule = std::make_unique<IgnoreRule>();
    rule->nameId = ids.nameId;
    rule->pathHash = ids.pathHash;
    rule->text = text;
    while (!kindPart.empty() && kindPart.front() <= 32) kindPart.remove_prefix(1);
    if (!kindPart.empty()) {
        unsigned kind = 0;
        std::size_t i = 0;
        for (; i < kindPart.size() && kindPart[i] >= u'0' && kindPart[i] <= u'9'; ++i)
            kind = (kind * 10 + unsigned(kindPart[i] - u'0')) % 256;
        rule->kind = std::uint8_t(kind);
        if (kind == 4 || kind == 5) {
            set.rulesChanged = true;
            std::u16string_view rest = kindPart.substr(i);
            while (!rest.empty() && rest.front() <= 32) rest.remove_prefix(1);
            rule->attributes.set(rest);
        }
    }
    IgnoreRule* added = rule.get();
    if (AppendRule(std::move(rule))) set.readerRule = added;
}

void ReadConditionLine(std::u16string_view value) {
    IgnoreRuleSet& set = ignoreRules();
    IgnoreRule* rule = set.readerRule;
    if (!rule || set.rules.empty()) return;

    std::size_t i = 0;
    while (i < value.size() && value[i] <= 32) ++i;
    const std::size_t nameStart = i;
    while (i < value.size() && value[i] > 32) ++i;
    std::u16string_view name = value.substr(nameStart, i - nameStart);
    if (name.empty() || i >= value.size()) return;
    std::uint8_t fields[3];
    for (std::uint8_t& field : fields) {
        while (i < value.size() && value[i] <= 32) ++i;
        if (i >= value.size()) return;
        field = (value[i] >= u'0' && value[i] <= u'9') ? std::uint8_t(value[i] - u'0') : 0;
        ++i;
    }
    if (i < value.size()) ++i;  // the separator before the value
    const std::u16string_view rest = value.substr(i);
    if (withoutBlanks(rest, 1).empty()) return;
    if (name == kTextAttribute) name = {};
    SetCondition(*rule, name, fields[0], fields[1], fields[2], rest);
    set.currentRule = rule;
}

void ReadCommonAttributesLine(std::u16string_view value) { SetCommonAttributes(value); }

void BeginRuleListReading() { ignoreRules().readerRule = nullptr; }

void RegisterRuleListReaders() {
    RegisterSettingsReader(kIgnoreRulesSection, "IgnoreElement", ReadIgnoreElementLine);
    RegisterSettingsReader(kIgnoreRulesSection, "Condition", ReadConditionLine);
    RegisterSettingsReader(kIgnoreRulesSection, "CommonIgnoredAttributes", ReadCommonAttributesLine);
    RegisterSettingsReader(kKeysSection, "KeyElement", ReadKeyElementLine);
    RegisterSettingsReader(kKeysSection, "KeyAttribute", ReadKeyAttributeLine);
    RegisterSettingsFileBoundary(BeginRuleListReading);
}

void ReadKeyElementLine(std::u16string_view value) {
    std::vector<KeyElement>& list = keyElements();
    if (list.size() >= kMaxKeyElements) return;
    const std::u16string text = withoutBlanks(value, kMaxRuleText);
    PathIds ids;
    if (text.empty() || !internPath(text, ids)) return;
    for (const KeyElement& k : list)
        if (k.keyNameId == ids.nameId && k.keyPathHash == ids.pathHash && k.parentNameId == ids.parentNameId &&
            k.parentPathHash == ids.parentPathHash)
            return;
    list.push_back({ids.nameId, ids.pathHash, ids.parentPathHash, ids.parentNameId, text});
}

void ReadKeyAttributeLine(std::u16string_view value) {
    const std::u16string text = withoutBlanks(value, kMaxRuleText);
    const std::size_t bar = text.find(u'|');
    if (bar == std::u16string::npos) return;
    const std::u16string_view name = trim(std::u16string_view(text).substr(bar + 1));
    PathIds ids;
    if (name.empty() || !internPath(std::u16string_view(text).substr(0, bar), ids)) return;
    ResetKeyAttribute();
    KeyAttribute& key = keyAttribute();
    key.elementNameId = ids.nameId;
    key.elementPathHash = ids.pathHash;
    key.attributeId = AttributeNameHash(name, options().XMLAttributeCaseSensitive != 0);
    key.attributeName.assign(name);
    key.text = text;
}

std::u16string IgnoredElementsBlock() {
    const IgnoreRuleSet& set = ignoreRules();
    std::u16string out = kBlockHeader;
    for (const auto& r : set.rules) {
        out += u"IgnoreElement=" + r->text;
        if (r->kind != 0) out += u" " + number(r->kind);
        if (r->kind == 4 || r->kind == 5) out += u" " + r->attributes.text;
        out += u"\r\n";
        if (const IgnoreCondition* c = r->condition.get()) {
            out += u"Condition=" + (c->onText() ? std::u16string(kTextAttribute) : c->attributeName) + u" " +
                   number(c->negate) + u" " + number(c->op) + u" " + number(c->ifNotExist) + u" " + c->value +
                   u"\r\n";
        }
    }
    if (set.commonAttributes.count()) out += u"CommonIgnoredAttributes=" + set.commonAttributes.text + u"\r\n";
    return out;
}

std::u16string KeyElementsBlock() {
    std::u16string out = kBlockHeader;
    for (const KeyElement& k : keyElements()) out += u"KeyElement=" + k.text + u"\r\n";
    if (keyAttribute().present()) out += u"KeyAttribute=" + keyAttribute().text + u"\r\n";
    return out;
}

bool SaveIgnoredElements(const std::u16string& path) {
    const IgnoreRuleSet& set = ignoreRules();
    if (set.rules.empty() && set.commonAttributes.count() == 0) return true;
    return appendToFile(path, IgnoredElementsBlock());
}

bool SaveKeyElements(const std::u16string& path) {
    if (keyElements().empty() && !keyAttribute().present()) return true;
    return appendToFile(path, KeyElementsBlock());
}

}  // namespace quillon
