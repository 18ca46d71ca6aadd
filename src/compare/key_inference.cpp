// SPDX-License-Identifier: MIT
#include "compare/key_inference.h"

#include <algorithm>
#include <bit>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "compare/graded_similarity.h"
#include "compare/hash_index.h"
#include "compare/value_digest.h"
#include "model/attribute_names.h"
#include "model/document_pane.h"
#include "platform/side_by_side.h"
#include "rules/rule_hooks.h"
#include "settings/options.h"

// A key is what a careful person would pair records by: a value that names
// one record on each side and that follows the record wherever it goes.
// Three tests stand between a candidate and that:
// - unique among the members on each side and shared between the sides;
// - not a position: numbers that rise through the document on both sides
//   (a row counter, a line number) are renumbered by every insertion, so
//   they are taken only while nothing contradicts them;
// - its pairs agree with content: where a leftover record's content (all
//   but the candidate) is found unchanged on the other side, the candidate
//   must name the same record there.

namespace quillon {
namespace {

// Values that count through the document on one side: the last run of
// digits of each, in the same frame of other characters, one more each time.
// Sorted identities with gaps between them do not count.
class NumberRun {
public:
    void add(std::u16string_view value) {
        if (!m_rising) return;
        std::size_t end = value.size();
        while (end > 0 && !isDigit(value[end - 1])) --end;
        std::size_t begin = end;
        while (begin > 0 && isDigit(value[begin - 1])) --begin;
        if (begin == end || end - begin > 18) {
            m_rising = false;
            return;
        }
        std::uint64_t number = 0;
        for (std::size_t i = begin; i < end; ++i) number = number * 10 + (value[i] - u'0');
        // What surrounds the number, in brief: its length on each side and
        // the first and last characters, enough to tell "P12" from "Q12" or
        // "12a", and cheap, since every value of a large group comes here.
        const std::uint64_t frame = (std::uint64_t(begin) << 48) ^ (std::uint64_t(value.size() - end) << 32) ^
                                    (std::uint64_t(begin > 0 ? value.front() : 0) << 16) ^
                                    (end < value.size() ? value.back() : 0);
        if (m_any && (frame != m_frame || number != m_last + 1)) {
            m_rising = false;
            return;
        }
        m_any = true;
        m_last = number;
        m_frame = frame;
    }
    void stop() { m_rising = false; }
    bool rising() const { return m_rising && m_any; }

private:
    static bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
    bool m_rising = true, m_any = false;
    std::uint64_t m_last = 0, m_frame = 0;
};

// The distinct values of one attribute name on one side, by slot: 0 where a
// member does not carry it. This is the array the inferred key hands out.
// The set of them refers to slots instead of holding the digests again, at
// 4 bytes an entry and three quarters full at most: a key of a large group
// is what the comparison holds most of while it looks for one.
class ValueSet {
public:
    // Slots run below n.
    explicit ValueSet(std::uint32_t n)
        : m_n(n), m_slotBits(unsigned(std::bit_width(n))),
          m_slotMask(std::uint32_t((std::uint64_t(1) << m_slotBits) - 1)) {}

    // Records d for the slot; false when another slot has it already.
    // Slots arrive in increasing order.
    bool insert(std::uint32_t slot, std::uint64_t d) {
        if (m_table.empty() || (m_size + 1) * 4 > m_table.size() * 3) grow();
        std::size_t i = home(d);
        const std::uint32_t tag = tagOf(d);
        while (const std::uint32_t e = m_table[i]) {
            if ((e & ~m_slotMask) == tag && m_values[(e & m_slotMask) - 1] == d) return false;
            i = (i + 1) & (m_table.size() - 1);
        }
        m_table[i] = entry(slot, d);
        ++m_size;
        if (m_values.capacity() == 0) m_values.reserve(m_n);  // pages are touched only as slots fill
        m_values.resize(slot + 1);
        m_values[slot] = d;
        return true;
    }
    // Asks for d's entry ahead of the insert: the table outgrows the caches
    // on a large group, and the probe would wait on memory.
    void prefetch(std::uint64_t d) const {
        if (!m_table.empty()) __builtin_prefetch(&m_table[home(d)]);
    }
    bool contains(std::uint64_t d) const {
        if (m_table.empty()) return false;
        const std::uint32_t tag = tagOf(d);
        for (std::size_t i = home(d); const std::uint32_t e = m_table[i]; i = (i + 1) & (m_table.size() - 1))
            if ((e & ~m_slotMask) == tag && m_values[(e & m_slotMask) - 1] == d) return true;
        return false;
    }
    // Sizes the table for this many values, while it is empty.
    void reserve(std::size_t count) {
        if (m_size == 0) m_table.assign(capacityFor(count), 0);
    }
    void release() {
        std::vector<std::uint32_t>().swap(m_table);
        std::vector<std::uint64_t>().swap(m_values);
        m_size = 0;
    }
    // One entry a slot, every slot of the group.
    std::vector<std::uint64_t> takeValues() {
        m_values.resize(m_n);
        std::vector<std::uint32_t>().swap(m_table);
        m_size = 0;
        return std::move(m_values);
    }
    const std::vector<std::uint64_t>& values() const { return m_values; }

private:
    static std::size_t capacityFor(std::size_t count) {
        std::size_t capacity = 16;
        while (capacity * 3 < count * 4) capacity *= 2;
        return capacity;
    }
    std::size_t home(std::uint64_t d) const {
        return std::size_t((d * 0x9E3779B97F4A7C15ull) >> 32) & (m_table.size() - 1);
    }
    // An entry keeps slot + 1 in its low bits and, in the bits the slots
    // leave, some of the digest: most entries met on a probe are told apart
    // without reading their value.
    // The tag in place, above the slot bits; none when slots need all 32.
    std::uint32_t tagOf(std::uint64_t d) const { return std::uint32_t((d >> 1) << m_slotBits); }
    std::uint32_t entry(std::uint32_t slot, std::uint64_t d) const { return tagOf(d) | (slot + 1); }
    void grow() {
        m_table.assign(std::max<std::size_t>(16, m_table.size() * 2), 0);
        // Every value held is distinct: each goes into the first free entry.
        for (std::uint32_t s = 0; s < m_values.size(); ++s) {
            const std::uint64_t d = m_values[s];
            if (!d) continue;
            std::size_t i = home(d);
            while (m_table[i]) i = (i + 1) & (m_table.size() - 1);
            m_table[i] = entry(s, d);
        }
    }

    std::uint32_t m_n;
    unsigned m_slotBits;  // enough for n, the largest slot + 1
    std::uint32_t m_slotMask;
    std::vector<std::uint32_t> m_table;
    std::vector<std::uint64_t> m_values;
    std::size_t m_size = 0;
};

// What one side says about one attribute name. Once a value repeats, or the
// name is missing from too many members to reach half of them, the name
// cannot be the key, and only its carriers are still counted. A name the
// comparison leaves out is never counted at all.
struct Seen {
    // expected: how many members may still carry it, to size the table once.
    Seen(const RecordString& n, std::uint32_t slots, std::size_t expected, bool leftOut)
        : name(n), out(leftOut), excluded(leftOut), values(slots) {
        if (!leftOut) values.reserve(expected);
    }
    RecordString name;
    std::uint32_t carriers = 0;
    bool out = false;
    bool excluded = false;
    ValueSet values;
    NumberRun numbers;

    void add(std::uint32_t slot, std::uint64_t d) {
        if (out) return;
        if (!values.insert(slot, d)) drop();
    }
    void drop() {
        out = true;
        numbers.stop();
        values.release();
    }
    // Carried by at least two members and half the group, and unique among them.
    bool keyLike(std::uint32_t members) const { return !out && carriers >= 2 && carriers * 2 >= members; }
};

// Whether the comparison leaves this attribute of the group's members out:
// a namespace declaration, a common ignored attribute, one a rule lists. All
// members of a group share name and path, and so the rule: asked once a name.
bool attributeLeftOut(const RecordString& name, const ElementRecord& member) {
    const std::u16string wide(name);
    if (wide == u"xmlns" || wide.starts_with(u"xmlns:")) return true;
    return AttributeNotCompared(member, AttributeNameHash(wide, options().XMLAttributeCaseSensitive != 0));
}

// Attribute names of a group are few and mostly in the same order on every
// member, so a short list searched from the expected position beats hashing
// every name.
std::uint32_t collect(ElementRecord* const* a, std::uint32_t n, ValueDigest& digest, std::vector<Seen>& seen) {
    // Values are digested a block of members at a time and go into their sets
    // afterwards, so that the sets' slots can be fetched in the meantime.
    struct Pending {
        std::uint32_t name, slot;
        std::uint64_t digest;
    };
    constexpr std::size_t kBlock = 32;
    std::vector<Pending> pending;
    pending.reserve(kBlock * 4);
    std::uint32_t members = 0;
    // after: the slots still to come.
    auto drain = [&](std::uint32_t after) {
        for (const Pending& p : pending) seen[p.name].add(p.slot, p.digest);
        pending.clear();
        // A name missing from more members than it can still reach is no
        // key whatever follows: what it holds goes now.
        for (Seen& s : seen)
            if (!s.out && members - s.carriers > std::uint64_t(s.carriers) + after) s.drop();
    };
    // The group's records and their strings are rarely in the cache any more:
    // ask for them a few members ahead, records first, then their strings.
    constexpr std::uint32_t kRecordsAhead = 16, kStringsAhead = 8;
    // Many names on a huge group would reserve much; past this they grow.
    constexpr std::size_t kReserveAtMost = std::size_t(1) << 14;
    for (std::uint32_t i = 0; i < n; ++i) {
        if (i + kRecordsAhead < n && a[i + kRecordsAhead]) __builtin_prefetch(&a[i + kRecordsAhead]->attributes);
        if (i + kStringsAhead < n && a[i + kStringsAhead])
            if (const void* s = a[i + kStringsAhead]->attributesAddress()) __builtin_prefetch(s);
        if (!a[i]) continue;
        ++members;
        // A rule that leaves every attribute of the member out leaves it no key.
        if (a[i]->ruleFlags & kRuleAttributesNotCompared) continue;
        std::size_t expected = 0;
        ForEachAttribute(a[i]->attributesString(), [&](const AttributeText& at) {
            std::size_t k = expected < seen.size() && seen[expected].name == at.name ? expected : seen.size();
            if (k == seen.size()) {
                k = 0;
                while (k < seen.size() && seen[k].name != at.name) ++k;
                if (k == seen.size())
                    seen.emplace_back(at.name, n, std::min<std::size_t>(n - i, kReserveAtMost),
                                      attributeLeftOut(at.name, *a[i]));
            }
            Seen& named = seen[k];
            expected = k + 1;
            if (named.excluded) return;
            ++named.carriers;
            if (!named.out) {
                const std::uint64_t d = digest(at.value);
                named.numbers.add(digest.lastValue());
                named.values.prefetch(d);
                pending.push_back({std::uint32_t(k), i, d});
            }
        });
        if (members % kBlock == 0) drain(n - 1 - i);
    }
    drain(0);
    return members;
}

// Groups at least this large have both sides walked at the same time.
constexpr std::uint32_t kWalkSidesAtOnce = 4096;
// Pairs a candidate forms among the leftovers that are weighed for likeness.
constexpr std::uint32_t kLikenessSample = 64;

// A candidate: its fields and its values on each side, one per slot.
struct Candidate {
    std::vector<KeyField> fields;
    std::vector<std::uint64_t> valuesX, valuesY;
    std::uint32_t carriersX = 0, carriersY = 0;
    std::uint64_t shared = 0;  // distinct values both sides have
    bool positionLike = false;
    // Filled in by the judgement.
    std::uint64_t agree = 0, disagree = 0;
    bool accepted = false;
};

// Values that rarely recur on the other side (a time stamp rewritten
// everywhere) say nothing about which records are the same.
bool sharesEnough(const Candidate& c) {
    return c.shared > 0 && c.shared * 2 >= std::min(c.carriersX, c.carriersY);
}

// What a leftover member holds apart from one field: the digest of all its
// content, and what each attribute and leaf child adds to it, so that the
// content without a candidate's fields is a subtraction.
class LeftoverContent {
public:
    LeftoverContent(const KeyGroup& g, const CompareSnapshot& s, const std::vector<RecordString>& positional)
        : m_snapshot(s), m_positional(positional) {
        m_terms = DefaultKeyTerms(s);
        side(g.leftX, g.nX, m_x);
        side(g.leftY, g.nY, m_y);
    }

    // Content without the fields, per slot of one side; 0 for a taken slot
    // or a member with too little else to tell it apart: one value alone
    // (a time stamp, a short text) recurs by chance too often.
    void without(const std::vector<KeyField>& fields, bool left, std::vector<std::uint64_t>& out) const {
        const Side& side = left ? m_x : m_y;
        out.assign(side.total.size(), 0);
        for (std::size_t i = 0; i < side.total.size(); ++i) {
            if (!side.present[i]) continue;
            std::uint64_t d = side.total[i];
            std::uint32_t parts = side.start[i + 1] - side.start[i];
            for (const KeyField& f : fields) d -= contribution(side, i, f, parts);
            out[i] = parts < kEnoughParts ? 0 : (d | 1);
        }
    }

private:
    static constexpr std::uint32_t kEnoughParts = 2;
    struct Part {
        std::uint64_t field;  // attribute: its name's digest; child: tagged name id
        std::uint64_t digest;
    };
    struct Side {
        std::vector<std::uint64_t> total;
        std::vector<std::uint8_t> present;
        std::vector<std::uint32_t> start;  // per slot into parts, plus one
        std::vector<Part> parts;
    };
    static std::uint64_t mix(std::uint64_t a, std::uint64_t b) {
        std::uint64_t h = (a ^ 0x9E3779B97F4A7C15ull) * 0xBF58476D1CE4E5B9ull;
        h ^= b + 0x94D049BB133111EBull + (h << 6) + (h >> 2);
        h *= 0x94D049BB133111EBull;
        return h ^ (h >> 31);
    }
    static constexpr std::uint64_t kOwnText = 0x7E46;  // even: no name digest is, no child field is this small
    static std::uint64_t nameDigest(const RecordString& name) {
        return AttributeNameDigest(name, options().XMLAttributeCaseSensitive != 0);
    }
    static std::uint64_t childField(std::uint32_t nameId) { return (std::uint64_t(nameId) << 1) | 0x8000000000000000ull; }

    // What the field adds to the slot's content; parts counts down for each part of it.
    std::uint64_t contribution(const Side& side, std::size_t slot, const KeyField& f, std::uint32_t& parts) const {
        const std::uint64_t field = f.attribute ? nameDigest(RecordString(f.name)) : childField(f.childNameId);
        std::uint64_t sum = 0;
        for (std::uint32_t p = side.start[slot]; p < side.start[slot + 1]; ++p) {
            if (side.parts[p].field != field) continue;
            sum += side.parts[p].digest;
            --parts;
        }
        return sum;
    }

    bool positional(const RecordString& name) const {
        return std::find(m_positional.begin(), m_positional.end(), name) != m_positional.end();
    }
    // Whether the attribute takes part in the content: asked once a name.
    bool counted(const RecordString& name, const ElementRecord& e) {
        for (const auto& [known, in] : m_counted)
            if (name == known) return in;
        const bool in = !positional(name) && !attributeLeftOut(name, e);
        m_counted.emplace_back(name, in);
        return in;
    }

    void side(ElementRecord* const* left, std::uint32_t n, Side& out) {
        const CompareSnapshot& s = m_snapshot;
        ValueDigest digest(s.mode);
        out.total.assign(n, 0);
        out.present.assign(n, 0);
        out.start.assign(std::size_t(n) + 1, 0);
        for (std::uint32_t i = 0; i < n; ++i) {
            out.start[i] = std::uint32_t(out.parts.size());
            const ElementRecord* e = left[i];
            if (!e) continue;
            out.present[i] = 1;
            std::uint64_t total = 0;
            if (m_terms.text && !(e->ruleFlags & kRuleTextNotCompared) && e->text) {
                const std::uint64_t d = mix(kOwnText, (std::uint64_t(e->textHash) << 16) ^ e->textHash16);
                total += d;
                out.parts.push_back({kOwnText, d});
            }
            if (m_terms.attributes && !(e->ruleFlags & kRuleAttributesNotCompared)) {
                ForEachAttribute(e->attributesString(), [&](const AttributeText& at) {
                    if (!counted(at.name, *e)) return;
                    const std::uint64_t field = nameDigest(at.name);
                    const std::uint64_t d = mix(field, digest(at.value));
                    total += d;
                    out.parts.push_back({field, d});
                });
            }
            for (const ElementRecord* c = FirstChildRecord(e); c; c = NextSiblingRecord(c)) {
                if (c->ignoreState != 0) continue;
                const std::uint64_t field = childField(NameIdOf(*c));
                const std::uint64_t d = mix(field, ElementBucketKey(*c, m_terms) | (std::uint64_t(c->textHash16) << 32));
                total += d;
                out.parts.push_back({field, d});
            }
            out.total[i] = total;
        }
        out.start[n] = std::uint32_t(out.parts.size());
    }

    const CompareSnapshot& m_snapshot;
    const std::vector<RecordString>& m_positional;
    std::vector<std::pair<RecordString, bool>> m_counted;
    ElementKeyTerms m_terms;
    Side m_x, m_y;
};

// A name people give identities: id, key, name, guid, code... alone or at
// the end of a longer name (artifactId, xml:id, userName).
bool namedAsIdentity(const Candidate& c) {
    for (const KeyField& f : c.fields) {
        std::u16string n;
        for (const char16_t ch : f.name) n.push_back(ch >= u'A' && ch <= u'Z' ? char16_t(ch + 32) : ch);
        static constexpr std::u16string_view kWords[] = {u"id", u"key", u"name", u"guid", u"uuid", u"code", u"ref", u"sku"};
        if (std::none_of(std::begin(kWords), std::end(kWords), [&](std::u16string_view w) { return n.ends_with(w); }))
            return false;
    }
    return true;
}

// Weighs a candidate against the content of the leftovers: where a leftover's
// content is found once on each side, the two are the same record, and the
// candidate should say so. Members paired as identical agree by themselves.
void judge(Candidate& c, const KeyGroup& g, const LeftoverContent& content, const CompareSnapshot& s) {
    for (std::uint32_t i = 0; i < g.nX; ++i)
        if (g.allX[i] && !g.leftX[i] && c.valuesX[i]) ++c.agree;
    std::vector<std::uint64_t> cx, cy;
    content.without(c.fields, true, cx);
    content.without(c.fields, false, cy);
    // Content found once on a side; a repeated one names no record.
    std::unordered_map<std::uint64_t, std::uint32_t> once;
    for (std::uint32_t j = 0; j < cy.size(); ++j) {
        if (!cy[j]) continue;
        const auto [it, added] = once.emplace(cy[j], j);
        if (!added) it->second = NotFound;
    }
    std::unordered_map<std::uint64_t, std::uint32_t> seenX;
    for (std::uint32_t i = 0; i < cx.size(); ++i)
        if (cx[i]) ++seenX[cx[i]];
    for (std::uint32_t i = 0; i < cx.size(); ++i) {
        if (!cx[i] || seenX[cx[i]] != 1) continue;
        const auto it = once.find(cx[i]);
        if (it == once.end() || it->second == NotFound) continue;
        const std::uint64_t a = c.valuesX[i], b = c.valuesY[it->second];
        if (!a || !b) continue;
        if (a == b)
            ++c.agree;
        else
            ++c.disagree;
    }
    // A value unique in a small group is easily had (a category, a date):
    // unless the field is named as an identity, the leftovers it pairs must
    // be alike in what else they hold, where they hold enough to tell, or
    // they count against it.
    if (!namedAsIdentity(c)) {
        std::unordered_map<std::uint64_t, std::uint32_t> leftY;
        for (std::uint32_t j = 0; j < g.nY; ++j)
            if (g.leftY[j] && c.valuesY[j]) leftY.emplace(c.valuesY[j], j);
        std::uint32_t looked = 0;
        for (std::uint32_t i = 0; i < g.nX && looked < kLikenessSample && !leftY.empty(); ++i) {
            if (!g.leftX[i] || !c.valuesX[i]) continue;
            const auto it = leftY.find(c.valuesX[i]);
            if (it == leftY.end()) continue;
            if (!cx[i] || !cy[it->second]) continue;
            ++looked;
            if (GradedSimilarity(*g.leftX[i], *g.leftY[it->second], s, c.fields) < kRelatedShare) ++c.disagree;
        }
    }
    // A counter is taken only on evidence and without contradiction; any
    // other candidate unless content contradicts it more than it agrees. A
    // field named as an identity is one even where its values run 1, 2, 3:
    // database rows keep their ids in that order.
    if (c.positionLike && !namedAsIdentity(c))
        c.accepted = c.agree > 0 && c.disagree == 0;
    else
        c.accepted = c.disagree * 2 <= c.agree;
}

// Ranks accepted candidates: identities before counters, then the one whose
// pairs agree with content the most, the one that pairs the most, one
// field before two, an attribute before a child, a name like "id", and the
// names' order last, so that nothing the comparison calls equal (attribute
// or child order) decides.
bool better(const Candidate& a, const Candidate& b) {
    // A counter that nothing contradicted pairs as an identity would; one
    // named as an identity (id="1", "2", ...) stays one.
    const bool counterA = a.positionLike && !namedAsIdentity(a), counterB = b.positionLike && !namedAsIdentity(b);
    if (counterA != counterB) return !counterA;
    const std::int64_t ma = std::int64_t(a.agree) - std::int64_t(a.disagree);
    const std::int64_t mb = std::int64_t(b.agree) - std::int64_t(b.disagree);
    if (ma != mb) return ma > mb;
    if (a.shared != b.shared) return a.shared > b.shared;
    if (a.fields.size() != b.fields.size()) return a.fields.size() < b.fields.size();
    if (a.fields[0].attribute != b.fields[0].attribute) return a.fields[0].attribute;
    if (namedAsIdentity(a) != namedAsIdentity(b)) return namedAsIdentity(a);
    for (std::size_t k = 0; k < a.fields.size(); ++k)
        if (a.fields[k].name != b.fields[k].name) return a.fields[k].name < b.fields[k].name;
    return false;
}

// The attribute candidates: names unique on each side and shared.
std::vector<Candidate> attributeCandidates(const KeyGroup& g, const CompareSnapshot& s,
                                           std::vector<RecordString>& positional) {
    std::vector<Seen> seenX, seenY;
    std::uint32_t membersX = 0, membersY = 0;
    // The walk waits on memory for every member; on a large group the two
    // sides are walked at once. Both only read the records.
    RunSideBySide(
        std::min(g.nX, g.nY) >= kWalkSidesAtOnce,
        [&] {
            ValueDigest digest(s.mode);
            membersX = collect(g.allX, g.nX, digest, seenX);
        },
        [&] {
            ValueDigest digest(s.mode);
            membersY = collect(g.allY, g.nY, digest, seenY);
        });
    std::vector<Candidate> out;
    if (membersX < 2 || membersY < 2) return out;
    const bool caseSensitive = options().XMLAttributeCaseSensitive != 0;
    for (Seen& sx : seenX) {
        if (!sx.keyLike(membersX)) continue;
        const std::uint64_t name = AttributeNameDigest(sx.name, caseSensitive);
        const auto it = std::find_if(seenY.begin(), seenY.end(),
                                     [&](const Seen& y) { return AttributeNameDigest(y.name, caseSensitive) == name; });
        if (it == seenY.end() || !it->keyLike(membersY)) continue;
        Seen& sy = *it;
        Candidate c;
        c.fields.push_back({true, std::u16string(sx.name), 0});
        c.carriersX = sx.carriers;
        c.carriersY = sy.carriers;
        for (const std::uint64_t v : sy.values.values())
            if (v) c.shared += sx.values.contains(v);
        if (!sharesEnough(c)) continue;
        c.positionLike = sx.carriers == membersX && sy.carriers == membersY && sx.numbers.rising() &&
                         sy.numbers.rising();
        if (c.positionLike) positional.push_back(sx.name);
        c.valuesX = sx.values.takeValues();
        c.valuesY = sy.values.takeValues();
        out.push_back(std::move(c));
    }
    return out;
}

// What the members' leaf children say, one child name at a time: the text of
// a child each member has once, as a field.
class ChildFields {
public:
    ChildFields(const KeyGroup& g, const CompareSnapshot& s) : m_mode(s.mode) {
        if (s.ignoreValues) return;
        collect(g.allX, g.nX, 0);
        collect(g.allY, g.nY, 1);
        for (Field& f : m_fields) {
            if (f.members[0] < 2 || f.members[1] < 2) continue;
            f.frequent = !f.repeated && f.carriers[0] * 2 >= f.members[0] && f.carriers[1] * 2 >= f.members[1] &&
                         f.carriers[0] >= 2 && f.carriers[1] >= 2;
        }
        std::sort(m_fields.begin(), m_fields.end(), [](const Field& a, const Field& b) { return a.name < b.name; });
    }

    // Single fields, then (only when asked) pairs of the frequent ones.
    void singles(std::vector<Candidate>& out) const {
        for (const Field& f : m_fields)
            if (f.frequent) add({&f}, out);
    }
    void pairs(std::vector<Candidate>& out) const {
        constexpr std::size_t kMostPaired = 8;
        std::vector<const Field*> frequent;
        for (const Field& f : m_fields)
            if (f.frequent && frequent.size() < kMostPaired) frequent.push_back(&f);
        for (std::size_t a = 0; a < frequent.size(); ++a)
            for (std::size_t b = a + 1; b < frequent.size(); ++b) add({frequent[a], frequent[b]}, out);
    }

private:
    // Members with more distinct leaf child names than this are read only so far.
    static constexpr std::size_t kMostFields = 32;
    struct Field {
        std::uint32_t nameId = 0;
        std::u16string name;
        std::uint32_t members[2] = {0, 0}, carriers[2] = {0, 0};
        bool repeated = false;  // some member has it twice: no field
        bool frequent = false;
        std::uint32_t lastMember[2] = {NotFound, NotFound};
        std::vector<std::uint64_t> values[2];
        NumberRun numbers[2];
    };

    void collect(ElementRecord* const* a, std::uint32_t n, int side) {
        ValueDigest digest(m_mode);
        std::uint32_t members = 0;
        for (std::uint32_t i = 0; i < n; ++i) {
            const ElementRecord* e = a[i];
            if (!e) continue;
            ++members;
            for (const ElementRecord* c = FirstChildRecord(e); c; c = NextSiblingRecord(c)) {
                if (c->ignoreState != 0 || ChildCountOf(*c) != 0) continue;
                Field* f = find(NameIdOf(*c), *c);
                if (!f) continue;
                if (f->lastMember[side] == i) {
                    f->repeated = true;
                    continue;
                }
                f->lastMember[side] = i;
                std::vector<std::uint64_t>& values = f->values[side];
                if (values.empty()) values.assign(n, 0);
                if (!c->text || (c->ruleFlags & kRuleTextNotCompared)) continue;
                values[i] = digest(c->textString());
                f->numbers[side].add(digest.lastValue());
                ++f->carriers[side];
            }
        }
        for (Field& f : m_fields) f.members[side] = members;
    }

    Field* find(std::uint32_t nameId, const ElementRecord& child) {
        for (Field& f : m_fields)
            if (f.nameId == nameId) return &f;
        if (m_fields.size() >= kMostFields) return nullptr;
        Field& f = m_fields.emplace_back();
        f.nameId = nameId;
        f.name = std::u16string(child.nameView());
        return &f;
    }

    // A candidate from one or two fields, when its values are unique on each
    // side and shared enough.
    void add(std::initializer_list<const Field*> fields, std::vector<Candidate>& out) const {
        Candidate c;
        for (const Field* f : fields) c.fields.push_back({false, f->name, f->nameId});
        std::unordered_set<std::uint64_t> onLeft;
        for (int side = 0; side < 2; ++side) {
            std::vector<std::uint64_t>& values = side == 0 ? c.valuesX : c.valuesY;
            const std::size_t n = (*fields.begin())->values[side].size();
            values.assign(n, 0);
            std::unordered_set<std::uint64_t> distinct;
            std::uint32_t carriers = 0;
            for (std::size_t i = 0; i < n; ++i) {
                std::uint64_t v = 0;
                for (const Field* f : fields) {
                    const std::uint64_t part = f->values[side].empty() ? 0 : f->values[side][i];
                    if (!part) {
                        v = 0;
                        break;
                    }
                    v = v ? (v * 0x100000001B3ull ^ part) | 1 : part;
                }
                if (!v) continue;
                if (!distinct.insert(v).second) return;  // repeats: no key
                values[i] = v;
                ++carriers;
            }
            (side == 0 ? c.carriersX : c.carriersY) = carriers;
            const std::uint32_t members = (*fields.begin())->members[side];
            if (carriers < 2 || carriers * 2 < members) return;
            if (side == 0)
                onLeft = std::move(distinct);
            else
                for (const std::uint64_t v : distinct) c.shared += onLeft.count(v);
        }
        if (!sharesEnough(c)) return;
        if (fields.size() == 1) {
            const Field& f = **fields.begin();
            c.positionLike = f.carriers[0] == f.members[0] && f.carriers[1] == f.members[1] &&
                             f.numbers[0].rising() && f.numbers[1].rising();
        }
        out.push_back(std::move(c));
    }

    unsigned m_mode;
    std::vector<Field> m_fields;
};

}  // namespace

InferredKey InferKey(const KeyGroup& g, const CompareSnapshot& s) {
    InferredKey key;
    std::vector<Candidate> candidates;
    std::vector<RecordString> positional;  // attribute names that count positions
    if (!s.ignoreAttributes) candidates = attributeCandidates(g, s, positional);
    std::optional<LeftoverContent> content;
    auto judgeAll = [&](std::size_t from) {
        if (candidates.size() > from && !content) content.emplace(g, s, positional);
        for (std::size_t k = from; k < candidates.size(); ++k) judge(candidates[k], g, *content, s);
    };
    judgeAll(0);
    // An attribute that content bears out fully leaves nothing for the
    // children to add; otherwise their texts are asked too, then pairs of them.
    const auto clean = [&](std::size_t from) {
        for (std::size_t k = from; k < candidates.size(); ++k)
            if (candidates[k].accepted && !candidates[k].positionLike && candidates[k].disagree == 0) return true;
        return false;
    };
    const auto any = [&](std::size_t from) {
        for (std::size_t k = from; k < candidates.size(); ++k)
            if (candidates[k].accepted) return true;
        return false;
    };
    if (!clean(0)) {
        const ChildFields children(g, s);
        const std::size_t from = candidates.size();
        children.singles(candidates);
        judgeAll(from);
        if (!any(0)) {
            const std::size_t pairsFrom = candidates.size();
            children.pairs(candidates);
            judgeAll(pairsFrom);
        }
    }
    Candidate* best = nullptr;
    for (Candidate& c : candidates) {
        if (!c.accepted) continue;
        if (!best || better(c, *best)) best = &c;
    }
    for (const Candidate& c : candidates)
        if (c.positionLike) key.positions.push_back(c.fields[0]);
    for (Candidate& c : candidates) {
        if (c.accepted) continue;
        key.rejected.push_back({c.fields, c.positionLike ? KeyRejection::PositionLike
                                                         : KeyRejection::DisagreesWithContent});
    }
    if (!best) return key;
    key.fields = best->fields;
    key.valuesX = std::move(best->valuesX);
    key.valuesY = std::move(best->valuesY);
    return key;
}

std::u16string KeyFieldsText(const std::vector<KeyField>& fields) {
    if (fields.empty()) return {};
    std::u16string out = fields[0].attribute ? u"@" : u"/";
    for (std::size_t i = 0; i < fields.size(); ++i) out += (i > 0 ? u"+" : u"") + fields[i].name;
    return out;
}

}  // namespace quillon
