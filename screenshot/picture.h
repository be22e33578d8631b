#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace weighlet {

// A picture of the screen: width x height pixels, three bytes each (red, green, blue),
// the top row first, rows without padding.
struct Picture {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint8_t> rgb;

    std::size_t rowBytes() const { return std::size_t{width} * 3; }
};

// Bounds of a picture the system handles; a window larger than this is not captured.
inline constexpr std::uint32_t kMaxPictureSide = 32767;

// Whether the picture has pixels and its bytes match its width and height.
inline bool isWellFormed(const Picture& picture) {
    return picture.width > 0 && picture.height > 0 && picture.width <= kMaxPictureSide &&
           picture.height <= kMaxPictureSide &&
           picture.rgb.size() == picture.rowBytes() * picture.height;
}

} // namespace weighlet
