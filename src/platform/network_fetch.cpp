// SPDX-License-Identifier: MIT
#include "platform/network_fetch.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstdint>
#include <mutex>

namespace quillon {
namespace {

struct Received {
    std::string* body;
    std::uint64_t maxBytes;
    bool tooLarge = false;
};

std::size_t append(char* data, std::size_t size, std::size_t count, void* user) {
    auto* received = static_cast<Received*>(user);
    const std::size_t n = size * count;
    if (received->body->size() + n > received->maxBytes) {
        received->tooLarge = true;
        return 0;  // curl then fails the transfer
    }
    received->body->append(data, n);
    return n;
}

std::string megabytes(std::uint64_t bytes) { return std::to_string((bytes + (1 << 20) - 1) >> 20) + " MB"; }

}  // namespace

bool FetchAddress(std::string_view address, unsigned timeoutSeconds, std::uint64_t maxBytes, std::string* body,
                  std::string* error) {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    if (timeoutSeconds == 0) timeoutSeconds = 30;
    CURL* curl = curl_easy_init();
    if (!curl) {
        *error = "the network library could not start";
        return false;
    }
    const std::string url(address);
    char reason[CURL_ERROR_SIZE] = {};
    body->clear();
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https,ftp");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https,ftp");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    // A deadline for the whole transfer: a server that trickles a few bytes
    // a second would pass any test of speed over a while.
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, long(timeoutSeconds));
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, long(timeoutSeconds));
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, reason);
    Received received{body, maxBytes};
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, append);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &received);
    const CURLcode code = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(curl);
    if (code == CURLE_OK) return true;
    body->clear();
    if (code == CURLE_HTTP_RETURNED_ERROR) {
        *error = "the server answered with HTTP status " + std::to_string(status);
    } else if (received.tooLarge) {
        *error = "it is larger than " + megabytes(maxBytes);
    } else if (code == CURLE_OPERATION_TIMEDOUT) {
        *error = "no complete answer within " + std::to_string(timeoutSeconds) +
                 " seconds (the NetworkTimeout option, --network-timeout)";
    } else {
        *error = reason[0] ? reason : curl_easy_strerror(code);
    }
    *error = "'" + url + "' could not be fetched: " + *error;
    return false;
}

}  // namespace quillon
