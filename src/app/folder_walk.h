// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

namespace quillon {

// Which files of a folder tree take part. A pattern with a '/' matches the
// path relative to the folder, one without matches the file name; --exclude
// patterns also leave out whole folders.
struct FileFilter {
    std::vector<std::string> include;  // empty means "*.xml"
    std::vector<std::string> exclude;
    bool takesFile(const std::string& relative) const;
    bool takesFolder(const std::string& relative) const;
};

// The files under root that the filter takes, as sorted relative paths with
// '/' between parts. Symbolic links are followed, except one that leads back
// into a folder being walked (a loop), which is skipped with a note in
// problems, as is a folder that cannot be read.
struct FolderListing {
    std::vector<std::string> files;
    std::vector<std::string> problems;
    bool unreadable = false;  // some folder could not be read
};
FolderListing ListFiles(const std::string& root, const FileFilter& filter);

}  // namespace quillon
