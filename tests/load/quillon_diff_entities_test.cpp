// SPDX-License-Identifier: MIT
// quillon-diff on documents whose entities name a local secret: the secret
// never reaches any output, and the exit status does not tell a right guess
// of it from a wrong one.
#include <gtest/gtest.h>

#include <string>

#include "support/load_xml.h"
#include "support/run_program.h"

namespace quillon::test {
namespace {

Outcome Diff(const std::string& arguments) { return RunProgram(QUILLON_DIFF, arguments); }

TEST(QuillonDiffEntities, SecretNeverAppearsAndTheStatusTellsNothing) {
    const std::string secret = WriteTempFile("TOPSECRET-41", ".txt");
    const std::string name = secret.substr(secret.rfind('/') + 1);
    const std::string docs[] = {
        WriteTempFile("<!DOCTYPE r [<!ENTITY x SYSTEM 'file://" + secret + "'>]><r>&x;</r>"),
        WriteTempFile("<!DOCTYPE r [<!ENTITY x SYSTEM '" + name + "'>]><r>&x;</r>"),
        WriteTempFile("<!DOCTYPE r [<!ENTITY % p SYSTEM '" + name + "'> %p;]><r>&#38;x;</r>"),
    };
    const std::string right = WriteTempFile("<r>TOPSECRET-41</r>");
    const std::string wrong = WriteTempFile("<r>guess</r>");
    const std::string out = WriteTempFile("");
    for (const std::string& doc : docs) {
        for (const char* mode : {"--diff", "--merge"}) {
            const Outcome r = Diff(std::string(mode) + " " + out + " " + doc + " " + wrong);
            EXPECT_EQ(r.out.find("TOPSECRET"), std::string::npos) << r.out;
            EXPECT_EQ(ReadBytes(out).find("TOPSECRET"), std::string::npos) << ReadBytes(out);
            EXPECT_NE(r.out.find("External entities were not loaded"), std::string::npos) << r.out;
        }
        EXPECT_EQ(Diff("-q " + doc + " " + right).status, Diff("-q " + doc + " " + wrong).status) << doc;
    }
    // The document itself still loads and compares as written.
    EXPECT_EQ(Diff("-q " + docs[0] + " " + docs[1]).status, 0);
}

}  // namespace
}  // namespace quillon::test
