// Resource ids of KEFO_DigitalMixer. All of its resources are the framework's
// shared set (About box, icon, name and help caption); only their contents
// are its own.
#pragma once

#include "framework/AOResource.h"
