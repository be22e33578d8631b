#pragma once

#include "screenshot/picture.h"

#include <cstdint>
#include <optional>

namespace weighlet {

// The screen-capture facility. One implementation per platform (screen_capture_win32.cpp);
// the native tests link a fake. Called on the UI thread.

// A top-level window of the window system, or kNoWindow.
using WindowRef = std::uintptr_t;
inline constexpr WindowRef kNoWindow = 0;

// The window in the foreground, or kNoWindow when the window system reports none.
WindowRef foregroundWindow();

// The screen pixels inside the window's outer rectangle in screen coordinates (frame and
// title bar included), as they are at this moment: windows lying over it are in the
// picture, the mouse pointer is not. Where the rectangle reaches beyond the screen the
// picture is black. No picture for kNoWindow, a window that no longer exists, a rectangle
// of zero (or negative) width or height, one wider or higher than kMaxPictureSide, or when
// the system cannot copy the pixels. Never throws.
std::optional<Picture> captureWindow(WindowRef window);

} // namespace weighlet
