#pragma once

#include <string>

namespace weighlet {

// Serial ports are numbered 1 to 9 and named "COM" with the number, without leading zeros.
inline constexpr int kFirstPort = 1;
inline constexpr int kLastPort = 9;

constexpr bool isPortNumber(int number) {
    return number >= kFirstPort && number <= kLastPort;
}

// "COM3" for 3. Numbers outside 1..9 still get their decimal form; callers only pass ports.
std::wstring portName(int number);

} // namespace weighlet
