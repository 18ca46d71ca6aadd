// SPDX-License-Identifier: MIT
#include "model/child_name_table.h"

#include <algorithm>
#include <vector>

#include "model/document_pane.h"

namespace quillon {

void SetChildNameTable(ElementRecord& record, const std::uint32_t* ids, const std::uint32_t* counts, std::uint32_t n) {
    if (n == 0 || !ids || !counts || !record.treePane()) {
        if (record.digest) record.digest->childNames = nullptr;
        return;
    }
    // One block: the number of names, their ids, then their counts.
    std::uint32_t* table = record.treePane()->numbers.allocate(2 * std::size_t(n) + 1);
    table[0] = n;
    std::copy_n(ids, n, table + 1);
    std::copy_n(counts, n, table + 1 + n);
    WritableSubtree(record).childNames = table + 1;
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
