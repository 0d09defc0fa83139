// The module object of KEFO_iTunes, the add-on that announces the host's
// "Send to iTunes/iPod" feature (add-on kind 7). Only full instances are
// served.
#pragma once

#include "framework/AOFeatureDll.h"

class KEFO_iTunes : public AOFeatureDll {
public:
    KEFO_iTunes();
    AOContext* CreateContext(int instanceKind) override;
};
