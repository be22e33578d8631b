// Times takeScreenshot() on the real main window under the window system it runs on: the
// program's own start-up builds the window, then the command runs twenty times into a
// fresh "Screenshots" folder in the current directory. Prints figures; asserts nothing.
#include "app/startup.h"
#include "screenshot/screenshot.h"
#include "ui/toolkit.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

int main() {
    weighlet::startUp();
    // Let the window paint before it is captured.
    const auto settle = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
    MSG msg;
    while (std::chrono::steady_clock::now() < settle) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&msg);
        }
        Sleep(10);
    }
    SetForegroundWindow(FindWindowW(nullptr, L"Weighlet"));

    std::vector<double> ms;
    for (int i = 0; i < 20; ++i) {
        const auto start = std::chrono::steady_clock::now();
        weighlet::takeScreenshot();
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::sort(ms.begin(), ms.end());

    long long bytes = 0;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(L"Screenshots\\*.png", &found);
    if (search != INVALID_HANDLE_VALUE) {
        bytes = (static_cast<long long>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
        FindClose(search);
    }
    RECT r{};
    GetWindowRect(FindWindowW(nullptr, L"Weighlet"), &r);
    std::printf("takeScreenshot of the main window (%ldx%ld): median %.1f ms, best %.1f ms, "
                "worst %.1f ms; file %lld bytes\n",
                r.right - r.left, r.bottom - r.top, ms[ms.size() / 2], ms.front(), ms.back(),
                bytes);
    return 0;
}
