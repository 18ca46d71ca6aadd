// SPDX-License-Identifier: MIT
#include "app/folder_walk.h"

#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <utility>

namespace quillon {
namespace {

bool matches(const std::string& pattern, const std::string& relative) {
    const bool wholePath = pattern.find('/') != std::string::npos;
    const std::size_t slash = relative.rfind('/');
    const std::string name = slash == std::string::npos ? relative : relative.substr(slash + 1);
    return fnmatch(pattern.c_str(), (wholePath ? relative : name).c_str(), wholePath ? FNM_PATHNAME : 0) == 0;
}

bool anyMatches(const std::vector<std::string>& patterns, const std::string& relative) {
    return std::any_of(patterns.begin(), patterns.end(), [&](const std::string& p) { return matches(p, relative); });
}

struct Walker {
    const FileFilter& filter;
    FolderListing& out;
    // The folders from the root down to the one being read, by identity, so
    // that a link back up is seen however it is spelled.
    std::vector<std::pair<dev_t, ino_t>> chain;

    void walk(const std::string& folder, const std::string& relative) {
        std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
        if (!dir) {
            out.problems.push_back(folder + ": " + std::strerror(errno));
            out.unreadable = true;
            return;
        }
        std::vector<std::string> names;
        while (const dirent* entry = ::readdir(dir.get())) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        dir.reset();
        std::sort(names.begin(), names.end());
        for (const std::string& name : names) {
            const std::string path = folder + "/" + name;
            const std::string rel = relative.empty() ? name : relative + "/" + name;
            struct stat st {};
            if (::stat(path.c_str(), &st) != 0) continue;  // a dangling link: nothing to compare
            if (S_ISDIR(st.st_mode)) {
                if (!filter.takesFolder(rel)) continue;
                const std::pair<dev_t, ino_t> id{st.st_dev, st.st_ino};
                if (std::find(chain.begin(), chain.end(), id) != chain.end()) {
                    out.problems.push_back(path + ": skipped, it links back to a folder above it");
                    continue;
                }
                chain.push_back(id);
                walk(path, rel);
                chain.pop_back();
            } else if (S_ISREG(st.st_mode) && filter.takesFile(rel)) {
                out.files.push_back(rel);
            }
        }
    }
};

}  // namespace

bool FileFilter::takesFile(const std::string& relative) const {
    static const std::vector<std::string> xmlOnly{"*.xml"};
    return anyMatches(include.empty() ? xmlOnly : include, relative) && !anyMatches(exclude, relative);
}

bool FileFilter::takesFolder(const std::string& relative) const {
    return !anyMatches(exclude, relative);
}

FolderListing ListFiles(const std::string& root, const FileFilter& filter) {
    FolderListing out;
    Walker walker{filter, out, {}};
    struct stat st {};
    if (::stat(root.c_str(), &st) == 0) walker.chain.emplace_back(st.st_dev, st.st_ino);
    walker.walk(root, "");
    // Folder by folder order is not the order of the whole paths ("a/x" and "a.b").
    std::sort(out.files.begin(), out.files.end());
    return out;
}

}  // namespace quillon
