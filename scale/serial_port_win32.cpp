#include "scale/serial_port.h"

#include "common/win32_owner.h"
#include "scale/worker_thread.h"

#include <windows.h>

#include <string>

namespace weighlet {

namespace {

using win32::UniqueHandle;

constexpr DWORD kQueueSize = 255;
constexpr DWORD kWriteTimeoutConstant = 10;
constexpr DWORD kWriteTimeoutPerByte = 100;
// Between looks at the input queue while a reply is still arriving.
constexpr std::chrono::milliseconds kReadPoll{1};

UniqueHandle g_port;

bool applyScaleSettings(HANDLE port) {
    SetupComm(port, kQueueSize, kQueueSize); // a refused queue size is ignored

    DCB dcb{};
    dcb.DCBlength = sizeof(dcb);
    if (!GetCommState(port, &dcb)) {
        return false;
    }
    dcb.BaudRate = CBR_9600;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    if (!SetCommState(port, &dcb)) {
        return false;
    }

    // Reads take only what the input queue holds and return at once; readBytes does its
    // own bounded wait, so that a stop of the worker can cut it short.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = 0;
    timeouts.WriteTotalTimeoutMultiplier = kWriteTimeoutPerByte;
    timeouts.WriteTotalTimeoutConstant = kWriteTimeoutConstant;
    SetCommTimeouts(port, &timeouts); // a refused time-out is ignored
    return true;
}

std::size_t queuedBytes(HANDLE port) {
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(port, &errors, &status)) {
        return 0;
    }
    return status.cbInQue;
}

} // namespace

bool openPort(std::wstring_view name) {
    closePort();
    const std::wstring path = L"\\\\.\\" + std::wstring(name);
    UniqueHandle port(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    if (!port.valid() || !applyScaleSettings(port.get())) {
        return false;
    }
    g_port = std::move(port);
    return true;
}

bool isPortOpen() {
    return g_port.valid();
}

void closePort() {
    g_port.reset();
}

std::size_t writeBytes(const std::uint8_t* bytes, std::size_t count) {
    if (!g_port.valid() || count == 0) {
        return 0;
    }
    DWORD written = 0;
    if (!WriteFile(g_port.get(), bytes, static_cast<DWORD>(count), &written, nullptr)) {
        return 0;
    }
    return written;
}

std::size_t bytesWaiting() {
    if (!g_port.valid()) {
        return 0;
    }
    return queuedBytes(g_port.get());
}

std::size_t readBytes(std::uint8_t* buffer, std::size_t count) {
    if (!g_port.valid() || count == 0) {
        return 0;
    }
    const auto deadline = std::chrono::steady_clock::now() + kReadBound;
    std::size_t total = 0;
    for (;;) {
        // Read only what is queued already, so the read itself never blocks.
        const std::size_t queued = queuedBytes(g_port.get());
        const std::size_t take = queued < count - total ? queued : count - total;
        DWORD got = 0;
        if (take > 0 &&
            !ReadFile(g_port.get(), buffer + total, static_cast<DWORD>(take), &got, nullptr)) {
            return total;
        }
        total += got;
        if (total == count || std::chrono::steady_clock::now() >= deadline) {
            return total;
        }
        if (got == 0 && !pauseFor(kReadPoll)) {
            return total;
        }
    }
}

} // namespace weighlet
