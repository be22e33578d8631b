#include "common/local_date_time.h"
#include "common/port_name.h"
#include "common/scale_state.h"

#include <gtest/gtest.h>

namespace weighlet {
namespace {

TEST(PortName, DecimalWithoutLeadingZeros) {
    EXPECT_EQ(portName(1), L"COM1");
    EXPECT_EQ(portName(9), L"COM9");
    EXPECT_TRUE(isPortNumber(1));
    EXPECT_TRUE(isPortNumber(9));
    EXPECT_FALSE(isPortNumber(0));
    EXPECT_FALSE(isPortNumber(10));
}

TEST(ScaleState, Colours) {
    EXPECT_EQ(stateColour(ScaleState::Found), (Rgb{0, 0, 255}));
    EXPECT_EQ(stateColour(ScaleState::NotFound), (Rgb{255, 0, 0}));
}

TEST(LocalDateTime, RangeAndFieldChecks) {
    struct Case {
        int y, mo, d, h, mi, s;
        bool valid;
    };
    const Case cases[] = {
        {1970, 1, 1, 0, 0, 0, true},     {1969, 12, 31, 23, 59, 59, false},
        {2038, 1, 18, 23, 59, 59, true}, {2038, 1, 19, 0, 0, 0, false},
        {2024, 2, 29, 12, 0, 0, true},   {2023, 2, 29, 12, 0, 0, false},
        {2000, 2, 29, 0, 0, 0, true},    {2024, 4, 31, 0, 0, 0, false},
        {2024, 13, 1, 0, 0, 0, false},   {2024, 0, 1, 0, 0, 0, false},
        {2024, 1, 0, 0, 0, 0, false},    {2024, 1, 1, 24, 0, 0, false},
        {2024, 1, 1, 0, 60, 0, false},   {2024, 1, 1, 0, 0, 60, false},
        {2024, 1, 1, -1, 0, 0, false},
    };
    for (const Case& c : cases) {
        const LocalDateTime dt = makeLocalDateTime(c.y, c.mo, c.d, c.h, c.mi, c.s);
        EXPECT_EQ(dt.valid, c.valid)
            << c.y << '-' << c.mo << '-' << c.d << ' ' << c.h << ':' << c.mi << ':' << c.s;
        if (!c.valid) {
            EXPECT_EQ(dt, LocalDateTime{});
        }
    }
}

TEST(FormatDate, Table) {
    const LocalDateTime t = makeLocalDateTime(2026, 3, 7, 9, 5, 4);
    const LocalDateTime evening = makeLocalDateTime(2009, 12, 31, 23, 59, 58);
    const LocalDateTime first = makeLocalDateTime(1970, 1, 1, 0, 0, 0);
    const LocalDateTime last = makeLocalDateTime(2038, 1, 18, 23, 59, 59);
    const LocalDateTime invalid = makeLocalDateTime(2038, 1, 19, 0, 0, 0);
    ASSERT_TRUE(t.valid);
    struct Case {
        const wchar_t* mask;
        LocalDateTime dt;
        const wchar_t* expected;
    };
    const Case cases[] = {
        // every token, lower case
        {L"%yyyy", t, L"2026"},
        {L"%yy", t, L"26"},
        {L"%mm", t, L"03"},
        {L"%dd", t, L"07"},
        {L"%hh", t, L"09"},
        {L"%ii", t, L"05"},
        {L"%ss", t, L"04"},
        {L"%yy%mm%dd%hh%ii%ss", evening, L"091231235958"},
        // upper and mixed case
        {L"%YYYY-%Mm-%dD %HH:%iI:%Ss", t, L"2026-03-07 09:05:04"},
        {L"%yYyY", t, L"2026"},
        {L"%Yy", evening, L"09"},
        // "yyy" is "yy" followed by a plain "y"
        {L"%yyy", t, L"26y"},
        // a "%" that begins no token, also doubled and at the end
        {L"100%", t, L"100%"},
        {L"%", t, L"%"},
        {L"%x%dd", t, L"%x07"},
        {L"%%dd", t, L"%07"},
        {L"%m%d", t, L"%m%d"},
        {L"%dd%", t, L"07%"},
        {L"no tokens", t, L"no tokens"},
        {L"", t, L""},
        // adjacent tokens
        {L"%dd%mm", t, L"0703"},
        {L"%hh%ii%ss", t, L"090504"},
        // the program's two masks
        {L"Дата: %dd/%mm/%yyyy   Время: %hh:%ii", t, L"Дата: 07/03/2026   Время: 09:05"},
        {L"%dd%mm%yy-%hh_%ii_%ss", t, L"070326-09_05_04"},
        {L"%dd%mm%yy-%hh_%ii_%ss", evening, L"311209-23_59_58"},
        // the ends of the range
        {L"%dd/%mm/%yyyy %hh:%ii:%ss", first, L"01/01/1970 00:00:00"},
        {L"%dd/%mm/%yyyy %hh:%ii:%ss", last, L"18/01/2038 23:59:59"},
        {L"%yy", first, L"70"},
        // the invalid date-time reads as zeros
        {L"%yyyy", invalid, L"0000"},
        {L"%dd%mm%yy-%hh_%ii_%ss", invalid, L"000000-00_00_00"},
        {L"Дата: %dd/%mm/%yyyy   Время: %hh:%ii", invalid, L"Дата: 00/00/0000   Время: 00:00"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(formatDate(c.mask, c.dt), c.expected)
            << "mask: " << testing::PrintToString(std::wstring(c.mask));
    }
}

TEST(FormatDate, InvalidDateTimeWithStrayFieldsStillReadsZero) {
    LocalDateTime dt{2026, 5, 5, 5, 5, 5, false};
    EXPECT_EQ(formatDate(L"%yyyy %yy %mm %dd %hh %ii %ss", dt), L"0000 00 00 00 00 00 00");
}

} // namespace
} // namespace weighlet
