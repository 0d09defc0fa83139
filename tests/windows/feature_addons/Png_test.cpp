// The screenshot helper's PNG writer, checked against the published check
// values of its two checksums and by reading a written file back.
#include <gtest/gtest.h>

#include <cstring>

#include "hostsim/pictures/Screenshot.h"

namespace {

using screens::Image;

std::uint32_t BigEndianAt(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return (std::uint32_t{bytes.at(at)} << 24) | (std::uint32_t{bytes.at(at + 1)} << 16) |
           (std::uint32_t{bytes.at(at + 2)} << 8) | bytes.at(at + 3);
}

TEST(PngWriter, ChecksumsMatchTheirCheckValues) {
    const char* digits = "123456789";
    const auto* data = reinterpret_cast<const std::uint8_t*>(digits);
    EXPECT_EQ(screens::Crc32(data, 9), 0xCBF43926u);
    // Continuing a checksum equals one pass over the whole text.
    EXPECT_EQ(screens::Crc32(data + 4, 5, screens::Crc32(data, 4)), 0xCBF43926u);
    const char* word = "Wikipedia";
    EXPECT_EQ(screens::Adler32(reinterpret_cast<const std::uint8_t*>(word), 9), 0x11E60398u);
}

TEST(PngWriter, ChunksCarryTheirLengthsAndValidCrcs) {
    Image image{3, 2, std::vector<std::uint8_t>(18, 0x40)};
    auto png = screens::EncodePng(image);
    ASSERT_GE(png.size(), 8u);
    EXPECT_EQ(std::memcmp(png.data(), "\x89PNG\r\n\x1a\n", 8), 0);
    std::vector<std::string> types;
    std::size_t at = 8;
    while (at + 12 <= png.size()) {
        const std::uint32_t length = BigEndianAt(png, at);
        ASSERT_LE(at + 12 + length, png.size());
        types.emplace_back(reinterpret_cast<const char*>(&png[at + 4]), 4);
        EXPECT_EQ(BigEndianAt(png, at + 8 + length), screens::Crc32(&png[at + 4], 4 + length))
            << types.back();
        at += 12 + length;
    }
    EXPECT_EQ(at, png.size());
    EXPECT_EQ(types, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
    EXPECT_EQ(BigEndianAt(png, 16), 3u);  // width
    EXPECT_EQ(BigEndianAt(png, 20), 2u);  // height
}

// Reads back the stored blocks of a written image: filter bytes and pixels.
TEST(PngWriter, StoredBlocksHoldTheRowsUnchangedAcrossBlockBoundaries) {
    Image image{200, 150, {}};  // 601 bytes a row, 90150 in all: two stored blocks
    for (int i = 0; i < 200 * 150 * 3; ++i) image.rgb.push_back(static_cast<std::uint8_t>(i * 7));
    auto png = screens::EncodePng(image);
    const std::size_t idat = 33;  // signature 8 + IHDR 25
    ASSERT_EQ(std::string(reinterpret_cast<const char*>(&png[idat + 4]), 4), "IDAT");
    const std::uint32_t length = BigEndianAt(png, idat);
    std::vector<std::uint8_t> zlib(png.begin() + idat + 8, png.begin() + idat + 8 + length);
    ASSERT_EQ(zlib.at(0), 0x78);
    EXPECT_EQ((zlib[0] * 256 + zlib[1]) % 31, 0);  // the zlib header check
    std::vector<std::uint8_t> rows;
    std::size_t at = 2;
    bool last = false;
    int blocks = 0;
    while (!last) {
        last = zlib.at(at) & 1;
        const unsigned size = zlib.at(at + 1) | (zlib.at(at + 2) << 8);
        const unsigned complement = zlib.at(at + 3) | (zlib.at(at + 4) << 8);
        EXPECT_EQ(size ^ complement, 0xFFFFu);
        rows.insert(rows.end(), zlib.begin() + at + 5, zlib.begin() + at + 5 + size);
        at += 5 + size;
        ++blocks;
    }
    EXPECT_EQ(blocks, 2);
    ASSERT_EQ(rows.size(), 150u * 601u);
    EXPECT_EQ(BigEndianAt(zlib, at), screens::Adler32(rows.data(), rows.size()));
    for (int y = 0; y < 150; ++y) {
        ASSERT_EQ(rows[y * 601u], 0) << y;
        ASSERT_EQ(std::memcmp(&rows[y * 601u + 1], &image.rgb[y * 600u], 600), 0) << y;
    }
}

}  // namespace
