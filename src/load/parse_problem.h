// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

namespace quillon {

enum class ProblemKind { Warning, Error, FatalError };

// One warning, error or fatal error the parser reported.
struct ParseProblem {
    ProblemKind kind = ProblemKind::Error;
    std::u16string message;
    std::u16string systemId;
    std::uint64_t line = 0;
    std::uint64_t column = 0;
};

}  // namespace quillon
