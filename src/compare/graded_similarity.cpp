// SPDX-License-Identifier: MIT
#include "compare/graded_similarity.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <string>
#include <unordered_map>

#include "compare/hash_index.h"
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
// the weight they hold together.
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
    return 2 * common / together;
}

// Rarity: a feature that one member in n holds counts 1 / (1 + log2 n), n
// taken on the side where it is more common.
class Rarity {
public:
    void count(const std::vector<Feature>& features, int side) {
        for (const Feature& f : features) ++m_counts[f.digest][side];
    }
    float of(std::uint64_t d) const {
        const auto it = m_counts.find(d);
        const std::uint32_t n = it == m_counts.end() ? 1 : std::max({it->second[0], it->second[1], 1u});
        return 1.0f / (1.0f + std::log2(float(n)));
    }

private:
    std::unordered_map<std::uint64_t, std::array<std::uint32_t, 2>> m_counts;
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

    // Postings: the candidates of lb that hold each feature, with their weight.
    struct Posting {
        std::uint64_t digest;
        std::uint32_t j;
        float weight;
    };
    std::vector<Posting> postings;
    postings.reserve(wb.features.size());
    for (std::uint32_t j = 0; j < lb.size(); ++j)
        for (const Feature* f = wb.begin(j); f < wb.end(j); ++f) postings.push_back({f->digest, j, f->weight});
    std::sort(postings.begin(), postings.end(),
              [](const Posting& x, const Posting& y) { return x.digest < y.digest || (x.digest == y.digest && x.j < y.j); });

    struct Edge {
        double share;
        std::uint32_t i, j;
    };
    std::vector<Edge> edges;
    std::vector<float> partial(lb.size(), 0);
    std::vector<std::uint32_t> touched;
    std::uint64_t spent = 0;
    for (std::uint32_t i = 0; i < la.size(); ++i) {
        if (spent > work) {
            result.capped = true;
            break;
        }
        touched.clear();
        // Rare features first lead to candidates; common ones only when the
        // rare ones lead nowhere.
        for (int round = 0; round < 2 && touched.empty(); ++round) {
            for (const Feature* f = wa.begin(i); f < wa.end(i); ++f) {
                auto lo = std::lower_bound(postings.begin(), postings.end(), f->digest,
                                           [](const Posting& p, std::uint64_t d) { return p.digest < d; });
                auto hi = lo;
                while (hi != postings.end() && hi->digest == f->digest) ++hi;
                const std::size_t length = std::size_t(hi - lo);
                if ((round == 0) != (length <= kCommonPostings)) continue;
                spent += length + 1;
                for (auto p = lo; p != hi; ++p) {
                    if (partial[p->j] == 0) touched.push_back(p->j);
                    partial[p->j] += std::min(f->weight, p->weight);
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
    std::vector<std::uint8_t> takenA(la.size(), 0), takenB(lb.size(), 0);
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
