// SPDX-License-Identifier: MIT
// The temporary files of "open after save": their names, their one folder,
// and the clean-up at start-up and exit.
#include "platform/temporary_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <string>

#include "support/temp_folder.h"

namespace quillon::test {
namespace {

namespace fs = std::filesystem;

void touch(const fs::path& p) {
    std::ofstream(p) << "x";
}

// Points the system's temporary folder at a fresh folder for each test.
class TemporaryFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* old = std::getenv("TMPDIR");
        m_oldTmp = old ? std::optional<std::string>(old) : std::nullopt;
        ::setenv("TMPDIR", m_system.c_str(), 1);
    }
    void TearDown() override {
        if (m_oldTmp)
            ::setenv("TMPDIR", m_oldTmp->c_str(), 1);
        else
            ::unsetenv("TMPDIR");
    }
    const TempFolder m_folder;
    const fs::path m_system = m_folder.path();

private:
    std::optional<std::string> m_oldTmp;
};

TEST_F(TemporaryFilesTest, NamesCarryTheTimeAndDifferWithinOneSecond) {
    ASSERT_TRUE(PrepareTemporaryFolder());
    const std::time_t before = std::time(nullptr);
    const fs::path first = MakeTempFileName();
    EXPECT_EQ(first.parent_path(), TemporaryFolder());
    std::smatch m;
    const std::string name = first.filename().string();
    ASSERT_TRUE(std::regex_match(name, m, std::regex("temp([0-9a-f]+)0\\.xml"))) << name;
    const unsigned long stamp = std::stoul(m[1].str(), nullptr, 16);
    EXPECT_GE(stamp, static_cast<unsigned long>(before));
    EXPECT_LE(stamp, static_cast<unsigned long>(std::time(nullptr)));
    // Once the first exists, a save in the same second gets a name of its own.
    touch(first);
    const fs::path second = MakeTempFileName();
    EXPECT_NE(second, first);
    EXPECT_TRUE(std::regex_match(second.filename().string(), std::regex("temp[0-9a-f]+0(-1)?\\.xml")))
        << second.filename();
}

TEST_F(TemporaryFilesTest, TheFolderIsOurOwnPrivateFolderAndNoLink) {
    EXPECT_EQ(TemporaryFolder().parent_path(), m_system);
    // An existing folder open to others is closed again.
    fs::create_directory(TemporaryFolder());
    ::chmod(TemporaryFolder().c_str(), 0777);
    ASSERT_TRUE(PrepareTemporaryFolder());
    struct stat st {};
    ASSERT_EQ(::lstat(TemporaryFolder().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    fs::remove(TemporaryFolder());

    const fs::path elsewhere = m_system / "elsewhere";
    fs::create_directory(elsewhere);
    fs::create_directory_symlink(elsewhere, TemporaryFolder());
    std::string why;
    EXPECT_FALSE(PrepareTemporaryFolder(&why));
    EXPECT_NE(why.find("not a folder"), std::string::npos) << why;
    // Nor does the clean-up follow it.
    touch(elsewhere / "temp1.xml");
    RemoveTempFiles();
    EXPECT_TRUE(fs::exists(elsewhere / "temp1.xml"));
}

// The clean-up trusts the folder no more than the preparation does.
TEST_F(TemporaryFilesTest, CleanUpLeavesAFolderOfAnotherUserAlone) {
    fs::create_directory(TemporaryFolder());
    touch(TemporaryFolder() / "temp1.xml");
    if (::chown(TemporaryFolder().c_str(), ::getuid() + 1, ::getgid()) != 0)
        GTEST_SKIP() << "only root can give the folder away";
    std::string why;
    EXPECT_FALSE(PrepareTemporaryFolder(&why));
    EXPECT_NE(why.find("another user"), std::string::npos) << why;
    RemoveTempFiles();
    EXPECT_TRUE(fs::exists(TemporaryFolder() / "temp1.xml"));
}

TEST_F(TemporaryFilesTest, CleanUpRemovesOnlyOurTempFiles) {
    ASSERT_TRUE(PrepareTemporaryFolder());
    const fs::path own = TemporaryFolder();
    const char *ours[] = {"temp1.xml", "tempabc0.xml", "temp5f-2.xml"},
               *others[] = {"temp.txt", "mytemp1.xml", "temp1.xml.bak", "notes.xml"};
    for (const char* n : ours) touch(own / n);
    for (const char* n : others) touch(own / n);
    fs::create_directory(own / "tempdir.xml");
    // Another program's file of the same pattern in the system's folder stays.
    touch(m_system / "temp42.xml");
    RemoveTempFiles();
    for (const char* n : ours) EXPECT_FALSE(fs::exists(own / n)) << n;
    for (const char* n : others) EXPECT_TRUE(fs::exists(own / n)) << n;
    EXPECT_TRUE(fs::is_directory(own / "tempdir.xml"));
    EXPECT_TRUE(fs::exists(m_system / "temp42.xml"));
    // Without the folder there is nothing to do.
    fs::remove_all(own);
    RemoveTempFiles();
    EXPECT_FALSE(fs::exists(own));
}

}  // namespace
}  // namespace quillon::test
