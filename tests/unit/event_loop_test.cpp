#include "app/event_loop.h"
#include "app/startup.h"
#include "scale/polling_worker.h"
#include "scale/scale_link.h"
#include "tests/unit/app_fixture.h"

#include <gmock/gmock.h>

namespace weighlet {
namespace {

using testing::ElementsAre;

Event menu(int entry) {
    return {EventKind::MenuEntry, entry};
}
Event button(int id) {
    return {EventKind::Button, id};
}
Event closeFrom(ObjectId window) {
    return {EventKind::CloseRequest, number(window)};
}

class EventLoop : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        fake::line().devices = {L"COM1", L"COM3"};
        startUp();
        fake::callLog().clear();
    }

    int run(std::vector<Event> events) {
        fake::toolkit().events.assign(events.begin(), events.end());
        return runEventLoop();
    }
};

TEST_F(EventLoop, PortChoiceStopsAndClosesBeforeItOpensAndMovesTheCheckMark) {
    EXPECT_EQ(run({menu(1), menu(3)}), 0);
    expectInOrder({
        "open COM1",
        "status 20 0 left 'Порт COM1 открыт'",
        "check 17 1 on",
        "start worker",
        "check 17 1 off",
        "stop worker",
        "close COM1",
        "open COM3",
        "status 20 0 left 'Порт COM3 открыт'",
        "check 17 3 on",
        "start worker",
    });
    EXPECT_THAT(fake::toolkit().checked, ElementsAre(3));
    EXPECT_EQ(currentPortItem(), 3);
}

TEST_F(EventLoop, FailedOpenStillTicksTheItemAndStartsAWorkerThatFindsNoScale) {
    run({menu(4)});
    expectInOrder({"open COM4", "status 20 0 left 'Порт COM4 открыть не удалось'", "check 17 4 on",
                   "start worker"});
    EXPECT_FALSE(isPortOpen());
    // What the worker started by the failed choice shows in its first cycle.
    fake::resetWaits();
    int cycles = 0;
    fake::waits().beforeWake = [&](long long) { fake::waits().stop = ++cycles == 2; };
    const long before = static_cast<long>(fake::callLog().size());
    pollingWorker();
    EXPECT_EQ(callsStartingWith("status 20 2", before),
              (std::vector<std::string>{"status 20 2 right 'Весы не обнаружены'"}));
    EXPECT_EQ(fake::toolkit().labelColours[12], kNotFoundColour);
    EXPECT_TRUE(fake::line().written.empty());
}

TEST_F(EventLoop, AfterAFailedChoiceTheNextStopsItsWorkerFirst) {
    run({menu(4), menu(1)});
    expectInOrder({"start worker", "check 17 4 off", "stop worker", "open COM1", "start worker"});
    EXPECT_EQ(fake::waits().started, 2);
    EXPECT_EQ(fake::waits().stopped, 2) << "the second worker is stopped at shutdown";
}

TEST_F(EventLoop, ChoosingTheCurrentPortAgainReopensIt) {
    run({menu(3), menu(3)});
    expectInOrder({"open COM3", "start worker", "check 17 3 off", "stop worker", "close COM3",
                   "open COM3", "check 17 3 on", "start worker"});
    EXPECT_THAT(fake::toolkit().checked, ElementsAre(3));
}

TEST_F(EventLoop, EveryPassRewritesTheClockFieldCentred) {
    fake::setLocalDateTime(makeLocalDateTime(2027, 2, 3, 4, 5, 6));
    run({{EventKind::Other, 0}, {EventKind::Other, 0}});
    EXPECT_EQ(callsStartingWith("status 20 1"),
              std::vector<std::string>(3, "status 20 1 centre 'Дата: 03/02/2027   Время: 04:05'"));
}

TEST_F(EventLoop, CommandsAndTheAboutWindow) {
    run({menu(18), menu(19), menu(19), button(25), menu(19), menu(42), button(7)});
    EXPECT_EQ(callsStartingWith("screenshot").size(), 1u);
    EXPECT_EQ(callsStartingWith("window 11").size(), 2u) << "opened, closed, opened again";
    EXPECT_EQ(callsStartingWith("activate 11").size(), 1u) << "the second command only activates";
    EXPECT_EQ(callsStartingWith("close window 11").size(), 2u) << "the button, then shutdown";
    for (const char* element : {"image label 21", "text label 14", "image label 23", "button 25"}) {
        EXPECT_EQ(callsStartingWith(element).size(), 2u) << element << ": once per opening";
    }
    EXPECT_EQ(fake::waits().started, 0);
}

TEST_F(EventLoop, AboutWindowElementsInOrder) {
    run({menu(19)});
    expectInOrder({
        "window 11 'О программе' 200x290 title-only",
        "image label 21 on 11 at 15,15 bitmap 22",
        "text label 14 on 11 at 0,85 200x75 'Программа предназначена для проверки связи с весами "
        "CAS.\r\n\r\n© Lotok Software\r\nsupport@lotok.example'",
        "image label 23 on 11 at 15,170 bitmap 24",
        "button 25 on 11 at 60,250 80x30 'Закрыть'",
    });
}

TEST_F(EventLoop, CloseRequestFromEitherWindowShutsDownInOrder) {
    for (ObjectId from : {ObjectId::MainWindow, ObjectId::AboutWindow}) {
        SCOPED_TRACE(number(from));
        SetUp();
        EXPECT_EQ(run({menu(1), menu(19), closeFrom(from), menu(3)}), 0);
        expectInOrder({"start worker", "wait -> 2 " + std::to_string(number(from)), "stop worker",
                       "close COM1", "close window 11"});
        EXPECT_FALSE(isPortOpen());
        EXPECT_EQ(fake::findCall("open COM3"), -1) << "nothing after the close request";
        EXPECT_EQ(fake::toolkit().events.size(), 1u);
    }
}

} // namespace
} // namespace weighlet
