#include "framework/protocol/VersionWord.h"

#include <gtest/gtest.h>

namespace {

using namespace kefo;

TEST(VersionWord, PacksMajorHighMinorLow) {
    EXPECT_EQ(PackVersion(5, 3), 0x00050003u);
    EXPECT_EQ(PackVersion(8, 0), 0x00080000u);
    EXPECT_EQ(PackVersion(1, 1), 0x00010001u);
    EXPECT_EQ(VersionMajor(0x00070001u), 7u);
    EXPECT_EQ(VersionMinor(0x00070001u), 1u);
    EXPECT_EQ(VersionMajor(0xFFFF0000u), 0xFFFFu);
}

TEST(VersionWord, ComparesAsUnsigned) {
    EXPECT_LT(PackVersion(5, 2), kHostVersion5_3);
    EXPECT_LT(PackVersion(5, 0xFFFF), PackVersion(6, 0));
    EXPECT_GT(PackVersion(0x8000, 0), PackVersion(0x7FFF, 0xFFFF));  // sign bit is not special
}

TEST(VersionWord, TextIsMajorDotMinorInDecimal) {
    EXPECT_EQ(VersionText(0x00050003u), "5.3");
    EXPECT_EQ(VersionText(0x00010001u), "1.1");
    EXPECT_EQ(VersionText(0x000A0010u), "10.16");
    char small[4];
    EXPECT_EQ(FormatVersion(0x000A0010u, small, sizeof small), 5);  // cut, with the full length
    EXPECT_STREQ(small, "10.");
}

TEST(VersionWord, SignatureOfVersion1_1Is65537) {
    EXPECT_EQ(VersionSignature(PackVersion(1, 1)), 65537.0f);
}

}  // namespace
