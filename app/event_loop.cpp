#include "app/event_loop.h"

#include "common/local_date_time.h"
#include "common/port_name.h"
#include "scale/polling_worker.h"
#include "scale/scale_link.h"
#include "screenshot/screenshot.h"
#include "ui/about_window.h"
#include "ui/main_window.h"
#include "ui/toolkit.h"

#include <string>

namespace weighlet {

namespace {

int g_currentPortItem = 0;

void act(const Event& event) {
    switch (event.kind) {
    case EventKind::MenuEntry:
        if (isPortNumber(event.number)) {
            choosePort(event.number);
        } else if (event.number == number(ObjectId::ScreenshotCommand)) {
            takeScreenshot();
        } else if (event.number == number(ObjectId::AboutCommand)) {
            showAboutWindow();
        }
        break;
    case EventKind::Button:
        if (event.number == number(ObjectId::CloseButton)) {
            closeAboutWindow();
        }
        break;
    case EventKind::CloseRequest:
    case EventKind::Other:
        break;
    }
}

} // namespace

int currentPortItem() {
    return g_currentPortItem;
}

void choosePort(int port) {
    if (g_currentPortItem != 0) {
        setMenuCheck(ObjectId::MenuBar, g_currentPortItem, false);
    }
    stopWorkerThread();
    if (isPortOpen()) {
        closePort();
    }
    const std::wstring name = portName(port);
    const bool opened = openPort(name);
    setStatusText(ObjectId::StatusBar, kPortField,
                  L"Порт " + name + (opened ? L" открыт" : L" открыть не удалось"), Align::Left);
    g_currentPortItem = port;
    setMenuCheck(ObjectId::MenuBar, port, true);
    // A worker that cannot be started is not reported: the display keeps what it showed.
    startWorkerThread(pollingWorker);
}

void shutDown() {
    stopWorkerThread();
    if (isPortOpen()) {
        closePort();
    }
    closeAboutWindow();
}

int runEventLoop() {
    for (;;) {
        setStatusText(ObjectId::StatusBar, kClockField,
                      formatDate(kClockMask, currentLocalDateTime()), Align::Centre);
        const Event event = waitForEvent();
        if (event.kind == EventKind::CloseRequest) {
            shutDown();
            return 0;
        }
        act(event);
    }
}

} // namespace weighlet
