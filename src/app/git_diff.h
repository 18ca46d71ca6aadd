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
    std::vector<std::string> all;  // as given, to hand on
};

// True when the positional arguments have the shape git gives.
bool ParseGitDiffArguments(const std::vector<std::string>& files, GitDiffArguments& out);

// Shows one file of a git diff: a header line, then for XML the listing of
// its differences and the closing line; for a binary file git's "Binary
// files ... differ"; for other text, or a version that does not load (after
// its one-line error), a unified text diff; then a blank line. Always 0: git
// takes any other status for a crash and stops showing the files that
// follow. color: "auto" (git's own decision for color.diff), "always" or
// "never".
int RunGitDiff(const GitDiffArguments& git, const std::string& color);

// git difftool runs git diff with GIT_EXTERNAL_DIFF set to its helper, and a
// diff driver of the attributes takes precedence over it: hands the arguments
// to that program when it is not this one. False when there is none.
bool HandOverToExternalDiff(const GitDiffArguments& git);

}  // namespace quillon
