// SPDX-License-Identifier: MIT
#pragma once

#include <fstream>
#include <string>

#include "compare/compare_fixture.h"
#include "output/difference_documents.h"
#include "output/entire_elements.h"
#include "output/save_document.h"
#include "output/xml_writer.h"

namespace quillon::test {

// Two panes plus saving into a fresh temporary file.
class OutputTest : public CompareTest {
protected:
    void SetUp() override {
        CompareTest::SetUp();
        entireElements().clear();
        path = WriteTempFile("", ".xml");
    }
    void TearDown() override {
        entireElements().clear();
        CompareTest::TearDown();
    }

    // Saves with the command from the element and returns the file's bytes.
    std::string Save(const ElementRecord* element, std::uint32_t command = kSaveElementCommand,
                     const DoctypeInfo* doctype = nullptr) {
        EXPECT_NE(element, nullptr);
        if (!element) return {};
        SaveResult r = SaveXml(path, command, *element, doctype, options());
        EXPECT_TRUE(r.written) << ToUtf8(r.error);
        return ReadBytes(path);
    }
    std::string SaveRoot(DocumentPane& pane, std::uint32_t command = kSaveElementCommand) {
        return Save(RootRecord(pane), command);
    }

    void Utf8Crlf() {
        options().Encoding = kEncodingUtf8;
        options().EncodingString = u"UTF-8";
        options().EndOfLine = 1;
    }

    std::string path;
};

}  // namespace quillon::test
