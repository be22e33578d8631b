#include "screenshot/png_writer.h"

#include <png.h>

#include <csetjmp>

namespace weighlet {

namespace {

constexpr int kCompressionLevel = 9;
constexpr std::size_t kIdatSize = 8192;

// libpng calls back into this file through C frames, and leaves them by longjmp on an
// error: everything from encode() down to png_error holds only trivially destructible
// objects, and no exception may pass through libpng.

struct Output {
    ByteSink* sink;
    bool failed;
};

[[noreturn]] void onError(png_structp png, png_const_charp /*message*/) {
    png_longjmp(png, 1);
}

void onWarning(png_structp /*png*/, png_const_charp /*message*/) {}

void onWrite(png_structp png, png_bytep bytes, png_size_t count) {
    Output* out = static_cast<Output*>(png_get_io_ptr(png));
    bool taken = false;
    try {
        taken = out->sink->write(bytes, count);
    } catch (...) {
        taken = false;
    }
    if (!taken) {
        out->failed = true;
        png_error(png, "write failed");
    }
}

void onFlush(png_structp /*png*/) {}

void writeImage(png_structp png, png_infop info, const Picture& picture, Output* out) {
    png_set_write_fn(png, out, onWrite, onFlush);
    png_set_compression_level(png, kCompressionLevel);
    png_set_compression_buffer_size(png, kIdatSize);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_IHDR(png, info, picture.width, picture.height, 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const std::uint8_t* row = picture.rgb.data();
    for (std::uint32_t y = 0; y < picture.height; ++y) {
        png_write_row(png, row);
        row += picture.rowBytes();
    }
    png_write_end(png, nullptr);
}

#ifdef _MSC_VER
#pragma warning(push)
#pragma warning(disable : 4611) // setjmp in C++: no object with a destructor lives here
#endif

// Holds the setjmp and no local of its own: back here with false when libpng fails or
// the sink refuses bytes.
bool encode(png_structp png, png_infop info, const Picture& picture, Output* out) {
    if (setjmp(png_jmpbuf(png)) != 0) {
        return false;
    }
    writeImage(png, info, picture, out);
    return true;
}

#ifdef _MSC_VER
#pragma warning(pop)
#endif

} // namespace

bool writePng(const Picture& picture, ByteSink& sink) {
    if (!isWellFormed(picture)) {
        return false;
    }
    Output out{&sink, false};
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, onError, onWarning);
    if (png == nullptr) {
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    const bool encoded = encode(png, info, picture, &out);
    png_destroy_write_struct(&png, &info);
    return encoded && !out.failed;
}

} // namespace weighlet
