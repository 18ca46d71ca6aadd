// SPDX-License-Identifier: MIT
#include "platform/interrupted_writes.h"

#include <gtest/gtest.h>
#include <signal.h>

namespace quillon {
namespace {

sigset_t CurrentMask() {
    sigset_t mask;
    ::pthread_sigmask(SIG_BLOCK, nullptr, &mask);
    return mask;
}

// A worker never takes the termination signals, so they reach the thread
// that holds them back while it makes a pending file; its starter's own
// mask is left as it was.
TEST(InterruptedWrites, WorkerThreadsLeaveTheTerminationSignalsToOthers) {
    const sigset_t before = CurrentMask();
    ASSERT_FALSE(sigismember(&before, SIGTERM));
    sigset_t seen;
    sigemptyset(&seen);
    StartWorkerThread([&seen] { seen = CurrentMask(); }).join();
    for (const int sig : {SIGINT, SIGTERM, SIGHUP}) EXPECT_TRUE(sigismember(&seen, sig)) << sig;
    const sigset_t after = CurrentMask();
    for (const int sig : {SIGINT, SIGTERM, SIGHUP}) EXPECT_FALSE(sigismember(&after, sig)) << sig;
}

}  // namespace
}  // namespace quillon
