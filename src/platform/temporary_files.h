// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>

namespace quillon {

// The folder of the program's temporary files: a folder of this user's own
// inside the system's temporary folder, so that clearing it never touches
// another program's files.
std::filesystem::path TemporaryFolder();

// Deletes every "temp*.xml" file in the temporary folder (written for
// viewing saved elements); failures are ignored.
void DeleteTemporaryFiles();

}  // namespace quillon
