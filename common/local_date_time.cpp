#include "common/local_date_time.h"

#include <array>
#include <cwctype>

namespace weighlet {

namespace {

constexpr bool isLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

constexpr int daysInMonth(int year, int month) {
    constexpr std::array<int, 12> days{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : days[static_cast<std::size_t>(month - 1)];
}

// Fields compared as one number: yyyymmddhhiiss.
constexpr long long stamp(int year, int month, int day, int hour, int minute, int second) {
    return ((((year * 100LL + month) * 100 + day) * 100 + hour) * 100 + minute) * 100 + second;
}

constexpr long long kEarliest = stamp(1970, 1, 1, 0, 0, 0);
constexpr long long kLatest = stamp(2038, 1, 18, 23, 59, 59);

enum class Token { Year4, Year2, Month, Day, Hour, Minute, Second };

struct TokenText {
    std::wstring_view text;
    Token token;
};

// Compared in this order, so "yyyy" wins over "yy".
constexpr std::array<TokenText, 7> kTokens{{{L"yyyy", Token::Year4},
                                            {L"yy", Token::Year2},
                                            {L"mm", Token::Month},
                                            {L"dd", Token::Day},
                                            {L"hh", Token::Hour},
                                            {L"ii", Token::Minute},
                                            {L"ss", Token::Second}}};

bool startsWithNoCase(std::wstring_view text, std::wstring_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::towlower(static_cast<wint_t>(text[i])) != static_cast<wint_t>(prefix[i])) {
            return false;
        }
    }
    return true;
}

void appendNumber(std::wstring& out, int value, int digits) {
    std::wstring text = std::to_wstring(value);
    if (text.size() < static_cast<std::size_t>(digits)) {
        out.append(static_cast<std::size_t>(digits) - text.size(), L'0');
    }
    out += text;
}

void appendToken(std::wstring& out, Token token, const LocalDateTime& dt) {
    switch (token) {
    case Token::Year4:
        appendNumber(out, dt.year, 4);
        break;
    case Token::Year2:
        appendNumber(out, dt.year % 100, 2);
        break;
    case Token::Month:
        appendNumber(out, dt.month, 2);
        break;
    case Token::Day:
        appendNumber(out, dt.day, 2);
        break;
    case Token::Hour:
        appendNumber(out, dt.hour, 2);
        break;
    case Token::Minute:
        appendNumber(out, dt.minute, 2);
        break;
    case Token::Second:
        appendNumber(out, dt.second, 2);
        break;
    }
}

} // namespace

LocalDateTime makeLocalDateTime(int year, int month, int day, int hour, int minute, int second) {
    const bool fieldsOk = month >= 1 && month <= 12 && day >= 1 &&
                          day <= daysInMonth(year, month) && hour >= 0 && hour <= 23 &&
                          minute >= 0 && minute <= 59 && second >= 0 && second <= 59;
    if (!fieldsOk) {
        return {};
    }
    const long long s = stamp(year, month, day, hour, minute, second);
    if (s < kEarliest || s > kLatest) {
        return {};
    }
    return {year, month, day, hour, minute, second, true};
}

std::wstring formatDate(std::wstring_view mask, const LocalDateTime& dt) {
    const LocalDateTime shown = dt.valid ? dt : LocalDateTime{};
    std::wstring out;
    out.reserve(mask.size() + 8);
    std::size_t i = 0;
    while (i < mask.size()) {
        if (mask[i] == L'%') {
            const std::wstring_view rest = mask.substr(i + 1);
            const TokenText* match = nullptr;
            for (const TokenText& t : kTokens) {
                if (startsWithNoCase(rest, t.text)) {
                    match = &t;
                    break;
                }
            }
            if (match != nullptr) {
                appendToken(out, match->token, shown);
                i += 1 + match->text.size();
                continue;
            }
        }
        out += mask[i];
        ++i;
    }
    return out;
}

} // namespace weighlet
