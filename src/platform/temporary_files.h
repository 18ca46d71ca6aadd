// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <string>

namespace quillon {

// The folder of the program's temporary files: a folder of this user's own
// inside the system's temporary folder, so that clearing it never touches
// another program's files.
std::filesystem::path TemporaryFolder();

// Creates the temporary folder when missing (readable by this user only) and
// checks that it is a real folder of this user's, not a link or a folder
// someone else put there first. False with a reason otherwise.
bool PrepareTemporaryFolder(std::string* error = nullptr);

// "temp%x%x.xml" in the temporary folder from the low and high halves of the
// current time in seconds; a second save within the same second gets
// "temp%x%x-N.xml" so that a file still open in a viewer is not replaced.
std::string MakeTempFileName();

// Deletes every "temp*.xml" file of the temporary folder (written for
// opening saved elements in another program); failures are ignored. Runs at
// start-up and at exit.
void RemoveTempFiles();

}  // namespace quillon
