// Resource ids of KEFO_iTunes: the framework's shared set, with contents of
// its own (name, help caption, icon, copyright line, version texts).
#pragma once

#include "framework/AOResource.h"
