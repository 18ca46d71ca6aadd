// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillon {

// The local path a file:// address names (file:///tmp/a%20b.xml or
// file://localhost/tmp/...), its %XX escapes decoded: what the address
// reads is that file, with all a path's checks. nullopt for anything that
// is no file:// address; an empty path for one that names no local file
// (another host, a relative or malformed path, an escaped NUL).
std::optional<std::string> LocalPathOfFileAddress(std::string_view address);

}  // namespace quillon
