// Every service slot called from a real add-on DLL: each argument arrives in
// its place and each result returns, for the table's own calling conventions
// (thiscall members, cdecl variadic slots 19 and 25, slot 30's floating
// result). In the 32-bit build this is the run-time proof of the i686 layout.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hostsim/host/AddOnModule.h"
#include "hostsim/host/HostRecord.h"
#include "TestPaths.h"
#include "probe/SlotCalls.h"

namespace {

using hostsim::ArgHex;
using hostsim::ArgPointer;
using slot_calls::Arg;

std::string N(int slot, int position) {
    return std::to_string(Arg(slot, position));
}

const void* Fake(int slot) {
    return reinterpret_cast<const void*>(static_cast<std::intptr_t>(Arg(slot, 0)));
}

TEST(SlotCalls, EveryArgumentArrivesAndEveryResultReturns) {
    hostsim::AddOnModule module(testing_paths::BesideTestExe(L"KEFO_SlotCaller.dll"));
    ASSERT_TRUE(module.Loaded()) << module.Error();
    auto results = reinterpret_cast<slot_calls::ResultsFn>(
        reinterpret_cast<void*>(GetProcAddress(module.Handle(), "KEFO_SlotResults")));
    ASSERT_NE(results, nullptr);

    hostsim::HostRecord record;
    record.Attach(module.Processing());
    record.script.isAudioRunning = 1700;
    record.script.showMessageAnswer = 2400;
    record.script.unnamedSlotAnswerBase = 5000;
    record.script.slot30Answer = -30.0625;
    ASSERT_EQ(record.Send(kefo::kCmdCreateInstance), kefo::kResultHandled);
    const slot_calls::Results& got = *results();

    std::vector<std::vector<std::string>> want(kServiceSlotCount);
    want[0] = {"1", "s0", ArgHex(0x00CF0000), N(0, 3)};
    want[1] = {ArgPointer(reinterpret_cast<void*>(got.value[0]))};
    want[2] = {ArgPointer(Fake(2))};
    want[3] = {ArgPointer(Fake(3))};
    want[4] = {"s4"};
    want[5] = {"s5"};
    want[7] = {"2", "s7.1", "s7.2"};
    want[8] = {"2", "", N(8, 2), "s8"};
    want[9] = {"s9", "2", ""};
    want[10] = {"s10"};
    want[11] = {};
    want[12] = {N(12, 0), N(12, 1), "s12", N(12, 3)};
    want[15] = {ArgHex(static_cast<unsigned long>(Arg(15, 0)))};
    want[16] = {};
    want[17] = {};
    want[18] = {N(18, 0), ArgPointer(Fake(18)), "s18"};
    want[19] = {"%d %s %.2f %d", N(19, 1) + " s19 19.50 " + N(19, 4)};
    want[20] = {N(20, 0), "s20.1", "s20.2"};
    want[22] = {N(22, 0)};
    want[23] = {ArgPointer(reinterpret_cast<void*>(got.value[22]))};
    want[24] = {ArgPointer(Fake(24)), "s24", ArgHex(static_cast<unsigned long>(Arg(24, 2))),
                N(24, 3)};
    want[25] = {N(25, 0), "%s %.1f %d", "s25 25.5 " + N(25, 4)};
    for (int slot = 0; slot < kServiceSlotCount; ++slot)
        for (int position = 0; position < slot_calls::kUnnamedArity[slot]; ++position)
            want[slot].push_back(N(slot, position));

    const auto& calls = record.Calls();
    ASSERT_EQ(calls.size(), static_cast<std::size_t>(kServiceSlotCount));
    for (int slot = 0; slot < kServiceSlotCount; ++slot) {
        SCOPED_TRACE("slot " + std::to_string(slot));
        ASSERT_EQ(calls[slot].slot, slot);
        std::vector<std::string> args = calls[slot].args;
        // Arrays handed over are recorded as their addresses; their contents
        // are checked below instead.
        if (slot == 8) args[1] = "";
        if (slot == 9) args[2] = "";
        EXPECT_EQ(args, want[slot]);
    }
    EXPECT_EQ(calls[8].values, (std::vector<float>{8.5f, -8.25f}));
    EXPECT_EQ(calls[9].values, (std::vector<float>{9.5f, -9.25f}));

    // Results, one direction back per kind of return.
    EXPECT_NE(got.value[0], 0) << "the frame handle";
    EXPECT_EQ(got.value[8], 1) << "settings accepted";
    EXPECT_EQ(got.value[17], 1700);
    EXPECT_NE(got.value[22], 0) << "the audio buffer";
    EXPECT_EQ(record.OutstandingAudioBuffers(), 0u);
    EXPECT_TRUE(record.AudioFaults().empty());
    EXPECT_EQ(got.value[24], 2400);
    for (int slot = 0; slot < kServiceSlotCount; ++slot) {
        if (slot_calls::kUnnamedArity[slot] >= 0 && slot != 30) {
            EXPECT_EQ(got.value[slot], 5000 + slot) << "slot " << slot;
        }
    }
    EXPECT_EQ(got.slot30, -30.0625);

#if defined(__i386__)
    // hostsim's 32-bit build calls with a stack aligned to 4 but not 8.
    EXPECT_EQ(got.argumentAddress % 8, 4u);
#endif
}

}  // namespace
