// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace quillon::test {

// What a program run from a shell gave back.
struct Outcome {
    int status = -1;
    std::string out;  // stdout and stderr together
};

// Runs program with the (shell-quoted by the caller) arguments and collects
// its output and exit status; status -1 when it could not run or was killed.
Outcome RunProgram(const std::string& program, const std::string& arguments);

}  // namespace quillon::test
