#include "scale/worker_thread.h"

#include "scale/fine_timer.h"

#include <windows.h>

#include <system_error>
#include <thread>

namespace weighlet {

namespace {

// Win32 events, so that a 200 ms pause is one kernel wait with the 1 ms timer, cut short
// by the stop at once.
struct Events {
    HANDLE stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);    // manual reset
    HANDLE notify = CreateEventW(nullptr, FALSE, FALSE, nullptr); // auto reset
    ~Events() {
        CloseHandle(stop);
        CloseHandle(notify);
    }
    Events() = default;
    Events(const Events&) = delete;
    Events& operator=(const Events&) = delete;
};

Events& events() {
    static Events e;
    return e;
}

std::thread g_worker;

} // namespace

bool startWorkerThread(void (*body)()) {
    if (body == nullptr || g_worker.joinable() || events().stop == nullptr ||
        events().notify == nullptr) {
        return false;
    }
    ResetEvent(events().stop);
    try {
        g_worker = std::thread(body);
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void stopWorkerThread() {
    if (!g_worker.joinable()) {
        return;
    }
    SetEvent(events().stop);
    g_worker.join();
    ResetEvent(events().stop);
}

bool workerThreadRunning() {
    return g_worker.joinable();
}

bool stopRequested() {
    return WaitForSingleObject(events().stop, 0) == WAIT_OBJECT_0;
}

bool pauseFor(std::chrono::milliseconds length) {
    const FineTimer fine;
    const auto ms = static_cast<DWORD>(length.count() < 0 ? 0 : length.count());
    return WaitForSingleObject(events().stop, ms) == WAIT_TIMEOUT;
}

bool waitUntil(const std::function<bool()>& ready) {
    const HANDLE both[2] = {events().stop, events().notify};
    for (;;) {
        if (stopRequested()) {
            return false;
        }
        if (ready()) {
            return true;
        }
        if (WaitForMultipleObjects(2, both, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) {
            return false;
        }
    }
}

void notifyWorker() {
    SetEvent(events().notify);
}

} // namespace weighlet
