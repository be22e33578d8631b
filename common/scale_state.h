#pragma once

#include <cstdint>

namespace weighlet {

// Result of one exchange with the scale.
enum class ScaleState { NotFound, Found };

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend constexpr bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb kFoundColour{0, 0, 255};    // blue while the scale answers
inline constexpr Rgb kNotFoundColour{255, 0, 0}; // red while it does not, and at start

constexpr Rgb stateColour(ScaleState state) {
    return state == ScaleState::Found ? kFoundColour : kNotFoundColour;
}

} // namespace weighlet
