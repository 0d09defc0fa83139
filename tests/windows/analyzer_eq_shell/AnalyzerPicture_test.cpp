// The analyzer's colour ramp, without a window.
#include <gtest/gtest.h>

#include "addons/analyzer_eq/ui/AnalyzerPicture.h"

namespace {

using kefo::RampColour;

TEST(AnalyzerPicture, RampRunsFromTheBottomStopToTheTopStop) {
    ASSERT_EQ(kefo::CellCount(72), 23);  // a display 72 pixels high
    EXPECT_EQ(RampColour(0, 23), 0x9BFF9Bu);
    EXPECT_EQ(RampColour(22, 23), 0xFF4B4Bu);
    // With 11 cells the inner stops fall on cells 4, 7 and 9 exactly; cell 8
    // lies halfway from yellow to light red.
    EXPECT_EQ(RampColour(4, 11), 0x9BFF9Bu);
    EXPECT_EQ(RampColour(7, 11), 0xFFFF00u);
    EXPECT_EQ(RampColour(8, 11), 0xFFB132u);
    EXPECT_EQ(RampColour(9, 11), 0xFF6464u);
    EXPECT_EQ(RampColour(0, 1), 0x9BFF9Bu);  // one cell: no division by zero
}

}  // namespace
