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

std::u16string InferredKeyName(const InferredKeyUse& k) {
    if (!k.attribute.empty()) return k.element + u"@" + k.attribute;
    std::u16string out = k.element + u"/";
    for (std::size_t i = 0; i < k.children.size(); ++i) out += (i > 0 ? u"+" : u"") + k.children[i];
    return out;
}

std::u16string KeyRejectionText(KeyRejection reason) {
    return reason == KeyRejection::PositionLike ? u"position-like" : u"disagrees with content";
}

std::u16string PairingSummary(const PairingReport& r) {
    std::u16string out;
    if (!r.inferredKeys.empty()) {
        out = u"Inferred keys: ";
        for (std::size_t i = 0; i < r.inferredKeys.size(); ++i) {
            if (i > 0) out += u", ";
            out += InferredKeyName(r.inferredKeys[i]);
        }
    }
    if (!r.rejectedKeys.empty()) {
        if (!out.empty()) out += u"; ";
        out += u"not keys: ";
        for (std::size_t i = 0; i < r.rejectedKeys.size(); ++i) {
            if (i > 0) out += u", ";
            out += r.rejectedKeys[i].element + r.rejectedKeys[i].candidate + u" (" +
                   KeyRejectionText(r.rejectedKeys[i].reason) + u")";
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
