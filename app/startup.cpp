#include "app/startup.h"

#include "app/event_loop.h"
#include "common/port_name.h"
#include "scale/scale_link.h"
#include "ui/main_window.h"
#include "ui/toolkit.h"

namespace weighlet {

namespace {

void registerLcdFont() {
    // Only a missing system library is reported; any other failure leaves the window
    // system's substitute font showing the digits.
    if (registerPrivateFont(embeddedAsset(Asset::LcdFont)) == FontRegistration::LibraryMissing) {
        showMessageBox(L"Ошибка", L"Проблема с установкой LCD шрифта");
    }
}

// The drop-down "Подключение" lists each of COM1 to COM9 that opens now, in rising order;
// the list is not refreshed later. Then the two commands on the bar itself.
void buildMenuBar() {
    createMenuBar(ObjectId::MenuBar, ObjectId::MainWindow);
    beginDropDown(ObjectId::MenuBar, L"Подключение");
    for (int n = kFirstPort; n <= kLastPort; ++n) {
        const std::wstring name = portName(n);
        if (openPort(name)) {
            appendMenuEntry(ObjectId::MenuBar, n, name);
            closePort();
        }
    }
    endDropDown(ObjectId::MenuBar);
    appendMenuEntry(ObjectId::MenuBar, number(ObjectId::ScreenshotCommand), L"Снимок экрана");
    appendMenuEntry(ObjectId::MenuBar, number(ObjectId::AboutCommand), L"О программе");
}

} // namespace

void startUp() {
    clearFrameBuffer();
    // The PNG encoder (libpng) is linked into the program: nothing to load for it.
    decodeBitmap(ObjectId::AboutTopBitmap, embeddedAsset(Asset::AboutTopBitmap));
    decodeBitmap(ObjectId::AboutBottomBitmap, embeddedAsset(Asset::AboutBottomBitmap));
    registerLcdFont();
    createFont(ObjectId::LargeFont, kLcdFontFamily, 120);
    createFont(ObjectId::SmallFont, kLcdFontFamily, 50);
    buildMainWindow();
    buildMenuBar();
}

int runProgram() {
    startUp();
    return runEventLoop();
}

} // namespace weighlet
