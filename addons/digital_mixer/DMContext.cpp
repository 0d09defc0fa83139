#include "DMContext.h"

#include "support/CallSiteMarker.h"

DMContext::DMContext() {
    KEFO_MARK_FILL();
}
