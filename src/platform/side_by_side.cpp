// SPDX-License-Identifier: MIT
#include "platform/side_by_side.h"

#include <sched.h>

#include <exception>
#include <system_error>
#include <thread>

#include "platform/interrupted_writes.h"

namespace quillon {

unsigned UsableProcessors() {
    static const unsigned count = [] {
        cpu_set_t set;
        CPU_ZERO(&set);
        if (sched_getaffinity(0, sizeof set, &set) == 0) {
            const int n = CPU_COUNT(&set);
            if (n > 0) return unsigned(n);
        }
        const unsigned n = std::thread::hardware_concurrency();
        return n ? n : 1u;
    }();
    return count;
}

void RunSideBySide(bool worthIt, const std::function<void()>& here, const std::function<void()>& there) {
    std::exception_ptr thereFailed;
    std::thread other;
    if (worthIt && UsableProcessors() > 1) {
        try {
            other = StartWorkerThread([&] {
                try {
                    there();
                } catch (...) {
                    thereFailed = std::current_exception();
                }
            });
        } catch (const std::system_error&) {
            // No thread to be had: one after the other.
        }
    }
    if (!other.joinable()) {
        here();
        there();
        return;
    }
    // Whatever either side throws reaches the caller once both have ended;
    // a thread left running would end the process.
    try {
        here();
    } catch (...) {
        other.join();
        throw;
    }
    other.join();
    if (thereFailed) std::rethrow_exception(thereFailed);
}

}  // namespace quillon
