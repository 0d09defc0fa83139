#include "support/BoundedText.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// Sentinels right after the field catch a write one past its end (and the
// sanitizers catch any read past the source).
struct Field {
    char text[8];
    char guard[4] = {'G', 'G', 'G', 'G'};
    bool GuardIntact() const { return std::memcmp(guard, "GGGG", 4) == 0; }
};

TEST(BoundedText, CopyCutsToTheFieldAndTerminates) {
    Field field;
    EXPECT_EQ(kefo::CopyCut(field.text, "abc"), 3u);
    EXPECT_STREQ(field.text, "abc");
    EXPECT_EQ(kefo::CopyCut(field.text, "0123456789"), 7u);
    EXPECT_STREQ(field.text, "0123456");
    EXPECT_TRUE(field.GuardIntact());
    EXPECT_EQ(kefo::CopyCut(field.text, static_cast<const char*>(nullptr)), 0u);
    EXPECT_STREQ(field.text, "");
}

TEST(BoundedText, AppendCutsToTheField) {
    Field field;
    kefo::CopyCut(field.text, "ab");
    EXPECT_EQ(kefo::AppendCut(field.text, "cd"), 4u);
    EXPECT_STREQ(field.text, "abcd");
    EXPECT_EQ(kefo::AppendCut(field.text, "efghij"), 7u);
    EXPECT_STREQ(field.text, "abcdefg");
    EXPECT_EQ(kefo::AppendCut(field.text, "x"), 7u);  // full: nothing more fits
    EXPECT_TRUE(field.GuardIntact());
}

TEST(BoundedText, AppendToAnUnterminatedFieldStaysInside) {
    Field field;
    std::memset(field.text, 'z', sizeof field.text);
    EXPECT_EQ(kefo::AppendCut(field.text, "abc"), 7u);
    EXPECT_EQ(std::string(field.text), "zzzzzzz");
    EXPECT_TRUE(field.GuardIntact());
}

TEST(BoundedText, WideCharacters) {
    wchar_t field[4];
    EXPECT_EQ(kefo::CopyCut(field, L"wide text"), 3u);
    EXPECT_STREQ(field, L"wid");
    EXPECT_EQ(kefo::BoundedLength(L"abcdef", 4), 4u);
    EXPECT_EQ(kefo::BoundedLength(static_cast<const wchar_t*>(nullptr), 4), 0u);
}

}  // namespace
