#include "ITContext.h"

#include "support/CallSiteMarker.h"

ITContext::ITContext() {
    KEFO_MARK_FILL();
}
