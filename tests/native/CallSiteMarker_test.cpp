#include "support/CallSiteMarker.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

namespace {

using kefo::CallSiteMarker;

// A marked layer whose marker lives in the test's frame, so the test can read
// it after the layer has been left by an exception.
void MarkedLayer(CallSiteMarker& marker, bool fail) {
    kefo::FillMarker(marker, __FILE__, sizeof(__FILE__) - 1, __LINE__);
    kefo::MarkerUnwindGuard guard(marker);
    if (fail) throw std::runtime_error("fail");
}

// Catches what the inner layer throws, behind a marker of its own.
void CatchingLayer(CallSiteMarker& outer, CallSiteMarker& inner) {
    kefo::FillMarker(outer, __FILE__, sizeof(__FILE__) - 1, __LINE__);
    kefo::MarkerUnwindGuard guard(outer);
    try {
        MarkedLayer(inner, true);
    } catch (const std::runtime_error&) {
    }
}

TEST(CallSiteMarker, FillWritesAllSixFields) {
    CallSiteMarker marker;
    std::memset(&marker, 0xCD, sizeof marker);
    const char path[] = "dsp/CGraphicEqFIR.cpp";
    kefo::FillMarker(marker, path, sizeof path - 1, 1234);
    EXPECT_EQ(marker.magic, kefo::kMarkerRunning);
    EXPECT_EQ(marker.sourcePath, path);
    EXPECT_EQ(marker.pathLength, std::strlen(path));
    EXPECT_EQ(marker.line, 1234);
    EXPECT_NE(marker.codeAddress, nullptr);
    EXPECT_EQ(marker.reserved, 0u);
}

TEST(CallSiteMarker, CodeAddressLiesInTheCallingFunction) {
    CallSiteMarker a, b;
    kefo::FillMarker(a, "", 0, 1);
    kefo::FillMarker(b, "", 0, 2);
    // Two call sites in one function: distinct return addresses, close together.
    auto pa = reinterpret_cast<std::uintptr_t>(a.codeAddress);
    auto pb = reinterpret_cast<std::uintptr_t>(b.codeAddress);
    EXPECT_NE(pa, pb);
    EXPECT_LT(pa > pb ? pa - pb : pb - pa, 4096u);
}

TEST(CallSiteMarker, NormalReturnKeepsRunningMagic) {
    CallSiteMarker marker;
    MarkedLayer(marker, false);
    EXPECT_EQ(marker.magic, kefo::kMarkerRunning);
}

TEST(CallSiteMarker, ExceptionFlipsOnlyTheFunctionsItLeft) {
    CallSiteMarker outer, inner;
    CatchingLayer(outer, inner);
    EXPECT_EQ(inner.magic, kefo::kMarkerUnwound);
    EXPECT_EQ(outer.magic, kefo::kMarkerRunning);
}

TEST(CallSiteMarker, GuardInsideACatchHandlerFlipsOnlyOnANewException) {
    // While an exception is already in flight (inside a handler), a scope that
    // exits normally must not count the older exception as its own.
    CallSiteMarker calm, failing;
    try {
        throw 1;
    } catch (int) {
        MarkedLayer(calm, false);
        try {
            MarkedLayer(failing, true);
        } catch (const std::runtime_error&) {
        }
    }
    EXPECT_EQ(calm.magic, kefo::kMarkerRunning);
    EXPECT_EQ(failing.magic, kefo::kMarkerUnwound);
}

TEST(CallSiteMarker, MacroNamesThisFile) {
    // The macro declares its marker in the enclosing scope.
    KEFO_MARK();
    EXPECT_EQ(kefoCallSiteMarker_.magic, kefo::kMarkerRunning);
    EXPECT_STREQ(kefoCallSiteMarker_.sourcePath, __FILE__);
    EXPECT_EQ(kefoCallSiteMarker_.pathLength, std::strlen(__FILE__));
    EXPECT_EQ(kefoCallSiteMarker_.line, __LINE__ - 4);
}

}  // namespace
