#include "tests/fakes/fake_toolkit.h"

#include "scale/worker_thread.h"
#include "tests/fakes/call_log.h"

#include <array>

namespace weighlet::fake {

namespace {

Toolkit g_toolkit;
bool g_inDropDown = false;

std::string n(ObjectId id) {
    return std::to_string(number(id));
}

const char* alignName(Align align) {
    switch (align) {
    case Align::Left:
        return "left";
    case Align::Centre:
        return "centre";
    case Align::Right:
        return "right";
    }
    return "?";
}

std::string colourName(Rgb c) {
    return std::to_string(c.red) + "," + std::to_string(c.green) + "," + std::to_string(c.blue);
}

} // namespace

Toolkit& toolkit() {
    return g_toolkit;
}

void resetToolkit() {
    g_toolkit = Toolkit{};
    g_inDropDown = false;
}

} // namespace weighlet::fake

namespace weighlet {

using fake::g_toolkit;
using fake::logCall;
using fake::n;
using fake::utf8;

bool openWindow(ObjectId window, std::wstring_view title, int clientWidth, int clientHeight,
                WindowStyle style) {
    logCall("window " + n(window) + " '" + utf8(title) + "' " + std::to_string(clientWidth) + "x" +
            std::to_string(clientHeight) + (style == WindowStyle::Main ? " main" : " title-only"));
    g_toolkit.openWindows.insert(number(window));
    return true;
}

bool isWindowOpen(ObjectId window) {
    return g_toolkit.openWindows.count(number(window)) > 0;
}

void closeWindow(ObjectId window) {
    logCall("close window " + n(window));
    g_toolkit.openWindows.erase(number(window));
}

void activateWindow(ObjectId window) {
    logCall("activate " + n(window));
    ++g_toolkit.activations;
}

bool createTextLabel(ObjectId label, ObjectId window, int x, int y, int width, int height,
                     std::wstring_view text) {
    logCall("text label " + n(label) + " on " + n(window) + " at " + std::to_string(x) + "," +
            std::to_string(y) + " " + std::to_string(width) + "x" + std::to_string(height) + " '" +
            utf8(text) + "'");
    g_toolkit.labelTexts[number(label)] = utf8(text);
    return true;
}

bool createImageLabel(ObjectId label, ObjectId window, int x, int y, ObjectId bitmap) {
    logCall("image label " + n(label) + " on " + n(window) + " at " + std::to_string(x) + "," +
            std::to_string(y) + " bitmap " + n(bitmap));
    return true;
}

bool createButton(ObjectId button, ObjectId window, int x, int y, int width, int height,
                  std::wstring_view caption) {
    logCall("button " + n(button) + " on " + n(window) + " at " + std::to_string(x) + "," +
            std::to_string(y) + " " + std::to_string(width) + "x" + std::to_string(height) + " '" +
            utf8(caption) + "'");
    return true;
}

void setLabelFont(ObjectId label, ObjectId font) {
    logCall("font " + n(label) + " " + n(font));
}

void setLabelColour(ObjectId label, Rgb colour) {
    logCall("colour " + n(label) + " " + fake::colourName(colour));
    g_toolkit.labelColours[number(label)] = colour;
}

bool setLabelText(ObjectId label, std::wstring_view text) {
    if (!waitUntil([] { return true; })) {
        return false;
    }
    logCall("text " + n(label) + " '" + utf8(text) + "'");
    g_toolkit.labelTexts[number(label)] = utf8(text);
    return true;
}

bool setStatusText(ObjectId bar, int field, std::wstring_view text, Align align) {
    if (!waitUntil([] { return true; })) {
        return false;
    }
    logCall("status " + n(bar) + " " + std::to_string(field) + " " + fake::alignName(align) + " '" +
            utf8(text) + "'");
    g_toolkit.statusFields[{number(bar), field}] = {utf8(text), align};
    return true;
}

bool createStatusBar(ObjectId bar, ObjectId window, std::span<const int> fieldWidths) {
    std::string widths;
    for (int w : fieldWidths) {
        widths += (widths.empty() ? "" : "/") + std::to_string(w);
    }
    logCall("status bar " + n(bar) + " on " + n(window) + " " + widths);
    return true;
}

bool createMenuBar(ObjectId menu, ObjectId window) {
    logCall("menu bar " + n(menu) + " on " + n(window));
    return true;
}

void beginDropDown(ObjectId menu, std::wstring_view title) {
    logCall("drop-down " + n(menu) + " '" + utf8(title) + "'");
    g_toolkit.menuEntries.emplace_back(0, utf8(title));
    fake::g_inDropDown = true;
}

void endDropDown(ObjectId menu) {
    logCall("end drop-down " + n(menu));
    fake::g_inDropDown = false;
}

void appendMenuEntry(ObjectId menu, int entry, std::wstring_view caption) {
    logCall(std::string(fake::g_inDropDown ? "item " : "command ") + n(menu) + " " +
            std::to_string(entry) + " '" + utf8(caption) + "'");
    g_toolkit.menuEntries.emplace_back(entry, utf8(caption));
}

void setMenuCheck(ObjectId menu, int entry, bool checked) {
    logCall("check " + n(menu) + " " + std::to_string(entry) + (checked ? " on" : " off"));
    if (checked) {
        g_toolkit.checked.insert(entry);
    } else {
        g_toolkit.checked.erase(entry);
    }
}

bool createFont(ObjectId font, std::wstring_view family, int points) {
    logCall("create font " + n(font) + " '" + utf8(family) + "' " + std::to_string(points));
    return true;
}

bool decodeBitmap(ObjectId bitmap, std::span<const std::uint8_t> bmpFile) {
    logCall("bitmap " + n(bitmap) + " " + std::to_string(bmpFile.size()) + " bytes");
    return true;
}

FontRegistration registerPrivateFont(std::span<const std::uint8_t> fontFile) {
    logCall("register font " + std::to_string(fontFile.size()) + " bytes");
    return g_toolkit.gdiMissing ? FontRegistration::LibraryMissing : FontRegistration::Registered;
}

void showMessageBox(std::wstring_view caption, std::wstring_view text) {
    logCall("message box '" + utf8(caption) + "' '" + utf8(text) + "'");
}

std::span<const std::uint8_t> embeddedAsset(Asset asset) {
    static const std::array<std::uint8_t, 3> font{1, 2, 3};
    static const std::array<std::uint8_t, 2> top{4, 5};
    static const std::array<std::uint8_t, 1> bottom{6};
    switch (asset) {
    case Asset::LcdFont:
        return font;
    case Asset::AboutTopBitmap:
        return top;
    case Asset::AboutBottomBitmap:
        return bottom;
    }
    return {};
}

Event waitForEvent() {
    Event event{EventKind::CloseRequest, number(ObjectId::MainWindow)};
    if (!g_toolkit.events.empty()) {
        event = g_toolkit.events.front();
        g_toolkit.events.pop_front();
    }
    logCall("wait -> " + std::to_string(static_cast<int>(event.kind)) + " " +
            std::to_string(event.number));
    if (g_toolkit.onEvent) {
        g_toolkit.onEvent(event);
    }
    return event;
}

} // namespace weighlet
