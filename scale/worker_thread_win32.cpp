#include "scale/worker_thread.h"

#include "scale/fine_timer.h"

#include <windows.h>

namespace weighlet {

namespace {

// Win32 events, so that a 200 ms pause is one kernel wait with the 1 ms timer, cut short
// by the stop at once.
struct Events {
    HANDLE stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);    // manual reset
    HANDLE notify = CreateEventW(nullptr, FALSE, FALSE, nullptr); // auto reset
    Events() = default;
    ~Events() {
        CloseHandle(stop);
        CloseHandle(notify);
    }
    Events(const Events&) = delete;
    Events& operator=(const Events&) = delete;
};

Events& events() {
    static Events e;
    return e;
}

HANDLE g_worker = nullptr;
void (*g_body)() = nullptr;

DWORD WINAPI runBody(void*) {
    g_body();
    return 0;
}

} // namespace

bool startWorkerThread(void (*body)()) {
    if (body == nullptr || g_worker != nullptr || events().stop == nullptr ||
        events().notify == nullptr) {
        return false;
    }
    ResetEvent(events().stop);
    g_body = body;
    g_worker = CreateThread(nullptr, 0, runBody, nullptr, 0, nullptr);
    return g_worker != nullptr;
}

void stopWorkerThread() {
    if (g_worker == nullptr) {
        return;
    }
    SetEvent(events().stop);
    // Every wait of the worker ends on the stop event; a write to the port that the line
    // holds up (flow control left on by another program) is cancelled.
    constexpr DWORD kGrace = 20;
    while (WaitForSingleObject(g_worker, kGrace) == WAIT_TIMEOUT) {
        CancelSynchronousIo(g_worker);
    }
    CloseHandle(g_worker);
    g_worker = nullptr;
    ResetEvent(events().stop);
}

bool workerThreadRunning() {
    return g_worker != nullptr;
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
