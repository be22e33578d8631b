#pragma once

#include <chrono>
#include <functional>

namespace weighlet {

// The threads and waits facility: the one polling worker thread, and the waits the worker
// makes. The UI thread starts and stops the worker; a stop cuts every wait short at once,
// wherever the worker is. Tests link a fake with a scripted clock instead.

// Starts `body` on the worker thread. False when it cannot be started or one runs already.
bool startWorkerThread(void (*body)());
// Asks the running worker to stop and waits for its thread to end. Never waits for the
// UI thread, so it is safe to call from the UI thread whatever the worker is doing.
void stopWorkerThread();
bool workerThreadRunning();

// On the worker: whether it has been asked to stop.
bool stopRequested();
// Sleeps for `length` with the system timer at 1 ms resolution. True after the whole
// pause; false at once when the worker is stopped.
bool pauseFor(std::chrono::milliseconds length);
// Waits until `ready()` holds or the worker is stopped; true when ready. `ready` is checked
// under the facility's lock after every notifyWorker().
bool waitUntil(const std::function<bool()>& ready);
// From the UI thread: something a waitUntil() may be waiting for has happened.
void notifyWorker();

} // namespace weighlet
