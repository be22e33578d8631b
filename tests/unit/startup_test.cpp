#include "app/startup.h"
#include "scale/scale_link.h"
#include "tests/unit/app_fixture.h"

#include <gmock/gmock.h>

namespace weighlet {
namespace {

using testing::ElementsAre;
using testing::IsEmpty;

class StartUp : public AppTest {};

TEST_F(StartUp, BuildsEverythingInOrderAndListsThePortsThatOpened) {
    fake::line().devices = {L"COM2", L"COM5", L"COM12"};
    startUp();
    const std::vector<std::string> expected{
        "bitmap 22 2 bytes",
        "bitmap 24 1 bytes",
        "register font 3 bytes",
        "create font 15 'a_LCDNova' 120",
        "create font 16 'a_LCDNova' 50",
        "window 10 'Weighlet' 620x290 main",
        "text label 12 on 10 at 8,40 500x170 '00.000'",
        "text label 13 on 10 at 512,125 80x80 'kg'",
        "font 12 15",
        "font 13 16",
        "colour 12 255,0,0",
        "colour 13 255,0,0",
        "status bar 20 on 10 200/220/200",
        "status 20 0 left 'Порт закрыт'",
        "status 20 2 right 'Весы не обнаружены'",
        "menu bar 17 on 10",
        "drop-down 17 'Подключение'",
        "open COM1",
        "open COM2",
        "item 17 2 'COM2'",
        "close COM2",
        "open COM3",
        "open COM4",
        "open COM5",
        "item 17 5 'COM5'",
        "close COM5",
        "open COM6",
        "open COM7",
        "open COM8",
        "open COM9",
        "end drop-down 17",
        "command 17 18 'Снимок экрана'",
        "command 17 19 'О программе'",
    };
    EXPECT_EQ(fake::callLog(), expected);
    EXPECT_FALSE(isPortOpen());
    EXPECT_EQ(fake::waits().started, 0) << "no worker before the first port choice";
    EXPECT_THAT(fake::toolkit().checked, IsEmpty());
    for (std::uint8_t b : frameBuffer()) {
        EXPECT_EQ(b, 0);
    }
}

TEST_F(StartUp, WithNoPortTheDropDownIsEmptyAndTheCommandsStayOnTheBar) {
    startUp();
    EXPECT_THAT(fake::toolkit().menuEntries,
                ElementsAre(std::pair{0, std::string("Подключение")},
                            std::pair{18, std::string("Снимок экрана")},
                            std::pair{19, std::string("О программе")}));
}

TEST_F(StartUp, MessageBoxOnlyWhenTheFontLibraryIsMissing) {
    for (bool missing : {false, true}) {
        SCOPED_TRACE(missing);
        resetAll();
        fake::toolkit().gdiMissing = missing;
        startUp();
        const auto boxes = callsStartingWith("message box");
        if (missing) {
            EXPECT_THAT(boxes,
                        ElementsAre("message box 'Ошибка' 'Проблема с установкой LCD шрифта'"));
            expectInOrder(
                {"register font 3 bytes", boxes.front(), "create font 15 'a_LCDNova' 120"});
        } else {
            EXPECT_THAT(boxes, IsEmpty());
        }
    }
}

} // namespace
} // namespace weighlet
