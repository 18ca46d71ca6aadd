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
                const AttributeName& name = named(at.name, e);
                if (name.weight > 0) out.push_back({mix(name.tag, m_digest(at.value)), name.weight});
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
        // Two equal children (or words) are two features, so that two
        // elements share as many as they hold alike.
        const auto byDigest = [](const Feature& a, const Feature& b) { return a.digest < b.digest; };
        std::sort(out.begin(), out.end(), byDigest);
        std::uint64_t previous = 0, repeat = 0;
        bool repeated = false;
        for (Feature& f : out) {
            repeat = f.digest == previous ? repeat + 1 : 0;
            previous = f.digest;
            if (repeat) f.digest = mix(f.digest, repeat), repeated = true;
        }
        if (repeated) std::sort(out.begin(), out.end(), byDigest);
    }

private:
    // A position counts a quarter: a hint where nothing else links two
    // members, never enough to outweigh what they hold.
    static constexpr float kPositionWeight = 0.25f;

    static bool among(const std::vector<KeyField>& fields, const std::u16string& name) {
        const bool caseSensitive = options().XMLAttributeCaseSensitive != 0;
        return std::any_of(fields.begin(), fields.end(), [&](const KeyField& f) {
            return AttributeNameDigest(RecordString(f.name), caseSensitive) ==
                   AttributeNameDigest(RecordString(name), caseSensitive);
        });
    }
    static bool among(const std::vector<KeyField>& fields, std::uint32_t nameId) {
        return std::any_of(fields.begin(), fields.end(), [&](const KeyField& f) { return f.childNameId == nameId; });
    }
    bool textCompared(const ElementRecord& e) const {
        return !m_snapshot.ignoreValues && !(e.ruleFlags & kRuleTextNotCompared) && e.text;
    }
    // total: what all the words count together; 0 for 1 + log2 of their number.
    void words(const RecordString& text, std::uint64_t tag, float total, std::vector<Feature>& out) {
        m_words.clear();
        WordDigests(text, m_snapshot.mode, m_words);
        if (m_words.empty()) return;
        const float n = float(m_words.size());
        const float each = (total > 0 ? total : 1.0f + std::log2(n)) / n;
        for (const std::uint64_t w : m_words) out.push_back({mix(tag, w), each});
    }
    // What an attribute name means to the weighing, found once a name: the
    // members of a group share their names and the rules that apply.
    struct AttributeName {
        std::u16string name;
        std::uint64_t tag;
        float weight;  // 0: left out (not compared, a namespace declaration, the key)
    };
    const AttributeName& named(const RecordString& name, const ElementRecord& e) {
        for (const AttributeName& n : m_names)
            if (name == RecordString(n.name)) return n;
        AttributeName n{std::u16string(name), 0, 1.0f};
        const bool caseSensitive = options().XMLAttributeCaseSensitive != 0;
        n.tag = kAttribute ^ AttributeNameDigest(name, caseSensitive);
        if (n.name == u"xmlns" || n.name.starts_with(u"xmlns:") || among(m_keyAttributes, n.name) ||
            AttributeNotCompared(e, AttributeNameHash(n.name, options().XMLAttributeCaseSensitive != 0)))
            n.weight = 0;
        else if (among(m_positionAttributes, n.name))
            n.weight = kPositionWeight;
        return m_names.emplace_back(std::move(n));
    }

    const CompareSnapshot& m_snapshot;
    ElementKeyTerms m_terms;
    ValueDigest m_digest;
    std::vector<KeyField> m_keyAttributes, m_keyChildren, m_positionAttributes, m_positionChildren;
    std::vector<AttributeName> m_names;
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
    void count(const Feature* begin, const Feature* end, int side) {
        ++m_members[side];
        for (const Feature* f = begin; f < end; ++f) ++m_counts[f->digest].members[side];
    }
    float of(std::uint64_t d) {
        const auto it = m_counts.find(d);
        if (it == m_counts.end()) return 1.0f;
        Count& c = it->second;
        if (c.rarity < 0) {
            float least = 1.0f;
            for (int side = 0; side < 2; ++side) {
                const float n = float(m_members[side]), df = float(c.members[side]);
                if (df > 0) least = std::min(least, std::log((n + 1) / df) / std::log(n + 1));
            }
            c.rarity = std::max(least, kLeastRarity);
        }
        return c.rarity;
    }

private:
    static constexpr float kLeastRarity = 0.02f;
    struct Count {
        std::uint32_t members[2] = {0, 0};
        float rarity = -1;  // worked out on first use
    };
    std::unordered_map<std::uint64_t, Count> m_counts;
    std::uint32_t m_members[2] = {0, 0};
};

// Groups up to this many members on both sides together give the rarities;
// larger ones take them from their leftovers alone.
constexpr std::uint32_t kRarityFromWholeGroup = 2048;
// Feature postings longer than this are read only when nothing rarer leads anywhere.
constexpr std::size_t kCommonPostings = 32;
// Candidates taken to an exact share per leftover.
constexpr std::size_t kShortlist = 8;

// Reads every candidate's features into one flat array, unweighed.
void read(FeatureReader& reader, const std::vector<GradedCandidate>& list, Weighed& out,
          std::vector<Feature>& scratch) {
    out.start.push_back(0);
    for (const GradedCandidate& c : list) {
        reader.read(*c.element, scratch);
        out.features.insert(out.features.end(), scratch.begin(), scratch.end());
        out.start.push_back(std::uint32_t(out.features.size()));
    }
}

void weigh(Weighed& w, Rarity& rarity) {
    w.total.assign(w.start.size() - 1, 0);
    for (std::size_t i = 0; i + 1 < w.start.size(); ++i) {
        for (Feature* f = w.features.data() + w.start[i]; f < w.features.data() + w.start[i + 1]; ++f) {
            f->weight *= rarity.of(f->digest);
            w.total[i] += f->weight;
        }
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
    Weighed wa, wb;
    read(reader, la, wa, scratch);
    read(reader, lb, wb, scratch);
    Rarity rarity;
    if (std::uint64_t(nX) + nY <= kRarityFromWholeGroup) {
        for (std::uint32_t i = 0; i < nX; ++i) {
            if (!groupX[i]) continue;
            reader.read(*groupX[i], scratch);
            rarity.count(scratch.data(), scratch.data() + scratch.size(), 0);
        }
        for (std::uint32_t j = 0; j < nY; ++j) {
            if (!groupY[j]) continue;
            reader.read(*groupY[j], scratch);
            rarity.count(scratch.data(), scratch.data() + scratch.size(), 1);
        }
    } else {
        for (std::size_t i = 0; i < la.size(); ++i) rarity.count(wa.begin(i), wa.end(i), 0);
        for (std::size_t j = 0; j < lb.size(); ++j) rarity.count(wb.begin(j), wb.end(j), 1);
    }
    weigh(wa, rarity);
    weigh(wb, rarity);

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
    InferredKey key;
    key.fields = leftOut;
    FeatureReader reader(s, key);
    std::vector<Feature> scratch;
    Weighed wa, wb;
    read(reader, {{const_cast<ElementRecord*>(&a), 0}}, wa, scratch);
    read(reader, {{const_cast<ElementRecord*>(&b), 0}}, wb, scratch);
    Rarity rarity;
    rarity.count(wa.begin(0), wa.end(0), 0);
    rarity.count(wb.begin(0), wb.end(0), 1);
    weigh(wa, rarity);
    weigh(wb, rarity);
    return share(wa, 0, wb, 0);
}

}  // namespace quillon
