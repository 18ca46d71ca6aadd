// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "app/folder_walk.h"

namespace quillon {

struct FolderRun {
    FileFilter filter;
    bool verbose = false;  // each differing pair's differences under its line
    bool json = false;
    bool brief = false;     // only the files that are not identical, without counts
    bool progress = false;  // "[k/n] path" on stderr, k counting files
    bool quiet = false;     // only the exit status
};

// Compares every file the filter takes at the same relative path under the
// two folders, one pair after another with the options in force, and prints
// one entry per file and a summary. Returns 0 when every pair is identical and
// no file is alone, 1 otherwise, 2 when a file failed to load or a folder
// could not be read.
int CompareFolders(const std::string& left, const std::string& right, const FolderRun& run);

// Both arguments name folders.
bool AreFolders(const std::string& left, const std::string& right);

}  // namespace quillon
