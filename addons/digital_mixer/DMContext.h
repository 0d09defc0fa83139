// An instance of KEFO_DigitalMixer: the feature instance as it is, four
// settings floats and the help item; the mixing itself is the host's.
#pragma once

#include "framework/AOFeatureContext.h"

class DMContext : public AOFeatureContext {
public:
    DMContext();
};
