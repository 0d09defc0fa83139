// An instance of KEFO_iTunes: the feature instance as it is; the sending is
// the host's.
#pragma once

#include "framework/AOFeatureContext.h"

class ITContext : public AOFeatureContext {
public:
    ITContext();
};
