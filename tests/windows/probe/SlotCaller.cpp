// A test-only add-on that, on command 2, calls each of the 44 service slots of
// the host's record once and keeps what each returned: the calling
// conventions of the table (thiscall members, cdecl variadic slots, the
// floating result of slot 30) proven at run time across a real DLL boundary.
// Never shipped.
#include <cstdint>
#include <cstring>

#include "SlotCalls.h"

namespace {

using slot_calls::Arg;

slot_calls::Results g_results;

template <typename T>
T Fake(int slot) {  // a handle value the host only records
    return reinterpret_cast<T>(static_cast<std::intptr_t>(Arg(slot, 0)));
}

template <typename T>
std::intptr_t Kept(T value) {
    return static_cast<std::intptr_t>(value);
}

void CallEverySlot(KEFO_Params_8_0* r) {
    std::intptr_t* got = g_results.value;
    HWND frame = r->CreateFrame(1, "s0", 0x00CF0000 /* overlapped, hidden */, Arg(0, 3));
    got[0] = reinterpret_cast<std::intptr_t>(frame);
    r->DestroyFrame(frame);
    r->RegisterWindow(Fake<HWND>(2));
    r->UnregisterWindow(Fake<HWND>(3));
    r->SetHelpFile("s4");
    r->AddCompanionFile("s5");
    got[6] = r->HostSlot6(Arg(6, 0), Arg(6, 1), Arg(6, 2), Arg(6, 3), Arg(6, 4), Arg(6, 5),
                          Arg(6, 6), Arg(6, 7), Arg(6, 8));
    static const char* const names[] = {"s7.1", "s7.2"};
    r->DescribeParameters(2, names);
    static const float settings[] = {8.5f, -8.25f};
    got[8] = r->StoreSettings(2, settings, Arg(8, 2), "s8");
    static const float gains[] = {9.5f, -9.25f};
    r->SavePreset("s9", 2, gains);
    r->RemovePreset("s10");
    r->LoadPresets();
    r->AddMenuItem(Arg(12, 0), Arg(12, 1), "s12", Arg(12, 3));
    got[13] = r->HostSlot13(Arg(13, 0));
    got[14] = r->HostSlot14(Arg(14, 0));
    r->ShowHelp(Arg(15, 0));
    r->RefreshState();
    got[17] = r->IsAudioRunning();
    r->SetIndicator(Arg(18, 0), Fake<HBITMAP>(18), "s18");
    r->FormatText("%d %s %.2f %d", Arg(19, 1), "s19", 19.5, Arg(19, 4));
    r->FormatErrorText(static_cast<DWORD>(Arg(20, 0)), "s20.1", "s20.2");
    got[21] = r->HostSlot21(Arg(21, 0), Arg(21, 1), Arg(21, 2));
    void* buffer = r->AllocateAudio(Arg(22, 0));
    got[22] = reinterpret_cast<std::intptr_t>(buffer);
    r->FreeAudio(buffer);
    got[24] = r->ShowMessage(Fake<HWND>(24), "s24", static_cast<DWORD>(Arg(24, 2)), Arg(24, 3));
    r->ReportError(Arg(25, 0), "%s %.1f %d", "s25", 25.5, Arg(25, 4));
    got[26] = r->HostSlot26(Arg(26, 0), Arg(26, 1), Arg(26, 2), Arg(26, 3));
    got[27] = r->HostSlot27(Arg(27, 0), Arg(27, 1), Arg(27, 2), Arg(27, 3), Arg(27, 4), Arg(27, 5),
                            Arg(27, 6), Arg(27, 7), Arg(27, 8));
    got[28] = r->HostSlot28(Arg(28, 0));
    got[29] = r->HostSlot29(Arg(29, 0), Arg(29, 1));
    g_results.slot30 = r->HostSlot30();
    got[31] = r->HostSlot31(Arg(31, 0), Arg(31, 1));
    got[32] = r->HostSlot32(Arg(32, 0), Arg(32, 1));
    got[33] = r->HostSlot33();
    got[34] = r->HostSlot34(Arg(34, 0), Arg(34, 1));
    got[35] = r->HostSlot35(Arg(35, 0));
    got[36] = r->HostSlot36(Arg(36, 0), Arg(36, 1));
    got[37] = r->HostSlot37(Arg(37, 0), Arg(37, 1), Arg(37, 2));
    got[38] = r->HostSlot38(Arg(38, 0));
    got[39] = r->HostSlot39(Arg(39, 0), Arg(39, 1), Arg(39, 2));
    got[40] = r->HostSlot40(Arg(40, 0), Arg(40, 1), Arg(40, 2), Arg(40, 3), Arg(40, 4));
    got[41] = r->HostSlot41(Arg(41, 0), Arg(41, 1));
    got[42] = r->HostSlot42(Arg(42, 0), Arg(42, 1));
    got[43] = r->HostSlot43();
}

}  // namespace

extern "C" __declspec(dllexport) const slot_calls::Results* __cdecl KEFO_SlotResults() {
    return &g_results;
}

extern "C" __declspec(dllexport) int __stdcall KEFO_Processing(KEFO_Params* record) {
    // Where the host put the argument: a host may align its stack to 4 only.
    g_results.argumentAddress = reinterpret_cast<std::uintptr_t>(&record);
    if (!record || record->command != kefo::kCmdCreateInstance) return kefo::kResultUnknown;
    if (record->hostVersion < kefo::kHostVersion8_0) return kefo::kResultUnknown;
    std::memset(g_results.value, 0, sizeof g_results.value);
    g_results.slot30 = 0.0;
    CallEverySlot(static_cast<KEFO_Params_8_0*>(record));
    return kefo::kResultHandled;
}
