// Calling code we did not build (an add-on's exported function) so that
// however it fails, the caller goes on as if it had given no answer.
//
//     int result = kResultUnknown;
//     if (!CallForeign([&] { result = processing(&record); })) result = kResultUnknown;
//
// Three ways out of foreign code would otherwise end this process:
//  - a C++ exception of our own compiler's kind: caught at the boundary (in
//    the 64-bit build it reaches our handlers; in the 32-bit build each
//    module unwinds with its own DWARF-2 unwinder, the add-on finds no
//    handler and its runtime calls abort, below);
//  - any other exception nothing in the add-on handles: a C++ exception as
//    another compiler's runtime raises it, an access violation, ... A frame
//    handler of ours sits right below the add-on's frames (a registration
//    record in the 32-bit build, an SEH unwind-table handler in the 64-bit
//    one), so the system asks it only after every handler of the add-on has
//    declined: exceptions the add-on handles itself never reach it. It
//    resumes this thread at a point captured before the call;
//  - abort from the add-on's runtime (its terminate): the C runtime's
//    SIGABRT handler, set for the call, raises an exception of ours that the
//    frame handler takes the same way; the runtime's abort message goes to
//    standard error instead of a message box while the call runs.
//
// The add-on's own frames are abandoned, not unwound: what it held stays
// held, which is why the caller should let go of the add-on afterwards.
//
// Calling thread: any; the guard is the calling thread's own. The SIGABRT
// handler and the runtime's error mode are process-wide while a call runs.
#pragma once

#include <type_traits>

namespace kefo {

// How a foreign call ended that did not return.
struct ForeignFailure {
    enum Kind { kNone, kThrew, kRaised, kAborted };
    Kind kind = kNone;
    unsigned long code = 0;  // the exception code, for kRaised
};

// Runs call(context). True when it returned; false when it let an exception
// out or ended its runtime, and then *failure (when given) says how.
bool CallForeignCode(void (*call)(void* context), void* context,
                     ForeignFailure* failure = nullptr) noexcept;

template <typename Function>
bool CallForeign(Function&& function, ForeignFailure* failure = nullptr) noexcept {
    using Stored = std::remove_reference_t<Function>;
    return CallForeignCode([](void* context) { (*static_cast<Stored*>(context))(); },
                           const_cast<void*>(static_cast<const void*>(&function)), failure);
}

}  // namespace kefo
