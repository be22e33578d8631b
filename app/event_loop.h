#pragma once

namespace weighlet {

// The UI thread's loop: each pass rewrites the clock field, waits for one event and acts
// on it, until a close request from any window. Returns the exit status, 0.
int runEventLoop();

// The port choice for drop-down item n: the old worker is stopped before the old port is
// closed, the new port opened and a new worker started, also after a failed open.
void choosePort(int port);
// Stops the worker, closes the port and the About window.
void shutDown();

// The item carrying the check mark, 0 before the first choice.
int currentPortItem();

inline constexpr const wchar_t* kClockMask = L"Дата: %dd/%mm/%yyyy   Время: %hh:%ii";

} // namespace weighlet
