// Call-site markers: a small stack record laid at the top of a function that
// names its source file, line and code address, and flips to a second state
// when an exception unwinds through the function. Markers are written, never
// read by this code base; they make a running or crashed stack self-describing.
//
// Usage, as the first statement of a function body:
//
//     int Foo(int x) {
//         KEFO_MARK();
//         ...
//     }
//
// KEFO_MARK_FILL() only fills the marker, for short forwarders and
// constructors that clean up nothing.
#pragma once

#include <cstdint>
#include <exception>

namespace kefo {

enum : std::uint32_t {
    kMarkerRunning = 0xA4B32A1Cu,  // the function runs or returned normally
    kMarkerUnwound = 0x1B272E7Bu,  // an exception left the function
};

struct CallSiteMarker {
    std::uint32_t magic;       // kMarkerRunning or kMarkerUnwound
    const char* sourcePath;    // the build's path text of the source file
    std::uint32_t pathLength;  // characters of sourcePath, without the NUL
    std::int32_t line;         // line of the marker in that file
    const void* codeAddress;   // return address of the Fill call
    std::uint32_t reserved;    // always 0
};

#if defined(__i386__)
static_assert(sizeof(CallSiteMarker) == 24, "the marker is a 24-byte stack record");
#endif

// Writes the six fields; the code address is the caller's return address, so
// Fill is a real call (never inlined) and stays a handful of stores.
CallSiteMarker& FillMarker(CallSiteMarker& marker, const char* sourcePath, std::uint32_t pathLength,
                           std::int32_t line);

// One-way switch to kMarkerUnwound.
void MarkUnwound(CallSiteMarker& marker);

// Flips its marker only when it is destroyed by unwinding out of the scope it
// guards; a normal exit leaves the marker untouched.
class MarkerUnwindGuard {
public:
    explicit MarkerUnwindGuard(CallSiteMarker& marker)
        : marker_(marker), exceptionsAtEntry_(std::uncaught_exceptions()) {}
    ~MarkerUnwindGuard() {
        if (std::uncaught_exceptions() > exceptionsAtEntry_) MarkUnwound(marker_);
    }
    MarkerUnwindGuard(const MarkerUnwindGuard&) = delete;
    MarkerUnwindGuard& operator=(const MarkerUnwindGuard&) = delete;

private:
    CallSiteMarker& marker_;
    int exceptionsAtEntry_;  // uncaught exceptions when the scope began
};

}  // namespace kefo

#define KEFO_MARK_FILL()                        \
    ::kefo::CallSiteMarker kefoCallSiteMarker_; \
    ::kefo::FillMarker(kefoCallSiteMarker_, __FILE__, sizeof(__FILE__) - 1, __LINE__)

#define KEFO_MARK()   \
    KEFO_MARK_FILL(); \
    ::kefo::MarkerUnwindGuard kefoMarkerGuard_(kefoCallSiteMarker_)
