#include "scale/worker_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

namespace weighlet {
namespace {

using namespace std::chrono_literals;

std::atomic<int> g_phase{0};
std::atomic<bool> g_result{true};
std::atomic<bool> g_flag{false};

void pauseForAnHour() {
    g_phase = 1;
    g_result = pauseFor(1h);
    g_phase = 2;
}

void waitForAFlagNeverSet() {
    g_phase = 1;
    g_result = waitUntil([] { return false; });
    g_phase = 2;
}

void waitForTheFlag() {
    g_result = waitUntil([] { return g_flag.load(); });
    g_phase = 2;
    // Stay until stopped, as a worker does.
    while (pauseFor(1h)) {
    }
}

void waitUntilStarted() {
    while (g_phase.load() == 0) {
        std::this_thread::yield();
    }
}

// These would hang, not fail, if a stop did not cut the wait short; ctest's time-out
// reports that.
TEST(WorkerThread, StopCutsAPauseShort) {
    g_phase = 0;
    ASSERT_TRUE(startWorkerThread(pauseForAnHour));
    EXPECT_FALSE(startWorkerThread(pauseForAnHour)) << "only one worker at a time";
    waitUntilStarted();
    stopWorkerThread();
    EXPECT_FALSE(workerThreadRunning());
    EXPECT_EQ(g_phase.load(), 2);
    EXPECT_FALSE(g_result.load());
}

TEST(WorkerThread, StopCutsAHandOverShortWithoutTheOtherSide) {
    g_phase = 0;
    ASSERT_TRUE(startWorkerThread(waitForAFlagNeverSet));
    waitUntilStarted();
    stopWorkerThread();
    EXPECT_EQ(g_phase.load(), 2);
    EXPECT_FALSE(g_result.load());
}

TEST(WorkerThread, HandOverEndsWhenNotified) {
    g_phase = 0;
    g_flag = false;
    g_result = false;
    ASSERT_TRUE(startWorkerThread(waitForTheFlag));
    g_flag = true;
    notifyWorker();
    while (g_phase.load() != 2) {
        std::this_thread::yield();
    }
    EXPECT_TRUE(g_result.load());
    stopWorkerThread();
}

TEST(WorkerThread, PausesRunToTheEndWhenNotStoppedAndAfterARestart) {
    EXPECT_TRUE(pauseFor(1ms));
    g_phase = 0;
    ASSERT_TRUE(startWorkerThread(pauseForAnHour));
    waitUntilStarted();
    stopWorkerThread();
    stopWorkerThread(); // a second stop with no worker does nothing
    EXPECT_TRUE(pauseFor(1ms)) << "the stop does not outlive its worker";
    EXPECT_FALSE(stopRequested());
}

} // namespace
} // namespace weighlet
