#include "dsp/text/CUtils.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using kefo::TrimSpaces;

std::string Trimmed(const char* input) {
    char buffer[64];
    std::strcpy(buffer, input);
    TrimSpaces(buffer);
    return buffer;
}

TEST(TrimSpaces, RemovesBlanksAtBothEnds) {
    EXPECT_EQ(Trimmed("  Rock  "), "Rock");
    EXPECT_EQ(Trimmed("Rock   "), "Rock");
    EXPECT_EQ(Trimmed("   Rock"), "Rock");
    EXPECT_EQ(Trimmed("Rock"), "Rock");
}

TEST(TrimSpaces, KeepsInnerBlanks) {
    EXPECT_EQ(Trimmed("  My  own preset "), "My  own preset");
}

TEST(TrimSpaces, AllBlankAndEmptyBecomeEmpty) {
    EXPECT_EQ(Trimmed("     "), "");
    EXPECT_EQ(Trimmed(" "), "");
    EXPECT_EQ(Trimmed(""), "");
}

TEST(TrimSpaces, OnlyTheBlankCountsAsSpace) {
    EXPECT_EQ(Trimmed("\tRock\t"), "\tRock\t");
    EXPECT_EQ(Trimmed(" \tRock\n "), "\tRock\n");
}

TEST(TrimSpaces, MovesTheTerminatorAndLeavesTheRestOfTheBuffer) {
    char buffer[8] = {' ', ' ', 'a', 'b', ' ', '\0', 'X', 'Y'};
    TrimSpaces(buffer);
    EXPECT_STREQ(buffer, "ab");
    EXPECT_EQ(buffer[6], 'X');  // beyond the old terminator: untouched
    EXPECT_EQ(buffer[7], 'Y');
}

TEST(TrimSpaces, IgnoresNull) {
    TrimSpaces(nullptr);
    SUCCEED();
}

}  // namespace
