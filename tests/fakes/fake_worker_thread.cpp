#include "tests/fakes/fake_worker_thread.h"

#include "scale/worker_thread.h"
#include "tests/fakes/call_log.h"

namespace weighlet::fake {

namespace {
Waits g_waits;
} // namespace

Waits& waits() {
    return g_waits;
}

void resetWaits() {
    g_waits = Waits{};
}

} // namespace weighlet::fake

namespace weighlet {

using fake::g_waits;

bool startWorkerThread(void (*body)()) {
    if (body == nullptr || g_waits.body != nullptr) {
        return false;
    }
    g_waits.body = body;
    g_waits.stop = false;
    ++g_waits.started;
    fake::logCall("start worker");
    return true;
}

void stopWorkerThread() {
    if (g_waits.body == nullptr) {
        return;
    }
    g_waits.body = nullptr;
    ++g_waits.stopped;
    fake::logCall("stop worker");
}

bool workerThreadRunning() {
    return g_waits.body != nullptr;
}

bool stopRequested() {
    return g_waits.stop;
}

bool pauseFor(std::chrono::milliseconds length) {
    if (g_waits.stop) {
        return false;
    }
    g_waits.pauses.push_back(length.count());
    g_waits.nowMs += length.count();
    fake::deliverDue();
    if (g_waits.beforeWake) {
        g_waits.beforeWake(length.count());
    }
    return !g_waits.stop;
}

bool waitUntil(const std::function<bool()>& ready) {
    if (g_waits.stop) {
        return false;
    }
    if (g_waits.handOver && !g_waits.handOver()) {
        g_waits.stop = true;
        return false;
    }
    return ready();
}

void notifyWorker() {}

} // namespace weighlet
