// Resource ids of the test-only framework probe add-on.
#pragma once

#include "framework/AOResource.h"

#define IDS_PROBE_DIALOG_ITEM 5
#define IDS_PROBE_POPUP 6
#define IDS_PROBE_MISSING 77   // never defined: an empty caption
#define IDB_PROBE_MISSING 999  // never defined: a bitmap that does not load
