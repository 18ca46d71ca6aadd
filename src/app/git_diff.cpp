// SPDX-License-Identifier: MIT
#include "app/git_diff.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "app/document_pair.h"
#include "platform/terminal_text.h"

namespace quillon {
namespace {

// "." stands for an absent side.
bool isHex(const std::string& s) {
    return s == "." ||
           (s.size() >= 4 && std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isxdigit(c); }));
}

bool isMode(const std::string& s) {
    return s == "." || (s.size() == 6 && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '7'; }));
}

bool absent(const std::string& file) {
    return file == "/dev/null";
}

}  // namespace

bool ParseGitDiffArguments(const std::vector<std::string>& files, GitDiffArguments& out) {
    if (files.size() != 7 && files.size() != 9) return false;
    if (!isHex(files[2]) || !isMode(files[3]) || !isHex(files[5]) || !isMode(files[6])) return false;
    out = {files[0], files[1], files[4], files.size() == 9 ? files[7] : std::string()};
    return true;
}

int RunGitDiff(const GitDiffArguments& git) {
    const std::string title =
        TerminalText(git.newPath.empty() || git.newPath == git.path ? git.path : git.path + " -> " + git.newPath);
    if (absent(git.oldFile) || absent(git.newFile)) {
        std::printf("%s: %s\n", title.c_str(), absent(git.oldFile) ? "added" : "deleted");
        return 0;
    }
    PairComparer comparer;
    const PairOutcome r = comparer.compare(git.oldFile, git.newFile);
    if (r.kind == PairOutcome::Kind::Failed) {
        // git's temporary copy of the old side means nothing to the reader.
        const char* side = r.failedPath == git.oldFile ? "old version" : "new version";
        std::fprintf(stderr, "quillon-diff: %s (%s): %s\n", title.c_str(), side, TerminalText(r.failure).c_str());
        return 2;
    }
    std::printf("%s\n%s\n", title.c_str(), r.listing.c_str());
    return 0;
}

}  // namespace quillon
