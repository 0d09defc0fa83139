#include "ProcessingCall.h"

#include <cstdio>

#if defined(__i386__)
// int kefo_CallOffBy4(KEFO_ProcessingFn processing, KEFO_Params* record), cdecl:
// aligns ESP down to 16, then pushes 8 + 4 bytes so the stdcall argument sits
// at 16n + 4; the callee pops it, and EBP restores the caller's stack.
extern "C" int __cdecl kefo_CallOffBy4(KEFO_ProcessingFn processing, KEFO_Params* record);
__asm__(
    ".text\n"
    ".globl _kefo_CallOffBy4\n"
    "_kefo_CallOffBy4:\n"
    "    pushl %ebp\n"
    "    movl %esp, %ebp\n"
    "    movl 8(%ebp), %eax\n"
    "    movl 12(%ebp), %ecx\n"
    "    andl $-16, %esp\n"
    "    subl $8, %esp\n"
    "    pushl %ecx\n"
    "    call *%eax\n"
    "    movl %ebp, %esp\n"
    "    popl %ebp\n"
    "    ret\n");
#endif

namespace hostsim {

int CallProcessing(KEFO_ProcessingFn processing, KEFO_Params* record,
                   kefo::ForeignFailure* failure) {
    int result = kefo::kResultUnknown;
    const bool returned = kefo::CallForeign(
        [&] {
#if defined(__i386__)
            result = kefo_CallOffBy4(processing, record);
#else
            result = processing(record);
#endif
        },
        failure);
    return returned ? result : kefo::kResultUnknown;
}

}  // namespace hostsim

namespace hostsim {

std::string DescribeFailure(const kefo::ForeignFailure& failure) {
    switch (failure.kind) {
        case kefo::ForeignFailure::kNone: return "returned";
        case kefo::ForeignFailure::kThrew: return "let a C++ exception out";
        case kefo::ForeignFailure::kAborted: return "ended its runtime (abort)";
        case kefo::ForeignFailure::kRaised: break;
    }
    const char* name = failure.code == 0xC0000005   ? " (access violation)"
                       : failure.code == 0xC00000FD ? " (stack overflow)"
                       : failure.code == 0xC0000094 ? " (integer division by zero)"
                       : failure.code == 0xE06D7363 ? " (a C++ exception of another compiler)"
                                                    : "";
    char text[96];
    std::snprintf(text, sizeof text, "raised exception 0x%08lX%s", failure.code, name);
    return text;
}

}  // namespace hostsim
