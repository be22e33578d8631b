// The real Win32 serial port facility and the exchange, run under Wine against simulated
// scales (tests/wine/run_serial_port_tests.py attaches them):
//   COM3  a scale answering "01.250"; its control file is in WEIGHLET_SIM_CONTROL
//   COM4  no device
#include "scale/scale_link.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

namespace weighlet {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

std::string simControl() {
    const char* path = std::getenv("WEIGHLET_SIM_CONTROL");
    return path != nullptr ? path : "";
}

// Tells the simulated scale on COM3 to change its behaviour, and gives it time to notice.
void tellScale(const std::string& command) {
    FILE* f = std::fopen(simControl().c_str(), "ab");
    ASSERT_NE(f, nullptr) << simControl();
    std::fprintf(f, "%s\n", command.c_str());
    std::fclose(f);
    std::this_thread::sleep_for(150ms);
}

class SerialPortWine : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(simControl().empty());
        tellScale("mode answer");
    }
    void TearDown() override { closePort(); }

    // Opens COM3 on a scale that answers ENQ and only the first seven bytes of the record,
    // and asks for both: the ACK and seven bytes are then queued, the rest never comes.
    static void askForAPartialReply() {
        tellScale("mode partial");
        ASSERT_TRUE(openPort(L"COM3"));
        drain();
        const std::uint8_t bytes[] = {kEnq, kDc1};
        ASSERT_EQ(writeBytes(bytes, 2), 2u);
        std::this_thread::sleep_for(100ms);
    }

    static void drain() {
        std::uint8_t sink[64];
        while (bytesWaiting() > 0) {
            readBytes(sink, sizeof sink);
        }
    }
};

TEST_F(SerialPortWine, OpenAppliesTheScaleSettings) {
    // Leave the line in other settings first, so the open must change them.
    HANDLE raw = CreateFileW(L"\\\\.\\COM3", GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                             OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(raw, INVALID_HANDLE_VALUE);
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    ASSERT_TRUE(GetCommState(raw, &dcb));
    dcb.BaudRate = CBR_4800;
    dcb.ByteSize = 7;
    dcb.Parity = EVENPARITY;
    dcb.StopBits = TWOSTOPBITS;
    dcb.fOutxCtsFlow = TRUE;
    dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
    ASSERT_TRUE(SetCommState(raw, &dcb));
    CloseHandle(raw);

    ASSERT_TRUE(openPort(L"COM3"));
    EXPECT_TRUE(isPortOpen());
    closePort();
    EXPECT_FALSE(isPortOpen());

    raw = CreateFileW(L"\\\\.\\COM3", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                      nullptr);
    ASSERT_NE(raw, INVALID_HANDLE_VALUE);
    DCB now{};
    now.DCBlength = sizeof now;
    ASSERT_TRUE(GetCommState(raw, &now));
    CloseHandle(raw);
    EXPECT_EQ(now.BaudRate, static_cast<DWORD>(CBR_9600));
    EXPECT_EQ(now.ByteSize, 8);
    EXPECT_EQ(now.Parity, NOPARITY);
    EXPECT_EQ(now.StopBits, ONESTOPBIT);
    EXPECT_FALSE(now.fOutxCtsFlow);
    EXPECT_NE(now.fRtsControl, static_cast<DWORD>(RTS_CONTROL_HANDSHAKE));
}

TEST_F(SerialPortWine, WriteCountReadClose) {
    ASSERT_TRUE(openPort(L"COM3"));
    drain();
    const std::uint8_t enq = kEnq;
    EXPECT_EQ(writeBytes(&enq, 1), 1u);
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(bytesWaiting(), 1u);
    std::uint8_t ack = 0;
    EXPECT_EQ(readBytes(&ack, 1), 1u);
    EXPECT_EQ(ack, kAck);
    EXPECT_EQ(bytesWaiting(), 0u);
    closePort();
    EXPECT_EQ(writeBytes(&enq, 1), 0u);
}

TEST_F(SerialPortWine, ReadWaitsForTheRestUpToItsBound) {
    askForAPartialReply();
    std::uint8_t reply[1 + kFrameSize] = {};
    const auto start = Clock::now();
    const std::size_t got = readBytes(reply, sizeof reply);
    const auto waited = Clock::now() - start;
    EXPECT_EQ(got, 1u + 7u) << "the ACK and the seven bytes the scale sent";
    EXPECT_GE(waited, kReadBound - 20ms) << "it waited for the missing bytes";
}

std::atomic<long long> g_readMs{-1};

void readAWholeReply() {
    std::uint8_t reply[1 + kFrameSize] = {};
    const auto start = Clock::now();
    readBytes(reply, sizeof reply);
    g_readMs = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

TEST_F(SerialPortWine, StopCutsAWaitingReadShort) {
    askForAPartialReply();
    g_readMs = -1;
    ASSERT_TRUE(startWorkerThread(readAWholeReply));
    std::this_thread::sleep_for(100ms);
    stopWorkerThread();
    ASSERT_GE(g_readMs.load(), 0);
    EXPECT_LT(g_readMs.load(), kReadBound.count() / 2) << "the read ended with the stop";
}

TEST_F(SerialPortWine, NameWithoutDeviceFailsAndLeavesNothingOpen) {
    EXPECT_FALSE(openPort(L"COM4"));
    EXPECT_FALSE(isPortOpen());
    ASSERT_TRUE(openPort(L"COM3"));
    EXPECT_FALSE(openPort(L"COM4")) << "the open port is closed first";
    EXPECT_FALSE(isPortOpen());
    EXPECT_FALSE(openPort(L""));
}

TEST_F(SerialPortWine, PortWhoseDeviceWentAwayFailsToOpen) {
    // Wine hands out a handle for a COM name whose device is gone; configuring it fails.
    tellScale("detach");
    EXPECT_FALSE(openPort(L"COM3"));
    EXPECT_FALSE(isPortOpen());
    tellScale("attach");
    EXPECT_TRUE(openPort(L"COM3"));
}

TEST_F(SerialPortWine, OpenIsUnshared) {
    ASSERT_TRUE(openPort(L"COM3"));
    HANDLE second = CreateFileW(L"\\\\.\\COM3", GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (second != INVALID_HANDLE_VALUE) {
        CloseHandle(second);
        GTEST_SKIP() << "this Wine does not refuse a second open of a serial port";
    }
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
}

TEST_F(SerialPortWine, DataOperationsWithNoPortReturnZeroAtOnce) {
    closePort();
    std::uint8_t buffer[kFrameSize] = {};
    const auto start = Clock::now();
    EXPECT_EQ(writeBytes(buffer, 1), 0u);
    EXPECT_EQ(bytesWaiting(), 0u);
    EXPECT_EQ(readBytes(buffer, sizeof buffer), 0u);
    EXPECT_LT(Clock::now() - start, 100ms) << "nothing waited";
}

TEST_F(SerialPortWine, ExchangeFindsTheScaleAndItsWeight) {
    ASSERT_TRUE(openPort(L"COM3"));
    drain();
    clearFrameBuffer();
    const auto result = exchangeWithScale();
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->state, ScaleState::Found);
    EXPECT_EQ(result->weight, L"01.250");
}

TEST_F(SerialPortWine, SilentScaleIsNotFoundAfterTheWait) {
    tellScale("mode silent");
    ASSERT_TRUE(openPort(L"COM3"));
    drain();
    const auto start = Clock::now();
    const auto result = exchangeWithScale();
    const auto took = Clock::now() - start;
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->state, ScaleState::NotFound);
    EXPECT_GE(took, kReplyWait);
}

} // namespace
} // namespace weighlet

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
