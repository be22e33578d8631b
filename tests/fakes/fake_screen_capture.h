#pragma once

// A scripted screen for native tests, linked in place of the platform's screen capture.

#include "screenshot/picture.h"

#include <optional>

namespace weighlet::fake {

struct Screen {
    // Whether the window system reports a foreground window.
    bool hasForegroundWindow = true;
    // What capturing the foreground window gives; none for a capture that fails.
    std::optional<Picture> capture;
    int captures = 0;
};

Screen& screen();
void resetScreen();

} // namespace weighlet::fake
