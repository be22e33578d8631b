#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace weighlet {

// The serial port facility: at most one port is open at a time, the current port.
// One implementation per platform (serial_port_win32.cpp); tests link a scripted fake.
//
// Every open applies the scale settings: 9600 baud, 8 data bits, no parity, 1 stop bit,
// CTS flow control off, RTS held inactive, all other line settings as the system has them;
// queues of 255 bytes each way are requested; writes time out after 10 ms + 100 ms a byte.
//
// The UI thread opens, probes and closes; the polling worker writes, counts and reads.

// How long readBytes waits for bytes that have not arrived yet. The wait also ends at once
// when the polling worker is stopped; the read then returns what arrived.
inline constexpr std::chrono::milliseconds kReadBound{1000};

// Opens the existing device "name" ("COM3") unshared for reading and writing. Fails,
// leaving no port open, when the device cannot be opened or configured. A port that is
// open already is closed first.
bool openPort(std::wstring_view name);
bool isPortOpen();
void closePort();

// Each returns 0 at once, changing nothing, when no port is open.
std::size_t writeBytes(const std::uint8_t* bytes, std::size_t count);
// Received bytes not yet read (0 when the system cannot tell); clears a pending line error.
std::size_t bytesWaiting();
// The next `count` received bytes, waiting up to kReadBound for those not yet received;
// returns how many were read.
std::size_t readBytes(std::uint8_t* buffer, std::size_t count);

} // namespace weighlet
