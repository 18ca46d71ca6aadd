// SPDX-License-Identifier: MIT
#include "platform/temporary_files.h"

#include <unistd.h>

#include <string>
#include <system_error>

namespace quillon {

std::filesystem::path TemporaryFolder() {
    std::error_code ec;
    std::filesystem::path base = std::filesystem::temp_directory_path(ec);
    if (ec) base = "/tmp";
    return base / ("quillon-" + std::to_string(::getuid()));
}

void DeleteTemporaryFiles() {
    std::error_code ec;
    const std::filesystem::path folder = TemporaryFolder();
    if (!std::filesystem::is_directory(folder, ec)) return;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        const bool matches =
            name.size() >= 8 && name.compare(0, 4, "temp") == 0 && name.compare(name.size() - 4, 4, ".xml") == 0;
        std::error_code fileError;
        if (matches && entry.is_regular_file(fileError)) std::filesystem::remove(entry.path(), fileError);
    }
}

}  // namespace quillon
