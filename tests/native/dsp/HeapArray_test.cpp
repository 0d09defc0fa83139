#include "dsp/HeapArray.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

TEST(HeapArray, AllocatesOrdinaryCounts) {
    kefo::HeapArray<double> array;
    EXPECT_EQ(array.Get(), nullptr);
    ASSERT_TRUE(array.Allocate(1000));
    ASSERT_NE(array.Get(), nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(array.Get()) % 64, 0u);  // a cache line's start
    for (int i = 0; i < 1000; ++i) array.Get()[i] = i;                  // the whole range is usable
    EXPECT_EQ(array.Get()[999], 999.0);
    array.Free();
    EXPECT_EQ(array.Get(), nullptr);
}

TEST(HeapArray, RefusesCountsThatCannotBeAllocatedAndEndsEmpty) {
    const std::int64_t tooManyDoubles =
        static_cast<std::int64_t>(std::numeric_limits<std::ptrdiff_t>::max() / sizeof(double)) + 1;
    for (std::int64_t count :
         {std::int64_t{0}, std::int64_t{-1}, std::numeric_limits<std::int64_t>::min(),
          tooManyDoubles, std::numeric_limits<std::int64_t>::max()}) {
        kefo::HeapArray<double> array;
        ASSERT_TRUE(array.Allocate(16));
        EXPECT_FALSE(array.Allocate(count)) << count;
        EXPECT_EQ(array.Get(), nullptr) << count;
    }
}

}  // namespace
