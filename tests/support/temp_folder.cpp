// SPDX-License-Identifier: MIT
#include "support/temp_folder.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace quillon::test {

namespace fs = std::filesystem;

TempFolder::TempFolder(const fs::path& parent) {
    std::string pattern = (parent / "quillon-test-XXXXXX").string();
    // A failure here fails the test that asked, with the reason.
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot make a folder like " + pattern);
    m_path = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
}

std::string TempFolder::write(std::string_view name, std::string_view contents) const {
    const fs::path file = m_path / name;
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << contents;
    return file.string();
}

}  // namespace quillon::test
