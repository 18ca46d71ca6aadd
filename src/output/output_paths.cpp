// SPDX-License-Identifier: MIT
#include "output/output_paths.h"

#include <sys/stat.h>

#include <filesystem>

#include "platform/output_file.h"

namespace quillon {

bool SameFile(const std::string& first, const std::string& second) {
    // A link that does not lead to a file yet is the file it will create.
    const std::string a = FollowLinks(first), b = FollowLinks(second);
    struct stat sa {
    }, sb{};
    const bool hasA = ::stat(a.c_str(), &sa) == 0, hasB = ::stat(b.c_str(), &sb) == 0;
    if (hasA && hasB) return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    if (hasA != hasB) return false;
    std::error_code ec1, ec2;
    const auto pa = std::filesystem::weakly_canonical(std::filesystem::absolute(a, ec1), ec1);
    const auto pb = std::filesystem::weakly_canonical(std::filesystem::absolute(b, ec2), ec2);
    return ec1 || ec2 ? a == b : pa == pb;
}

std::string CheckOutputPaths(const std::vector<std::string>& outputs, const std::vector<std::string>& inputs) {
    const std::string stdOut = OutputFile::kStandardOutput;
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        const std::string& out = outputs[i];
        for (std::size_t j = 0; j < i; ++j) {
            if (out == stdOut && outputs[j] == stdOut) return "only one output can go to standard output ('-')";
            if (out != stdOut && SameFile(out, outputs[j])) return out + ": two outputs would be the same file";
        }
        if (out == stdOut) continue;
        for (const std::string& in : inputs)
            if (SameFile(out, in)) return out + ": the output would replace the input '" + in + "'";
    }
    return {};
}

}  // namespace quillon
