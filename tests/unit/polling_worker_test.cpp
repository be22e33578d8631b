#include "scale/polling_worker.h"
#include "scale/scale_link.h"
#include "tests/unit/app_fixture.h"

#include <gmock/gmock.h>

namespace weighlet {
namespace {

using testing::ElementsAre;
using testing::IsEmpty;

// Runs the worker on the test's thread and stops it in its `pauses`-th wait. Bytes that
// were on their way at the stop are dropped, so each run starts on a quiet line.
void runForPauses(int pauses) {
    int seen = 0;
    auto previous = fake::waits().beforeWake;
    fake::waits().beforeWake = [&, previous](long long length) {
        if (previous) {
            previous(length);
        }
        if (++seen == pauses) {
            fake::waits().stop = true;
        }
    };
    pollingWorker();
    fake::waits().stop = false;
    fake::waits().beforeWake = previous;
    fake::clearInput();
}

class PollingWorker : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        fake::line().devices = {L"COM1"};
        ASSERT_TRUE(openPort(L"COM1"));
        fake::callLog().clear();
    }

    static std::vector<std::string> updates(long from = 0) {
        std::vector<std::string> out;
        for (const std::string& c : callsStartingWith("", from)) {
            if (c.rfind("status", 0) == 0 || c.rfind("colour", 0) == 0 || c.rfind("text", 0) == 0 ||
                c.rfind("write", 0) == 0) {
                out.push_back(c);
            }
        }
        return out;
    }
};

TEST_F(PollingWorker, CycleUpdatesInOrderForFoundAndNotFound) {
    fake::answerLikeScale(fake::casRecord("01.250"));
    runForPauses(3); // a found cycle (two waits), then the ENQ wait of the next
    EXPECT_THAT(updates(),
                ElementsAre("write 05", "status 20 2 right 'Весы подключены'", "colour 12 0,0,255",
                            "colour 13 0,0,255", "write 11", "text 12 '01.250'", "write 05"));
    EXPECT_EQ(fake::waits().pauses, (std::vector<long long>{200, 200, 200}));

    fake::callLog().clear();
    fake::line().peer = nullptr;
    runForPauses(2);
    EXPECT_THAT(updates(), ElementsAre("write 05", "status 20 2 right 'Весы не обнаружены'",
                                       "colour 12 255,0,0", "colour 13 255,0,0", "write 05"))
        << "a silent scale: red within one cycle, the weight text left alone";
    EXPECT_EQ(fake::toolkit().labelTexts[12], "01.250");
}

TEST_F(PollingWorker, AckWithoutReplyKeepsTheLastWeightText) {
    fake::line().peer = [](std::uint8_t b) {
        if (b == kEnq) {
            fake::arrive({kAck}, 5);
        }
    };
    runForPauses(3);
    EXPECT_THAT(callsStartingWith("text 12"), ElementsAre("text 12 ''"))
        << "empty before any reply";
    EXPECT_EQ(fake::toolkit().labelColours[12], kFoundColour);

    fake::answerLikeScale(fake::casRecord("03.500"));
    runForPauses(3);
    fake::line().peer = [](std::uint8_t b) {
        if (b == kEnq) {
            fake::arrive({kAck}, 5);
        }
    };
    fake::callLog().clear();
    runForPauses(3);
    EXPECT_THAT(callsStartingWith("text 12"), ElementsAre("text 12 '03.500'"));
    EXPECT_EQ((fake::toolkit().statusFields[{20, 2}].first), "Весы подключены");
}

TEST_F(PollingWorker, WithNoPortEveryCycleIsNotFound) {
    closePort();
    runForPauses(4);
    EXPECT_EQ(callsStartingWith("status 20 2").size(), 3u);
    EXPECT_EQ(fake::toolkit().labelColours[13], kNotFoundColour);
    EXPECT_THAT(fake::line().written, IsEmpty());
}

// A stop in any waiting step ends the worker there: nothing more is written to the port
// and no display update follows.
TEST_F(PollingWorker, StopInEachWaitingStepEndsItAtOnce) {
    struct Case {
        const char* step;
        std::function<void()> arrange;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"the wait after ENQ",
         [] { fake::waits().beforeWake = [](long long) { fake::waits().stop = true; }; },
         {"write 05"}},
        {"the hand-over of the scale field",
         [] { fake::waits().handOver = [] { return false; }; },
         {"write 05"}},
        {"the wait after DC1",
         [] {
             auto n = std::make_shared<int>(0);
             fake::waits().beforeWake = [n](long long) { fake::waits().stop = ++*n == 2; };
         },
         {"write 05", "status 20 2 right 'Весы подключены'", "colour 12 0,0,255",
          "colour 13 0,0,255", "write 11"}},
        {"the wait for reply bytes",
         [] {
             // Seven bytes of the reply come at once, the rest too late; the stop comes
             // while the read waits for them.
             fake::line().peer = [](std::uint8_t b) {
                 const auto r = fake::casRecord("09.999");
                 if (b == kEnq) {
                     fake::arrive({kAck}, 5);
                 } else {
                     fake::arrive({r.begin(), r.begin() + 7}, 5);
                     fake::arrive({r.begin() + 7, r.end()}, 900);
                 }
             };
             fake::line().whileReading = [] { fake::waits().stop = true; };
         },
         {"write 05", "status 20 2 right 'Весы подключены'", "colour 12 0,0,255",
          "colour 13 0,0,255", "write 11"}},
        {"the hand-over of the weight text",
         [] {
             auto n = std::make_shared<int>(0);
             fake::waits().handOver = [n] { return ++*n < 2; };
         },
         {"write 05", "status 20 2 right 'Весы подключены'", "colour 12 0,0,255",
          "colour 13 0,0,255", "write 11"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.step);
        SetUp();
        fake::answerLikeScale(fake::casRecord("09.999"));
        c.arrange();
        pollingWorker(); // returns: it would loop for ever otherwise
        EXPECT_EQ(updates(), c.expected);
        if (std::string(c.step) != "the hand-over of the weight text") {
            EXPECT_EQ(weightText(), L"") << "no reply, or one cut short by the stop, is kept";
        }
    }
}

} // namespace
} // namespace weighlet
