#pragma once

#include "common/scale_state.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace weighlet {

// Every window, element, font, bitmap and menu entry has a fixed number; menu entries
// double as command codes, and 1 to 9 are the port items of the drop-down "Подключение".
enum class ObjectId : int {
    SerialPort = 0,
    MainWindow = 10,
    AboutWindow = 11,
    WeightDisplay = 12,
    UnitLabel = 13,
    AboutText = 14,
    LargeFont = 15,
    SmallFont = 16,
    MenuBar = 17,
    ScreenshotCommand = 18,
    AboutCommand = 19,
    StatusBar = 20,
    AboutTopImage = 21,
    AboutTopBitmap = 22,
    AboutBottomImage = 23,
    AboutBottomBitmap = 24,
    CloseButton = 25,
};

constexpr int number(ObjectId id) {
    return static_cast<int>(id);
}

// The window toolkit facility. One implementation per platform (toolkit_win32.cpp); the
// native tests link a recording fake. Everything is called on the UI thread, except
// setLabelColour, setLabelText and setStatusText, which the polling worker calls too.

enum class WindowStyle {
    Main,      // window menu with close box and minimise box; no maximise box
    TitleOnly, // title bar only: no window menu, no close box, no icon
};

enum class Align { Left, Centre, Right };

// Top-level window with the given client size (the outer size computed for it without a
// menu bar), centred on the primary screen, not resizable, no owner, shown at once.
bool openWindow(ObjectId window, std::wstring_view title, int clientWidth, int clientHeight,
                WindowStyle style);
bool isWindowOpen(ObjectId window);
// Closes the window with all its elements.
void closeWindow(ObjectId window);
// Brings the window to the front.
void activateWindow(ObjectId window);

// Text centred horizontally from the top, wrapped at word boundaries; system face colour
// behind it.
bool createTextLabel(ObjectId label, ObjectId window, int x, int y, int width, int height,
                     std::wstring_view text);
// Shows a decoded bitmap at x, y, sized to the bitmap.
bool createImageLabel(ObjectId label, ObjectId window, int x, int y, ObjectId bitmap);
bool createButton(ObjectId button, ObjectId window, int x, int y, int width, int height,
                  std::wstring_view caption);
void setLabelFont(ObjectId label, ObjectId font);

// The display updates, callable from the polling worker. A colour is recorded at once and
// asks for a repaint of the label, which ends the UI thread's event wait. A text is handed
// to the UI thread and the worker waits until it is applied; false only when the worker
// was stopped meanwhile (the update is then dropped, never applied later).
void setLabelColour(ObjectId label, Rgb colour);
bool setLabelText(ObjectId label, std::wstring_view text);
bool setStatusText(ObjectId bar, int field, std::wstring_view text, Align align);

// Along the bottom of the window's client area, fields of these widths end to end from
// the left, no size grip.
bool createStatusBar(ObjectId bar, ObjectId window, std::span<const int> fieldWidths);

// The menu bar of a window. Entries appended after beginDropDown go into a titled
// drop-down; after endDropDown they go onto the bar itself. The bar is attached to the
// window with the first entry and again with each further one.
bool createMenuBar(ObjectId menu, ObjectId window);
void beginDropDown(ObjectId menu, std::wstring_view title);
void endDropDown(ObjectId menu);
void appendMenuEntry(ObjectId menu, int entry, std::wstring_view caption);
void setMenuCheck(ObjectId menu, int entry, bool checked);

// Character height = points x the display's vertical dots per inch / 72, rounded;
// weight 400. A missing family gets the window system's substitute.
bool createFont(ObjectId font, std::wstring_view family, int points);
// From a whole BMP file held in memory.
bool decodeBitmap(ObjectId bitmap, std::span<const std::uint8_t> bmpFile);

enum class FontRegistration { Registered, LibraryMissing, FunctionMissing, Refused };
// Registers a TrueType font held in memory for this process only, through the system
// library that provides the service, loaded and released by name.
FontRegistration registerPrivateFont(std::span<const std::uint8_t> fontFile);

// Modal; caption, text, one OK button, no icon.
void showMessageBox(std::wstring_view caption, std::wstring_view text);

// The program's embedded assets.
enum class Asset { LcdFont, AboutTopBitmap, AboutBottomBitmap };
std::span<const std::uint8_t> embeddedAsset(Asset asset);

enum class EventKind { MenuEntry, Button, CloseRequest, Other };
struct Event {
    EventKind kind = EventKind::Other;
    int number = 0; // the menu entry or button; the window asked to close
};
// Blocks until the UI thread takes its next message; every message ends the wait.
Event waitForEvent();

} // namespace weighlet
