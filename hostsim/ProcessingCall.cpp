#include "ProcessingCall.h"

#include "support/ForeignCall.h"

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

int CallProcessing(KEFO_ProcessingFn processing, KEFO_Params* record) {
    int result = kefo::kResultUnknown;
    const bool returned = kefo::CallForeign([&] {
#if defined(__i386__)
        result = kefo_CallOffBy4(processing, record);
#else
        result = processing(record);
#endif
    });
    return returned ? result : kefo::kResultUnknown;
}

}  // namespace hostsim
