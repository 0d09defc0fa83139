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
//    another compiler's runtime raises it, an access violation, a stack
//    overflow, ... A frame of ours sits right below the add-on's frames
//    (an exception registration record in the 32-bit build, a function with
//    an unwind-table handler in the 64-bit one), so the system asks its
//    handler only after every handler of the add-on has declined:
//    exceptions the add-on handles itself never reach it. The handler then
//    does what a compiler's __except does: it has the system unwind every
//    frame above ours (RtlUnwind, RtlUnwindEx), which gives each of them its
//    unwind call and leaves the thread's chain of registered frames as it
//    was at our frame, and our frame returns "no answer" with the registers
//    it saved on entry. Nothing returns twice, so the compiler's view of the
//    caller holds;
//  - abort from the add-on's runtime (its terminate): a SIGABRT handler of
//    ours raises an exception of ours while a guarded call runs, which the
//    frame handler takes the same way; the runtime's abort message goes to
//    standard error instead of a message box.
//
// The add-on's own frames are abandoned, not unwound by its own runtime:
// what it held stays held, which is why the caller should let go of the
// add-on afterwards. After such an end the caller's floating-point modes
// (MXCSR, and the x87 control word in 32-bit code) are put back as they were.
//
// Calling thread: any, several at once; each thread's guard is its own. The
// SIGABRT handler and the runtime's error mode are set once per process, on
// the first call.
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
