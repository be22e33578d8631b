#pragma once

#include "common/scale_state.h"

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace weighlet {

// The dialogue with a CAS scale on the current port: ENQ, and after 200 ms one byte that
// must be ACK; then DC1, and after 200 ms the 15-byte weight record, whose bytes 5 to 10
// (counting from 1) are the weight as text. Received bytes are never thrown away: a late
// byte stays queued and the next acknowledge read takes it as its candidate.

inline constexpr std::uint8_t kEnq = 0x05;
inline constexpr std::uint8_t kAck = 0x06;
inline constexpr std::uint8_t kDc1 = 0x11;

inline constexpr std::size_t kFrameSize = 15;
inline constexpr std::size_t kWeightFirst = 5; // counting from 1
inline constexpr std::size_t kWeightLength = 6;
inline constexpr std::chrono::milliseconds kReplyWait{200};

using FrameBuffer = std::array<std::uint8_t, kFrameSize>;

// The last reply of the scale; all zero at start-up. Only the exchange writes it.
void clearFrameBuffer();
const FrameBuffer& frameBuffer();

// Writes exactly one byte; the result of the write is not looked at.
void sendControl(std::uint8_t code);
// The next received byte if one is waiting, else 0; never waits.
std::uint8_t readAcknowledge();
// If a byte is waiting, reads the 15-byte reply into the frame buffer, waiting for the
// rest of it. A reply that stays shorter fills the buffer's start and zeroes the rest, so
// the text shown never mixes two replies; a read that yields nothing, or is cut short by
// the worker's stop, keeps the old reply.
void readFrame();
// Characters 5 to 10 of the frame buffer decoded with the system code page and cut at
// its first zero byte; fewer when the text ends sooner, empty below 5 characters.
std::wstring weightText();

// The exchange in its two halves, so that the polling worker can show the state in
// between. Each returns nothing when the worker was stopped during its wait.
// ENQ, 200 ms, acknowledge: Found when the byte is ACK.
std::optional<ScaleState> askForScale();
// DC1, 200 ms, reply: the weight text (the previous reply's when none came).
std::optional<std::wstring> askForWeight();

struct ExchangeResult {
    ScaleState state = ScaleState::NotFound;
    std::wstring weight; // only meaningful when found
};

// One whole exchange.
std::optional<ExchangeResult> exchangeWithScale();

} // namespace weighlet
