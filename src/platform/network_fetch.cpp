// SPDX-License-Identifier: MIT
#include "platform/network_fetch.h"

#include <curl/curl.h>

#include <mutex>

namespace quillon {
namespace {

// A document larger than this is not taken from the network into memory.
constexpr std::size_t kMaxFetchBytes = std::size_t(1) << 31;

std::size_t append(char* data, std::size_t size, std::size_t count, void* user) {
    auto* body = static_cast<std::string*>(user);
    const std::size_t n = size * count;
    if (body->size() + n > kMaxFetchBytes) return 0;  // curl then fails the transfer
    body->append(data, n);
    return n;
}

}  // namespace

bool FetchAddress(std::string_view address, unsigned timeoutSeconds, std::string* body, std::string* error) {
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
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, long(timeoutSeconds));
    // "Less than one byte a second for the timeout" is a read timeout: a
    // slow but living server still gets through.
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, long(timeoutSeconds));
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, reason);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, append);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, body);
    const CURLcode code = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(curl);
    if (code == CURLE_OK) return true;
    body->clear();
    if (code == CURLE_HTTP_RETURNED_ERROR) {
        *error = "the server answered with HTTP status " + std::to_string(status);
    } else if (code == CURLE_OPERATION_TIMEDOUT) {
        *error = "no answer within " + std::to_string(timeoutSeconds) + " seconds";
    } else {
        *error = reason[0] ? reason : curl_easy_strerror(code);
    }
    *error = "'" + url + "' could not be fetched: " + *error;
    return false;
}

}  // namespace quillon
