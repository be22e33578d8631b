#pragma once

#include <string>
#include <string_view>

namespace weighlet {

// The local wall-clock date and time in whole seconds, as the local clock shows it.
// Valid from 1970-01-01 00:00:00 to 2038-01-18 23:59:59; anything else is the invalid
// date-time, whose fields all read as zero.
struct LocalDateTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    bool valid = false;
    friend constexpr bool operator==(const LocalDateTime&, const LocalDateTime&) = default;
};

// A checked date-time: the invalid date-time when any field is out of its range or the
// moment lies outside the supported span.
LocalDateTime makeLocalDateTime(int year, int month, int day, int hour, int minute, int second);

// Reads the local clock afresh (clock facility; one implementation per platform).
LocalDateTime currentLocalDateTime();

// Replaces the tokens %yyyy %yy %mm %dd %hh %ii %ss (any case) in mask by the fields of dt.
std::wstring formatDate(std::wstring_view mask, const LocalDateTime& dt);

} // namespace weighlet
