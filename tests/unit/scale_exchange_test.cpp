#include "scale/scale_link.h"
#include "tests/fakes/fake_serial_port.h"
#include "tests/fakes/fake_worker_thread.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace weighlet {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes withZeroAt(Bytes record, std::size_t position) {
    record[position - 1] = 0;
    return record;
}

class ScaleExchange : public testing::Test {
protected:
    void SetUp() override {
        fake::resetLine();
        fake::resetWaits();
        clearFrameBuffer();
        fake::line().devices = {L"COM1"};
        ASSERT_TRUE(openPort(L"COM1"));
    }
    void TearDown() override { closePort(); }

    // Answers each control byte with the next scripted reply (nothing once they run out).
    static void scripted(std::vector<Bytes> replies, long long latencyMs = 5) {
        auto queue = std::make_shared<std::vector<Bytes>>(std::move(replies));
        fake::line().peer = [queue, latencyMs](std::uint8_t) {
            if (!queue->empty()) {
                fake::arrive(queue->front(), latencyMs);
                queue->erase(queue->begin());
            }
        };
    }
};

TEST_F(ScaleExchange, OneExchangeTable) {
    const Bytes good = fake::casRecord("01.250");
    struct Case {
        const char* name;
        std::vector<Bytes> replies; // one per control byte sent
        long long latencyMs;
        ScaleState state;
        std::wstring weight;
        Bytes written;
        std::size_t leftQueued;
    };
    const Case cases[] = {
        {"silent scale", {}, 5, ScaleState::NotFound, L"", {kEnq}, 0},
        {"wrong first byte, second stays queued",
         {{0x15, kAck}},
         5,
         ScaleState::NotFound,
         L"",
         {kEnq},
         1},
        {"ACK arrives after the 200 ms wait", {{kAck}}, 250, ScaleState::NotFound, L"", {kEnq}, 0},
        {"plain reply",
         {{kAck}, fake::casRecord("00.000")},
         5,
         ScaleState::Found,
         L"00.000",
         {kEnq, kDc1},
         0},
        {"ACK then no reply, nothing before", {{kAck}}, 5, ScaleState::Found, L"", {kEnq, kDc1}, 0},
        {"zero byte at 7 cuts the weight to two characters",
         {{kAck}, withZeroAt(good, 7)},
         5,
         ScaleState::Found,
         L"01",
         {kEnq, kDc1},
         0},
        {"zero byte at 5 empties it",
         {{kAck}, withZeroAt(good, 5)},
         5,
         ScaleState::Found,
         L"",
         {kEnq, kDc1},
         0},
        {"zero byte at 1 empties it",
         {{kAck}, withZeroAt(good, 1)},
         5,
         ScaleState::Found,
         L"",
         {kEnq, kDc1},
         0},
        {"zero byte at 11 leaves all six",
         {{kAck}, withZeroAt(good, 11)},
         5,
         ScaleState::Found,
         L"01.250",
         {kEnq, kDc1},
         0},
        {"bytes beyond the record stay queued",
         {{kAck},
          [&] {
              Bytes b = good;
              b.push_back(kAck);
              return b;
          }()},
         5,
         ScaleState::Found,
         L"01.250",
         {kEnq, kDc1},
         1},
        {"more than 255 bytes waiting",
         {Bytes(300, kAck)},
         5,
         ScaleState::Found,
         L"\x06\x06\x06\x06\x06\x06",
         {kEnq, kDc1},
         284},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        scripted(c.replies, c.latencyMs);
        const auto result = exchangeWithScale();
        ASSERT_TRUE(result.has_value());
        EXPECT_EQ(result->state, c.state);
        if (c.state == ScaleState::Found) {
            EXPECT_EQ(result->weight, c.weight);
        }
        EXPECT_EQ(fake::line().written, c.written);
        EXPECT_EQ(bytesWaiting(), c.leftQueued);
        EXPECT_EQ(fake::waits().pauses, (std::vector<long long>(c.written.size(), 200)));
    }
}

TEST_F(ScaleExchange, NoReplyYieldsThePreviousWeight) {
    scripted({{kAck}, fake::casRecord("12.345", '-')});
    ASSERT_EQ(exchangeWithScale()->weight, L"12.345");
    scripted({{kAck}});
    const auto second = exchangeWithScale();
    EXPECT_EQ(second->state, ScaleState::Found);
    EXPECT_EQ(second->weight, L"12.345");
}

TEST_F(ScaleExchange, AcknowledgeTakesExactlyOneQueuedByte) {
    // A late ACK and a late record: each later read takes what is queued, one byte at a
    // time for the acknowledge, so the line recovers by itself.
    scripted({{0x15, kAck}, {}, {}});
    EXPECT_EQ(exchangeWithScale()->state, ScaleState::NotFound);
    const auto second = exchangeWithScale();
    EXPECT_EQ(second->state, ScaleState::Found) << "the queued ACK is the next candidate";
    EXPECT_EQ(bytesWaiting(), 0u);
}

TEST_F(ScaleExchange, ShortReplyIsNeverMixedWithThePreviousOne) {
    scripted({{kAck}, fake::casRecord("11.111")});
    ASSERT_EQ(exchangeWithScale()->weight, L"11.111");
    // Seven bytes, then the line stays quiet past the read's bound.
    const Bytes next = fake::casRecord("22.222");
    const Bytes partial(next.begin(), next.begin() + 7);
    scripted({{kAck}, partial});
    const auto result = exchangeWithScale();
    EXPECT_EQ(result->weight, L"22.");
    const FrameBuffer& frame = frameBuffer();
    for (std::size_t i = 7; i < kFrameSize; ++i) {
        EXPECT_EQ(frame[i], 0) << "byte " << i + 1;
    }
}

TEST_F(ScaleExchange, FrameBufferStartsZeroAndWeightTextIsEmpty) {
    for (std::uint8_t b : frameBuffer()) {
        EXPECT_EQ(b, 0);
    }
    EXPECT_EQ(weightText(), L"");
}

TEST_F(ScaleExchange, WithNoPortEveryExchangeIsNotFoundAndNothingIsSent) {
    closePort();
    scripted({{kAck}});
    EXPECT_EQ(exchangeWithScale()->state, ScaleState::NotFound);
    EXPECT_TRUE(fake::line().written.empty());
    EXPECT_EQ(readAcknowledge(), 0);
    readFrame();
    EXPECT_EQ(weightText(), L"");
}

TEST_F(ScaleExchange, StopDuringAWaitEndsTheExchangeAndSendsNothingMore) {
    for (int stopAt : {1, 2}) {
        SCOPED_TRACE(stopAt);
        SetUp();
        scripted({{kAck}, fake::casRecord("01.000")});
        int pauses = 0;
        fake::waits().beforeWake = [&](long long) {
            if (++pauses == stopAt) {
                fake::waits().stop = true;
            }
        };
        EXPECT_FALSE(exchangeWithScale().has_value());
        EXPECT_EQ(fake::line().written.size(), static_cast<std::size_t>(stopAt));
        EXPECT_EQ(weightText(), L"") << "a stopped exchange reads no reply";
    }
}

} // namespace
} // namespace weighlet
