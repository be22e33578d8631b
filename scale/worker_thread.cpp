#include "scale/worker_thread.h"

#include "scale/fine_timer.h"

#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

namespace weighlet {

namespace {

std::mutex g_mutex;
std::condition_variable g_wake;
bool g_stop = false;
std::thread g_worker;

} // namespace

bool startWorkerThread(void (*body)()) {
    if (body == nullptr || g_worker.joinable()) {
        return false;
    }
    {
        std::lock_guard lock(g_mutex);
        g_stop = false;
    }
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
    {
        std::lock_guard lock(g_mutex);
        g_stop = true;
    }
    g_wake.notify_all();
    g_worker.join();
    std::lock_guard lock(g_mutex);
    g_stop = false;
}

bool workerThreadRunning() {
    return g_worker.joinable();
}

bool stopRequested() {
    std::lock_guard lock(g_mutex);
    return g_stop;
}

bool pauseFor(std::chrono::milliseconds length) {
    const FineTimer fine;
    std::unique_lock lock(g_mutex);
    return !g_wake.wait_for(lock, length, [] { return g_stop; });
}

bool waitUntil(const std::function<bool()>& ready) {
    std::unique_lock lock(g_mutex);
    g_wake.wait(lock, [&] { return g_stop || ready(); });
    return !g_stop;
}

void notifyWorker() {
    { std::lock_guard lock(g_mutex); }
    g_wake.notify_all();
}

} // namespace weighlet
