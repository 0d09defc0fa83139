#include "CallSiteMarker.h"

namespace kefo {

__attribute__((noinline)) CallSiteMarker& FillMarker(CallSiteMarker& marker, const char* sourcePath,
                                                     std::uint32_t pathLength, std::int32_t line) {
    marker.magic = kMarkerRunning;
    marker.sourcePath = sourcePath;
    marker.pathLength = pathLength;
    marker.line = line;
    marker.codeAddress = __builtin_return_address(0);
    marker.reserved = 0;
    return marker;
}

// The store goes through a volatile lvalue: the marker dies with the frame
// being unwound, and an ordinary store into it would be dropped as dead.
__attribute__((noinline)) void MarkUnwound(CallSiteMarker& marker) {
    *static_cast<volatile std::uint32_t*>(&marker.magic) = kMarkerUnwound;
}

}  // namespace kefo
