// SPDX-License-Identifier: MIT
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>

namespace quillon::test {

// A fresh folder of the test's own under TMPDIR (or `parent`), removed with
// everything in it when it goes. Not QTemporaryDir: Qt cannot remove names
// that are not UTF-8, and the tests make such names.
class TempFolder {
public:
    explicit TempFolder(const std::filesystem::path& parent = std::filesystem::temp_directory_path()) {
        std::string pattern = (parent / "quillon-test-XXXXXX").string();
        // A failure here fails the test that asked, with the reason.
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot make a folder like " + pattern);
        m_path = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    // The path of `name` (which may hold folders) in this folder.
    std::string at(std::string_view name) const { return (m_path / name).string(); }
    // Writes the file, making the folders on its way, and returns its path.
    std::string write(std::string_view name, std::string_view contents) const {
        const std::filesystem::path file = m_path / name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << contents;
        return file.string();
    }

private:
    std::filesystem::path m_path;
};

}  // namespace quillon::test
