// SPDX-License-Identifier: MIT
#include "report/element_identity.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "compare/compare_state.h"
#include "model/attribute_names.h"
#include "model/document_pane.h"
#include "model/element_record.h"
#include "platform/utf8.h"
#include "rules/key_elements.h"
#include "rules/rule_hooks.h"

namespace quillon {
namespace {

constexpr std::size_t kValueWidth = 60;
constexpr std::size_t kTextWidth = 40;
// Children looked at for a key-like one: a record's identity sits near its
// start, and a parent of thousands is no record.
constexpr std::size_t kChildrenLooked = 32;

// Attribute names that identify the element carrying them, best first.
constexpr std::array<std::u16string_view, 16> kIdentifyingAttributes = {
    u"id",   u"xml:id", u"key",  u"name", u"uid",  u"uuid", u"guid",  u"code",
    u"sku",  u"ref",    u"type", u"href", u"path", u"file", u"label", u"title"};
// Child element names whose text identifies their parent, best first.
constexpr std::array<std::u16string_view, 9> kIdentifyingChildren = {
    u"id", u"key", u"name", u"guid", u"uuid", u"artifactId", u"title", u"code", u"label"};

// productId, order_id, item-id: an attribute or child named as an id.
bool namedAsId(std::u16string_view name) {
    for (std::u16string_view end : {u"Id", u"ID", u"_id", u"-id"})
        if (name.size() > end.size() && name.ends_with(end)) return true;
    return false;
}

// Rank in a list of names, then the id-like names; list size + 1 for none.
template <std::size_t N>
std::size_t rank(const std::array<std::u16string_view, N>& names, std::u16string_view name) {
    const auto it = std::find(names.begin(), names.end(), name);
    if (it != names.end()) return std::size_t(it - names.begin());
    return namedAsId(name) ? N : N + 1;
}

std::u16string text(const RecordString& s) {
    std::u16string scratch;
    return std::u16string(s.utf16(scratch));
}

IdentityField attribute(std::u16string_view name, std::u16string value) {
    return {IdentityField::Kind::Attribute, std::u16string(name), CutAtWord(value, kValueWidth)};
}

IdentityField child(const ElementRecord& c) {
    return {IdentityField::Kind::Child, std::u16string(c.nameView()), CutAtWord(text(c.textString()), kValueWidth)};
}

// The first child of that name that has text.
const ElementRecord* childNamed(const ElementRecord& record, std::u16string_view name) {
    for (const ElementRecord* c = FirstChildRecord(&record); c; c = NextSiblingRecord(c))
        if (c->nameView() == name && c->text) return c;
    return nullptr;
}

// The key the user set: key elements under it, or its key attribute.
void userKey(const ElementRecord& record, std::vector<IdentityField>& out) {
    if (IsKeyParent(record)) {
        for (const ElementRecord* c = FirstChildRecord(&record); c; c = NextSiblingRecord(c))
            if (c->text && IsKeyOf(*c, record)) out.push_back(child(*c));
    }
    if (!out.empty() || !IsKeyAttributeElement(record)) return;
    ForEachAttribute(record.attributesString(), [&](const AttributeText& a) {
        const std::u16string name = text(a.name);
        if (out.empty() && IsKeyAttributeName(name)) out.push_back(attribute(name, text(a.value)));
    });
}

// The key the last comparison found for elements of this name.
void inferredKey(const ElementRecord& record, std::vector<IdentityField>& out) {
    const std::u16string_view name = record.nameView();
    for (const InferredKeyUse& k : pairingReport().inferredKeys) {
        if (k.element != name) continue;
        if (!k.attribute.empty()) {
            ForEachAttribute(record.attributesString(), [&](const AttributeText& a) {
                if (out.empty() && text(a.name) == k.attribute) out.push_back(attribute(k.attribute, text(a.value)));
            });
        }
        for (const std::u16string& c : k.children)
            if (const ElementRecord* r = childNamed(record, c)) out.push_back(child(*r));
        if (!out.empty()) return;
    }
}

void identifyingAttribute(const ElementRecord& record, std::vector<IdentityField>& out) {
    std::size_t best = kIdentifyingAttributes.size();
    ForEachAttribute(record.attributesString(), [&](const AttributeText& a) {
        const std::u16string name = text(a.name);
        const std::size_t r = rank(kIdentifyingAttributes, name);
        if (r > best || (r == best && !out.empty())) return;
        out.assign(1, attribute(name, text(a.value)));
        best = r;
    });
}

void keyLikeChild(const ElementRecord& record, std::vector<IdentityField>& out) {
    const ElementRecord* found = nullptr;
    std::size_t best = kIdentifyingChildren.size();
    std::size_t looked = 0;
    for (const ElementRecord* c = FirstChildRecord(&record); c && looked < kChildrenLooked;
         c = NextSiblingRecord(c), ++looked) {
        if (!c->text || FirstChildRecord(c)) continue;
        const std::size_t r = rank(kIdentifyingChildren, c->nameView());
        if (r < best || (r == best && !found)) {
            found = c;
            best = r;
        }
    }
    if (found) out.push_back(child(*found));
}

bool plainToken(std::string_view s) {
    if (s.empty()) return false;
    return std::none_of(s.begin(), s.end(), [](char c) { return c == ' ' || c == '"' || c == '\\' || c == '=' || std::uint8_t(c) < 0x20; });
}

}  // namespace

std::u16string CutAtWord(std::u16string_view value, std::size_t width) {
    if (value.size() <= width) return std::u16string(value);
    // Back to the last blank if one is near, so no word is cut in two.
    std::size_t cut = width;
    const std::size_t blank = value.substr(0, width + 1).find_last_of(u" \t\n");
    if (blank != std::u16string_view::npos && blank >= width * 2 / 3) cut = blank;
    // Never between the halves of a surrogate pair.
    if (cut > 0 && value[cut - 1] >= 0xD800 && value[cut - 1] < 0xDC00) --cut;
    std::u16string out(value.substr(0, cut));
    while (!out.empty() && (out.back() == u' ' || out.back() == u'\t' || out.back() == u'\n')) out.pop_back();
    return out + u"...";
}

std::string EscapedForLine(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (const char c : s) {
        switch (c) {
            case '\n': out += "\\n"; break;
            case '\t': out += "\\t"; break;
            case '\r': out += "\\r"; break;
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            default: out += c;
        }
    }
    return out;
}

std::vector<IdentityField> IdentifyElement(const ElementRecord& record, bool ownText) {
    std::vector<IdentityField> out;
    userKey(record, out);
    if (out.empty()) inferredKey(record, out);
    if (out.empty()) identifyingAttribute(record, out);
    if (out.empty()) keyLikeChild(record, out);
    if (out.empty() && ownText && record.text)
        out.push_back({IdentityField::Kind::Text, {}, CutAtWord(text(record.textString()), kTextWidth)});
    // An element that has nothing else still has its first attribute
    // (<glob pattern="*.png"/>).
    if (out.empty() && !record.text)
        ForEachAttribute(record.attributesString(), [&](const AttributeText& a) {
            if (out.empty()) out.push_back(attribute(text(a.name), text(a.value)));
        });
    return out;
}

std::string IdentityText(const std::vector<IdentityField>& fields) {
    std::string out;
    for (const IdentityField& f : fields) {
        if (!out.empty()) out += ' ';
        const std::string value = ToUtf8(f.value);
        if (f.kind == IdentityField::Kind::Attribute) out += '@';
        if (f.kind != IdentityField::Kind::Text) out += ToUtf8(f.name) + '=';
        if (f.kind != IdentityField::Kind::Text && plainToken(value))
            out += value;
        else
            out += '"' + EscapedForLine(value) + '"';
    }
    return out;
}

}  // namespace quillon
