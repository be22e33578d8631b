#include "screenshot/png_writer.h"

#include "tests/unit/png_check.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace weighlet {
namespace {

using test::Bytes;

class BufferSink final : public ByteSink {
public:
    bool write(const std::uint8_t* bytes, std::size_t count) override {
        ++writes;
        out.insert(out.end(), bytes, bytes + count);
        return true;
    }
    Bytes out;
    int writes = 0;
};

// Takes `limit` bytes, then refuses; counts the calls that came after the refusal.
class FailingSink final : public ByteSink {
public:
    explicit FailingSink(std::size_t limit) : limit_(limit) {}
    bool write(const std::uint8_t* /*bytes*/, std::size_t count) override {
        if (refused) {
            ++callsAfterRefusal;
            return false;
        }
        if (count > limit_ - taken) {
            refused = true;
            return false;
        }
        taken += count;
        return true;
    }
    std::size_t taken = 0;
    bool refused = false;
    int callsAfterRefusal = 0;

private:
    std::size_t limit_;
};

class ThrowingSink final : public ByteSink {
public:
    bool write(const std::uint8_t*, std::size_t) override { throw std::runtime_error("disk"); }
};

// Every pixel a colour of its own, so that a swapped channel, a flipped or shifted row, or a
// lost pixel shows.
Picture patternPicture(std::uint32_t width, std::uint32_t height) {
    Picture p;
    p.width = width;
    p.height = height;
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            p.rgb.push_back(static_cast<std::uint8_t>(10 + x * 20));
            p.rgb.push_back(static_cast<std::uint8_t>(200 - y * 30));
            p.rgb.push_back(static_cast<std::uint8_t>((x * 7 + y * 13) ^ 0x55));
        }
    }
    return p;
}

Bytes encoded(const Picture& picture) {
    BufferSink sink;
    EXPECT_TRUE(writePng(picture, sink));
    return sink.out;
}

// Everything the file must be, checked on the bytes as written.
void expectScreenshotPng(const Picture& picture, const Bytes& file) {
    const auto chunks = test::readChunks(file);
    ASSERT_TRUE(chunks.has_value()) << "bad signature or truncated chunk";
    ASSERT_GE(chunks->size(), 3u);

    EXPECT_EQ(chunks->front().type, "IHDR");
    EXPECT_EQ(chunks->back().type, "IEND");
    EXPECT_TRUE(chunks->back().data.empty());
    for (std::size_t i = 1; i + 1 < chunks->size(); ++i) {
        EXPECT_EQ((*chunks)[i].type, "IDAT") << "chunk " << i;
        EXPECT_LE((*chunks)[i].data.size(), 8192u) << "chunk " << i;
    }
    for (const test::Chunk& c : *chunks) {
        EXPECT_TRUE(c.crcMatches) << c.type;
    }

    const Bytes& ihdr = chunks->front().data;
    ASSERT_EQ(ihdr.size(), 13u);
    const Bytes expectedIhdr{
        static_cast<std::uint8_t>(picture.width >> 24),
        static_cast<std::uint8_t>(picture.width >> 16),
        static_cast<std::uint8_t>(picture.width >> 8),
        static_cast<std::uint8_t>(picture.width),
        static_cast<std::uint8_t>(picture.height >> 24),
        static_cast<std::uint8_t>(picture.height >> 16),
        static_cast<std::uint8_t>(picture.height >> 8),
        static_cast<std::uint8_t>(picture.height),
        8, // bit depth
        2, // colour type RGB
        0, // compression
        0, // filter method
        0, // no interlace
    };
    EXPECT_EQ(ihdr, expectedIhdr);

    const Bytes stream = test::imageStream(*chunks);
    ASSERT_GE(stream.size(), 2u);
    // zlib header: FLEVEL 3 is what deflate writes for levels 7 to 9 (6, the default, gives 2).
    EXPECT_EQ(stream[1] >> 6, 3) << "not deflated at the highest levels";

    const auto raw = test::inflateStream(stream);
    ASSERT_TRUE(raw.has_value()) << "IDAT data is no complete zlib stream";
    const std::size_t rowBytes = picture.rowBytes();
    ASSERT_EQ(raw->size(), picture.height * (1 + rowBytes));
    for (std::uint32_t y = 0; y < picture.height; ++y) {
        const auto row = raw->begin() + static_cast<std::ptrdiff_t>(y * (1 + rowBytes));
        ASSERT_EQ(row[0], 0) << "filter type of row " << y;
        ASSERT_TRUE(std::equal(row + 1, row + 1 + static_cast<std::ptrdiff_t>(rowBytes),
                               picture.rgb.begin() + static_cast<std::ptrdiff_t>(y * rowBytes)))
            << "row " << y << " is not the picture's row " << y;
    }

    const auto decoded = test::decodePng(file);
    ASSERT_TRUE(decoded.has_value()) << "libpng refuses the file";
    EXPECT_EQ(decoded->width, picture.width);
    EXPECT_EQ(decoded->height, picture.height);
    EXPECT_EQ(decoded->rgb, picture.rgb);
}

TEST(PngWriter, WritesTheFileAsSpecifiedForPicturesOfAnyShape) {
    const Picture pictures[] = {
        patternPicture(1, 1), patternPicture(7, 5),         patternPicture(9, 1),
        patternPicture(1, 8), test::noisePicture(160, 120), // about 57 kB that do not compress
    };
    for (const Picture& picture : pictures) {
        SCOPED_TRACE(testing::Message() << picture.width << "x" << picture.height);
        expectScreenshotPng(picture, encoded(picture));
    }
}

TEST(PngWriter, SplitsTheImageDataIntoIdatChunksOfAtMost8192Bytes) {
    const Picture picture = test::noisePicture(160, 120);
    const auto chunks = test::readChunks(encoded(picture));
    ASSERT_TRUE(chunks.has_value());
    std::size_t idats = 0;
    std::size_t full = 0;
    for (const test::Chunk& c : *chunks) {
        if (c.type == "IDAT") {
            ++idats;
            full += c.data.size() == 8192 ? 1 : 0;
        }
    }
    EXPECT_GE(idats, 7u);
    EXPECT_EQ(full, idats - 1) << "all but the last IDAT should be full";
}

TEST(PngWriter, RefusesPicturesThatAreNotWellFormedAndSendsNothing) {
    const Picture good = patternPicture(4, 3);
    Picture zeroWidth{0, 3, {}};
    Picture zeroHeight{4, 0, {}};
    Picture empty{};
    Picture shortData = good;
    shortData.rgb.pop_back();
    Picture longData = good;
    longData.rgb.push_back(0);
    Picture tooWide{kMaxPictureSide + 1, 1, Bytes(std::size_t{kMaxPictureSide + 1} * 3)};
    Picture tooHigh{1, kMaxPictureSide + 1, Bytes(std::size_t{kMaxPictureSide + 1} * 3)};
    Picture absurd{0xFFFFFFFFu, 0xFFFFFFFFu, Bytes(3)};
    for (const Picture* p :
         {&zeroWidth, &zeroHeight, &empty, &shortData, &longData, &tooWide, &tooHigh, &absurd}) {
        SCOPED_TRACE(testing::Message()
                     << p->width << "x" << p->height << ", " << p->rgb.size() << " bytes");
        BufferSink sink;
        EXPECT_FALSE(writePng(*p, sink));
        EXPECT_EQ(sink.writes, 0);
    }
}

TEST(PngWriter, SinkFailureAnywhereEndsTheWriteWithFailure) {
    const Picture picture = test::noisePicture(160, 120);
    const std::size_t total = encoded(picture).size();
    // In the signature, at a chunk boundary, inside IHDR, inside an IDAT, in IEND, at the end.
    for (const std::size_t limit :
         {std::size_t{0}, std::size_t{7}, std::size_t{8}, std::size_t{20}, std::size_t{33},
          std::size_t{5000}, total / 2, total - 12, total - 1}) {
        SCOPED_TRACE(limit);
        FailingSink sink(limit);
        EXPECT_FALSE(writePng(picture, sink));
        EXPECT_TRUE(sink.refused);
        EXPECT_EQ(sink.callsAfterRefusal, 0);
    }
    ThrowingSink throwing;
    EXPECT_FALSE(writePng(picture, throwing));
}

} // namespace
} // namespace weighlet
