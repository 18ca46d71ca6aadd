// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quillon {

// The most a document taken from the network may hold: it is kept in
// memory while it loads. A larger one is better downloaded and loaded as a file.
constexpr std::uint64_t kMaxNetworkDocumentBytes = std::uint64_t(512) << 20;

// Fetches an http://, https:// or ftp:// address into memory. The whole
// transfer, connecting included, must end within timeoutSeconds, so a server
// that never answers, or answers a few bytes a second, cannot hang a load;
// and at most maxBytes are taken. An HTTP error status is a failure: its
// page is not the document. On failure returns false and puts the reason,
// which names the address, in *error.
bool FetchAddress(std::string_view address, unsigned timeoutSeconds, std::uint64_t maxBytes, std::string* body,
                  std::string* error);

}  // namespace quillon
