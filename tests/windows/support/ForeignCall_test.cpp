#include "support/ForeignCall.h"

#include <windows.h>
#include <xmmintrin.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <thread>

namespace {

using kefo::CallForeign;
using kefo::ForeignFailure;

// Each way out of foreign code, with the floating-point modes spoiled first
// as careless code would leave them.
enum class Failure { kReturns, kThrows, kFaults, kRaisesForeign, kAborts, kCount };

unsigned short X87ControlWord() {
    unsigned short word = 0;
#if defined(__i386__)
    __asm__ volatile("fnstcw %0" : "=m"(word));
#endif
    return word;
}

// The head of the thread's chain of registered frames (read directly: GCC
// takes NtCurrentTeb's segment-relative read for an out-of-bounds access).
void* FrameChainHead() {
    void* head;
#if defined(__i386__)
    __asm__ volatile("movl %%fs:0, %0" : "=r"(head));
#else
    __asm__ volatile("movq %%gs:0, %0" : "=r"(head));
#endif
    return head;
}

void Fail(Failure how) {
    _mm_setcsr(_mm_getcsr() | 0x8040);  // flush to zero, denormals are zero
#if defined(__i386__)
    const unsigned short truncating = 0x0C7F;
    __asm__ volatile("fldcw %0" : : "m"(truncating));
#endif
    switch (how) {
        case Failure::kThrows: throw std::string("thrown");
        case Failure::kFaults: *static_cast<volatile int*>(nullptr) = 1; break;
        case Failure::kRaisesForeign:
            RaiseException(0xE06D7363, EXCEPTION_NONCONTINUABLE, 0, nullptr);
            break;
        case Failure::kAborts: std::abort();
        default: break;
    }
}

// Under QEMU's user mode (scripts/wine-run with emulated 32-bit code) Wine
// reports an access violation or a stack overflow as an illegal instruction:
// the failure still comes back, only its code differs.
bool Emulated() {
    char mode[16] = "";
    GetEnvironmentVariableA("KEFO_32BIT", mode, sizeof mode);
    return std::string(mode) == "emulated";
}

// One thread's rounds; every failure comes back as what it was, and the
// thread goes on with its own state as it was. Only one thread aborts: the
// runtime sets SIGABRT back to its default before it calls our handler, which
// sets it again, and an abort on another thread in between ends the process.
std::string Rounds(int first, int count, bool aborts) {
    const unsigned int mxcsr = _mm_getcsr();
    const unsigned short x87 = X87ControlWord();
    void* const chain = FrameChainHead();
    volatile double kept = 1.5;
    for (int round = first; round < first + count; ++round) {
        const auto how = static_cast<Failure>(round % static_cast<int>(Failure::kCount));
        if (how == Failure::kAborts && !aborts) continue;
        ForeignFailure failure;
        const bool returned = CallForeign([&] { Fail(how); }, &failure);
        const ForeignFailure::Kind expected[] = {ForeignFailure::kNone, ForeignFailure::kThrew,
                                                 ForeignFailure::kRaised, ForeignFailure::kRaised,
                                                 ForeignFailure::kAborted};
        const std::string at = "round " + std::to_string(round) + ": ";
        if (returned != (how == Failure::kReturns))
            return at + "returned " + std::to_string(returned);
        if (failure.kind != expected[static_cast<int>(how)])
            return at + "failure kind " + std::to_string(failure.kind);
        if (how == Failure::kFaults && failure.code != EXCEPTION_ACCESS_VIOLATION && !Emulated())
            return at + "code " + std::to_string(failure.code);
        if (FrameChainHead() != chain) return at + "frame chain changed";
        if (kept != 1.5) return at + "a local changed";
        if (how != Failure::kReturns && how != Failure::kThrows &&
            (_mm_getcsr() != mxcsr || X87ControlWord() != x87))
            return at + "floating-point modes left changed";
        _mm_setcsr(mxcsr);
#if defined(__i386__)
        __asm__ volatile("fldcw %0" : : "m"(x87));
#endif
    }
    return "";
}

TEST(ForeignCall, EveryWayOutComesBackOnTwoThreadsAtOnce) {
    std::string results[2];
    std::thread other([&] { results[1] = Rounds(1, 500, false); });
    results[0] = Rounds(0, 500, true);
    other.join();
    EXPECT_EQ(results[0], "");
    EXPECT_EQ(results[1], "");

    // Guards nest: a failure inside an inner call ends that call only.
    ForeignFailure inner;
    bool innerReturned = true;
    EXPECT_TRUE(
        CallForeign([&] { innerReturned = CallForeign([] { Fail(Failure::kFaults); }, &inner); }));
    EXPECT_FALSE(innerReturned);
    EXPECT_EQ(inner.kind, ForeignFailure::kRaised);

    // And this thread's own exceptions are still its own.
    EXPECT_THROW(throw std::string("ours"), std::string);
}

// A stack overflow, on a thread of its own, whose stack it spends. The call
// goes through a volatile pointer so that no compiler turns it into a loop.
unsigned Recurse(unsigned depth);
unsigned (*volatile g_recurse)(unsigned) = &Recurse;
unsigned Recurse(unsigned depth) {
    volatile char page[4096];
    page[depth % sizeof page] = 1;
    return g_recurse(depth + 1) + page[0];
}

TEST(ForeignCall, StackOverflowComesBack) {
    ForeignFailure failure;
    bool returned = true;
    std::thread([&] { returned = CallForeign([] { Recurse(1); }, &failure); }).join();
    EXPECT_FALSE(returned);
    EXPECT_EQ(failure.kind, ForeignFailure::kRaised);
    if (!Emulated()) {
        EXPECT_EQ(failure.code, static_cast<unsigned long>(EXCEPTION_STACK_OVERFLOW));
    }
}

}  // namespace
