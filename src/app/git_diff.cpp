// SPDX-License-Identifier: MIT
#include "app/git_diff.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string_view>

#include "app/document_pair.h"
#include "platform/terminal_text.h"

namespace quillon {
namespace {

constexpr const char* kBold = "\x1b[1m";
constexpr const char* kReset = "\x1b[0m";
constexpr const char* kHandedOver = "QUILLON_DIFF_HANDED_OVER";

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

// The first bytes of a file, as git looks at them to tell binary from text.
std::string head(const std::string& file) {
    std::string bytes(8000, '\0');
    std::ifstream in(file, std::ios::binary);
    in.read(bytes.data(), std::streamsize(bytes.size()));
    bytes.resize(std::size_t(in.gcount()));
    return bytes;
}

bool binary(const std::string& bytes) {
    // UTF-16 text holds NULs too; its byte order mark says what it is.
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) return false;
    return bytes.find('\0') != std::string::npos;
}

// Text that an XML parser could take: markup first, after a byte order mark
// and white space. Anything else (a README, a script) gets a text diff.
bool looksLikeXml(const std::string& bytes) {
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) return true;
    std::size_t i = bytes.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    while (i < bytes.size() && std::isspace(static_cast<unsigned char>(bytes[i]))) ++i;
    return i < bytes.size() && bytes[i] == '<';
}

// git's own colour decision for diffs, which `git -c color.ui=always`,
// color.diff and the pager settings reach through git's environment.
bool gitWantsColor() {
    const bool terminal = ::isatty(STDOUT_FILENO) || std::getenv("GIT_PAGER_IN_USE");
    const std::string command =
        std::string("git config --get-colorbool color.diff ") + (terminal ? "true" : "false") + " 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return terminal;
    char answer[16] = {};
    const bool read = std::fgets(answer, sizeof answer, pipe) != nullptr;
    const int status = ::pclose(pipe);
    if (!read || status != 0) return terminal;
    return std::string_view(answer).starts_with("true");
}

// Runs a program with its arguments on our standard output; false when it
// could not run.
bool run(const std::vector<std::string>& arguments) {
    std::fflush(stdout);
    const pid_t pid = ::fork();
    if (pid < 0) return false;
    if (pid == 0) {
        std::vector<char*> argv;
        for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) != 127;
}

// A unified text diff of the two versions under git's names for them.
void textDiff(const GitDiffArguments& git, const std::string& oldName, const std::string& newName, bool color) {
    if (!run({"diff", "-u", color ? "--color=always" : "--color=never", "--label", oldName, "--label", newName,
              git.oldFile, git.newFile}))
        std::printf("Files %s and %s differ\n", oldName.c_str(), newName.c_str());
}

std::string realPath(const std::string& path) {
    char buffer[PATH_MAX];
    return ::realpath(path.c_str(), buffer) ? std::string(buffer) : std::string();
}

// The program a command of one word names, through PATH as the shell finds it.
std::string programOf(const std::string& command) {
    if (command.find('/') != std::string::npos) return realPath(command);
    const char* path = std::getenv("PATH");
    std::string_view dirs = path ? path : "";
    while (!dirs.empty()) {
        const std::size_t colon = dirs.find(':');
        const std::string dir(dirs.substr(0, colon));
        dirs = colon == std::string_view::npos ? std::string_view() : dirs.substr(colon + 1);
        const std::string candidate = (dir.empty() ? "." : dir) + "/" + command;
        if (::access(candidate.c_str(), X_OK) == 0) return realPath(candidate);
    }
    return {};
}

}  // namespace

bool ParseGitDiffArguments(const std::vector<std::string>& files, GitDiffArguments& out) {
    if (files.size() != 7 && files.size() != 9) return false;
    if (!isHex(files[2]) || !isMode(files[3]) || !isHex(files[5]) || !isMode(files[6])) return false;
    out = {files[0], files[1], files[4], files.size() == 9 ? files[7] : std::string(), files};
    return true;
}

bool HandOverToExternalDiff(const GitDiffArguments& git) {
    const char* external = std::getenv("GIT_EXTERNAL_DIFF");
    // Once only: a program that runs this one again (a wrapper script) gets
    // the comparison, not another hand-over.
    if (!external || !*external || std::getenv(kHandedOver)) return false;
    const std::string command = external;
    // This program named as the external diff is no one else to hand over to.
    const std::string first = command.substr(0, command.find_first_of(" \t"));
    if (programOf(first) == realPath("/proc/self/exe")) return false;
    ::setenv(kHandedOver, "1", 1);
    // As git runs it: through the shell, the arguments after the command.
    std::vector<std::string> arguments = {"/bin/sh", "-c", command + " \"$@\"", command};
    arguments.insert(arguments.end(), git.all.begin(), git.all.end());
    std::fflush(stdout);
    std::vector<char*> argv;
    for (std::string& a : arguments) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    return false;
}

int RunGitDiff(const GitDiffArguments& git, const std::string& color) {
    const bool colored = color == "always" || (color == "auto" && !std::getenv("NO_COLOR") && gitWantsColor());
    const std::string newPath = git.newPath.empty() ? git.path : git.newPath;
    const std::string oldName = absent(git.oldFile) ? "/dev/null" : "a/" + git.path;
    const std::string newName = absent(git.newFile) ? "/dev/null" : "b/" + newPath;
    std::printf("%squillon-diff %s %s%s\n", colored ? kBold : "", TerminalText(oldName).c_str(),
                TerminalText(newName).c_str(), colored ? kReset : "");
    const auto done = [] {
        std::printf("\n");
        std::fflush(stdout);
        return 0;
    };
    if (absent(git.oldFile) || absent(git.newFile)) {
        std::printf("%s\n", absent(git.oldFile) ? "new file" : "deleted file");
        return done();
    }
    const std::string heads[2] = {head(git.oldFile), head(git.newFile)};
    if (binary(heads[0]) || binary(heads[1])) {
        std::printf("Binary files %s and %s differ\n", TerminalText(oldName).c_str(), TerminalText(newName).c_str());
        return done();
    }
    if (!looksLikeXml(heads[0]) || !looksLikeXml(heads[1])) {
        textDiff(git, oldName, newName, colored);
        return done();
    }
    PairComparer comparer;
    PairReportRequest request;
    request.style.color = colored;
    const PairOutcome r = comparer.compare(git.oldFile, git.newFile, request);
    if (r.kind == PairOutcome::Kind::Failed) {
        // git's temporary copy of the old side means nothing to the reader.
        const char* side = r.failedPath == git.oldFile ? "old version" : "new version";
        std::printf("%s (%s): %s\n", TerminalText(git.path).c_str(), side, TerminalText(r.failure).c_str());
        textDiff(git, oldName, newName, colored);
        return done();
    }
    std::printf("%s\n", r.listing.c_str());
    return done();
}

}  // namespace quillon
