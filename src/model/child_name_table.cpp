// SPDX-License-Identifier: MIT
#include "model/child_name_table.h"

#include <algorithm>
#include <vector>

#include "model/document_pane.h"

namespace quillon {

namespace {

// Slots of the pane's table cache: enough for the shapes of a document's
// common elements, little enough to cost nothing on a small one.
constexpr std::size_t kRecentTables = 4096;

std::size_t contentHash(const std::uint32_t* ids, const std::uint32_t* counts, std::uint32_t n) {
    std::uint64_t h = n;
    for (std::uint32_t k = 0; k < n; ++k) h = (h ^ ids[k]) * 0x100000001b3ull + counts[k];
    return std::size_t(h ^ (h >> 29)) % kRecentTables;
}

}  // namespace

void SetChildNameTable(ElementRecord& record, const std::uint32_t* ids, const std::uint32_t* counts, std::uint32_t n) {
    DocumentPane* pane = record.treePane();
    if (n == 0 || !ids || !counts || !pane) {
        if (SubtreeDigest* d = record.ownDigest()) d->childNames = nullptr;
        return;
    }
    // Tables are never written once stored (CountChildName stores a new one),
    // so elements with the same child names and counts can share one.
    if (pane->recentTables.empty()) pane->recentTables.assign(kRecentTables, nullptr);
    const std::uint32_t*& recent = pane->recentTables[contentHash(ids, counts, n)];
    if (!recent || recent[-1] != n || !std::equal(ids, ids + n, recent) || !std::equal(counts, counts + n, recent + n)) {
        // One block: the number of names, their ids, then their counts.
        std::uint32_t* table = pane->numbers.allocate(2 * std::size_t(n) + 1);
        table[0] = n;
        std::copy_n(ids, n, table + 1);
        std::copy_n(counts, n, table + 1 + n);
        recent = table + 1;
    }
    WritableSubtree(record).childNames = recent;
}

std::uint32_t FindChildName(const ElementRecord& record, std::uint32_t nameId) {
    const std::uint32_t n = record.distinctChildNameCount();
    return std::uint32_t(std::find(record.childNameIds(), record.childNameIds() + n, nameId) - record.childNameIds());
}

bool CountChildName(ElementRecord& record, std::uint32_t nameId) {
    const std::uint32_t n = record.distinctChildNameCount();
    const std::uint32_t k = FindChildName(record, nameId);
    if (k == n && n >= kChildNameCapacity) return false;
    std::vector<std::uint32_t> ids(record.childNameIds(), record.childNameIds() + n);
    std::vector<std::uint32_t> counts(record.childNameCounts(), record.childNameCounts() + n);
    if (k < n) {
        ++counts[k];
    } else {
        ids.push_back(nameId);
        counts.push_back(1);
    }
    SetChildNameTable(record, ids.data(), counts.data(), std::uint32_t(ids.size()));
    return true;
}

}  // namespace quillon
