#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace weighlet {

// Decodes bytes with the system's 8-bit code page (bytes below 128 as ASCII).
// One implementation per platform.
std::wstring decodeSystemText(const std::uint8_t* bytes, std::size_t count);

} // namespace weighlet
