// A host that gets everything wrong that a record can carry: command codes
// outside the table, settings arrays of any length with NaN and infinities,
// counts that lie about a null array, audio blocks of impossible formats,
// refused output buffers, menu and frame numbers out of range, Info, Create,
// Destroy and About at any moment (a second Create on a live record,
// commands after Destroy). The add-on must answer every call with a value
// the protocol allows, never claim a negative count or more audio than the
// buffer it hands back holds, turn finite audio into finite audio, and
// leave no host buffer behind. A broken rule fails the group (GroupFailure)
// with the call named.
#pragma once

#include "hostsim/validate/Validation.h"

namespace hostsim {

// Runs calls random calls on one record of instance kind, from seed.
void RunCarelessHost(ValidationRun& run, int kind, unsigned seed, int calls);

}  // namespace hostsim
