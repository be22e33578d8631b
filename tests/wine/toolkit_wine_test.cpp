// The Win32 toolkit's hand-over of display updates between the polling worker and the UI
// thread, and its event wait, on the real window system (run under Wine).
#include "scale/worker_thread.h"
#include "ui/toolkit.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace weighlet {
namespace {

std::atomic<bool> g_done{false};
std::atomic<int> g_result{-1};

HWND statusBar() {
    HWND main = FindWindowW(nullptr, L"Toolkit test");
    return FindWindowExW(main, nullptr, STATUSCLASSNAMEW, nullptr);
}

std::wstring scaleField() {
    std::array<wchar_t, 128> text{};
    SendMessageW(statusBar(), SB_GETTEXTW, 2, reinterpret_cast<LPARAM>(text.data()));
    return text.data();
}

void pumpPending() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageW(&msg);
    }
}

void setFieldThenStay() {
    g_result = setStatusText(ObjectId::StatusBar, 2, L"after", Align::Right) ? 1 : 0;
    g_done = true;
    while (pauseFor(std::chrono::hours(1))) {
    }
}

void colourOnly() {
    setLabelColour(ObjectId::WeightDisplay, kFoundColour);
    g_done = true;
    while (pauseFor(std::chrono::hours(1))) {
    }
}

class Toolkit : public testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(openWindow(ObjectId::MainWindow, L"Toolkit test", 400, 200, WindowStyle::Main));
        ASSERT_TRUE(createTextLabel(ObjectId::WeightDisplay, ObjectId::MainWindow, 8, 8, 300, 100,
                                    L"00.000"));
        constexpr std::array<int, 3> widths{100, 100, 200};
        ASSERT_TRUE(createStatusBar(ObjectId::StatusBar, ObjectId::MainWindow, widths));
    }
    void SetUp() override {
        g_done = false;
        g_result = -1;
        setStatusText(ObjectId::StatusBar, 2, L"before", Align::Right);
        pumpPending();
    }
    void TearDown() override { stopWorkerThread(); }
};

TEST_F(Toolkit, StopWhileAnUpdateWaitsForTheUiThreadEndsAtOnceAndDropsIt) {
    ASSERT_TRUE(startWorkerThread(setFieldThenStay));
    Sleep(200); // the UI thread takes nothing meanwhile
    EXPECT_EQ(g_result.load(), -1) << "the worker waits for the UI thread";
    stopWorkerThread(); // would hang if the stop waited for the UI thread
    EXPECT_EQ(g_result.load(), 0);
    pumpPending(); // the update arrives late: it must be dropped, not applied
    EXPECT_EQ(scaleField(), L"\t\tbefore");
}

TEST_F(Toolkit, UpdateIsAppliedWhenTheUiThreadTakesIt) {
    ASSERT_TRUE(startWorkerThread(setFieldThenStay));
    while (!g_done) {
        pumpPending();
        Sleep(1);
    }
    EXPECT_EQ(g_result.load(), 1);
    EXPECT_EQ(scaleField(), L"\t\tafter");
}

TEST_F(Toolkit, ColourChangeFromTheWorkerEndsTheEventWait) {
    UpdateWindow(FindWindowW(nullptr, L"Toolkit test"));
    pumpPending();
    ASSERT_TRUE(startWorkerThread(colourOnly));
    while (!g_done) {
        Sleep(1);
    }
    waitForEvent(); // returns for the repaint; hangs if the colour asked for none
}

TEST_F(Toolkit, CloseRequestSentFromAnotherThreadIsReported) {
    HWND main = FindWindowW(nullptr, L"Toolkit test");
    ASSERT_NE(main, nullptr);
    HANDLE sender = CreateThread(
        nullptr, 0,
        [](void* window) -> DWORD {
            SendMessageW(static_cast<HWND>(window), WM_CLOSE, 0, 0);
            return 0;
        },
        main, 0, nullptr);
    ASSERT_NE(sender, nullptr);
    Event event;
    do {
        event = waitForEvent();
    } while (event.kind == EventKind::Other);
    WaitForSingleObject(sender, INFINITE);
    CloseHandle(sender);
    EXPECT_EQ(event.kind, EventKind::CloseRequest);
    EXPECT_EQ(event.number, number(ObjectId::MainWindow));
    EXPECT_TRUE(isWindowOpen(ObjectId::MainWindow)) << "the loop decides what a close does";
}

// The decoder only ever gets the embedded bitmaps, but must refuse broken data without
// reading outside it.
TEST(BitmapDecoder, AcceptsTheEmbeddedBitmapAndRefusesBrokenOnes) {
    const auto asset = embeddedAsset(Asset::AboutTopBitmap);
    ASSERT_GT(asset.size(), 1078u);
    const std::vector<std::uint8_t> good(asset.begin(), asset.end());
    // The good file with a little-endian value of `size` bytes written at `at`.
    auto put = [&good](std::size_t at, std::uint32_t v, std::size_t size) {
        std::vector<std::uint8_t> b = good;
        for (std::size_t i = 0; i < size && at + i < b.size(); ++i) {
            b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
        }
        return b;
    };
    auto put32 = [&put](std::size_t at, std::uint32_t v) { return put(at, v, 4); };
    auto put16 = [&put](std::size_t at, std::uint16_t v) { return put(at, v, 2); };
    auto cut = [&](std::size_t n) {
        return std::vector<std::uint8_t>(good.begin(), good.begin() + static_cast<long>(n));
    };
    struct Case {
        const char* what;
        std::vector<std::uint8_t> data;
    };
    const Case broken[] = {
        {"empty", {}},
        {"shorter than the headers", cut(53)},
        {"palette cut", cut(200)},
        {"pixels cut by one byte", cut(good.size() - 1)},
        {"not BM", put16(0, 0x5842)},
        {"pixels beyond the end", put32(10, static_cast<std::uint32_t>(good.size()))},
        {"pixels inside the palette", put32(10, 100)},
        {"core header", put32(14, 12)},
        {"header longer than the file", put32(14, 0x7fffffff)},
        {"zero width", put32(18, 0)},
        {"negative width", put32(18, 0xffffff00)},
        {"zero height", put32(22, 0)},
        {"huge width", put32(18, 100000)},
        {"two planes", put16(26, 2)},
        {"7 bits a pixel", put16(28, 7)},
        {"run-length coded", put32(30, 1)},
        {"257 palette colours", put32(46, 257)},
    };
    for (const Case& c : broken) {
        EXPECT_FALSE(decodeBitmap(ObjectId::AboutBottomBitmap, c.data)) << c.what;
    }
    EXPECT_TRUE(decodeBitmap(ObjectId::AboutTopBitmap, good));
}

} // namespace
} // namespace weighlet
