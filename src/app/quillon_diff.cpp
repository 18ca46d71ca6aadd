// SPDX-License-Identifier: MIT
// quillon-diff: loads XML documents through the core, for scripts and CI.

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "load/doctype_info.h"
#include "load/load_document.h"
#include "load/xml_parser.h"
#include "model/document_pane.h"
#include "model/name_table.h"
#include "platform/utf8.h"
#include "settings/options.h"

namespace {

constexpr int kExitTrouble = 2;

const char* const kUsage =
    "Usage: quillon-diff [options] LEFT [RIGHT [SETTINGS]]\n"
    "\n"
    "Loads one or two XML documents (paths, file:// or http:// / ftp:// addresses).\n"
    "\n"
    "Options:\n"
    "  --stats       print element counts, distinct element names and load times\n"
    "  --progress    show loading progress on stderr\n"
    "  -h, --help    show this help\n"
    "\n"
    "Exit status: 0 success, 2 trouble (a document failed to load, bad arguments).\n";

struct Arguments {
    bool stats = false;
    bool progress = false;
    std::vector<std::string> files;
};

bool parseArguments(int argc, char** argv, Arguments& args, std::string& error) {
    bool onlyFiles = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (!onlyFiles && a == "--") {
            onlyFiles = true;
        } else if (!onlyFiles && a == "--stats") {
            args.stats = true;
        } else if (!onlyFiles && a == "--progress") {
            args.progress = true;
        } else if (!onlyFiles && a.size() > 1 && a[0] == '-') {
            error = "unknown option '" + a + "'";
            return false;
        } else {
            args.files.push_back(a);
        }
    }
    if (args.files.empty()) {
        error = "no document given";
        return false;
    }
    if (args.files.size() > 3) {
        error = "too many arguments";
        return false;
    }
    return true;
}

bool isAddress(const std::string& s) {
    return s.rfind("http://", 0) == 0 || s.rfind("ftp://", 0) == 0 || s.rfind("file://", 0) == 0;
}

// Catches the cases the parser words poorly before it sees them.
bool checkLocalFile(const std::string& path, std::string& error) {
    if (isAddress(path)) return true;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        error = std::strerror(errno);
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        error = "is a directory";
        return false;
    }
    return true;
}

std::uint64_t fileSize(const std::string& path) {
    struct stat st {};
    return (!isAddress(path) && ::stat(path.c_str(), &st) == 0) ? std::uint64_t(st.st_size) : 0;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace quillon;
    Arguments args;
    std::string error;
    if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (!parseArguments(argc, argv, args, error)) {
        std::fprintf(stderr, "quillon-diff: %s\n\n%s", error.c_str(), kUsage);
        return kExitTrouble;
    }
    const std::size_t documents = args.files.size() >= 2 ? 2 : 1;
    for (std::size_t i = 0; i < documents; ++i) {
        if (!checkLocalFile(args.files[i], error)) {
            std::fprintf(stderr, "quillon-diff: %s: %s\n", args.files[i].c_str(), error.c_str());
            return kExitTrouble;
        }
    }

    ResetOptions(options(), false);
    XmlParser parser;
    DocumentPane panes[2];
    DoctypeInfo doctypes[2];
    for (std::size_t i = 0; i < documents; ++i) {
        const std::string& file = args.files[i];
        const std::uint64_t size = fileSize(file);
        std::function<bool(std::uint64_t)> progress;
        if (args.progress) {
            progress = [&file, size](std::uint64_t chars) {
                if (size) std::fprintf(stderr, "\rLoading %s: %3u%%", file.c_str(), unsigned(std::min<std::uint64_t>(99, chars * 100 / size)));
                return true;
            };
        }
        const LoadResult r = LoadDocument(parser, panes[i], doctypes[i], FromUtf8(file), progress);
        if (args.progress) std::fprintf(stderr, "\r%*s\r", int(file.size() + 16), "");
        if (!r.ok) {
            std::fprintf(stderr, "quillon-diff: %s: %s\n", file.c_str(), ToUtf8(r.message).c_str());
            return kExitTrouble;
        }
        if (args.stats)
            std::printf("%s: %u elements, loaded in %.3f s\n", file.c_str(), r.elementCount, r.seconds);
    }
    if (args.stats) std::printf("distinct element names: %zu\n", nameTable().distinctIdCount() - 1);
    return 0;
}
