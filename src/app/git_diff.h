// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

namespace quillon {

// The arguments git gives an external diff program: path, old file, old hex,
// old mode, new file, new hex, new mode, and for a rename the new path and a
// line about it. /dev/null stands for the side of an added or deleted file.
struct GitDiffArguments {
    std::string path;
    std::string oldFile;
    std::string newFile;
    std::string newPath;  // set for a rename
};

// True when the positional arguments have the shape git gives.
bool ParseGitDiffArguments(const std::vector<std::string>& files, GitDiffArguments& out);

// Prints the path as the title and the comparison under it. git takes any
// status but 0 for a crash of the diff program, so a pair that was compared
// gives 0 whether or not it differs; 2 when a side failed to load.
int RunGitDiff(const GitDiffArguments& git);

}  // namespace quillon
