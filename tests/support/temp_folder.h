// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace quillon::test {

// A fresh folder of the test's own under TMPDIR (or `parent`), removed with
// everything in it when it goes. Not QTemporaryDir: Qt cannot remove names
// that are not UTF-8, and the tests make such names.
class TempFolder {
public:
    explicit TempFolder(const std::filesystem::path& parent = std::filesystem::temp_directory_path());
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    // The path of `name` (which may hold folders) in this folder.
    std::string at(std::string_view name) const { return (m_path / name).string(); }
    // Writes the file, making the folders on its way, and returns its path.
    std::string write(std::string_view name, std::string_view contents) const;

private:
    std::filesystem::path m_path;
};

}  // namespace quillon::test
