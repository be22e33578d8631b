#include "common/code_page.h"

#include <windows.h>

namespace weighlet {

std::wstring decodeSystemText(const std::uint8_t* bytes, std::size_t count) {
    if (count == 0) {
        return {};
    }
    const auto* text = reinterpret_cast<const char*>(bytes);
    const int length = static_cast<int>(count);
    const int wide = MultiByteToWideChar(CP_ACP, 0, text, length, nullptr, 0);
    if (wide <= 0) {
        return {};
    }
    std::wstring out(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, length, out.data(), wide);
    return out;
}

} // namespace weighlet
