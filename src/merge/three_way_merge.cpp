// SPDX-License-Identifier: MIT
#include "merge/three_way_merge.h"

#include <algorithm>
#include <functional>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "compare/identity.h"
#include "compare/key_inference.h"
#include "load/record_values.h"
#include "merge/start_tag.h"
#include "model/document_pane.h"
#include "platform/utf8.h"
#include "report/element_path.h"
#include "rules/rule_hooks.h"
#include "settings/options.h"

namespace quillon {
namespace {

using namespace side_change;

using AttributeList = std::vector<std::pair<std::u16string, std::u16string>>;

// The record's attributes from its stored form name=\1value\2 name=...
AttributeList attributesOf(const ElementRecord& r) {
    AttributeList list;
    const std::u16string s = r.attributesUtf16();
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t open = s.find(kValueOpen, i);
        const std::size_t close = open == std::u16string::npos ? open : s.find(kValueClose, open + 1);
        if (close == std::u16string::npos) break;
        list.emplace_back(s.substr(i, open - 1 - i), s.substr(open + 1, close - open - 1));
        i = close + 2;  // past the blank between attributes
    }
    return list;
}

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string escapedAttribute(std::string_view value) {
    std::string out;
    for (const char c : value) {
        if (c == '&') out += "&amp;";
        else if (c == '<') out += "&lt;";
        else if (c == '"') out += "&quot;";
        else out += c;
    }
    return out;
}

// A processing instruction's data may hold anything but its own end.
std::string instructionData(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        out += text[i];
        if (text[i] == '?' && i + 1 < text.size() && text[i + 1] == '>') {
            out += "&gt;";
            ++i;
        }
    }
    return out;
}

bool ownAttributesAlike(const ElementRecord& a, const ElementRecord& b, const CompareSnapshot& s) {
    if (s.ignoreAttributes || (a.ruleFlags & b.ruleFlags & kRuleAttributesNotCompared)) return true;
    return a.attrHash == b.attrHash && a.attrHash16 == b.attrHash16 && a.attrWeight == b.attrWeight;
}

bool ownTextAlike(const ElementRecord& a, const ElementRecord& b, const CompareSnapshot& s) {
    if (s.ignoreValues || (a.ruleFlags & b.ruleFlags & kRuleTextNotCompared)) return true;
    return a.textHash == b.textHash && a.textHash16 == b.textHash16 && a.textWeight == b.textWeight;
}

// Two elements of OURS and THEIRS, neither in BASE, hold the same: the
// identity test of the comparison, without the marks a pairing leaves.
bool sameContent(const ElementRecord& a, const ElementRecord& b, const CompareSnapshot& s) {
    return NameIdOf(a) == NameIdOf(b) && a.subtree().nameSum == b.subtree().nameSum &&
           a.descendantCount() == b.descendantCount() && TextEqual(a, b, s) && AttributesEqual(a, b, s);
}

std::uint64_t mix(std::uint64_t h, std::uint64_t a, std::uint64_t b = 0) {
    h = (h ^ a) * 0x9E3779B97F4A7C15ull;
    h = (h ^ (h >> 29) ^ b) * 0xBF58476D1CE4E5B9ull;
    return h ^ (h >> 32);
}

// How many children of that name the element has.
std::uint32_t childrenNamed(const ElementRecord& parent, std::uint32_t nameId) {
    const std::uint32_t* ids = parent.childNameIds();
    const std::uint32_t* counts = parent.childNameCounts();
    for (std::uint32_t k = 0; k < parent.distinctChildNameCount(); ++k)
        if (ids[k] == nameId) return counts[k];
    return 0;
}

class Merger {
public:
    Merger(const ThreeWayLinks& links, const MergeSources& sources, MergedText& out,
           std::vector<MergeConflict>& conflicts)
        : m_links(links),
          m_sources(sources),
          m_ours(sources.ours.text()),
          m_theirs(sources.theirs.text()),
          m_out(out),
          m_conflicts(conflicts),
          m_snapshot(compareSnapshot()),
          m_prefixesDropped(options().IgnoreNamespaces != 0),
          m_caseSensitive(options().XMLAttributeCaseSensitive != 0) {}

    bool run(const DocumentPane& ours, std::string& error) {
        ElementRecord* root = RootRecord(ours);
        if (root && m_links.Base(*root, Side::Ours)) m_stack.push_back(root);
        while (!m_stack.empty() && m_error.empty()) {
            ElementRecord* o = m_stack.back();
            m_stack.pop_back();
            visit(*o);
        }
        error = m_error;
        return m_error.empty();
    }

private:
    // Something to put among OURS's children: THEIRS's added element, or a
    // conflict block that stands where OURS has nothing.
    struct Addition {
        std::uint64_t at = 0;
        std::vector<MergePart> parts;
        std::optional<std::size_t> conflict;
    };

    const ElementSpans& ours() const { return m_sources.ours; }
    const ElementSpans& theirs() const { return m_sources.theirs; }

    void visit(ElementRecord& o) {
        const ElementRecord& b = *m_links.Base(o, Side::Ours);
        const std::uint8_t mine = m_links.Change(b, Side::Ours);
        const ElementRecord* t = m_links.Partner(b, Side::Theirs);
        if (!t) {
            if (mine & kSame)
                m_out.Replace(ours().LeadBegin(o), ours()[o].end, {});
            else
                wrapConflict(o, nullptr, &b, true, "removed in theirs, changed in ours");
            return;
        }
        const std::uint8_t their = m_links.Change(b, Side::Theirs);
        if (their & kSame) return;
        if (mergeOwn(o, b, *t, mine, their)) return;
        mergeChildren(o, *t);
    }

    // The element's own name, attributes and text; true when THEIRS's whole
    // element replaced OURS's, or was recorded in a conflict, and nothing
    // below is left to merge.
    bool mergeOwn(const ElementRecord& o, const ElementRecord& b, const ElementRecord& t, std::uint8_t mine,
                  std::uint8_t their) {
        std::vector<std::string> clashes;
        bool wholeElements = false;
        bool takeText = (their & kText) && !ownTextAlike(o, t, m_snapshot);
        if (takeText && (mine & kText)) {
            clashes.push_back("text changed in ours and in theirs");
            wholeElements = true;
            takeText = false;
        } else if (takeText && (ChildCountOf(o) > 0 || ChildCountOf(t) > 0)) {
            // Text between child elements: where OURS changed nothing in the
            // element, THEIRS's element is taken whole.
            if (mine & kSame) {
                m_out.Replace(ours()[o].begin, ours()[o].end, {{theirs().Element(t), true}});
                return true;
            }
            clashes.push_back("text changed in theirs among child elements that ours changed");
            wholeElements = true;
            takeText = false;
        }
        const WrittenStartTag tag = SplitStartTag(m_ours, ours()[o].begin);
        if ((their & kName) && NameIdOf(o) != NameIdOf(t)) {
            if (mine & kName)
                clashes.push_back("renamed in ours and in theirs");
            else
                rename(o, t, tag);
        }
        if ((their & kAttributes) && !ownAttributesAlike(o, t, m_snapshot)) {
            std::vector<std::string> names;
            mergeAttributes(o, b, t, tag, names);
            if (!names.empty()) {
                std::string what = names.size() == 1 ? "attribute " : "attributes ";
                for (std::size_t i = 0; i < names.size(); ++i) what += (i ? ", " : "") + names[i];
                clashes.push_back(what + " changed in ours and in theirs");
            }
        }
        if (takeText) takeLeafText(o, t, tag);
        if (clashes.empty()) return false;
        std::string what = clashes[0];
        for (std::size_t i = 1; i < clashes.size(); ++i) what += "; " + clashes[i];
        wrapConflict(o, &t, &b, wholeElements, what);
        // THEIRS's whole element is on record; what lies below it is settled
        // with the conflict, not merged into OURS's as well.
        return wholeElements;
    }

    void rename(const ElementRecord& o, const ElementRecord& t, const WrittenStartTag& tag) {
        const WrittenStartTag theirTag = SplitStartTag(m_theirs, theirs()[t].begin);
        const MergePart name{m_theirs.substr(theirTag.nameBegin, theirTag.nameEnd - theirTag.nameBegin), false};
        m_out.Replace(tag.nameBegin, tag.nameEnd, {name});
        if (ours().IsEmptyTag(o)) return;
        const std::uint64_t endName = ours().ContentEnd(o) + 2;
        m_out.Replace(endName, endName + (tag.nameEnd - tag.nameBegin), {name});
    }

    bool sameValue(const std::u16string* a, const std::u16string* b, std::uint16_t nameHash,
                   std::u16string_view name) const {
        if (!a || !b) return a == b;
        const AttributeFold x = FoldAttribute(options(), nameHash, name, *a);
        const AttributeFold y = FoldAttribute(options(), nameHash, name, *b);
        const unsigned m = m_snapshot.mode;
        return x.part.hash[m] == y.part.hash[m] && x.part.hash16[m] == y.part.hash16[m];
    }

    const std::u16string* find(const AttributeList& list, std::u16string_view name) const {
        for (const auto& [n, v] : list) {
            if (n == name || (!m_caseSensitive && WideEqualIgnoringCaseAscii(n, name))) return &v;
        }
        return nullptr;
    }

    static bool WideEqualIgnoringCaseAscii(std::u16string_view a, std::u16string_view b) {
        if (a.size() != b.size()) return false;
        for (std::size_t i = 0; i < a.size(); ++i) {
            const auto fold = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; };
            if (fold(a[i]) != fold(b[i])) return false;
        }
        return true;
    }

    // Takes THEIRS's changes of single attributes that OURS left as BASE had
    // them; the names changed differently on both sides go to clashes.
    void mergeAttributes(const ElementRecord& o, const ElementRecord& b, const ElementRecord& t,
                         const WrittenStartTag& tag, std::vector<std::string>& clashes) {
        const AttributeList base = attributesOf(b), mine = attributesOf(o), their = attributesOf(t);
        std::vector<std::u16string> names;
        for (const auto& [n, v] : their) names.push_back(n);
        for (const auto& [n, v] : base)
            if (!find(their, n)) names.push_back(n);
        const WrittenStartTag theirTag = SplitStartTag(m_theirs, theirs()[t].begin);
        for (const std::u16string& name : names) {
            const std::uint16_t nameHash = AttributeNameHash(name, m_caseSensitive);
            if (AttributeNotCompared(o, nameHash)) continue;  // the user said it does not count
            const std::u16string* bv = find(base, name);
            const std::u16string* tv = find(their, name);
            const std::u16string* ov = find(mine, name);
            if (sameValue(bv, tv, nameHash, name) || sameValue(ov, tv, nameHash, name)) continue;
            const std::string written = ToUtf8(name);
            if (!sameValue(ov, bv, nameHash, name)) {
                clashes.push_back(written);
                continue;
            }
            const WrittenAttribute* here = tag.Find(written);
            if (!tv) {
                if (here) m_out.Replace(here->spaceBegin, here->end, {});
                continue;
            }
            const WrittenAttribute* there = theirTag.Find(written);
            const MergePart value =
                there ? MergePart{m_theirs.substr(there->begin, there->end - there->begin), true}
                      : MergePart{m_out.Keep(written + "=\"" + escapedAttribute(ToUtf8(*tv)) + "\""), false};
            if (here)
                m_out.Replace(here->begin, here->end, {value});
            else
                m_out.Insert(tag.insertAt, {{" ", false}, value});
        }
    }

    // THEIRS's text of an element without children, as THEIRS wrote it.
    void takeLeafText(const ElementRecord& o, const ElementRecord& t, const WrittenStartTag& tag) {
        const std::uint64_t from = theirs().StartTagEnd(t);
        const MergePart text{m_theirs.substr(from, std::max(from, theirs().ContentEnd(t)) - from), true};
        if (ours().IsEmptyTag(o)) {
            const std::string_view name = m_ours.substr(tag.nameBegin, tag.nameEnd - tag.nameBegin);
            m_out.Replace(ours().ContentEnd(o), ours()[o].end,
                          {{">", false}, text, {m_out.Keep("</" + std::string(name) + ">"), false}});
        } else {
            m_out.Replace(ours().StartTagEnd(o), ours().ContentEnd(o), {text});
        }
    }

    // What makes an added element the same as one the other side added:
    // its user keys, an inferred key attribute's value, or being the only
    // child of its name (one setting of a configuration, one <version> of a
    // dependency). Two added elements that share a token stand for one.
    std::vector<std::uint64_t> identityTokens(const ElementRecord& r, const ElementRecord& parent) const {
        const std::uint32_t name = NameIdOf(r);
        std::vector<std::uint64_t> tokens;
        if (childrenNamed(parent, name) == 1) tokens.push_back(mix(1, name));
        const unsigned m = m_snapshot.mode;
        if (const KeyAttrSignature* k = KeyAttrSignatureOf(r)) tokens.push_back(mix(mix(2, name), k->hash[m], k->hash16[m]));
        if (const std::uint32_t sum = r.subtree().keySum) tokens.push_back(mix(mix(3, name), sum));
        for (const auto& [element, attribute] : m_links.InferredKeys()) {
            if (r.nameView() != element) continue;
            const AttributeList list = attributesOf(r);
            if (const std::u16string* value = find(list, attribute)) {
                const std::uint16_t nameHash = AttributeNameHash(attribute, m_caseSensitive);
                const AttributeFold fold = FoldAttribute(options(), nameHash, attribute, *value);
                tokens.push_back(mix(mix(4, name), fold.part.hash[m], fold.part.hash16[m]));
            }
        }
        return tokens;
    }

    // Equal for elements sameContent may call the same; it decides.
    std::uint64_t contentToken(const ElementRecord& r) const {
        const SubtreeDigest& d = r.subtree();
        std::uint64_t h = mix(mix(5, NameIdOf(r)), d.nameSum, r.descendantCount());
        if (!m_snapshot.ignoreValues && !(r.ruleFlags & kRuleTextNotCompared)) h = mix(h, r.textHash, d.textSum);
        if (!m_snapshot.ignoreAttributes && !(r.ruleFlags & kRuleAttributesNotCompared))
            h = mix(h, r.attrHash, d.attrSum);
        return h;
    }

    // OURS's children that BASE lacks, found by content and by identity for
    // THEIRS's additions under the same parent; each is found once.
    struct OursAdditions {
        std::vector<const ElementRecord*> elements;
        std::unordered_multimap<std::uint64_t, std::size_t> byContent, byIdentity;
        std::vector<bool> taken;
    };

    void indexAdditions(const ElementRecord& o, const std::unordered_map<const ElementRecord*, std::uint64_t>& keyed,
                        OursAdditions& a) const {
        a.taken.assign(a.elements.size(), false);
        for (std::size_t i = 0; i < a.elements.size(); ++i) {
            a.byContent.emplace(contentToken(*a.elements[i]), i);
            for (const std::uint64_t token : identityTokens(*a.elements[i], o)) a.byIdentity.emplace(token, i);
            if (const auto it = keyed.find(a.elements[i]); it != keyed.end()) a.byIdentity.emplace(it->second, i);
        }
    }

    // The members of each side's group of one name, by name.
    using Groups = std::unordered_map<std::uint32_t, std::vector<ElementRecord*>[2]>;

    // A name people give an identity: id, key, name, alone or at the end
    // (artifactId, groupId, xml:id, userName); version or scope is none.
    static bool identityName(std::u16string_view n) {
        for (const std::u16string_view end : {u"id", u"key", u"name"}) {
            if (n.size() < end.size()) continue;
            bool same = true;
            for (std::size_t i = 0; i < end.size() && same; ++i) {
                char16_t ch = n[n.size() - end.size() + i];
                if (ch >= u'A' && ch <= u'Z') ch = char16_t(ch + 32);
                same = ch == end[i];
            }
            if (same) return true;
        }
        return false;
    }

    // The element's fields named as identities, with a digest of each value:
    // its attributes and the children it has once.
    std::vector<std::pair<std::u16string, std::uint64_t>> identityFields(const ElementRecord& r) const {
        std::vector<std::pair<std::u16string, std::uint64_t>> fields;
        const unsigned m = m_snapshot.mode;
        if (!m_snapshot.ignoreAttributes && !(r.ruleFlags & kRuleAttributesNotCompared)) {
            for (const auto& [n, v] : attributesOf(r)) {
                const std::uint16_t nameHash = AttributeNameHash(n, m_caseSensitive);
                if (!identityName(n) || AttributeNotCompared(r, nameHash)) continue;
                std::u16string field = u"@" + n;
                if (!m_caseSensitive)
                    for (char16_t& ch : field) ch = ch >= u'A' && ch <= u'Z' ? char16_t(ch + 32) : ch;
                const AttributeFold fold = FoldAttribute(options(), nameHash, n, v);
                fields.emplace_back(std::move(field), mix(7, fold.part.hash[m], fold.part.hash16[m]));
            }
        }
        for (const ElementRecord* c = FirstChildRecord(&r); c; c = NextSiblingRecord(c)) {
            if (c->ignoreState != 0 || !identityName(c->nameView()) || childrenNamed(r, NameIdOf(*c)) != 1) continue;
            fields.emplace_back(u"/" + std::u16string(c->nameView()), contentToken(*c));
        }
        return fields;
    }

    // Two additions that share a key found from the data are still two
    // elements where they differ in another field named as an identity
    // that tells the members apart on both sides: the same groupId with
    // another artifactId. The key found may be one field of two.
    bool toldApart(const ElementRecord& a, const ElementRecord& b, const Groups& groups) const {
        const auto group = groups.find(NameIdOf(a));
        if (group == groups.end()) return false;
        const auto theirs = identityFields(b);
        for (const auto& entry : identityFields(a)) {
            // Named, not bound: lambdas may not capture structured bindings
            // on every compiler this builds with.
            const auto& field = entry.first;
            const auto& value = entry.second;
            const auto other = std::find_if(theirs.begin(), theirs.end(), [&](const auto& f) { return f.first == field; });
            if (other == theirs.end() || other->second == value) continue;
            bool unique = true;
            for (int s = 0; s < 2 && unique; ++s) {
                std::unordered_set<std::uint64_t> seen;
                for (const ElementRecord* x : group->second[s])
                    for (const auto& [f, v] : identityFields(*x))
                        if (f == field && !seen.insert(v).second) unique = false;
                unique = unique && seen.size() >= 2;
            }
            if (unique) return true;
        }
        return false;
    }

    // Where both sides added elements of one name, the key their whole
    // groups show, found as the comparison finds keys (an attribute, or the
    // texts of child elements such as a dependency's groupId and
    // artifactId): the comparisons with BASE pair what BASE holds before
    // they look for keys, so they find none for additions alone. An added
    // element's value of it, by element.
    void keysOfAdditions(const ElementRecord& o, const ElementRecord& t, const OursAdditions& a,
                         std::unordered_map<const ElementRecord*, std::uint64_t>& keyed, Groups& groups) const {
        std::unordered_map<std::uint32_t, int> names;  // 1 added in ours, 3 in both
        for (const ElementRecord* x : a.elements) names[NameIdOf(*x)] = 1;
        for (const ElementRecord* c = FirstChildRecord(&t); c; c = NextSiblingRecord(c)) {
            if (m_links.Base(*c, Side::Theirs) || c->ignoreState != 0) continue;
            if (const auto it = names.find(NameIdOf(*c)); it != names.end()) it->second = 3;
        }
        for (const auto& entry : names) {
            const auto name = entry.first;
            if (entry.second != 3) continue;
            std::vector<ElementRecord*>(&all)[2] = groups[name];
            std::vector<ElementRecord*> left[2];
            const auto group = [&](const ElementRecord& parent, Side side) {
                const int s = int(side);
                for (ElementRecord* c = FirstChildRecord(&parent); c; c = NextSiblingRecord(c)) {
                    if (NameIdOf(*c) != name || c->ignoreState != 0) continue;
                    all[s].push_back(c);
                    left[s].push_back(m_links.Base(*c, side) ? nullptr : c);
                }
            };
            group(o, Side::Ours);
            group(t, Side::Theirs);
            if (all[0].size() < 2 || all[1].size() < 2) continue;
            const InferredKey key = InferKey({all[0].data(), left[0].data(), std::uint32_t(all[0].size()),
                                              all[1].data(), left[1].data(), std::uint32_t(all[1].size())},
                                             m_snapshot);
            if (key.fields.empty()) continue;
            for (int s = 0; s < 2; ++s) {
                const std::vector<std::uint64_t>& values = s == 0 ? key.valuesX : key.valuesY;
                for (std::size_t i = 0; i < left[s].size() && i < values.size(); ++i)
                    if (left[s][i] && values[i]) keyed[left[s][i]] = mix(mix(6, name), values[i]);
            }
        }
    }

    const ElementRecord* take(OursAdditions& a, const std::unordered_multimap<std::uint64_t, std::size_t>& index,
                              std::uint64_t token, const std::function<bool(const ElementRecord&)>& accept) const {
        const auto [from, to] = index.equal_range(token);
        for (auto it = from; it != to; ++it) {
            if (a.taken[it->second] || !accept(*a.elements[it->second])) continue;
            a.taken[it->second] = true;
            return a.elements[it->second];
        }
        return nullptr;
    }

    void mergeChildren(const ElementRecord& o, const ElementRecord& t) {
        OursAdditions oursAdded;
        for (ElementRecord* c = FirstChildRecord(&o); c; c = NextSiblingRecord(c)) {
            if (m_links.Base(*c, Side::Ours))
                m_stack.push_back(c);
            else if (c->ignoreState == 0)
                oursAdded.elements.push_back(c);
        }
        bool indexed = false;
        std::unordered_map<const ElementRecord*, std::uint64_t> keyed;
        Groups groups;
        std::vector<Addition> additions;
        std::unordered_map<TreeItem, std::uint64_t> placed;  // THEIRS's children put in, by where
        for (const ElementRecord* c = FirstChildRecord(&t); c; c = NextSiblingRecord(c)) {
            if (const ElementRecord* cb = m_links.Base(*c, Side::Theirs)) {
                if (m_links.Partner(*cb, Side::Ours) || (m_links.Change(*cb, Side::Theirs) & kSame)) continue;
                Addition a;
                a.at = placed[c->item()] = place(o, *c, placed);
                a.conflict = standingConflict(*c, *cb, a.parts);
                if (!m_error.empty()) return;
                additions.push_back(std::move(a));
                continue;
            }
            if (c->ignoreState != 0) continue;
            if (!indexed) {
                keysOfAdditions(o, t, oursAdded, keyed, groups);
                indexAdditions(o, keyed, oursAdded);
            }
            indexed = true;
            // The same addition on both sides is taken once.
            if (take(oursAdded, oursAdded.byContent, contentToken(*c),
                     [&](const ElementRecord& x) { return sameContent(x, *c, m_snapshot); }))
                continue;
            const ElementRecord* rival = nullptr;
            std::vector<std::uint64_t> tokens = identityTokens(*c, t);
            if (const auto it = keyed.find(c); it != keyed.end()) tokens.push_back(it->second);
            for (const std::uint64_t token : tokens) {
                rival = take(oursAdded, oursAdded.byIdentity, token,
                             [&](const ElementRecord& x) {
                                 if (NameIdOf(x) != NameIdOf(*c)) return false;
                                 // Keys the user set decide alone.
                                 const bool userKeys = (KeyAttrSignatureOf(x) && KeyAttrSignatureOf(*c)) ||
                                                       (x.subtree().keySum && c->subtree().keySum);
                                 return userKeys || !toldApart(x, *c, groups);
                             });
                if (rival) break;
            }
            if (rival) {
                wrapConflict(*rival, c, nullptr, true, "added differently in ours and in theirs");
                continue;
            }
            Addition a;
            a.at = placed[c->item()] = place(o, *c, placed);
            a.parts = {lead(theirs(), *c), {theirs().Element(*c), true}};
            additions.push_back(std::move(a));
        }
        if (additions.empty()) return;
        if (ChildCountOf(o) == 0 && fillChildless(o, t, additions)) return;
        for (Addition& a : additions) {
            // A conflict's line is that of its start, behind its line end.
            const std::size_t edit = m_out.Insert(a.at, std::move(a.parts), Placement::Between, a.conflict ? 1 : 0);
            if (a.conflict) m_conflicts[*a.conflict].edit = edit;
        }
    }

    // Puts additions into an element of OURS without child elements that
    // holds nothing: an empty tag is opened and closed again, and THEIRS's
    // white space before its end tag comes along. False when OURS's element
    // holds text or white space, where the additions go in one by one.
    bool fillChildless(const ElementRecord& o, const ElementRecord& t, std::vector<Addition>& additions) {
        const bool emptyTag = ours().IsEmptyTag(o);
        const std::uint64_t at = emptyTag ? ours().ContentEnd(o) : ours().StartTagEnd(o);
        if (!emptyTag && at != ours().ContentEnd(o)) return false;
        std::vector<MergePart> parts;
        if (emptyTag) parts.push_back({">", false});
        for (Addition& a : additions) parts.insert(parts.end(), a.parts.begin(), a.parts.end());
        const std::uint64_t close = theirs().ContentEnd(t);
        std::uint64_t tail = close;
        while (tail > 0 && isSpace(m_theirs[tail - 1])) --tail;
        parts.push_back({m_theirs.substr(tail, close - tail), true});
        if (emptyTag) {
            const WrittenStartTag tag = SplitStartTag(m_ours, ours()[o].begin);
            parts.push_back(
                {m_out.Keep("</" + std::string(m_ours.substr(tag.nameBegin, tag.nameEnd - tag.nameBegin)) + ">"),
                 false});
        }
        m_out.Replace(at, emptyTag ? ours()[o].end : at, std::move(parts));
        // The line given for each conflict inside is the element's.
        for (const Addition& a : additions)
            if (a.conflict) m_conflicts[*a.conflict].edit = m_out.Insert(at, {}, Placement::CloseBefore);
        return true;
    }

    // Where THEIRS's child c goes among OURS's children of o: after the
    // element that comes before it in THEIRS, found in OURS (and after what
    // OURS added right behind that one: ours first, then theirs); else
    // before the element that follows it; else after OURS's last child.
    std::uint64_t place(const ElementRecord& o, const ElementRecord& c,
                        const std::unordered_map<TreeItem, std::uint64_t>& placed) const {
        for (const ElementRecord* p = PrevSiblingRecord(&c); p; p = PrevSiblingRecord(p)) {
            if (const auto it = placed.find(p->item()); it != placed.end()) return it->second;
            if (const ElementRecord* mine = partnerInOurs(*p)) return afterOursAdditions(*mine);
        }
        for (const ElementRecord* n = NextSiblingRecord(&c); n; n = NextSiblingRecord(n)) {
            if (const ElementRecord* mine = partnerInOurs(*n)) return ours().LeadBegin(*mine);
        }
        const TreePane& tree = o.treePane()->tree;
        if (const ElementRecord* last = o.treePane()->record(tree.LastChild(o.item()))) return ours()[*last].end;
        return ours().StartTagEnd(o);
    }

    const ElementRecord* partnerInOurs(const ElementRecord& theirChild) const {
        const ElementRecord* b = m_links.Base(theirChild, Side::Theirs);
        return b ? m_links.Partner(*b, Side::Ours) : nullptr;
    }

    // Past OURS's element and what OURS added behind it, up to the next
    // element THEIRS still has: what THEIRS removed there is no boundary.
    std::uint64_t afterOursAdditions(const ElementRecord& mine) const {
        std::uint64_t at = ours()[mine].end;
        for (const ElementRecord* x = NextSiblingRecord(&mine); x && x->ignoreState == 0; x = NextSiblingRecord(x)) {
            if (const ElementRecord* b = m_links.Base(*x, Side::Ours)) {
                if (m_links.Partner(*b, Side::Theirs)) break;
                continue;
            }
            at = ours()[*x].end;
        }
        return at;
    }

    static MergePart lead(const ElementSpans& spans, const ElementRecord& r) {
        const std::uint64_t from = spans.LeadBegin(r);
        return {spans.text().substr(from, spans[r].begin - from), true};
    }

    // An element's version for a conflict record: whole, or its start tag.
    static std::string version(const ElementSpans& spans, const ElementRecord& r, bool whole) {
        const std::uint64_t begin = spans[r].begin;
        const std::uint64_t end = whole ? spans[r].end : spans.StartTagEnd(r);
        return instructionData(spans.text().substr(begin, end - begin));
    }

    // The conflict's records of THEIRS's and BASE's versions, each behind
    // `separator`; false when BASE's text cannot be had.
    bool records(const ElementRecord* t, const ElementRecord* b, bool whole, const MergePart& separator,
                 std::vector<MergePart>& parts) {
        parts.push_back(separator);
        if (t)
            parts.push_back({m_out.Keep("<?theirs_version " + version(theirs(), *t, whole) + "?>"), true});
        else
            parts.push_back({"<?theirs_removed?>", false});
        if (b) {
            const ElementSpans* base = m_sources.base(m_error);
            if (!base) return false;
            parts.push_back(separator);
            parts.push_back({m_out.Keep("<?base_version " + version(*base, *b, whole) + "?>"), true});
        }
        parts.push_back(separator);
        parts.push_back({"<?end_conflict?>", false});
        return true;
    }

    std::size_t addConflict(const ElementRecord& r, std::string what) {
        m_conflicts.push_back({ElementPath(r, m_prefixesDropped), std::move(what), 0});
        return m_conflicts.size() - 1;
    }

    // Keeps OURS's element o in place between the conflict's start and its
    // records of THEIRS's and BASE's versions, on lines of their own at o's
    // indentation.
    void wrapConflict(const ElementRecord& o, const ElementRecord* t, const ElementRecord* b, bool whole,
                      const std::string& what) {
        const std::uint64_t begin = ours()[o].begin;
        const std::string_view before = m_ours.substr(ours().LeadBegin(o), begin - ours().LeadBegin(o));
        const std::size_t newline = before.rfind('\n');
        const std::string_view indent = newline == std::string_view::npos ? std::string_view() : before.substr(newline + 1);
        const MergePart separator{m_out.Keep(std::string(m_out.lineEnd()) + std::string(indent)), false};
        std::vector<MergePart> after;
        if (!records(t, b, whole, separator, after)) return;
        const std::size_t index = addConflict(o, what);
        m_conflicts[index].edit = m_out.Insert(
            begin, {{m_out.Keep("<?start_conflict " + instructionData(what) + "?>"), false}, separator},
            Placement::OpenAfter);
        m_out.Insert(ours()[o].end, std::move(after), Placement::CloseBefore);
    }

    // A conflict where OURS has nothing: BASE's element b, removed in OURS,
    // changed in THEIRS (c). Its block stands where c would go.
    std::optional<std::size_t> standingConflict(const ElementRecord& c, const ElementRecord& b,
                                                std::vector<MergePart>& parts) {
        const std::string what = "removed in ours, changed in theirs";
        MergePart separator = lead(theirs(), c);
        if (separator.bytes.empty()) separator = {m_out.lineEnd(), false};
        parts.push_back(separator);
        parts.push_back({m_out.Keep("<?start_conflict " + what + "?>"), false});
        if (!records(&c, &b, true, separator, parts)) return std::nullopt;
        return addConflict(c, what);
    }

    const ThreeWayLinks& m_links;
    const MergeSources& m_sources;
    std::string_view m_ours;
    std::string_view m_theirs;
    MergedText& m_out;
    std::vector<MergeConflict>& m_conflicts;
    const CompareSnapshot& m_snapshot;
    const bool m_prefixesDropped;
    const bool m_caseSensitive;
    std::vector<ElementRecord*> m_stack;
    std::string m_error;
};

}  // namespace

bool MergeThreeWay(const ThreeWayLinks& links, const DocumentPane& ours, const MergeSources& sources,
                   MergedText& out, std::vector<MergeConflict>& conflicts, std::string& error) {
    return Merger(links, sources, out, conflicts).run(ours, error);
}

}  // namespace quillon
