#include "tests/unit/png_check.h"

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>
#include <random>

namespace weighlet::test {

namespace {

constexpr std::array<std::uint8_t, 8> kSignature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

std::uint32_t bigEndian(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 |
           std::uint32_t{p[3]};
}

} // namespace

std::optional<std::vector<Chunk>> readChunks(const Bytes& file) {
    if (file.size() < kSignature.size() ||
        !std::equal(kSignature.begin(), kSignature.end(), file.begin())) {
        return std::nullopt;
    }
    std::vector<Chunk> chunks;
    std::size_t at = kSignature.size();
    while (at < file.size()) {
        if (file.size() - at < 12) {
            return std::nullopt;
        }
        const std::size_t length = bigEndian(&file[at]);
        if (file.size() - at - 12 < length) {
            return std::nullopt;
        }
        Chunk chunk;
        chunk.type.assign(file.begin() + static_cast<std::ptrdiff_t>(at + 4),
                          file.begin() + static_cast<std::ptrdiff_t>(at + 8));
        chunk.data.assign(file.begin() + static_cast<std::ptrdiff_t>(at + 8),
                          file.begin() + static_cast<std::ptrdiff_t>(at + 8 + length));
        const uLong crc = crc32(0L, &file[at + 4], static_cast<uInt>(length + 4));
        chunk.crcMatches = crc == bigEndian(&file[at + 8 + length]);
        chunks.push_back(std::move(chunk));
        at += 12 + length;
    }
    return chunks;
}

Bytes imageStream(const std::vector<Chunk>& chunks) {
    Bytes out;
    for (const Chunk& c : chunks) {
        if (c.type == "IDAT") {
            out.insert(out.end(), c.data.begin(), c.data.end());
        }
    }
    return out;
}

std::optional<Bytes> inflateStream(const Bytes& stream) {
    z_stream z{};
    if (inflateInit(&z) != Z_OK) {
        return std::nullopt;
    }
    Bytes out;
    std::array<std::uint8_t, 65536> buffer{};
    z.next_in = const_cast<Bytef*>(stream.data());
    z.avail_in = static_cast<uInt>(stream.size());
    int status = Z_OK;
    while (status == Z_OK) {
        z.next_out = buffer.data();
        z.avail_out = static_cast<uInt>(buffer.size());
        status = inflate(&z, Z_NO_FLUSH);
        out.insert(out.end(), buffer.data(), buffer.data() + (buffer.size() - z.avail_out));
    }
    const bool complete = status == Z_STREAM_END && z.avail_in == 0;
    inflateEnd(&z);
    if (!complete) {
        return std::nullopt;
    }
    return out;
}

std::optional<Picture> decodePng(const Bytes& file) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, file.data(), file.size())) {
        return std::nullopt;
    }
    image.format = PNG_FORMAT_RGB;
    Picture picture;
    picture.width = image.width;
    picture.height = image.height;
    picture.rgb.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr)) {
        png_image_free(&image);
        return std::nullopt;
    }
    return picture;
}

Picture noisePicture(std::uint32_t width, std::uint32_t height, unsigned seed) {
    std::mt19937 random(seed);
    Picture picture;
    picture.width = width;
    picture.height = height;
    picture.rgb.resize(picture.rowBytes() * height);
    for (std::uint8_t& b : picture.rgb) {
        b = static_cast<std::uint8_t>(random());
    }
    return picture;
}

Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

} // namespace weighlet::test
