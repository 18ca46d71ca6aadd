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

// The loader's own tests hold every way an entity may name the secret; here
// one is enough to see what the program makes of the notice.
TEST(QuillonDiffEntities, SecretNeverAppearsAndTheStatusTellsNothing) {
    const std::string secret = WriteTempFile("TOPSECRET-41", ".txt");
    const std::string doc =
        WriteTempFile("<!DOCTYPE r [<!ENTITY x SYSTEM '" + secret.substr(secret.rfind('/') + 1) + "'>]><r>&x;</r>");
    const std::string right = WriteTempFile("<r>TOPSECRET-41</r>");
    const std::string wrong = WriteTempFile("<r>guess</r>");
    const std::string out = WriteTempFile("");
    for (const char* mode : {"--diff", "--merge"}) {
        const Outcome r = Diff(std::string(mode) + " " + out + " " + doc + " " + wrong);
        EXPECT_EQ(r.out.find("TOPSECRET"), std::string::npos) << r.out;
        EXPECT_EQ(ReadBytes(out).find("TOPSECRET"), std::string::npos) << ReadBytes(out);
        EXPECT_NE(r.out.find("External entities were not loaded"), std::string::npos) << r.out;
    }
    EXPECT_EQ(Diff("-q " + doc + " " + right).status, Diff("-q " + doc + " " + wrong).status);
}

}  // namespace
}  // namespace quillon::test
