#include "screenshot/screen_capture.h"

#include "common/win32_owner.h"

#include <windows.h>

#include <cstring>
#include <new>

namespace weighlet {

namespace {

using win32::ScreenDc;
using Bitmap = win32::GdiObject<HBITMAP>;

class MemoryDc : public win32::MemoryDc {
public:
    explicit MemoryDc(HDC compatibleWith) : win32::MemoryDc(CreateCompatibleDC(compatibleWith)) {}
};

// Selects an object into a device context while it lives, then puts the previous one back.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~Selection() {
        if (selected()) {
            SelectObject(dc_, previous_);
        }
    }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;
    bool selected() const { return previous_ != nullptr && previous_ != HGDI_ERROR; }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

} // namespace

WindowRef foregroundWindow() {
    return reinterpret_cast<WindowRef>(GetForegroundWindow());
}

// A rectangle of zero or negative width or height (a window sized to nothing, or one that
// went away) gives no picture: there is nothing to store, and a PNG cannot be zero pixels
// wide. The caller then holds no picture, and no file is written.
std::optional<Picture> captureWindow(WindowRef window) {
    HWND hwnd = reinterpret_cast<HWND>(window);
    RECT rect{};
    if (hwnd == nullptr || !GetWindowRect(hwnd, &rect)) {
        return std::nullopt;
    }
    const long long width = static_cast<long long>(rect.right) - rect.left;
    const long long height = static_cast<long long>(rect.bottom) - rect.top;
    if (width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide) {
        return std::nullopt;
    }

    ScreenDc screen;
    if (screen.get() == nullptr) {
        return std::nullopt;
    }
    MemoryDc memory(screen.get());
    if (memory.get() == nullptr) {
        return std::nullopt;
    }
    // 32 bits a pixel, top row first: blue, green, red, unused.
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof(format.bmiHeader);
    format.bmiHeader.biWidth = static_cast<LONG>(width);
    format.bmiHeader.biHeight = -static_cast<LONG>(height);
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    Bitmap bitmap(CreateDIBSection(screen.get(), &format, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (bitmap.get() == nullptr || bits == nullptr) {
        return std::nullopt;
    }
    const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    std::memset(bits, 0, pixels * 4);
    {
        Selection selection(memory.get(), bitmap.get());
        if (!selection.selected()) {
            return std::nullopt;
        }
        // Only the part of the rectangle that lies on the virtual screen is copied; the rest
        // stays black.
        const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
        const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
        const RECT screenRect{left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                              top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
        RECT part{};
        if (IntersectRect(&part, &rect, &screenRect) &&
            !BitBlt(memory.get(), part.left - rect.left, part.top - rect.top,
                    part.right - part.left, part.bottom - part.top, screen.get(), part.left,
                    part.top, SRCCOPY | CAPTUREBLT)) { // layered windows over it too
            return std::nullopt;
        }
        GdiFlush();
    }

    Picture picture;
    picture.width = static_cast<std::uint32_t>(width);
    picture.height = static_cast<std::uint32_t>(height);
    try {
        picture.rgb.resize(pixels * 3);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    const std::uint8_t* from = static_cast<const std::uint8_t*>(bits);
    std::uint8_t* to = picture.rgb.data();
    for (std::size_t i = 0; i < pixels; ++i, from += 4, to += 3) {
        to[0] = from[2];
        to[1] = from[1];
        to[2] = from[0];
    }
    return picture;
}

} // namespace weighlet
