// Shared by the slot-calling test add-on and its test: the arguments it passes
// and the results it keeps.
#pragma once

#include <cstdint>

#include "framework/protocol/KEFO_Params.h"

namespace slot_calls {

// The integer the add-on passes as argument `position` of service `slot`:
// unique to the pair, so a shifted or dropped argument cannot pass unseen.
constexpr int Arg(int slot, int position) {
    return slot * 100 + position + 1;
}

// Arguments of the slots no add-on of this system calls (all int), by slot;
// -1 for the named services.
constexpr int kUnnamedArity[kServiceSlotCount] = {
    -1, -1, -1, -1, -1, -1, 9, -1, -1, -1, -1, -1, -1, 1, 1, -1, -1, -1, -1, -1, -1, 3,
    -1, -1, -1, -1, 4,  9,  1, 2,  0,  2,  2,  0,  2,  1, 2, 3,  1,  3,  5,  2,  2,  0};

// What the add-on saw: each slot's result (pointers and handles as integers),
// slot 30's floating result, and the address of KEFO_Processing's argument.
struct Results {
    std::intptr_t value[kServiceSlotCount];
    double slot30;
    std::uintptr_t argumentAddress;
};

// The add-on's export that hands them over (undecorated, cdecl).
typedef const Results*(__cdecl* ResultsFn)();

}  // namespace slot_calls
