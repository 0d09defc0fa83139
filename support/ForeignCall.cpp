#include "support/ForeignCall.h"

#include <windows.h>
#include <xmmintrin.h>

#include <csignal>
#include <cstdlib>
#include <mutex>

namespace kefo {
namespace {

// Raised from the SIGABRT handler while a foreign call runs.
constexpr DWORD kAbortedCode = 0xE04B4641;
// Exception flags of a record handed to a frame handler while unwinding.
constexpr DWORD kUnwindingFlags = 0x2 | 0x4;

enum : LONG { kCalling, kReturned, kThrew, kFaulted };

// One guarded call under way on this thread; calls nest.
struct Guard {
    volatile LONG state;
    volatile DWORD code;  // the exception that ended the call
    Guard* outer;         // a guarded call further out on this thread
};

thread_local Guard* t_guard = nullptr;

struct Call {
    void (*function)(void*);
    void* context;
};

// The call itself, inside the foreign frame: a C++ exception that reaches
// here is caught like any other failure.
void RunCatching(void* argument) {
    Call& call = *static_cast<Call*>(argument);
    try {
        call.function(call.context);
    } catch (...) {
        t_guard->state = kThrew;
    }
}

void __cdecl OnAbort(int) {
    // The runtime sets the default back before it calls a handler.
    std::signal(SIGABRT, &OnAbort);
    const Guard* guard = t_guard;
    if (guard != nullptr && guard->state == kCalling) RaiseException(kAbortedCode, 0, 0, nullptr);
    // Not from a guarded call: what the runtime would have done.
    std::_Exit(3);
}

// What is process-wide is set once, so that threads calling at once never
// restore each other's settings: the SIGABRT handler (which looks at the
// calling thread's own guard) and the runtime's abort message on standard
// error rather than in a message box.
void InstallProcessWideOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        std::signal(SIGABRT, &OnAbort);
        _set_error_mode(_OUT_TO_STDERR);
    });
}

}  // namespace
}  // namespace kefo

// The foreign frame, in assembly so that both ways out of it are plain
// returns to the compiler's code:
//
//     int kefo_ForeignFrame(void (*function)(void*), void* argument);
//
// It saves every register the calling convention asks a callee to keep,
// calls function(argument) and answers 1. Its frame names the frame handler
// below; when the handler takes an exception, the system unwinds every frame
// above this one (RtlUnwind, RtlUnwindEx: what a compiler's __except does)
// and this frame answers 0, its saved registers restored from its own stack,
// whatever the abandoned code did to them.
extern "C" int kefo_ForeignFrame(void (*function)(void*), void* argument);

#if defined(__x86_64__)
// The handler lands at kefo_ForeignFrameLanding with rsp at the frame's
// base and rax 0 (RtlUnwindEx's return value).
extern "C" char kefo_ForeignFrameLanding[];
__asm__(
    ".text\n"
    ".globl kefo_ForeignFrame\n"
    ".globl kefo_ForeignFrameLanding\n"
    ".def kefo_ForeignFrame; .scl 2; .type 32; .endef\n"
    ".seh_proc kefo_ForeignFrame\n"
    "kefo_ForeignFrame:\n"
    "    pushq %rbp\n"
    "    .seh_pushreg %rbp\n"
    "    pushq %rbx\n"
    "    .seh_pushreg %rbx\n"
    "    pushq %rdi\n"
    "    .seh_pushreg %rdi\n"
    "    pushq %rsi\n"
    "    .seh_pushreg %rsi\n"
    "    pushq %r12\n"
    "    .seh_pushreg %r12\n"
    "    pushq %r13\n"
    "    .seh_pushreg %r13\n"
    "    pushq %r14\n"
    "    .seh_pushreg %r14\n"
    "    pushq %r15\n"
    "    .seh_pushreg %r15\n"
    // 32 bytes of home space for the callee, xmm6-xmm15, and 8 to align.
    "    subq $200, %rsp\n"
    "    .seh_stackalloc 200\n"
    "    movaps %xmm6, 32(%rsp)\n"
    "    .seh_savexmm %xmm6, 32\n"
    "    movaps %xmm7, 48(%rsp)\n"
    "    .seh_savexmm %xmm7, 48\n"
    "    movaps %xmm8, 64(%rsp)\n"
    "    .seh_savexmm %xmm8, 64\n"
    "    movaps %xmm9, 80(%rsp)\n"
    "    .seh_savexmm %xmm9, 80\n"
    "    movaps %xmm10, 96(%rsp)\n"
    "    .seh_savexmm %xmm10, 96\n"
    "    movaps %xmm11, 112(%rsp)\n"
    "    .seh_savexmm %xmm11, 112\n"
    "    movaps %xmm12, 128(%rsp)\n"
    "    .seh_savexmm %xmm12, 128\n"
    "    movaps %xmm13, 144(%rsp)\n"
    "    .seh_savexmm %xmm13, 144\n"
    "    movaps %xmm14, 160(%rsp)\n"
    "    .seh_savexmm %xmm14, 160\n"
    "    movaps %xmm15, 176(%rsp)\n"
    "    .seh_savexmm %xmm15, 176\n"
    "    .seh_endprologue\n"
    "    movq %rcx, %rax\n"
    "    movq %rdx, %rcx\n"
    "    callq *%rax\n"
    "    movl $1, %eax\n"
    "kefo_ForeignFrameLanding:\n"
    "    cld\n"
    "    movaps 32(%rsp), %xmm6\n"
    "    movaps 48(%rsp), %xmm7\n"
    "    movaps 64(%rsp), %xmm8\n"
    "    movaps 80(%rsp), %xmm9\n"
    "    movaps 96(%rsp), %xmm10\n"
    "    movaps 112(%rsp), %xmm11\n"
    "    movaps 128(%rsp), %xmm12\n"
    "    movaps 144(%rsp), %xmm13\n"
    "    movaps 160(%rsp), %xmm14\n"
    "    movaps 176(%rsp), %xmm15\n"
    "    addq $200, %rsp\n"
    "    popq %r15\n"
    "    popq %r14\n"
    "    popq %r13\n"
    "    popq %r12\n"
    "    popq %rsi\n"
    "    popq %rdi\n"
    "    popq %rbx\n"
    "    popq %rbp\n"
    "    ret\n"
    "    .seh_handler kefo_ForeignFrameHandler, @except\n"
    "    .seh_handlerdata\n"
    "    .text\n"
    "    .seh_endproc\n");
#elif defined(__i386__)
// The frame is an exception registration record {next, handler} linked at
// the head of the thread's chain (fs:0), 20 bytes below the saved ebp.
// kefo_ForeignFrameResume(record) goes on at the frame's exit with 0, once
// RtlUnwind has made the record the chain's head again.
extern "C" __attribute__((noreturn)) void kefo_ForeignFrameResume(void* record);
__asm__(
    ".text\n"
    ".globl _kefo_ForeignFrame\n"
    "_kefo_ForeignFrame:\n"
    "    pushl %ebp\n"
    "    movl %esp, %ebp\n"
    "    pushl %ebx\n"
    "    pushl %esi\n"
    "    pushl %edi\n"
    "    pushl $_kefo_ForeignFrameHandler\n"
    "    pushl %fs:0\n"
    "    movl %esp, %fs:0\n"
    // The callee gets a 16-byte aligned stack whatever the caller gave.
    "    andl $-16, %esp\n"
    "    subl $12, %esp\n"
    "    pushl 12(%ebp)\n"
    "    calll *8(%ebp)\n"
    "    movl $1, %eax\n"
    ".LkefoForeignFrameExit:\n"
    "    leal -20(%ebp), %esp\n"
    "    popl %fs:0\n"
    "    addl $4, %esp\n"
    "    popl %edi\n"
    "    popl %esi\n"
    "    popl %ebx\n"
    "    popl %ebp\n"
    "    ret\n"
    ".globl _kefo_ForeignFrameResume\n"
    "_kefo_ForeignFrameResume:\n"
    "    movl 4(%esp), %esp\n"
    "    leal 20(%esp), %ebp\n"
    "    cld\n"
    "    xorl %eax, %eax\n"
    "    jmp .LkefoForeignFrameExit\n");
#endif

// The frame handler. Asked only for an exception that every frame above it
// (the add-on's) declined; it ends the call there.
extern "C" EXCEPTION_DISPOSITION __cdecl kefo_ForeignFrameHandler(EXCEPTION_RECORD* record,
                                                                  void* frame, CONTEXT* context,
                                                                  void* dispatch) {
    kefo::Guard* guard = kefo::t_guard;
    if (guard == nullptr || guard->state != kefo::kCalling ||
        (record->ExceptionFlags & kefo::kUnwindingFlags) != 0)
        return ExceptionContinueSearch;
    guard->state = kefo::kFaulted;
    guard->code = record->ExceptionCode;
#if defined(__x86_64__)
    RtlUnwindEx(frame, kefo_ForeignFrameLanding, record, nullptr, context,
                static_cast<DISPATCHER_CONTEXT*>(dispatch)->HistoryTable);
#else
    (void)context;
    (void)dispatch;
    RtlUnwind(frame, nullptr, record, nullptr);
    kefo_ForeignFrameResume(frame);
#endif
    return ExceptionContinueSearch;  // not reached
}

namespace kefo {

bool CallForeignCode(void (*function)(void*), void* context, ForeignFailure* failure) noexcept {
    InstallProcessWideOnce();
    Guard guard{kCalling, 0, t_guard};
    Call call{function, context};
    const unsigned int mxcsr = _mm_getcsr();
#if defined(__i386__)
    unsigned short x87 = 0;
    __asm__ volatile("fnstcw %0" : "=m"(x87));
#endif
    t_guard = &guard;
    const int returned = kefo_ForeignFrame(&RunCatching, &call);
    t_guard = guard.outer;
    if (returned != 0 && guard.state == kCalling) guard.state = kReturned;
    // Code abandoned in the middle of a calculation leaves the floating-point
    // modes as it liked them, and in 32-bit code values on the x87 stack.
    if (guard.state == kFaulted) {
#if defined(__i386__)
        __asm__ volatile("fninit\n\tfldcw %0" : : "m"(x87));
#endif
        _mm_setcsr(mxcsr);
    }
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
