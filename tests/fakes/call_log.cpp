#include "tests/fakes/call_log.h"

namespace weighlet::fake {

std::vector<std::string>& callLog() {
    static std::vector<std::string> log;
    return log;
}

void logCall(std::string entry) {
    callLog().push_back(std::move(entry));
}

std::string utf8(std::wstring_view text) {
    std::string out;
    for (wchar_t wc : text) {
        const auto c = static_cast<char32_t>(wc);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

long findCall(std::string_view entry, long from) {
    const auto& log = callLog();
    for (auto i = static_cast<std::size_t>(from); i < log.size(); ++i) {
        if (log[i] == entry) {
            return static_cast<long>(i);
        }
    }
    return -1;
}

} // namespace weighlet::fake
