// SPDX-License-Identifier: MIT
#include "compare/compare_state.h"

#include "settings/options.h"

namespace quillon {

CompareSnapshot& compareSnapshot() {
    static CompareSnapshot instance;
    return instance;
}

CompareCounters& compareCounters() {
    static CompareCounters instance;
    return instance;
}

void TakeCompareSnapshot(const Options& o) {
    CompareSnapshot& s = compareSnapshot();
    s.mode = ComparisonMode(o);
    s.ignoreAttributes = o.IgnoreAttributes != 0;
    s.ignoreValues = o.IgnoreValues != 0;
    s.uniqueAttributes = o.UniqueAttributes != 0;
}

void ResetCompareCounters() {
    compareCounters() = CompareCounters{};
}

}  // namespace quillon
