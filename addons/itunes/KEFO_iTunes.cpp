#include "KEFO_iTunes.h"

#include "ITContext.h"
#include "resource.h"
#include "support/CallSiteMarker.h"

namespace {

// The DLL's one module object.
KEFO_iTunes theSendToITunes;

}  // namespace

KEFO_iTunes::KEFO_iTunes()
    : AOFeatureDll({7,                        // add-on kind
                    kefo::PackVersion(1, 1),  // add-on version
                    kefo::kHostVersion6_0,    // oldest host
                    2, 0,                     // attributes A and B
                    IDS_ADDON_NAME, "KeFoiT", IDD_ABOUT}) {
    KEFO_MARK_FILL();
}

// Full instances only.
AOContext* KEFO_iTunes::CreateContext(int instanceKind) {
    KEFO_MARK();
    return instanceKind == kefo::kKindFull ? new ITContext : nullptr;
}
