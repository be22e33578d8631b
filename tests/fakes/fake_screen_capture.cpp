#include "tests/fakes/fake_screen_capture.h"

#include "screenshot/screen_capture.h"

namespace weighlet::fake {

namespace {
Screen g_screen;
constexpr WindowRef kForeground = 0x1234;
} // namespace

Screen& screen() {
    return g_screen;
}

void resetScreen() {
    g_screen = Screen{};
}

} // namespace weighlet::fake

namespace weighlet {

WindowRef foregroundWindow() {
    return fake::g_screen.hasForegroundWindow ? fake::kForeground : kNoWindow;
}

std::optional<Picture> captureWindow(WindowRef window) {
    ++fake::g_screen.captures;
    if (window != fake::kForeground) {
        return std::nullopt;
    }
    return fake::g_screen.capture;
}

} // namespace weighlet
