// The service table's slot numbers, read from the compiler's own encoding of
// a pointer to a virtual member: 1 + the slot's byte offset in the table.
#include <gtest/gtest.h>

#include <cstring>

#include "framework/protocol/KEFO_Params.h"

namespace {

template <typename Member>
std::ptrdiff_t SlotOf(Member member) {
    static_assert(sizeof(Member) == 2 * sizeof(std::ptrdiff_t), "pointer-to-member layout");
    std::ptrdiff_t words[2];
    std::memcpy(words, &member, sizeof words);
    return (words[0] - 1) / static_cast<std::ptrdiff_t>(sizeof(void*));
}

TEST(ServiceSlots, NamedServicesSitInTheirSlots) {
    EXPECT_EQ(SlotOf(&KEFO_Params_8_0::CreateFrame), 0);
    EXPECT_EQ(SlotOf(&KEFO_Params_8_0::DestroyFrame), 1);
    EXPECT_EQ(SlotOf(&KEFO_Params_8_0::RegisterWindow), 2);
    EXPECT_EQ(SlotOf(&KEFO_Params_8_0::UnregisterWindow), 3);
    EXPECT_EQ(SlotOf(&KEFO_Params_8_0::SetHelpFile), 4);
    EXPECT_EQ(SlotOf(&KEFO_Params_8_0::AddCompanionFile), 5);
    EXPECT_EQ(SlotOf(&KEFO_Params_8_0::DescribeParameters), 7);
    EXPECT_EQ(SlotOf(&KEFO_Params_8_0::StoreSettings), 8);
    EXPECT_EQ(SlotOf(&KEFO_Params_8_0::SavePreset), 9);
    EXPECT_EQ(SlotOf(&KEFO_Params_8_0::RemovePreset), 10);
    EXPECT_EQ(SlotOf(&KEFO_Params_8_0::LoadPresets), 11);
    EXPECT_EQ(SlotOf(&KEFO_Params_8_0::AddMenuItem), 12);
    EXPECT_EQ(SlotOf(&KEFO_Params_8_0::ShowHelp), 15);
    EXPECT_EQ(SlotOf(&KEFO_Params_8_0::RefreshState), 16);
    EXPECT_EQ(SlotOf(&KEFO_Params_8_0::IsAudioRunning), 17);
    EXPECT_EQ(SlotOf(&KEFO_Params_8_0::SetIndicator), 18);
    EXPECT_EQ(SlotOf(&KEFO_Params_8_0::FormatText), 19);
    EXPECT_EQ(SlotOf(&KEFO_Params_8_0::FormatErrorText), 20);
    EXPECT_EQ(SlotOf(&KEFO_Params_8_0::AllocateAudio), 22);
    EXPECT_EQ(SlotOf(&KEFO_Params_8_0::FreeAudio), 23);
    EXPECT_EQ(SlotOf(&KEFO_Params_8_0::ShowMessage), 24);
    EXPECT_EQ(SlotOf(&KEFO_Params_8_0::ReportError), 25);
}

TEST(ServiceSlots, NewerVersionsAppendUpTo44Slots) {
    EXPECT_EQ(SlotOf(&KEFO_Params_5_3::HostSlot26), 26);
    EXPECT_EQ(SlotOf(&KEFO_Params_6_0::HostSlot30), 30);
    EXPECT_EQ(SlotOf(&KEFO_Params_7_0::HostSlot34), 34);
    EXPECT_EQ(SlotOf(&KEFO_Params_7_1::HostSlot38), 38);
    EXPECT_EQ(SlotOf(&KEFO_Params_8_0::HostSlot43), kServiceSlotCount - 1);
}

}  // namespace
