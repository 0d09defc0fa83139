// The module object of KEFO_DigitalMixer, the add-on that announces the
// host's digital mixer (add-on kind 6). It serves full and no-interface
// instances; dialog-only instances are refused.
#pragma once

#include "framework/AOFeatureDll.h"

class KEFO_DigitalMixer : public AOFeatureDll {
public:
    KEFO_DigitalMixer();
    AOContext* CreateContext(int instanceKind) override;
};
