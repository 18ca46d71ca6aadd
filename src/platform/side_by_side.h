// SPDX-License-Identifier: MIT
#pragma once

#include <functional>

namespace quillon {

// Runs here and there at the same time, `there` on a second thread, when
// `worthIt` holds, the process may run on more than one processor and a
// thread can be had; otherwise one after the other. The two must be safe to
// run concurrently. On a single processor a second thread only adds
// switching, so the walks stay serial there. What either throws is thrown
// here once both have ended; what `here` throws comes first.
void RunSideBySide(bool worthIt, const std::function<void()>& here, const std::function<void()>& there);

// Processors this process may run on (its affinity), at least 1.
unsigned UsableProcessors();

}  // namespace quillon
