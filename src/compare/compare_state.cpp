// SPDX-License-Identifier: MIT
#include "compare/compare_state.h"

#include "model/document_pane.h"
#include "model/mode_hashes.h"
#include "platform/side_by_side.h"
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

PairingReport& pairingReport() {
    static PairingReport instance;
    return instance;
}

std::u16string PairingSummary(const PairingReport& r) {
    std::u16string out;
    if (!r.inferredKeys.empty()) {
        out = u"Inferred keys: ";
        for (std::size_t i = 0; i < r.inferredKeys.size(); ++i) {
            if (i > 0) out += u", ";
            out += r.inferredKeys[i].element + u"@" + r.inferredKeys[i].attribute;
        }
    }
    if (r.cappedGroups > 0) {
        if (!out.empty()) out += u"; ";
        const std::string n = std::to_string(r.cappedGroups);
        out += u"similarity pairing limited in " + std::u16string(n.begin(), n.end()) + u" group(s)";
    }
    return out;
}

void TakeCompareSnapshot(const Options& o) {
    CompareSnapshot& s = compareSnapshot();
    s.mode = ComparisonMode(o);
    s.ignoreAttributes = o.IgnoreAttributes != 0;
    s.ignoreValues = o.IgnoreValues != 0;
    s.uniqueAttributes = o.UniqueAttributes != 0;
}

void UseSnapshotMode(DocumentPane& left, DocumentPane& right) {
    const unsigned mode = compareSnapshot().mode;
    RunSideBySide(left.hashMode != mode && right.hashMode != mode, [&] { SwitchHashMode(left, mode); },
                  [&] { SwitchHashMode(right, mode); });
}

void ResetCompareCounters() {
    compareCounters() = CompareCounters{};
    pairingReport() = PairingReport{};
}

}  // namespace quillon
