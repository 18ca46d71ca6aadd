// SPDX-License-Identifier: MIT
#include "platform/temporary_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <system_error>

namespace quillon {

namespace {

bool isTempName(const std::string& name) {
    return name.size() >= 8 && name.compare(0, 4, "temp") == 0 && name.compare(name.size() - 4, 4, ".xml") == 0;
}

// Why the folder is not one to trust with our files (empty when it is): a
// link planted under our name must not redirect them, nor may a folder
// someone else made first.
const char* untrustedFolder(const std::string& folder, struct stat& st) {
    // lstat, not stat: a link is refused, not followed.
    if (::lstat(folder.c_str(), &st) != 0) return std::strerror(errno);
    if (!S_ISDIR(st.st_mode)) return "not a folder";
    if (st.st_uid != ::getuid()) return "the folder belongs to another user";
    return nullptr;
}

}  // namespace

std::filesystem::path TemporaryFolder() {
    std::error_code ec;
    std::filesystem::path base = std::filesystem::temp_directory_path(ec);
    if (ec || base.empty()) base = "/tmp";
    return base / ("quillon-" + std::to_string(::getuid()));
}

bool PrepareTemporaryFolder(std::string* error) {
    const std::string folder = TemporaryFolder().string();
    auto fail = [&](const char* why) {
        if (error) *error = folder + ": " + why;
        return false;
    };
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return fail(std::strerror(errno));
    struct stat st {};
    if (const char* why = untrustedFolder(folder, st)) return fail(why);
    if ((st.st_mode & 0077) != 0 && ::chmod(folder.c_str(), 0700) != 0) return fail(std::strerror(errno));
    return true;
}

std::string MakeTempFileName() {
    const std::uint64_t now = std::uint64_t(std::time(nullptr));
    const unsigned low = unsigned(now & 0xFFFFFFFFu), high = unsigned(now >> 32);
    const std::filesystem::path folder = TemporaryFolder();
    char name[64];
    std::snprintf(name, sizeof name, "temp%x%x.xml", low, high);
    std::filesystem::path path = folder / name;
    std::error_code ec;
    for (unsigned n = 1; std::filesystem::exists(path, ec) && n < 1000; ++n) {
        std::snprintf(name, sizeof name, "temp%x%x-%u.xml", low, high, n);
        path = folder / name;
    }
    return path.string();
}

void RemoveTempFiles() {
    std::error_code ec;
    const std::filesystem::path folder = TemporaryFolder();
    struct stat st {};
    if (untrustedFolder(folder.string(), st)) return;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        std::error_code fileError;
        if (isTempName(entry.path().filename().string()) && entry.is_regular_file(fileError))
            std::filesystem::remove(entry.path(), fileError);
    }
}

}  // namespace quillon
