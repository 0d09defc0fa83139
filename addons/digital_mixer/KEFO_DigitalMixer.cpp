#include "KEFO_DigitalMixer.h"

#include "DMContext.h"
#include "resource.h"
#include "support/CallSiteMarker.h"

// Kind 6, version 1.1, for hosts from 5.3 on, attributes 2 and 0.
static const AOIdentity kDigitalMixer = {
    6, kefo::PackVersion(1, 1), kefo::kHostVersion5_3, 2, 0, IDS_ADDON_NAME, "KeFoDm", IDD_ABOUT};

KEFO_DigitalMixer::KEFO_DigitalMixer() : AOFeatureDll(kDigitalMixer) {
    KEFO_MARK_FILL();
}

AOContext* KEFO_DigitalMixer::CreateContext(int instanceKind) {
    KEFO_MARK();
    switch (instanceKind) {
        case kefo::kKindFull:
        case kefo::kKindHeadless: return new DMContext;
        default: return nullptr;  // dialog-only instances
    }
}

// The DLL's one module object.
static KEFO_DigitalMixer theDigitalMixer;
