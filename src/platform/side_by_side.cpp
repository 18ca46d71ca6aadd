// SPDX-License-Identifier: MIT
#include "platform/side_by_side.h"

#include <sched.h>

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
    std::thread other;
    if (worthIt && UsableProcessors() > 1) {
        try {
            other = StartWorkerThread(there);
        } catch (const std::system_error&) {
            // No thread to be had: one after the other.
        }
    }
    here();
    if (other.joinable())
        other.join();
    else
        there();
}

}  // namespace quillon
