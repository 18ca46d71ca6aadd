// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

namespace quillon {

// True when a and b name one file: the same device and inode when both
// exist, otherwise the same absolute path once the links along it are
// followed (two outputs that do not exist yet, or a link to an output that
// does not exist yet).
bool SameFile(const std::string& a, const std::string& b);

// Why this set of outputs must not be written, or empty when it may: an
// output that is one of the inputs (documents, settings and list files)
// would destroy it, two outputs that are one file would leave only the
// last, and standard output ("-") holds one document only. outputs are the
// paths that will be written (".xml" already added).
std::string CheckOutputPaths(const std::vector<std::string>& outputs, const std::vector<std::string>& inputs);

}  // namespace quillon
