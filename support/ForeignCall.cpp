#include "support/ForeignCall.h"

#include <windows.h>
#include <xmmintrin.h>

#include <float.h>

#include <csignal>
#include <cstdlib>

namespace kefo {
namespace {

// Raised from the SIGABRT handler while a foreign call runs.
constexpr DWORD kAbortedCode = 0xE04B4641;
// Exception flags of a record handed to a frame handler while unwinding.
constexpr DWORD kUnwindingFlags = 0x2 | 0x4;

enum : LONG { kReady, kCalling, kReturned, kThrew, kFaulted };

struct Guard {
    CONTEXT resume;  // where this thread goes on when the call faults
    volatile LONG state;
    volatile DWORD code;  // the exception that ended the call
    Guard* outer;         // a guarded call further out on this thread
};

thread_local Guard* t_guard = nullptr;

struct Call {
    void (*function)(void*);
    void* context;
};

// The call itself, inside our frame handler's frame: a C++ exception that
// reaches here is caught like any other failure.
void RunCatching(void* argument) {
    Call& call = *static_cast<Call*>(argument);
    try {
        call.function(call.context);
    } catch (...) {
        t_guard->state = kThrew;
    }
}

// The thread's information block, which holds its chain of registered
// frames.
NT_TIB* ThreadBlock() {
    // Read directly (the block's pointer to itself): GCC takes
    // NtCurrentTeb's segment-relative read for an out-of-bounds access.
    NT_TIB* block;
#if defined(__i386__)
    __asm__("movl %%fs:0x18, %0" : "=r"(block));
#else
    __asm__("movq %%gs:0x30, %0" : "=r"(block));
#endif
    return block;
}

void __cdecl OnAbort(int) {
    const Guard* guard = t_guard;
    if (guard != nullptr && guard->state == kCalling) RaiseException(kAbortedCode, 0, 0, nullptr);
    // Not from a guarded call: what the runtime would have done.
    std::_Exit(3);
}

}  // namespace
}  // namespace kefo

// The frame handler. Asked only for an exception that every frame above it
// (the add-on's) declined; it sends the thread back to the point captured
// before the call.
extern "C" EXCEPTION_DISPOSITION __cdecl kefo_ForeignFrameHandler(EXCEPTION_RECORD* record, void*,
                                                                  CONTEXT* context, void*) {
    kefo::Guard* guard = kefo::t_guard;
    if (guard == nullptr || guard->state != kefo::kCalling ||
        (record->ExceptionFlags & kefo::kUnwindingFlags) != 0)
        return ExceptionContinueSearch;
    guard->state = kefo::kFaulted;
    guard->code = record->ExceptionCode;
    // Going on elsewhere is allowed for every exception, also one raised
    // as not continuable (as C++ runtimes raise theirs).
    record->ExceptionFlags &= ~static_cast<DWORD>(EXCEPTION_NONCONTINUABLE);
    *context = guard->resume;
    return ExceptionContinueExecution;
}

#if defined(__x86_64__)
// void kefo_ForeignFrame(void (*function)(void*), void* argument): calls
// function(argument) in a frame whose unwind data names the frame handler.
extern "C" void kefo_ForeignFrame(void (*function)(void*), void* argument);
__asm__(
    ".text\n"
    ".globl kefo_ForeignFrame\n"
    ".def kefo_ForeignFrame; .scl 2; .type 32; .endef\n"
    ".seh_proc kefo_ForeignFrame\n"
    "kefo_ForeignFrame:\n"
    "    subq $40, %rsp\n"
    "    .seh_stackalloc 40\n"
    "    .seh_endprologue\n"
    "    movq %rcx, %rax\n"
    "    movq %rdx, %rcx\n"
    "    callq *%rax\n"
    "    nop\n"
    "    addq $40, %rsp\n"
    "    ret\n"
    "    .seh_handler kefo_ForeignFrameHandler, @except\n"
    "    .seh_handlerdata\n"
    "    .text\n"
    "    .seh_endproc\n");
#elif defined(__i386__)
namespace {
// An exception registration record, linked in front of the thread's chain.
struct Registration {
    Registration* next;
    void* handler;
};
}  // namespace
#endif

namespace kefo {

bool CallForeignCode(void (*function)(void*), void* context, ForeignFailure* failure) noexcept {
    Guard guard;
    guard.state = kReady;
    guard.code = 0;
    guard.outer = t_guard;
    Call call{function, context};
    const auto previousAbort = std::signal(SIGABRT, &OnAbort);
    const int previousMode = _set_error_mode(_OUT_TO_STDERR);
    const unsigned int mxcsr = _mm_getcsr();
    // The thread's chain of registered frames. After a fault it still starts
    // with records of the abandoned frames (in the 64-bit build too: system
    // code may keep its frames there), so it is put back as it was.
    NT_TIB* const tib = ThreadBlock();
    EXCEPTION_REGISTRATION_RECORD* const chain = tib->ExceptionList;
#if defined(__i386__)
    Registration registration{reinterpret_cast<Registration*>(chain),
                              reinterpret_cast<void*>(&kefo_ForeignFrameHandler)};
    tib->ExceptionList = reinterpret_cast<EXCEPTION_REGISTRATION_RECORD*>(&registration);
#endif
    t_guard = &guard;

    // Returns a second time, with state kFaulted, when the frame handler
    // sends the thread back here.
    RtlCaptureContext(&guard.resume);
    if (guard.state == kReady) {
        guard.state = kCalling;
#if defined(__x86_64__)
        kefo_ForeignFrame(&RunCatching, &call);
#else
        RunCatching(&call);
#endif
        if (guard.state == kCalling) guard.state = kReturned;
    }

    t_guard = guard.outer;
    tib->ExceptionList = chain;
    // The add-on may have left the floating-point modes as it liked them,
    // and the 32-bit context captured holds no x87 registers: a fault in
    // the middle of a calculation leaves values on the x87 stack.
    if (guard.state == kFaulted) {
#if defined(__i386__)
        _fpreset();
#endif
        _mm_setcsr(mxcsr);
    }
    _set_error_mode(previousMode);
    std::signal(SIGABRT, previousAbort);
    if (failure != nullptr) {
        *failure = ForeignFailure{};
        if (guard.state == kThrew) failure->kind = ForeignFailure::kThrew;
        if (guard.state == kFaulted) {
            failure->kind =
                guard.code == kAbortedCode ? ForeignFailure::kAborted : ForeignFailure::kRaised;
            failure->code = guard.code;
        }
    }
    return guard.state == kReturned;
}

}  // namespace kefo
