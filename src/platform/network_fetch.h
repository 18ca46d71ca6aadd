// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace quillon {

// Fetches an http://, https:// or ftp:// address into memory. Waiting to
// connect, and waiting for the next data once connected, is bounded by
// timeoutSeconds each, so a server that accepts and never answers cannot hang
// a load. An HTTP error status is a failure: its page is not the document.
// On failure returns false and puts the reason in *error.
bool FetchAddress(std::string_view address, unsigned timeoutSeconds, std::string* body, std::string* error);

}  // namespace quillon
