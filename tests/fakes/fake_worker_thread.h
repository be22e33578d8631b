#pragma once

// A fake of the threads and waits facility: pauses advance a fake clock at once, and a
// test can stop the "worker" at a chosen wait. Worker bodies are not run on a thread:
// startWorkerThread only records the start, and tests call the body themselves.

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace weighlet::fake {

struct Waits {
    long long nowMs = 0;
    bool stop = false;
    int started = 0;
    int stopped = 0;
    void (*body)() = nullptr;
    std::vector<long long> pauses;             // lengths, in order
    std::function<void(long long)> beforeWake; // called inside each pause, clock advanced
    // Called at the start of each waitUntil(); return false to simulate a stop while the
    // worker waits for the UI thread.
    std::function<bool()> handOver;
};

Waits& waits();
void resetWaits();
// Delivers scheduled bytes whose time has come (used by the fake serial line).
void deliverDue();

} // namespace weighlet::fake
