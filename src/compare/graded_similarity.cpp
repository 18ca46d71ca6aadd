// SPDX-License-Identifier: MIT
#include "compare/graded_similarity.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <string>
#include <unordered_map>

#include "compare/hash_index.h"
#include "compare/identity.h"
#include "compare/value_digest.h"
#include "model/attribute_names.h"
#include "model/document_pane.h"
#include "rules/rule_hooks.h"
#include "settings/options.h"

namespace quillon {
namespace {

// One thing an element holds, and how much it counts before rarity.
struct Feature {
    std::uint64_t digest;
    float weight;
};

// The least weight two members must share to be alike at all.
constexpr double kLeastShared = 0.5;

std::uint64_t mix(std::uint64_t a, std::uint64_t b) {
    std::uint64_t h = (a ^ 0x9E3779B97F4A7C15ull) * 0xBF58476D1CE4E5B9ull;
    h ^= b + 0x94D049BB133111EBull + (h << 6) + (h >> 2);
    h *= 0x94D049BB133111EBull;
    return h ^ (h >> 31);
}

// Tags that keep the kinds of feature apart.
constexpr std::uint64_t kAttribute = 0xA77;
constexpr std::uint64_t kOwnWord = 0x30D;
constexpr std::uint64_t kChild = 0xC41;
constexpr std::uint64_t kChildWord = 0xC30;

// Reads what an element holds as features: each own attribute (weight 1),
// the words of its own text (1 + log2 of their number, shared among them),
// each child as a whole (1; a child with text of its own counts half as a
// whole and half by its words). What the comparison does not compare, and
// the group's key, are left out.
class FeatureReader {
public:
    FeatureReader(const CompareSnapshot& s, const InferredKey& key)
        : m_snapshot(s), m_terms(DefaultKeyTerms(s)), m_digest(s.mode) {
        for (const KeyField& f : key.fields) (f.attribute ? m_keyAttributes : m_keyChildren).push_back(f);
        for (const KeyField& f : key.positions) (f.attribute ? m_positionAttributes : m_positionChildren).push_back(f);
    }

    void read(const ElementRecord& e, std::vector<Feature>& out) {
        out.clear();
        const CompareSnapshot& s = m_snapshot;
        if (!s.ignoreAttributes && !(e.ruleFlags & kRuleAttributesNotCompared)) {
            ForEachAttribute(e.attributesString(), [&](const AttributeText& at) {
                m_name.assign(at.name.begin(), at.name.end());
                if (leftOut(e) || among(m_keyAttributes, m_name)) return;
                const float weight = among(m_positionAttributes, m_name) ? kPositionWeight : 1.0f;
                out.push_back({mix(kAttribute ^ std::hash<std::u16string>{}(m_name), m_digest(at.value)), weight});
            });
        }
        if (textCompared(e)) words(e.textString(), kOwnWord, 0.0f, out);
        for (const ElementRecord* c = FirstChildRecord(&e); c; c = NextSiblingRecord(c)) {
            if (c->ignoreState != 0) continue;
            const std::uint32_t nameId = NameIdOf(*c);
            if (among(m_keyChildren, nameId)) continue;
            const float weight = among(m_positionChildren, nameId) ? kPositionWeight : 1.0f;
            const bool wordy = ChildCountOf(*c) == 0 && textCompared(*c);
            const std::uint64_t whole = (std::uint64_t(ElementBucketKey(*c, m_terms)) << 32) ^
                                        (std::uint64_t(c->textHash16) << 16) ^ c->attrHash16;
            out.push_back({mix(kChild ^ (std::uint64_t(nameId) << 12), whole), weight * (wordy ? 0.5f : 1.0f)});
            if (wordy) words(c->textString(), kChildWord ^ (std::uint64_t(nameId) << 12), weight * 0.5f, out);
        }
        // Two equal children (or attributes) are two features, as words are.
        std::sort(out.begin(), out.end(), [](const Feature& a, const Feature& b) { return a.digest < b.digest; });
        std::uint64_t previous = 0, repeat = 0;
        for (Feature& f : out) {
            repeat = f.digest == previous ? repeat + 1 : 0;
            previous = f.digest;
            if (repeat) f.digest = mix(f.digest, repeat);
        }
        std::sort(out.begin(), out.end(), [](const Feature& a, const Feature& b) { return a.digest < b.digest; });
    }

private:
    // A position counts a quarter: a hint where nothing else links two
    // members, never enough to outweigh what they hold.
    static constexpr float kPositionWeight = 0.25f;

    static bool among(const std::vector<KeyField>& fields, const std::u16string& name) {
        return std::any_of(fields.begin(), fields.end(), [&](const KeyField& f) { return f.name == name; });
    }
    static bool among(const std::vector<KeyField>& fields, std::uint32_t nameId) {
        return std::any_of(fields.begin(), fields.end(), [&](const KeyField& f) { return f.childNameId == nameId; });
    }
    bool textCompared(const ElementRecord& e) const {
        return !m_snapshot.ignoreValues && !(e.ruleFlags & kRuleTextNotCompared) && e.text;
    }
    // total: what all the words count together; 0 for 1 + log2 of their number.
    void words(const RecordString& text, std::uint64_t tag, float total, std::vector<Feature>& out) {
        WordDigests(text, m_snapshot.mode, m_words);
        if (m_words.empty()) return;
        const float n = float(m_words.size());
        const float each = (total > 0 ? total : 1.0f + std::log2(n)) / n;
        for (const std::uint64_t w : m_words) out.push_back({mix(tag, w), each});
    }
    // The attribute in m_name is one the comparison leaves out: asked once a
    // name, since all members of a group share the rules that apply.
    bool leftOut(const ElementRecord& e) {
        const auto it = m_leftOut.find(m_name);
        if (it != m_leftOut.end()) return it->second;
        const bool out = m_name == u"xmlns" || m_name.starts_with(u"xmlns:") ||
                         AttributeNotCompared(e, AttributeNameHash(m_name, options().XMLAttributeCaseSensitive != 0));
        m_leftOut.emplace(m_name, out);
        return out;
    }

    const CompareSnapshot& m_snapshot;
    ElementKeyTerms m_terms;
    ValueDigest m_digest;
    std::vector<KeyField> m_keyAttributes, m_keyChildren, m_positionAttributes, m_positionChildren;
    std::unordered_map<std::u16string, bool> m_leftOut;
    std::u16string m_name;
    std::vector<std::uint64_t> m_words;
};

// The features of every candidate, weighed by rarity, one flat array.
struct Weighed {
    std::vector<Feature> features;
    std::vector<std::uint32_t> start;  // per candidate, plus one
    std::vector<float> total;          // per candidate
    const Feature* begin(std::size_t i) const { return features.data() + start[i]; }
    const Feature* end(std::size_t i) const { return features.data() + start[i + 1]; }
};

// The share two candidates have in common: twice the weight they share over
// the weight they hold together; 0 when what they share weighs less than
// half a child, however large a share of little that is (two records that
// hold nothing but a value every member has).
double share(const Weighed& wa, std::size_t a, const Weighed& wb, std::size_t b) {
    const double together = double(wa.total[a]) + wb.total[b];
    if (together <= 0) return 0;
    double common = 0;
    const Feature *x = wa.begin(a), *xe = wa.end(a), *y = wb.begin(b), *ye = wb.end(b);
    while (x < xe && y < ye) {
        if (x->digest < y->digest)
            ++x;
        else if (y->digest < x->digest)
            ++y;
        else {
            common += std::min(x->weight, y->weight);
            ++x;
            ++y;
        }
    }
    return common < kLeastShared ? 0 : 2 * common / together;
}

// Rarity: a feature that df of the n members of a side hold counts
// log(n+1 / df) / log(n+1): 1 when one member holds it, little when most
// do; taken on the side where it is more common.
class Rarity {
public:
    void count(const std::vector<Feature>& features, int side) {
        ++m_members[side];
        for (const Feature& f : features) ++m_counts[f.digest][side];
    }
    float of(std::uint64_t d) const {
        const auto it = m_counts.find(d);
        if (it == m_counts.end()) return 1.0f;
        float least = 1.0f;
        for (int side = 0; side < 2; ++side) {
            const float n = float(m_members[side]), df = float(it->second[side]);
            if (df > 0) least = std::min(least, std::log((n + 1) / df) / std::log(n + 1));
        }
        return std::max(least, kLeastRarity);
    }

private:
    static constexpr float kLeastRarity = 0.02f;
    std::unordered_map<std::uint64_t, std::array<std::uint32_t, 2>> m_counts;
    std::uint32_t m_members[2] = {0, 0};
};

// Groups up to this many members on both sides together give the rarities;
// larger ones take them from their leftovers alone.
constexpr std::uint32_t kRarityFromWholeGroup = 2048;
// Feature postings longer than this are read only when nothing rarer leads anywhere.
constexpr std::size_t kCommonPostings = 32;
// Candidates taken to an exact share per leftover.
constexpr std::size_t kShortlist = 8;

void weigh(FeatureReader& reader, const std::vector<GradedCandidate>& list, const Rarity& rarity, Weighed& out,
           std::vector<Feature>& scratch) {
    out.start.push_back(0);
    for (const GradedCandidate& c : list) {
        reader.read(*c.element, scratch);
        float total = 0;
        for (Feature f : scratch) {
            f.weight *= rarity.of(f.digest);
            total += f.weight;
            out.features.push_back(f);
        }
        out.total.push_back(total);
        out.start.push_back(std::uint32_t(out.features.size()));
    }
}

}  // namespace

GradedPairing PairByGradedSimilarity(const std::vector<GradedCandidate>& la, const std::vector<GradedCandidate>& lb,
                                     ElementRecord* const* groupX, std::uint32_t nX, ElementRecord* const* groupY,
                                     std::uint32_t nY, const InferredKey& key, const CompareSnapshot& s,
                                     std::uint64_t work) {
    GradedPairing result;
    if (la.empty() || lb.empty()) return result;
    std::vector<std::uint8_t> takenA(la.size(), 0), takenB(lb.size(), 0);
    // With unique attributes, equal non-empty own attributes choose at once,
    // the earliest such candidate, before anything is weighed.
    if (s.uniqueAttributes) {
        std::unordered_map<std::uint64_t, std::vector<std::uint32_t>> byAttributes;
        const auto attributesKey = [](const ElementRecord& e) {
            return (std::uint64_t(e.attrHash) << 32) ^ (std::uint64_t(e.attrHash16) << 16) ^ e.attrWeight;
        };
        for (std::uint32_t j = lb.size(); j-- > 0;)
            if (lb[j].element->attrHash != 0 && lb[j].element->attrWeight != 0)
                byAttributes[attributesKey(*lb[j].element)].push_back(j);
        for (std::uint32_t i = 0; i < la.size(); ++i) {
            const auto it = byAttributes.find(attributesKey(*la[i].element));
            if (it == byAttributes.end()) continue;
            while (!it->second.empty()) {
                const std::uint32_t j = it->second.back();
                it->second.pop_back();
                if (!OwnAttributesEqualNonEmpty(*la[i].element, *lb[j].element)) continue;
                takenA[i] = takenB[j] = 1;
                result.pairs.emplace_back(i, j);
                break;
            }
        }
    }
    FeatureReader reader(s, key);
    std::vector<Feature> scratch;
    Rarity rarity;
    if (std::uint64_t(nX) + nY <= kRarityFromWholeGroup) {
        for (std::uint32_t i = 0; i < nX; ++i)
            if (groupX[i]) reader.read(*groupX[i], scratch), rarity.count(scratch, 0);
        for (std::uint32_t j = 0; j < nY; ++j)
            if (groupY[j]) reader.read(*groupY[j], scratch), rarity.count(scratch, 1);
    } else {
        for (const GradedCandidate& c : la) reader.read(*c.element, scratch), rarity.count(scratch, 0);
        for (const GradedCandidate& c : lb) reader.read(*c.element, scratch), rarity.count(scratch, 1);
    }
    Weighed wa, wb;
    weigh(reader, la, rarity, wa, scratch);
    weigh(reader, lb, rarity, wb, scratch);

    // Postings: the candidates of lb that hold each feature, with their
    // weight, one run per distinct feature.
    struct Posting {
        std::uint32_t j;
        float weight;
    };
    std::vector<std::pair<std::uint64_t, Posting>> entries;
    entries.reserve(wb.features.size());
    for (std::uint32_t j = 0; j < lb.size(); ++j)
        for (const Feature* f = wb.begin(j); f < wb.end(j); ++f) entries.push_back({f->digest, {j, f->weight}});
    std::sort(entries.begin(), entries.end(), [](const auto& x, const auto& y) {
        return x.first < y.first || (x.first == y.first && x.second.j < y.second.j);
    });
    std::vector<std::uint64_t> keys;
    std::vector<std::uint32_t> runStart;
    std::vector<Posting> postings;
    postings.reserve(entries.size());
    for (std::size_t e = 0; e < entries.size(); ++e) {
        if (e == 0 || entries[e].first != entries[e - 1].first) {
            keys.push_back(entries[e].first);
            runStart.push_back(std::uint32_t(e));
        }
        postings.push_back(entries[e].second);
    }
    runStart.push_back(std::uint32_t(entries.size()));
    std::vector<std::pair<std::uint64_t, Posting>>().swap(entries);

    struct Edge {
        double share;
        std::uint32_t i, j;
    };
    std::vector<Edge> edges;
    std::vector<float> partial(lb.size(), 0);
    std::vector<std::uint32_t> touched;
    std::uint64_t spent = 0;
    for (std::uint32_t i = 0; i < la.size(); ++i) {
        if (takenA[i]) continue;
        if (spent > work) {
            result.capped = true;
            break;
        }
        touched.clear();
        // Rare features first lead to candidates; common ones only when the
        // rare ones lead nowhere.
        for (int round = 0; round < 2 && touched.empty(); ++round) {
            for (const Feature* f = wa.begin(i); f < wa.end(i); ++f) {
                const auto at = std::lower_bound(keys.begin(), keys.end(), f->digest);
                ++spent;
                if (at == keys.end() || *at != f->digest) continue;
                const std::size_t k = std::size_t(at - keys.begin());
                const std::uint32_t lo = runStart[k], hi = runStart[k + 1];
                if ((round == 0) != (hi - lo <= kCommonPostings)) continue;
                spent += hi - lo;
                for (std::uint32_t p = lo; p < hi; ++p) {
                    const Posting& q = postings[p];
                    if (takenB[q.j]) continue;
                    if (partial[q.j] == 0) touched.push_back(q.j);
                    partial[q.j] += std::min(f->weight, q.weight);
                }
            }
        }
        // The most promising few are weighed exactly.
        const std::size_t keep = std::min(kShortlist, touched.size());
        std::partial_sort(touched.begin(), touched.begin() + std::ptrdiff_t(keep), touched.end(),
                          [&](std::uint32_t x, std::uint32_t y) {
                              return partial[x] > partial[y] || (partial[x] == partial[y] && x < y);
                          });
        for (std::size_t k = 0; k < keep; ++k) {
            const std::uint32_t j = touched[k];
            spent += (wa.start[i + 1] - wa.start[i]) + (wb.start[j + 1] - wb.start[j]);
            const double sh = share(wa, i, wb, j);
            const bool renamed = (la[i].key || lb[j].key) && la[i].key != lb[j].key;
            if (sh >= (renamed ? kRenamedKeyShare : kRelatedShare)) edges.push_back({sh, i, j});
        }
        for (const std::uint32_t j : touched) partial[j] = 0;
    }
    std::sort(edges.begin(), edges.end(), [](const Edge& x, const Edge& y) {
        if (x.share != y.share) return x.share > y.share;
        return x.i < y.i || (x.i == y.i && x.j < y.j);
    });
    for (const Edge& e : edges) {
        if (takenA[e.i] || takenB[e.j]) continue;
        takenA[e.i] = takenB[e.j] = 1;
        result.pairs.emplace_back(e.i, e.j);
    }
    return result;
}

double GradedSimilarity(const ElementRecord& a, const ElementRecord& b, const CompareSnapshot& s,
                        const std::vector<KeyField>& leftOut) {
    ElementRecord* group[2] = {const_cast<ElementRecord*>(&a), const_cast<ElementRecord*>(&b)};
    InferredKey key;
    key.fields = leftOut;
    FeatureReader reader(s, key);
    std::vector<Feature> scratch;
    Rarity rarity;
    reader.read(a, scratch);
    rarity.count(scratch, 0);
    reader.read(b, scratch);
    rarity.count(scratch, 1);
    Weighed wa, wb;
    weigh(reader, {{group[0], 0}}, rarity, wa, scratch);
    weigh(reader, {{group[1], 0}}, rarity, wb, scratch);
    return share(wa, 0, wb, 0);
}

}  // namespace quillon
