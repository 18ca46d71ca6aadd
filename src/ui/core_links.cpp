// SPDX-License-Identifier: MIT
#include "ui/core_links.h"

#include "model/document_pane.h"
#include "model/element_record.h"
#include "model/name_table.h"
#include "output/entire_elements.h"
#include "rules/rule_hooks.h"
#include "rules/rule_list_files.h"

namespace quillon {

bool ShownAsKeyElement(const ElementRecord& record) {
    const ElementRecord* parent = ParentRecord(&record);
    return parent && IsKeyOf(record, *parent);
}

bool ShownAsEntireElement(const ElementRecord& record) {
    return IsEntireElement(record);
}

void LinkSettingsReaders() {
    static const bool linked = [] {
        RegisterRuleListReaders();
        RegisterEntireElementReader();
        return true;
    }();
    (void)linked;
}

}  // namespace quillon
