// SPDX-License-Identifier: MIT
#include "model/mode_hashes.h"

#include "model/document_pane.h"
#include "model/element_record.h"

namespace quillon {
namespace {

void takeMode(ElementRecord& r, const ModeHashes& h, unsigned mode) {
    r.attrHash = h.attr[mode];
    r.textHash = h.text[mode];
    r.attrHash16 = h.attr16[mode];
    r.textHash16 = h.text16[mode];
}

}  // namespace

void SetModeHashes(ElementRecord& record, const ModeHashes& hashes, bool keep) {
    DocumentPane* pane = record.treePane();
    takeMode(record, hashes, pane ? pane->hashMode : 0);
    if (!pane) return;
    if (keep)
        pane->keptHashes[&record] = hashes;
    else if (!pane->keptHashes.empty())
        pane->keptHashes.erase(&record);
}

ModeHashes AllModeHashes(const ElementRecord& record) {
    const DocumentPane* pane = record.treePane();
    if (pane) {
        if (const auto it = pane->keptHashes.find(&record); it != pane->keptHashes.end()) return it->second;
        if (pane->refold) return pane->refold(record);
    }
    ModeHashes h;
    h.attr.fill(record.attrHash);
    h.text.fill(record.textHash);
    h.attr16.fill(record.attrHash16);
    h.text16.fill(record.textHash16);
    return h;
}

void SwitchHashMode(DocumentPane& pane, unsigned mode) {
    if (pane.hashMode == mode) return;
    for (TreeItem it = pane.tree.Root(); it; it = pane.tree.NextInOrder(it)) {
        if (ElementRecord* r = pane.record(it)) takeMode(*r, AllModeHashes(*r), mode);
    }
    pane.hashMode = mode;
}

}  // namespace quillon
