// How hostsim calls an add-on's KEFO_Processing.
//
// A host built with another compiler may keep its stack aligned to 4 bytes
// only, where GCC's i686 code expects 16. The 32-bit hostsim therefore calls
// with the argument at an address that is a multiple of 4 but not of 8, so
// every test and the demo prove that the add-ons' SSE2 and AVX2 code survives
// such a host. Other builds call plainly.
//
// The add-on is not ours: an exception it lets out, a fault in it or its
// runtime's abort comes back as kResultUnknown, no answer
// (support/ForeignCall.h).
#pragma once

#include <string>

#include "framework/protocol/KEFO_Params.h"
#include "support/ForeignCall.h"

namespace hostsim {

// When the call did not return, *failure (when given) says how it ended.
int CallProcessing(KEFO_ProcessingFn processing, KEFO_Params* record,
                   kefo::ForeignFailure* failure = nullptr);

// "let a C++ exception out", "raised exception 0xC0000005 (access violation)", ...
std::string DescribeFailure(const kefo::ForeignFailure& failure);

}  // namespace hostsim
