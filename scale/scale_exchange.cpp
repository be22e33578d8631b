#include "scale/scale_exchange.h"

#include "common/code_page.h"
#include "scale/serial_port.h"
#include "scale/worker_thread.h"

#include <algorithm>

namespace weighlet {

namespace {

FrameBuffer g_frame{};

} // namespace

void clearFrameBuffer() {
    g_frame.fill(0);
}

const FrameBuffer& frameBuffer() {
    return g_frame;
}

void sendControl(std::uint8_t code) {
    writeBytes(&code, 1);
}

std::uint8_t readAcknowledge() {
    if (bytesWaiting() == 0) {
        return 0;
    }
    std::uint8_t byte = 0;
    return readBytes(&byte, 1) == 1 ? byte : 0;
}

void readFrame() {
    if (bytesWaiting() == 0) {
        return;
    }
    FrameBuffer reply{};
    const std::size_t got = readBytes(reply.data(), reply.size());
    if (got == 0 || stopRequested()) {
        // A read cut short by the worker's stop is no reply: the buffer keeps the last.
        return;
    }
    // Bytes beyond `got` stay zero: a short reply is shown cut short, never completed
    // with bytes of the reply before it.
    g_frame = reply;
}

std::wstring weightText() {
    const auto end = std::find(g_frame.begin(), g_frame.end(), std::uint8_t{0});
    const std::wstring text =
        decodeSystemText(g_frame.data(), static_cast<std::size_t>(end - g_frame.begin()));
    if (text.size() < kWeightFirst) {
        return {};
    }
    return text.substr(kWeightFirst - 1, kWeightLength);
}

std::optional<ScaleState> askForScale() {
    if (stopRequested()) {
        return std::nullopt;
    }
    sendControl(kEnq);
    if (!pauseFor(kReplyWait)) {
        return std::nullopt;
    }
    return readAcknowledge() == kAck ? ScaleState::Found : ScaleState::NotFound;
}

std::optional<std::wstring> askForWeight() {
    if (stopRequested()) {
        return std::nullopt;
    }
    sendControl(kDc1);
    if (!pauseFor(kReplyWait)) {
        return std::nullopt;
    }
    readFrame();
    if (stopRequested()) {
        return std::nullopt;
    }
    return weightText();
}

std::optional<ExchangeResult> exchangeWithScale() {
    const std::optional<ScaleState> state = askForScale();
    if (!state) {
        return std::nullopt;
    }
    if (*state == ScaleState::NotFound) {
        return ExchangeResult{};
    }
    std::optional<std::wstring> weight = askForWeight();
    if (!weight) {
        return std::nullopt;
    }
    return ExchangeResult{ScaleState::Found, std::move(*weight)};
}

} // namespace weighlet
