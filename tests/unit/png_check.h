#pragma once

// Reading PNG files back in tests: the chunks as stored, the image through libpng, and the
// raw zlib stream.

#include "screenshot/picture.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace weighlet::test {

using Bytes = std::vector<std::uint8_t>;

struct Chunk {
    std::string type;
    Bytes data;
    bool crcMatches = false;
};

// The chunks after the PNG signature; none when the signature is wrong or a chunk is cut
// short.
std::optional<std::vector<Chunk>> readChunks(const Bytes& file);

// The data of all IDAT chunks, joined.
Bytes imageStream(const std::vector<Chunk>& chunks);

// The zlib stream inflated; none when it is not one complete, valid stream.
std::optional<Bytes> inflateStream(const Bytes& stream);

// The image decoded by libpng as 8-bit RGB; none when libpng refuses the file.
std::optional<Picture> decodePng(const Bytes& file);

// A picture of random pixels (fixed seed), which deflate cannot shrink much.
Picture noisePicture(std::uint32_t width, std::uint32_t height, unsigned seed = 1);

Bytes readFile(const std::string& path);
void writeFile(const std::string& path, const Bytes& bytes);

} // namespace weighlet::test
