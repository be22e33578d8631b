#pragma once

// A scripted serial line for native tests, linked in place of the platform's serial port.
// Bytes the scale sends are scheduled on the fake clock (fake_worker_thread.h) and become
// readable once the clock reaches them.

#include <cstdint>
#include <deque>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace weighlet::fake {

struct SerialLine {
    std::set<std::wstring> devices;    // names that open
    std::wstring openName;             // current port, empty when none
    std::vector<std::string> calls;    // "open COM1", "close COM1", "write 05", "read 15/15"...
    std::vector<std::uint8_t> written; // every byte written, in order
    std::deque<std::uint8_t> input;    // received, not yet read
    std::function<void(std::uint8_t)> peer; // reacts to each written byte
    std::function<void()> whileReading;     // called while a read waits for missing bytes
    int openCount = 0;
};

SerialLine& line();
void resetLine();
// Drops what was received and what is still on its way.
void clearInput();

// The scale's bytes arrive `afterMs` fake milliseconds from now.
void arrive(std::vector<std::uint8_t> bytes, long long afterMs = 0);
// A peer that answers like a CAS scale: ACK to ENQ, the record to DC1, after `latencyMs`.
void answerLikeScale(std::vector<std::uint8_t> record, long long latencyMs = 5);

std::vector<std::uint8_t> casRecord(const std::string& weight, char sign = ' ',
                                    char stability = 'S');

} // namespace weighlet::fake
