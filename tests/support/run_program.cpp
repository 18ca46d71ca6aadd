// SPDX-License-Identifier: MIT
#include "support/run_program.h"

#include <sys/wait.h>

#include <cstdio>

namespace quillon::test {

Outcome RunProgram(const std::string& program, const std::string& arguments) {
    Outcome r;
    const std::string command = program + " " + arguments + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return r;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) r.out.append(buffer, n);
    const int status = ::pclose(pipe);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

}  // namespace quillon::test
