#include "installer/discovery/HostVersion.h"

#include <gtest/gtest.h>

namespace {

TEST(HostVersion, CompareIsNumericPerComponent) {
    // a, b, sign of the comparison; each pair is also checked swapped.
    const struct {
        const wchar_t *a, *b;
        int expected;
    } cases[] = {
        {L"4.5", L"4.5", 0},
        {L"4.05", L"4.5", 0},
        {L"4.10", L"4.5", 1},
        {L"4", L"4.5", -1},
        {L"4.4", L"4.5", -1},
        {L"10.0", L"4.5", 1},
        {L"4.5.1", L"4.5", 1},
        {L"4-5", L"4.5.0", 0},
        {nullptr, L"4.5", -1},
        {L"v9", L"4.5", -1},                 // a leading non-digit is a 0 component
        {L"99999999999", L"4294967295", 0},  // saturates, never wraps
    };
    for (const auto& c : cases) {
        EXPECT_EQ(kefo::CompareVersionStrings(c.a, c.b), c.expected) << c.b;
        EXPECT_EQ(kefo::CompareVersionStrings(c.b, c.a), -c.expected) << c.b;
    }
}

TEST(HostVersion, ParsePacksMajorAndMinor) {
    EXPECT_EQ(kefo::ParseVersionNumber(L"8.0"), 0x00080000u);
    EXPECT_EQ(kefo::ParseVersionNumber(L"7.1"), 0x00070001u);
    EXPECT_EQ(kefo::ParseVersionNumber(L"7.10"), 0x0007000Au);
    EXPECT_EQ(kefo::ParseVersionNumber(L"7"), 0x00070000u);
    EXPECT_EQ(kefo::ParseVersionNumber(L"7.1b2"), 0x0007000Cu);
    EXPECT_EQ(kefo::ParseVersionNumber(L"7-1"), 0x00070000u);
    EXPECT_EQ(kefo::ParseVersionNumber(L"123456789012.65538"), 0x1A140002u);  // modulo 65536
    EXPECT_EQ(kefo::ParseVersionNumber(nullptr), 0u);
}

}  // namespace
