// SPDX-License-Identifier: MIT
// Micro-benchmarks of what the comparison repeats most: the child-name
// indexes against the linear scans they replace, and the value hashes and
// normalisers that loading runs on every text and attribute.

#include <benchmark/benchmark.h>

#include <deque>
#include <string>
#include <vector>

#include "compare/date_parse.h"
#include "compare/hash_index.h"
#include "compare/value_normalize.h"
#include "model/hashes.h"
#include "model/name_table.h"

namespace {

using namespace quillon;

struct Group {
    explicit Group(std::uint32_t n, std::uint32_t salt) {
        const std::uint32_t name = nameTable().InternName(u"item", true)->index;
        for (std::uint32_t i = 0; i < n; ++i) {
            ElementRecord& r = store.emplace_back();
            r.nameIndex = name;
            r.textHash = (i * 2654435761u) ^ salt;
            r.attrHash = i * 40503u;
            r.textWeight = 5;
            pointers.push_back(&r);
        }
    }
    std::deque<ElementRecord> store;
    std::vector<ElementRecord*> pointers;
};

// Pairs each probe through the element index of the group, taking what it
// finds, as the comparison does.
void pairThroughIndex(benchmark::State& state, const Group& items, const std::vector<ElementRecord*>& probes) {
    const auto n = std::uint32_t(items.pointers.size());
    const CompareSnapshot s;
    for (auto _ : state) {
        std::vector<ElementRecord*> slots = items.pointers;
        std::uint32_t found = 0;
        WithElementIndex(slots.data(), n, s, DefaultKeyTerms(s), [&](const HashIndex& index) {
            for (ElementRecord* p : probes) {
                const std::uint32_t j = index.Find(p);
                if (j != NotFound) slots[j] = nullptr, ++found;
            }
        });
        benchmark::DoNotOptimize(found);
    }
    state.SetItemsProcessed(state.iterations() * n);
}

// Pairs two same-sized groups holding the same elements in reverse order.
void BM_ElementIndexPairing(benchmark::State& state) {
    Group items(std::uint32_t(state.range(0)), 0);
    pairThroughIndex(state, items, std::vector<ElementRecord*>(items.pointers.rbegin(), items.pointers.rend()));
}
BENCHMARK(BM_ElementIndexPairing)->Arg(11)->Arg(64)->Arg(255)->Arg(256)->Arg(4096)->Arg(65535)->Arg(262144);

// A group of identical siblings (empty rows, repeated <br/>): each probe takes
// the lowest untaken one. Items per second must not fall as the group grows.
void BM_IdenticalSiblingsPairing(benchmark::State& state) {
    Group items(std::uint32_t(state.range(0)), 0);
    for (ElementRecord* r : items.pointers) r->textHash = 7, r->attrHash = 0;
    pairThroughIndex(state, items, items.pointers);
}
BENCHMARK(BM_IdenticalSiblingsPairing)->Arg(255)->Arg(65535)->Arg(262144);

void BM_LinearScanPairing(benchmark::State& state) {
    const auto n = std::uint32_t(state.range(0));
    Group items(n, 0);
    std::vector<ElementRecord*> probes(items.pointers.rbegin(), items.pointers.rend());
    const CompareSnapshot s;
    for (auto _ : state) {
        std::vector<ElementRecord*> slots = items.pointers;
        std::uint32_t found = 0;
        for (ElementRecord* p : probes)
            for (std::uint32_t j = 0; j < n; ++j)
                if (slots[j] && IsIdentical(*slots[j], p, s)) {
                    slots[j] = nullptr, ++found;
                    break;
                }
        benchmark::DoNotOptimize(found);
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_LinearScanPairing)->Arg(10)->Arg(11)->Arg(64)->Arg(255)->Arg(4096);

void BM_NameIndex(benchmark::State& state) {
    const auto n = std::uint32_t(state.range(0));
    std::vector<std::uint32_t> ids(n);
    for (std::uint32_t i = 0; i < n; ++i) ids[i] = i * 257 + 3;
    for (auto _ : state) {
        std::uint32_t hits = 0;
        if (n < 256) {
            HashByteNameIndex index(ids.data(), n);
            for (std::uint32_t id : ids) hits += index.Find(id) != NotFound;
            index.Release();
        } else {
            HashWordNameIndex index(ids.data(), n);
            for (std::uint32_t id : ids) hits += index.Find(id) != NotFound;
            index.Release();
        }
        benchmark::DoNotOptimize(hits);
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_NameIndex)->Arg(11)->Arg(255)->Arg(2048);

const std::u16string kText = u"alpha bravo charlie delta echo foxtrot golf hotel";

void BM_Hash38(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(Hash38(kText));
    state.SetBytesProcessed(state.iterations() * std::int64_t(kText.size() * 2));
}
BENCHMARK(BM_Hash38);

void BM_ValueSignature(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(ValueSignature(kText));
    state.SetBytesProcessed(state.iterations() * std::int64_t(kText.size() * 2));
}
BENCHMARK(BM_ValueSignature);

void BM_NormalizeNumber(benchmark::State& state) {
    std::u16string out;
    for (auto _ : state) benchmark::DoNotOptimize(NormalizeNumberString(u"-1,234,567.250", -1, out));
}
BENCHMARK(BM_NormalizeNumber);

void BM_ParseDate(benchmark::State& state) {
    const std::u16string forms[] = {u"2003-01-02T10:30:00+02:00", u"1/2/2003 10:30 AM", u"Thu, 02 Jan 2003",
                                    kText};  // the last is what most text is: not a date
    double d = 0;
    for (auto _ : state)
        for (const auto& f : forms) benchmark::DoNotOptimize(ParseDateString(f, 0, d));
    state.SetItemsProcessed(state.iterations() * 4);
}
BENCHMARK(BM_ParseDate);

}  // namespace

BENCHMARK_MAIN();
