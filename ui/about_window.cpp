#include "ui/about_window.h"

#include "ui/toolkit.h"

namespace weighlet {

void showAboutWindow() {
    if (isWindowOpen(ObjectId::AboutWindow)) {
        activateWindow(ObjectId::AboutWindow);
        return;
    }
    openWindow(ObjectId::AboutWindow, L"О программе", 200, 290, WindowStyle::TitleOnly);
    createImageLabel(ObjectId::AboutTopImage, ObjectId::AboutWindow, 15, 15,
                     ObjectId::AboutTopBitmap);
    createTextLabel(ObjectId::AboutText, ObjectId::AboutWindow, 0, 85, 200, 75, kAboutText);
    createImageLabel(ObjectId::AboutBottomImage, ObjectId::AboutWindow, 15, 170,
                     ObjectId::AboutBottomBitmap);
    createButton(ObjectId::CloseButton, ObjectId::AboutWindow, 60, 250, 80, 30, L"Закрыть");
}

void closeAboutWindow() {
    if (isWindowOpen(ObjectId::AboutWindow)) {
        closeWindow(ObjectId::AboutWindow);
    }
}

} // namespace weighlet
