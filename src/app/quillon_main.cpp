// SPDX-License-Identifier: MIT
#include <sys/stat.h>

#include <QApplication>
#include <cstdio>
#include <cstring>

#include "platform/terminal_text.h"
#include "platform/utf8.h"
#include "ui/application.h"

namespace {

bool isFolder(const char* path) {
    struct stat st {};
    return ::stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

// Answers what needs no window, before Qt looks for a display: --help and
// --version from a terminal or a script, and folders, which the window cannot
// show. Returns the exit status, or -1 to start the window.
int answerOnConsole(int argc, char** argv) {
    if (argc < 2) return -1;
    if (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")) {
        std::fputs(
            "Usage: quillon [LEFT [RIGHT [SETTINGS]]]\n"
            "\n"
            "Opens the Quillon window and compares the XML documents LEFT and RIGHT\n"
            "side by side. SETTINGS is a Quillon settings file read at start-up.\n"
            "Without arguments the window opens empty.\n"
            "\n"
            "  -h, --help     show this help\n"
            "      --version  print the version\n"
            "\n"
            "Folders of XML files are compared on the console: quillon-diff DIR1 DIR2.\n",
            stdout);
        return 0;
    }
    if (!std::strcmp(argv[1], "--version")) {
        std::puts("quillon " QUILLON_VERSION);
        return 0;
    }
    for (int i = 1; i < argc && i <= 2; ++i) {
        if (!isFolder(argv[i])) continue;
        std::fprintf(stderr,
                     "quillon: %s is a folder; the window compares two XML documents.\n"
                     "Folders are compared by quillon-diff: quillon-diff %s %s\n",
                     quillon::TerminalText(argv[i]).c_str(), argc > 2 ? quillon::TerminalText(argv[1]).c_str() : "DIR1",
                     argc > 2 ? quillon::TerminalText(argv[2]).c_str() : "DIR2");
        return 2;
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (const int status = answerOnConsole(argc, argv); status >= 0) return status;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillon"));
    QApplication::setOrganizationName(QStringLiteral("Morvane"));
    // Qt decodes the arguments as UTF-8 and replaces what is not; a file
    // name is bytes, so the remaining arguments are taken as they are.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments.push_back(QString::fromStdU16String(quillon::FileNameFromBytes(argv[i])));
    return quillon::RunApplication(arguments);
}
