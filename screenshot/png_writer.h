#pragma once

#include "screenshot/picture.h"

#include <cstddef>
#include <cstdint>

namespace weighlet {

// Where the bytes of a PNG file go: a file, or a buffer in a test.
class ByteSink {
public:
    // Takes the next `count` bytes; false when they could not all be taken. After a
    // failure the writer stops and sends nothing more.
    virtual bool write(const std::uint8_t* bytes, std::size_t count) = 0;

protected:
    ByteSink() = default;
    ByteSink(const ByteSink&) = default;
    ByteSink& operator=(const ByteSink&) = default;
    ~ByteSink() = default;
};

// Writes the picture as a PNG file: the signature, IHDR (8-bit RGB, no interlace), the
// image data in IDAT chunks of at most 8192 bytes, IEND, and no other chunk. Every row
// carries filter type None; the stream is deflated at level 9, all else as libpng has it.
// Fails, having sent nothing, for a picture that is not well formed (no pixels, a side
// above kMaxPictureSide, bytes that do not match the size); fails when the sink fails or
// libpng reports an error. Never throws.
bool writePng(const Picture& picture, ByteSink& sink);

} // namespace weighlet
