// SPDX-License-Identifier: MIT
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "compare/compare_commands.h"
#include "compare/identity.h"
#include "model/document_pane.h"
#include "platform/notifier.h"
#include "platform/utf8.h"
#include "settings/options.h"
#include "support/load_xml.h"

namespace quillon::test {

// Two panes, fresh options, and the messages a comparison shows.
class CompareTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetOptions(options(), false);
        compareCommandState() = CompareCommandState{};
    }
    void TearDown() override {
        ClearPane(left);
        ClearPane(right);
        ResetOptions(options(), false);
    }

    void Load(std::string_view leftXml, std::string_view rightXml) {
        ASSERT_TRUE(LoadXml(left, leftXml).ok);
        ASSERT_TRUE(LoadXml(right, rightXml).ok);
    }

    // Runs Compare Files and returns the text of the "Result" message.
    std::string Compare() {
        notes.messages.clear();
        ScopedNotifier scoped(notes);
        CompareHost host;
        EXPECT_TRUE(CompareFiles(&left, &right, host));
        for (const auto& m : notes.messages)
            if (m.title == u"Result") return ToUtf8(m.text);
        return "(no result message)";
    }

    std::string Compare(std::string_view leftXml, std::string_view rightXml) {
        Load(leftXml, rightXml);
        return Compare();
    }

    void SetLevel(std::uint32_t level) {
        options().CompareLevel = level;
        ApplyCompareLevel(options());
    }

    const CompareCounters& counters() const { return compareCounters(); }

    // Every element in document order as name(text)=state.
    static std::string States(const DocumentPane& pane) {
        std::string out;
        const ElementRecord* end = EndOfDocumentRecord(pane);
        for (ElementRecord* r = RootRecord(pane); r && r != end; r = NextInDocumentOrder(r)) {
            if (!out.empty()) out += ' ';
            out += ToUtf8(r->name()->view());
            if (r->textLength()) out += "(" + ToUtf8(r->textUtf16()) + ")";
            out += "=" + std::to_string(CompareState(*r));
        }
        return out;
    }

    // The partner's text, "-" when unpaired.
    static std::string PartnerText(const ElementRecord* r) {
        if (!r || !r->partner()) return "-";
        return ToUtf8(r->partner()->textUtf16());
    }

    DocumentPane left, right;
    RecordingNotifier notes;
};

inline const char* kIdentical = "The two XML Documents are identical ! ";

// The result text for changes, as the "Result" box words it.
inline std::string Changed(int deleted, int changed, int ignored) {
    return std::to_string(deleted) + " element(s) were deleted\n" + std::to_string(changed) +
           " element(s) were changed\n" + std::to_string(ignored) +
           " element(s) were ignored\n\nYou may change comparison\u2019s options";
}

}  // namespace quillon::test
