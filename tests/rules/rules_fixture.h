// SPDX-License-Identifier: MIT
#pragma once

#include "compare/compare_fixture.h"
#include "rules/ignore_rules.h"
#include "rules/key_elements.h"
#include "rules/rule_hooks.h"
#include "rules/rule_list_files.h"

namespace quillon::test {

// Two panes and fresh options as for comparisons, with no rules and no keys
// before and after each test. Rules are given as list-file values.
class RulesTest : public CompareTest {
protected:
    void SetUp() override {
        CompareTest::SetUp();
        ResetIgnoreRules();
        ResetKeys();
        RegisterRuleListReaders();
    }
    void TearDown() override {
        CompareTest::TearDown();
        ResetIgnoreRules();
        ResetKeys();
    }

    static void Rule(std::string_view line) { ReadIgnoreElementLine(U(line)); }
    static void Condition(std::string_view line) { ReadConditionLine(U(line)); }

    // The text of the element's first child, "-" for an unpaired element.
    static std::string PartnerKey(const ElementRecord* r) {
        if (!r || !r->partner()) return "-";
        const ElementRecord* c = FirstChildRecord(r->partner());
        return c ? ToUtf8(c->textUtf16()) : "";
    }
};

}  // namespace quillon::test
