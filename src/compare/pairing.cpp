// SPDX-License-Identifier: MIT
#include "compare/pairing.h"

#include <algorithm>
#include <atomic>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "compare/graded_similarity.h"
#include "compare/hash_index.h"
#include "compare/identity.h"
#include "compare/key_inference.h"
#include "compare/similarity_index.h"
#include "model/document_pane.h"
#include "model/name_table.h"
#include "platform/side_by_side.h"
#include "rules/rule_hooks.h"
#include "settings/options.h"

// The pairing sweep. Its natural form recurses once per document level; here
// every "pair these two" and "compare these children" becomes a task on one
// work stack. A task decides all the pairs among two elements' children at
// once (nothing those decisions read is changed by pairing the chosen
// children, since each decision only reads untouched elements and their
// digests), pushes the chosen pairs as tasks, and a finishing task behind
// them records the parents' pair once everything below them is done.
//
// Sibling pairs leave nothing behind that another sibling pair reads, so the
// first large set of them is shared with a second thread: both take chunks
// of it, each with its own stack, counters and report, and the sums are
// merged before the parents' pair is recorded. Only a sweep nobody watches
// is shared: the window's progress callback paints the tree.

namespace quillon {
namespace {

constexpr std::uint32_t kIndexThreshold = 11;

// The similarity work one parent may take (postings read, children scored)
// before its remaining leftovers pair the cheaper way: a fixed allowance
// plus a share per child of the candidates.
constexpr std::uint64_t kSimilarityWorkBase = std::uint64_t(1) << 22;
constexpr std::uint64_t kSimilarityWorkPerChild = 64;
// Up to this many candidate pairs, scoring all of them is the cheaper way.
constexpr std::uint64_t kDirectScanPairs = 256;

// A set of more sibling pairs than this is shared with a second thread, in
// chunks of this many pairs.
constexpr std::size_t kShareFrom = 4096;
constexpr std::size_t kShareChunk = 256;

void recordPair(ElementRecord* first, ElementRecord* second, CompareCounters& c);

// Counts one more group for the key, listed in the order keys were first
// used; true when the key is new to the list.
bool noteKeyUse(PairingReport& report, const InferredKeyUse& use) {
    for (InferredKeyUse& k : report.inferredKeys) {
        if (k.element == use.element && k.attribute == use.attribute && k.children == use.children) {
            k.groups += use.groups;
            return false;
        }
    }
    report.inferredKeys.push_back(use);
    return true;
}

// The same for a candidate turned down.
bool noteRejection(PairingReport& report, const RejectedKeyUse& use) {
    for (RejectedKeyUse& k : report.rejectedKeys) {
        if (k.element == use.element && k.candidate == use.candidate && k.reason == use.reason) {
            k.groups += use.groups;
            return false;
        }
    }
    report.rejectedKeys.push_back(use);
    return true;
}

bool ignored(const ElementRecord* e) {
    return e->ignoreState > 0;
}

// The key terms that keep an index over y equivalent to a scan for probes from x.
ElementKeyTerms termsFor(ElementRecord* const* x, std::uint32_t nX, ElementRecord* const* y, std::uint32_t nY,
                         const CompareSnapshot& s) {
    ElementKeyTerms t = DefaultKeyTerms(s);
    std::uint8_t anyRule = 0;
    auto visit = [&](ElementRecord* const* a, std::uint32_t n) {
        for (std::uint32_t i = 0; i < n; ++i)
            if (a[i]) anyRule |= a[i]->ruleFlags;
    };
    visit(x, nX);
    visit(y, nY);
    if (anyRule & kRuleAttributesNotCompared) t.attributes = false;
    if (anyRule & kRuleTextNotCompared) t.text = false;
    return t;
}

std::uint32_t scanIdentical(const ElementRecord& probe, ElementRecord* const* y, std::uint32_t nY,
                            const CompareSnapshot& s) {
    for (std::uint32_t j = 0; j < nY; ++j)
        if (y[j] && IsIdentical(*y[j], &probe, s)) return j;
    return NotFound;
}

// Calls fn(k, j) for every child-name group k of a's view that b's view has
// too (as its group j), in a's order, until fn returns false.
template <class Fn>
void forEachSharedGroup(const ChildGroups& a, const ChildGroups& b, Fn&& fn) {
    const std::uint32_t na = a.groupCount;
    const std::uint32_t nb = b.groupCount;
    if (na == 0 || nb == 0) return;
    auto walk = [&](auto&& lookup) {
        for (std::uint32_t k = 0; k < na; ++k) {
            const std::uint32_t j = lookup(a.ids[k]);
            if (j != NotFound && !fn(k, j)) return;
        }
    };
    if (na >= kIndexThreshold && nb >= kIndexThreshold && nb <= 65535) {
        if (nb < 256) {
            HashByteNameIndex index(b.ids, nb);
            walk([&](std::uint32_t id) { return index.Find(id); });
            index.Release();
        } else {
            HashWordNameIndex index(b.ids, nb);
            walk([&](std::uint32_t id) { return index.Find(id); });
            index.Release();
        }
        return;
    }
    walk([&](std::uint32_t id) {
        for (std::uint32_t j = 0; j < nb; ++j)
            if (b.ids[j] == id) return j;
        return NotFound;
    });
}

// Pairs, for each untaken eligible first[i] in order, the lowest-indexed
// untaken eligible second[j] with the same key. Large groups go through a
// sorted key table instead of a scan per element.
template <class Eligible, class KeyOf, class PairFn>
void pairByKey(ElementRecord** first, std::uint32_t n1, ElementRecord** second, std::uint32_t n2, Eligible&& eligible,
               KeyOf&& keyOf, PairFn&& pair) {
    if (n1 < kIndexThreshold || n2 < kIndexThreshold) {
        for (std::uint32_t i = 0; i < n1; ++i) {
            if (!first[i] || !eligible(*first[i])) continue;
            const std::uint64_t key = keyOf(*first[i]);
            for (std::uint32_t j = 0; j < n2; ++j) {
                if (second[j] && eligible(*second[j]) && keyOf(*second[j]) == key) {
                    pair(i, j);
                    break;
                }
            }
        }
        return;
    }
    // Sized once: grown by doubling, a huge group's table would briefly
    // take three times its size.
    std::vector<std::pair<std::uint64_t, std::uint32_t>> table;
    table.reserve(n2);
    for (std::uint32_t j = 0; j < n2; ++j)
        if (second[j] && eligible(*second[j])) table.emplace_back(keyOf(*second[j]), j);
    std::sort(table.begin(), table.end());
    // Within one key, entries are taken strictly in ascending order (only
    // this pass takes them), so one cursor per key run is enough.
    std::vector<std::uint32_t> next(table.size());
    for (std::size_t r = 0; r < table.size(); ++r) next[r] = std::uint32_t(r);
    for (std::uint32_t i = 0; i < n1; ++i) {
        if (!first[i] || !eligible(*first[i])) continue;
        const std::uint64_t key = keyOf(*first[i]);
        const auto it = std::lower_bound(table.begin(), table.end(), std::make_pair(key, std::uint32_t(0)));
        if (it == table.end() || it->first != key) continue;
        const std::size_t run = std::size_t(it - table.begin());
        const std::uint32_t at = next[run];
        if (at >= table.size() || table[at].first != key) continue;
        next[run] = at + 1;
        pair(i, table[at].second);
    }
}

class Pairing {
public:
    Pairing(const Options& o, const CompareSnapshot& s, CompareCounters& c, const PairingProgress& progress)
        : m_options(o), m_snapshot(s), m_counters(c), m_progress(progress) {}

    // With `share`, the first large set of sibling pairs is shared with a
    // second thread.
    void run(ElementRecord* first, ElementRecord* second, bool share) {
        m_mayShare = share;
        m_tasks.reserve(4096);
        pushPair(first, second);
        drain(0);
    }

private:
    enum class Kind : std::uint8_t { Pair, Children, Finish };
    // Pair: two elements; Children: two views; Finish: the top of m_frames.
    struct Task {
        void* a;
        void* b;
        Kind kind;
        bool aligned;
    };
    // Sibling pairs taken by two threads, a chunk at a time, from the top of
    // the stack they came from: chunk k holds what would otherwise have run
    // k-th.
    struct SharedPairs {
        std::vector<Task> tasks;
        std::atomic<std::size_t> next{0};
        std::size_t chunks() const { return (tasks.size() + kShareChunk - 1) / kShareChunk; }
    };

    // Runs tasks until the stack is back to `base` entries.
    void drain(std::size_t base) {
        while (m_tasks.size() > base) {
            const Task task = m_tasks.back();
            m_tasks.pop_back();
            const std::size_t below = m_tasks.size();
            switch (task.kind) {
                case Kind::Pair:
                    pairElements(static_cast<ElementRecord*>(task.a), static_cast<ElementRecord*>(task.b));
                    break;
                case Kind::Children:
                    compareChildren(static_cast<ChildGroups*>(task.a), static_cast<ChildGroups*>(task.b), task.aligned,
                                    m_arena.mark());
                    break;
                case Kind::Finish:
                    finishChildren();
                    break;
            }
            // The task queued its parents' finishing task and the sibling pairs above it.
            if (m_mayShare && m_tasks.size() > below + kShareFrom && m_tasks[below].kind == Kind::Finish)
                share(below + 1);
            tick();
        }
    }

    // Pairs the tasks from `from` up with a second thread's help; afterwards
    // the counters and the report are as if this thread had run them all.
    void share(std::size_t from) {
        m_mayShare = false;
        const Frame& parents = m_frames.back();
        ElementRecord::LinkPanes(*parents.a, *parents.b);
        SharedPairs shared;
        shared.tasks.assign(m_tasks.begin() + std::ptrdiff_t(from), m_tasks.end());
        m_tasks.resize(from);
        CompareCounters helperCounters;
        const PairingProgress none;
        Pairing helper(m_options, m_snapshot, helperCounters, none);
        PairingReport helperReport, ownReport;
        ChunkLog helperChunks, ownChunks;
        helper.m_report = &helperReport;
        helper.m_chunkLog = &helperChunks;
        PairingReport* const report = std::exchange(m_report, &ownReport);
        m_chunkLog = &ownChunks;
        RunSideBySide(
            true,
            [&] {
                try {
                    take(shared);
                } catch (...) {
                    shared.next = shared.chunks();  // the helper stops after its chunk
                    throw;
                }
            },
            [&] { helper.take(shared); });
        m_report = report;
        m_chunkLog = nullptr;

        m_counters.EqualPairs += helperCounters.EqualPairs;
        m_counters.ChangedPairs += helperCounters.ChangedPairs;
        m_counters.IgnoredElements += helperCounters.IgnoredElements;
        m_counters.OwnChangedPairs += helperCounters.OwnChangedPairs;
        m_report->cappedGroups += ownReport.cappedGroups + helperReport.cappedGroups;
        mergeInChunkOrder(ownReport.inferredKeys, ownChunks.keys, helperReport.inferredKeys, helperChunks.keys,
                          [&](const InferredKeyUse& u) { noteKeyUse(*m_report, u); });
        mergeInChunkOrder(ownReport.rejectedKeys, ownChunks.rejections, helperReport.rejectedKeys,
                          helperChunks.rejections, [&](const RejectedKeyUse& u) { noteRejection(*m_report, u); });
    }

    // The chunk in which each entry of a thread's report lists was first met.
    struct ChunkLog {
        std::vector<std::size_t> keys, rejections;
    };

    // Notes the entries of two threads' lists in the order a single thread
    // would have met them.
    template <class Entry, class Note>
    static void mergeInChunkOrder(const std::vector<Entry>& own, const std::vector<std::size_t>& ownChunks,
                                  const std::vector<Entry>& helper, const std::vector<std::size_t>& helperChunks,
                                  Note&& note) {
        std::vector<std::pair<std::size_t, const Entry*>> entries;
        for (std::size_t i = 0; i < ownChunks.size(); ++i) entries.emplace_back(ownChunks[i], &own[i]);
        for (std::size_t i = 0; i < helperChunks.size(); ++i) entries.emplace_back(helperChunks[i], &helper[i]);
        std::stable_sort(entries.begin(), entries.end(),
                         [](const auto& x, const auto& y) { return x.first < y.first; });
        for (const auto& e : entries) note(*e.second);
    }

    // Takes chunks of the shared pairs until none is left.
    void take(SharedPairs& shared) {
        const std::size_t n = shared.tasks.size(), chunks = shared.chunks();
        for (std::size_t k; (k = shared.next.fetch_add(1)) < chunks;) {
            m_chunk = k;
            const std::size_t top = n - k * kShareChunk, bottom = top - std::min(top, kShareChunk);
            for (std::size_t i = top; i-- > bottom;) {
                const std::size_t base = m_tasks.size();
                m_tasks.push_back(shared.tasks[i]);
                drain(base);
            }
        }
    }

    // What recording a pair of parents needs once their children are done.
    // Frames nest like the tasks, so a Finish task always finds its frame on top.
    struct Frame {
        ElementRecord* a;
        ElementRecord* b;
        ScratchArena::Mark mark;
        std::uint64_t equal0, ownChanged0, total0;
    };

    // One more task or pair done: reports the progress now and then.
    void tick() {
        if (m_progress && ++m_sinceProgress >= kProgressStep) {
            m_sinceProgress = 0;
            m_progress(m_counters.EqualPairs + m_counters.ChangedPairs);
        }
    }

    void pushPair(ElementRecord* a, ElementRecord* b) { m_tasks.push_back({a, b, Kind::Pair, false}); }
    void pushChildren(ChildGroups* ga, ChildGroups* gb, bool aligned) {
        m_tasks.push_back({ga, gb, Kind::Children, aligned});
    }

    std::uint64_t recordedTotal() const {
        return m_counters.EqualPairs + m_counters.ChangedPairs + m_counters.IgnoredElements;
    }

    void pairElements(ElementRecord* a, ElementRecord* b) {
        if (ignored(a) || ignored(b)) return;
        if (ChildCountOf(*a) > 0 && ChildCountOf(*b) > 0) {
            if (pairIdenticalInOrder(a, b)) return;
            const ScratchArena::Mark mark = m_arena.mark();
            ChildGroups* ga = BuildChildGroups(a, m_arena);
            ChildGroups* gb = BuildChildGroups(b, m_arena);
            compareChildren(ga, gb, false, mark);
            return;
        }
        recordPair(a, b, m_counters);
    }

    // Two identical elements whose descendants also stand in the same order,
    // each identical to its counterpart, get exactly the pairs the group
    // passes would give them (each identity pass takes the lowest untaken
    // identical sibling: the one at the same place). Most of an ordinary
    // comparison is such subtrees, so they pair node by node here, without
    // building child groups. False, with nothing changed, otherwise.
    bool pairIdenticalInOrder(ElementRecord* a, ElementRecord* b) {
        const CompareSnapshot& s = m_snapshot;
        // Only identical pairs are tried: for them the walk rarely fails.
        if (!a->treePane() || !b->treePane() || !IsIdentical(*a, b, s)) return false;
        const DocumentPane& pa = *a->treePane();
        const DocumentPane& pb = *b->treePane();
        const TreePane& ta = pa.tree;
        const TreePane& tb = pb.tree;
        // Descendant counts in document order fix the shape, and identical
        // elements have equal ones: the two walks stay on corresponding
        // nodes as long as every node is identical to its counterpart.
        const TreeItem topA = a->item(), topB = b->item();
        auto walk = [&](auto&& visit) {
            for (TreeItem i = ta.FirstChild(topA), j = tb.FirstChild(topB); i;
                 i = ta.NextInSubtree(i, topA), j = tb.NextInSubtree(j, topB)) {
                if (!visit(pa.record(i), pb.record(j))) return false;
            }
            return true;
        };
        const bool same = walk([&](const ElementRecord* x, const ElementRecord* y) {
            return x && y && !ignored(x) && !ignored(y) && IsIdentical(*x, y, s);
        });
        if (!same) return false;
        auto record = [&](ElementRecord* x, ElementRecord* y) {
            if (ChildCountOf(*x) > 0 && x->childNameIds()) {
                x->diffFlags |= kIdenticalBelow;
                y->diffFlags |= kIdenticalBelow;
            }
            recordPair(x, y, m_counters);
            tick();
            return true;
        };
        walk(record);
        record(a, b);
        return true;
    }

    // Decides the pairs among the children of the two elements and queues
    // them, behind the task that records the two elements' own pair.
    // Everything allocated since `mark` is given back when that task runs.
    void compareChildren(ChildGroups* ga, ChildGroups* gb, bool aligned, ScratchArena::Mark mark) {
        ElementRecord* a = ga->element;
        ElementRecord* b = gb->element;
        if (ignored(a) || ignored(b)) {
            m_arena.rewind(mark);
            return;
        }
        m_frames.push_back({a, b, mark, m_counters.EqualPairs, m_counters.OwnChangedPairs, recordedTotal()});
        m_tasks.push_back({nullptr, nullptr, Kind::Finish, false});
        // The children run in reverse order; nothing they leave behind
        // depends on the order.
        forEachSharedGroup(*ga, *gb, [&](std::uint32_t k, std::uint32_t j) {
            pairGroup(ga->groupStart[k], ga->groupSize(k), gb->groupStart[j], gb->groupSize(j), aligned);
            return true;
        });
    }

    void finishChildren() {
        const Frame t = m_frames.back();
        m_frames.pop_back();
        ElementRecord* a = t.a;
        ElementRecord* b = t.b;
        if (a->childNameIds()) {
            if (m_counters.EqualPairs != t.equal0) {
                a->diffFlags |= kIdenticalBelow;
                b->diffFlags |= kIdenticalBelow;
            }
            if (m_counters.OwnChangedPairs != t.ownChanged0) {
                a->diffFlags |= kChangedBelow;
                b->diffFlags |= kChangedBelow;
            }
        }
        const std::uint64_t below = recordedTotal() - t.total0;
        if (below < a->descendantCount()) a->diffFlags |= kUnpairedBelow;
        if (below < b->descendantCount()) b->diffFlags |= kUnpairedBelow;
        recordPair(a, b, m_counters);
        m_arena.rewind(t.mark);
    }

    // Clears the slots of ignored elements, so that no pass can give one a
    // partner its identical sibling should have; returns how many remain.
    static std::uint32_t dropIgnored(ElementRecord** a, std::uint32_t n) {
        std::uint32_t left = 0;
        for (std::uint32_t i = 0; i < n; ++i) {
            if (a[i] && ignored(a[i])) a[i] = nullptr;
            if (a[i]) ++left;
        }
        return left;
    }

    void pairGroup(ElementRecord** x, std::uint32_t nX, ElementRecord** y, std::uint32_t nY, bool aligned) {
        if (nX == 0 || nY == 0) return;
        const bool keyParents = x[0] && y[0] && IsKeyParent(*x[0]) && IsKeyParent(*y[0]);
        const bool keyAttributes = x[0] && y[0] && IsKeyAttributeElement(*x[0]) && IsKeyAttributeElement(*y[0]);
        std::uint32_t takingPartX = nX, takingPartY = nY;
        if (m_options.IgnoreOrderElements) {
            takingPartX = dropIgnored(x, nX);
            takingPartY = dropIgnored(y, nY);
        }
        // The smaller group drives; on equal sizes the first element's.
        ElementRecord** first = x;
        ElementRecord** second = y;
        std::uint32_t n1 = nX, n2 = nY;
        std::uint32_t p1 = takingPartX, p2 = takingPartY;
        if (takingPartY < takingPartX) {
            std::swap(first, second);
            std::swap(n1, n2);
            std::swap(p1, p2);
        }
        if (p1 == 0 || p2 == 0) return;

        if (!m_options.IgnoreOrderElements) {
            std::uint32_t i = 0, j = 0;
            for (;;) {
                while (i < n1 && (!first[i] || ignored(first[i]))) ++i;
                while (j < n2 && (!second[j] || ignored(second[j]))) ++j;
                if (i >= n1 || j >= n2) break;
                pushPair(first[i], second[j]);
                first[i++] = nullptr;
                second[j++] = nullptr;
            }
            return;
        }

        const CompareSnapshot& s = m_snapshot;
        // The whole group, as it was before any pass took members: a key is
        // found from all of them, not only from the leftovers.
        ElementRecord** all1 = nullptr;
        ElementRecord** all2 = nullptr;
        const bool mayInfer = m_options.PairRelatedOnly && !keyParents && !keyAttributes && p1 >= 2 && p2 >= 2;
        if (mayInfer) {
            all1 = m_arena.allocate<ElementRecord*>(n1);
            all2 = m_arena.allocate<ElementRecord*>(n2);
            std::copy(first, first + n1, all1);
            std::copy(second, second + n2, all2);
        }
        std::uint32_t matched = 0;
        auto pair = [&](std::uint32_t i, std::uint32_t j) {
            pushPair(first[i], second[j]);
            first[i] = nullptr;
            second[j] = nullptr;
            ++matched;
        };

        // Identity pass.
        if (aligned) {
            for (std::uint32_t i = 0; i < n1 && i < n2; ++i)
                if (first[i] && second[i] && IsIdentical(*first[i], second[i], s)) pair(i, i);
        } else if (n1 < kIndexThreshold || n2 < kIndexThreshold) {
            for (std::uint32_t i = 0; i < n1; ++i) {
                if (!first[i]) continue;
                const std::uint32_t j = scanIdentical(*first[i], second, n2, s);
                if (j != NotFound) pair(i, j);
            }
        } else {
            WithElementIndex(second, n2, s, termsFor(first, n1, second, n2, s), [&](const HashIndex& index) {
                for (std::uint32_t i = 0; i < n1; ++i) {
                    if (i + kRecordsAhead < n1) PrefetchRecord(first[i + kRecordsAhead]);
                    if (!first[i]) continue;
                    const std::uint32_t j = index.Find(first[i]);
                    if (j != NotFound) pair(i, j);
                }
            });
        }
        if (matched == p1 || matched == p2) return;

        // Key element pass.
        if (keyParents) {
            pairByKey(
                first, n1, second, n2, [](const ElementRecord& e) { return e.subtree().keySum != 0; },
                [](const ElementRecord& e) { return std::uint64_t(e.subtree().keySum); }, pair);
        }
        // Key attribute pass.
        if (keyAttributes) {
            const unsigned m = s.mode;
            pairByKey(
                first, n1, second, n2, [](const ElementRecord& e) { return KeyAttrSignatureOf(e) != nullptr; },
                [m](const ElementRecord& e) {
                    const KeyAttrSignature& k = *KeyAttrSignatureOf(e);
                    return (std::uint64_t(k.hash[m]) << 16) | k.hash16[m];
                },
                pair);
            if (s.uniqueAttributes) return;
        }
        if (m_options.PairRelatedOnly) {
            pairRelatedLeftovers(first, n1, second, n2, p1, p2, matched, all1, all2);
            return;
        }
        if (m_options.CompareLevel == 0 || matched == p1 || matched == p2) return;
        // One left on each side of equal groups: they belong together.
        if (p1 == p2 && matched == p1 - 1) {
            pairRemaining(first, n1, second, n2, pair);
            return;
        }
        if (SimilarityAllowed(p1, p2, matched)) pairBySimilarity(first, second, n1, n2);
    }

    // The default's passes after identity and the user's keys: the key the
    // group shows, the one element of its name, and then likeness. Out of
    // line: it runs for few groups, and every group runs the caller.
    // all1/all2: the whole group, null when no key is looked for.
    [[gnu::noinline]] void pairRelatedLeftovers(ElementRecord** first, std::uint32_t n1, ElementRecord** second,
                                                std::uint32_t n2, std::uint32_t p1, std::uint32_t p2,
                                                std::uint32_t matched, ElementRecord** all1, ElementRecord** all2) {
        auto pair = [&](std::uint32_t i, std::uint32_t j) {
            pushPair(first[i], second[j]);
            first[i] = nullptr;
            second[j] = nullptr;
            ++matched;
        };
        InferredKey key;
        if (all1 && matched < p1 && matched < p2) key = pairByInferredKey(all1, first, n1, all2, second, n2, pair);
        if (m_options.CompareLevel == 0 || matched == p1 || matched == p2) return;
        // The one element of its name on each side is the same element,
        // whatever it holds; more pair only as far as they are alike.
        if (p1 == 1 && p2 == 1) {
            pairRemaining(first, n1, second, n2, pair);
            return;
        }
        if (SimilarityAllowed(p1, p2, matched))
            pairByGradedSimilarity(first, n1, second, n2, all1 ? all1 : first, all2 ? all2 : second, key, pair);
    }

    // Pairs the first untaken member of each side.
    template <class PairFn>
    static void pairRemaining(ElementRecord** first, std::uint32_t n1, ElementRecord** second, std::uint32_t n2,
                              PairFn&& pair) {
        std::uint32_t i = 0, j = 0;
        while (i < n1 && !first[i]) ++i;
        while (j < n2 && !second[j]) ++j;
        if (i < n1 && j < n2) pair(i, j);
    }

    // Pairs the leftovers by the key the whole group shows, when it has one,
    // and returns it; says what was decided in the report.
    template <class PairFn>
    InferredKey pairByInferredKey(ElementRecord** all1, ElementRecord** first, std::uint32_t n1, ElementRecord** all2,
                                  ElementRecord** second, std::uint32_t n2, PairFn&& pair) {
        InferredKey key = InferKey({all1, first, n1, all2, second, n2}, m_snapshot);
        std::uint32_t named = 0;
        while (!all1[named]) ++named;  // the group has members: the key was found from them
        const std::u16string element(all1[named]->nameView());
        for (const RejectedKeyCandidate& r : key.rejected) {
            if (noteRejection(*m_report, {element, KeyFieldsText(r.fields), r.reason, 1}) && m_chunkLog)
                m_chunkLog->rejections.push_back(m_chunk);
        }
        if (key.fields.empty()) return key;
        InferredKeyUse use{element, {}, {}, 1};
        for (const KeyField& f : key.fields) (f.attribute ? use.attribute : use.children.emplace_back()) = f.name;
        if (noteKeyUse(*m_report, use) && m_chunkLog) m_chunkLog->keys.push_back(m_chunk);
        // Values are unique on each side, so one lookup per leftover decides.
        std::unordered_map<std::uint64_t, std::uint32_t> leftover;
        for (std::uint32_t j = 0; j < n2; ++j)
            if (second[j] && key.valuesY[j]) leftover.emplace(key.valuesY[j], j);
        for (std::uint32_t i = 0; i < n1 && !leftover.empty(); ++i) {
            if (!first[i] || !key.valuesX[i]) continue;
            const auto it = leftover.find(key.valuesX[i]);
            if (it == leftover.end()) continue;
            pair(i, it->second);
            leftover.erase(it);
        }
        return key;
    }

    // Pairs the leftovers that are alike enough; the rest stay apart.
    template <class PairFn>
    void pairByGradedSimilarity(ElementRecord** first, std::uint32_t n1, ElementRecord** second, std::uint32_t n2,
                                ElementRecord** all1, ElementRecord** all2, const InferredKey& key, PairFn&& pair) {
        std::vector<GradedCandidate> la, lb;
        std::vector<std::uint32_t> slotA, slotB;
        std::uint64_t children = 0;
        for (std::uint32_t i = 0; i < n1; ++i) {
            if (!first[i]) continue;
            la.push_back({first[i], key.valuesX.empty() ? 0 : key.valuesX[i]});
            slotA.push_back(i);
            children += ChildCountOf(*first[i]) + 1;
        }
        for (std::uint32_t j = 0; j < n2; ++j) {
            if (!second[j]) continue;
            lb.push_back({second[j], key.valuesY.empty() ? 0 : key.valuesY[j]});
            slotB.push_back(j);
            children += ChildCountOf(*second[j]) + 1;
        }
        const std::uint64_t budget = kSimilarityWorkBase + kSimilarityWorkPerChild * children;
        const GradedPairing chosen =
            PairByGradedSimilarity(la, lb, all1, n1, all2, n2, key, m_snapshot, budget);
        if (chosen.capped) ++m_report->cappedGroups;
        for (const auto& [a, b] : chosen.pairs) pair(slotA[a], slotB[b]);
    }

    void pairBySimilarity(ElementRecord** first, ElementRecord** second, std::uint32_t n1, std::uint32_t n2) {
        // The candidates' views live until the task that decided this pass
        // finishes; the queued comparisons of candidates read them.
        std::vector<SimilarityCandidate> la, lb;
        std::uint64_t children = 0;
        for (std::uint32_t i = 0; i < n1; ++i) {
            if (!first[i]) continue;
            la.push_back({first[i], BuildChildGroups(first[i], m_arena), false});
            children += ChildCountOf(*first[i]) + 1;
        }
        for (std::uint32_t j = 0; j < n2; ++j) {
            if (!second[j]) continue;
            lb.push_back({second[j], BuildChildGroups(second[j], m_arena), false});
            children += ChildCountOf(*second[j]) + 1;
        }
        const CompareSnapshot& s = m_snapshot;

        // Few candidates are scored against each other directly; building
        // an index would cost more than it saves.
        std::optional<SimilarityIndex> index;
        if (std::uint64_t(la.size()) * lb.size() > kDirectScanPairs) index.emplace(la, lb, s, m_arena);
        const std::uint64_t budget = kSimilarityWorkBase + kSimilarityWorkPerChild * children;
        for (SimilarityCandidate& a : la) {
            if (index && index->Work() > budget) {
                ++m_report->cappedGroups;
                break;
            }
            const std::uint32_t j = index ? index->Choose(a) : scanForPartner(a, lb);
            if (j == NotFound) continue;
            SimilarityCandidate& b = lb[j];
            const bool byUnique = s.uniqueAttributes && OwnAttributesEqualNonEmpty(*a.element, *b.element);
            // Scoring may have left either side aligned to another candidate.
            if (!byUnique) ScoreCandidate(*a.groups, *b.groups, 0, m_arena);
            pushChildren(a.groups, b.groups, !byUnique);
            a.removed = true;
            b.removed = true;
        }
        if (m_options.CompareLevel != 3) return;

        // What is left pairs in order: the n-th leftover on one side with the
        // n-th on the other.
        std::vector<SimilarityCandidate*> ra, rb;
        for (SimilarityCandidate& a : la)
            if (!a.removed) ra.push_back(&a);
        for (SimilarityCandidate& b : lb)
            if (!b.removed) rb.push_back(&b);
        for (std::size_t k = 0; k < ra.size() && k < rb.size(); ++k) {
            pushChildren(ra[k]->groups, rb[k]->groups, false);
            ra[k]->removed = true;
            rb[k]->removed = true;
        }
    }

    // The old way, for a few candidates: score a against every one.
    std::uint32_t scanForPartner(const SimilarityCandidate& a, const std::vector<SimilarityCandidate>& lb) {
        const CompareSnapshot& s = m_snapshot;
        std::uint32_t best = 0, choice = NotFound;
        for (std::uint32_t j = 0; j < lb.size(); ++j) {
            const SimilarityCandidate& b = lb[j];
            if (b.removed) continue;
            const bool sameAttributes = OwnAttributesEqualNonEmpty(*a.element, *b.element);
            if (s.uniqueAttributes && sameAttributes) return j;
            const std::uint32_t score =
                ScoreCandidate(*a.groups, *b.groups, best, m_arena) + (sameAttributes ? 1u : 0u);
            if (score > best) {
                best = score;
                choice = j;
            }
        }
        return choice;
    }

    const Options& m_options;
    const CompareSnapshot& m_snapshot;
    CompareCounters& m_counters;
    const PairingProgress& m_progress;
    std::vector<Task> m_tasks;
    std::vector<Frame> m_frames;
    ScratchArena m_arena;
    bool m_mayShare = false;
    // Where inferred keys are counted; while sharing, each thread's own list,
    // with the chunk in which each key was first met.
    PairingReport* m_report = &pairingReport();
    ChunkLog* m_chunkLog = nullptr;
    std::size_t m_chunk = 0;
    // Tasks or pairs since the progress was last reported.
    static constexpr std::uint32_t kProgressStep = 65536;
    std::uint32_t m_sinceProgress = 0;
};

}  // namespace

void RecordPair(ElementRecord* first, ElementRecord* second) { recordPair(first, second, compareCounters()); }

namespace {

void recordPair(ElementRecord* first, ElementRecord* second, CompareCounters& c) {
    first->setPartner(second);
    second->setPartner(first);
    const CompareSnapshot& s = compareSnapshot();
    if (IsIdentical(*first, second, s)) {
        ++c.EqualPairs;
        return;
    }
    ++c.ChangedPairs;
    if (!OwnDataEqual(*first, second, s)) {
        ++c.OwnChangedPairs;
        first->diffFlags |= kChangedBelow;
        second->diffFlags |= kChangedBelow;
    }
}

}  // namespace

bool SimilarityAllowed(std::uint32_t nX, std::uint32_t nY, std::uint32_t matched) {
    const Options& o = options();
    const std::uint64_t uX = nX - matched, uY = nY - matched;
    // Sum and product in 64 bits: large groups must not wrap into "small".
    const bool small = uX + uY < o.PairSumLimit && uX * uY < o.PairProductLimit;
    switch (o.CompareLevel) {
        case 1:
            return small && (matched >= uX || matched >= uY);
        case 2:
            return small;
        case 3:
            return true;
        default:
            return false;
    }
}

std::uint32_t CountIdentical(ElementRecord** x, std::uint32_t nX, ElementRecord** y, std::uint32_t nY,
                             ScratchArena& arena) {
    if (nX > nY) {
        std::swap(x, y);
        std::swap(nX, nY);
    }
    if (nX == 0) return 0;
    const CompareSnapshot& s = compareSnapshot();
    const ScratchArena::Mark mark = arena.mark();
    ElementRecord** r = arena.allocate<ElementRecord*>(nY);
    std::uint32_t count = 0;
    auto take = [&](std::uint32_t i, std::uint32_t j) {
        r[i] = y[j];
        y[j] = nullptr;
        ++count;
    };
    if (nX < kIndexThreshold || nY < kIndexThreshold) {
        for (std::uint32_t i = 0; i < nX; ++i) {
            if (!x[i]) continue;
            const std::uint32_t j = scanIdentical(*x[i], y, nY, s);
            if (j != NotFound) take(i, j);
        }
    } else {
        WithElementIndex(y, nY, s, termsFor(x, nX, y, nY, s), [&](const HashIndex& index) {
            for (std::uint32_t i = 0; i < nX; ++i) {
                if (!x[i]) continue;
                const std::uint32_t j = index.Find(x[i]);
                if (j != NotFound) take(i, j);
            }
        });
    }
    if (count > 0) {
        std::uint32_t slot = 0;
        for (std::uint32_t j = 0; j < nY; ++j) {
            if (!y[j]) continue;
            while (r[slot]) ++slot;
            r[slot++] = y[j];
        }
        std::copy(r, r + nY, y);
    }
    arena.rewind(mark);
    return count;
}

std::uint32_t ScoreCandidate(const ChildGroups& ga, const ChildGroups& gb, std::uint32_t best, ScratchArena& arena) {
    const ElementRecord& a = *ga.element;
    const ElementRecord& b = *gb.element;
    if (ignored(&a) || ignored(&b)) return 0;
    std::uint32_t total = 0, seen = 0;
    forEachSharedGroup(ga, gb, [&](std::uint32_t k, std::uint32_t j) {
        total += CountIdentical(ga.groupStart[k], ga.groupSize(k), gb.groupStart[j], gb.groupSize(j), arena);
        seen += ga.groupSize(k);
        // Unsigned on purpose: with best above the child count nothing stops early.
        return std::uint32_t(seen - total) <= std::uint32_t(ChildCountOf(a) - best);
    });
    return total;
}

void PairElements(ElementRecord* first, ElementRecord* second, const PairingProgress& progress) {
    if (!first || !second) return;
    Pairing(options(), compareSnapshot(), compareCounters(), progress)
        .run(first, second, !progress && UsableProcessors() >= 2);
}

}  // namespace quillon
