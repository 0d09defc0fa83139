// Init of the DSP objects under allocation failure: every allocation in turn
// is made to fail. Init must report it, leave the object not initialised and
// keep nothing allocated. This executable replaces the global allocation
// functions with counting ones, so it is kept apart from the other tests.
#include "dsp/CGraphicEqFIR.h"
#include "dsp/CSpectrumAn.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <vector>

namespace {

long gAllocationsLeft = -1;  // allocations still allowed; -1 = no limit
long gLiveAllocations = 0;   // allocations not yet freed

void* CountedAllocate(std::size_t size) noexcept {
    if (gAllocationsLeft == 0) return nullptr;
    if (gAllocationsLeft > 0) --gAllocationsLeft;
    void* p = std::malloc(size ? size : 1);
    if (p) ++gLiveAllocations;
    return p;
}

void CountedFree(void* p) noexcept {
    if (!p) return;
    --gLiveAllocations;
    std::free(p);
}

}  // namespace

void* operator new(std::size_t size) {
    if (void* p = CountedAllocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    if (void* p = CountedAllocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return CountedAllocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return CountedAllocate(size);
}
void operator delete(void* p) noexcept {
    CountedFree(p);
}
void operator delete[](void* p) noexcept {
    CountedFree(p);
}
void operator delete(void* p, std::size_t) noexcept {
    CountedFree(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    CountedFree(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    CountedFree(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    CountedFree(p);
}

namespace {

const double kCentres[9] = {65, 125, 250, 500, 1000, 2000, 4000, 8000, 16000};
const double kEdges[19] = {46,   76,   106,  148,  210,  300,  420,   595,   840,  1190,
                           1680, 2380, 3360, 4755, 6725, 9510, 13450, 17500, 22050};

// Makes allocation number `failAt` (counting from 0) inside Init fail, for
// every position in turn until Init needs no more than it is given.
template <typename Object, typename Config>
void FailEachAllocationInTurn(const Config& config, int expectedAllocations) {
    int failAt = 0;
    for (;; ++failAt) {
        const long before = gLiveAllocations;
        {
            Object object;
            // Initialised first, so that the failing Init also has old
            // buffers to give back.
            gAllocationsLeft = -1;
            ASSERT_TRUE(object.Init(config));
            gAllocationsLeft = failAt;
            const bool ok = object.Init(config);
            gAllocationsLeft = -1;
            if (ok) {
                EXPECT_TRUE(object.IsInitialized());
                break;
            }
            EXPECT_FALSE(object.IsInitialized()) << "failing allocation " << failAt;
            EXPECT_EQ(gLiveAllocations, before) << "failing allocation " << failAt;
        }
        EXPECT_EQ(gLiveAllocations, before) << "failing allocation " << failAt;
    }
    EXPECT_EQ(failAt, expectedAllocations);
}

TEST(DspAllocationFailure, EqualizerInitFailsCleanlyAtEveryAllocation) {
    FailEachAllocationInTurn<kefo::CGraphicEqFIR>(
        kefo::GraphicEqConfig{44100, 2, 9, kCentres, 2, 1}, 12);
}

TEST(DspAllocationFailure, AnalyzerInitFailsCleanlyAtEveryAllocation) {
    FailEachAllocationInTurn<kefo::CSpectrumAn>(kefo::SpectrumAnConfig{44100, 2, 19, kEdges, 2, 0},
                                                5);
}

TEST(DspAllocationFailure, FailedObjectsIgnoreProcessingAndCanBeInitialisedAgain) {
    kefo::CGraphicEqFIR eq;
    kefo::CSpectrumAn an;
    gAllocationsLeft = 3;
    EXPECT_FALSE(eq.Init(kefo::GraphicEqConfig{44100, 2, 9, kCentres, 2, 1}));
    gAllocationsLeft = 2;
    EXPECT_FALSE(an.Init(kefo::SpectrumAnConfig{44100, 2, 19, kEdges, 2, 0}));
    gAllocationsLeft = -1;
    std::vector<float> block(4096, 0.5f);
    std::vector<kefo::SpectrumBand> bands(19, kefo::SpectrumBand{-1, -1, -1});
    eq.Process(block.data());
    an.Process(block.data(), bands.data());
    for (float v : block) ASSERT_EQ(v, 0.5f);
    for (const kefo::SpectrumBand& b : bands) ASSERT_EQ(b.left, -1);
    EXPECT_TRUE(eq.Init(kefo::GraphicEqConfig{44100, 2, 9, kCentres, 2, 1}));
    EXPECT_TRUE(an.Init(kefo::SpectrumAnConfig{44100, 2, 19, kEdges, 2, 0}));
}

}  // namespace
