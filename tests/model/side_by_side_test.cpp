// SPDX-License-Identifier: MIT
// Two pieces of work at once: what either throws reaches the caller, after
// both have ended, instead of ending the process with a thread still running.

#include "platform/side_by_side.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

namespace quillon {
namespace {

TEST(SideBySide, WhatEitherSideThrowsReachesTheCallerOnceBothEnded) {
    if (UsableProcessors() < 2) GTEST_SKIP() << "one processor: the two run one after the other";
    std::atomic<bool> hereRan{false};
    EXPECT_THROW(RunSideBySide(
                     true, [&] { hereRan = true; }, [] { throw std::runtime_error("there"); }),
                 std::runtime_error);
    EXPECT_TRUE(hereRan);

    std::atomic<bool> thereEnded{false};
    try {
        RunSideBySide(
            true, [] { throw std::logic_error("here"); },
            [&] {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                thereEnded = true;
            });
        ADD_FAILURE() << "nothing was thrown";
    } catch (const std::logic_error&) {
        EXPECT_TRUE(thereEnded);
    }

    // Both fail: the caller's own side comes first.
    EXPECT_THROW(RunSideBySide(
                     true, [] { throw std::logic_error("here"); }, [] { throw std::runtime_error("there"); }),
                 std::logic_error);
}

}  // namespace
}  // namespace quillon
