// SPDX-License-Identifier: MIT
#include "platform/file_address.h"

namespace quillon {
namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<std::string> LocalPathOfFileAddress(std::string_view address) {
    constexpr std::string_view kScheme = "file://", kLocalhost = "localhost";
    if (!address.starts_with(kScheme)) return std::nullopt;
    address.remove_prefix(kScheme.size());
    if (address.starts_with(kLocalhost)) address.remove_prefix(kLocalhost.size());
    if (!address.starts_with('/')) return std::string();
    std::string path;
    path.reserve(address.size());
    for (std::size_t i = 0; i < address.size(); ++i) {
        if (address[i] != '%') {
            path.push_back(address[i]);
            continue;
        }
        const int high = i + 2 < address.size() ? hexValue(address[i + 1]) : -1;
        const int low = high >= 0 ? hexValue(address[i + 2]) : -1;
        if (low < 0) return std::string();
        const char c = char(high * 16 + low);
        if (c == '\0') return std::string();  // would cut the path short
        path.push_back(c);
        i += 2;
    }
    return path;
}

}  // namespace quillon
