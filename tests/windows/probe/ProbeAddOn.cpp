// A test-only add-on: just enough of the protocol to show the plumbing
// between hostsim and a real DLL. Never shipped.
#include <cstring>

#include "framework/protocol/KEFO_Params.h"

namespace {

int Info(KEFO_Params* record) {
    std::strcpy(record->displayName, "Probe Add-on");
    std::strcpy(record->idString, "KeFoPr");
    record->addOnKind = 99;
    record->addOnVersion = kefo::PackVersion(1, 1);
    record->minHostVersion = kefo::kHostVersion7_0;
    record->attributeA = 2;
    record->attributeB = 1;
    record->SetHelpFile(nullptr);
    record->AddCompanionFile("probe.txt");
    return kefo::kResultHandled;
}

int Create(KEFO_Params* record) {
    static int instance;
    record->context = &instance;
    record->AddMenuItem(kefo::kFirstMenuItemId, kefo::kHostHelpMenu, "Probe help", 0);
    record->FormatText("probe %d-%s", 7, "x");
    const float values[2] = {65537.0f, 0.5f};
    record->StoreSettings(2, values, 0, nullptr);
    return kefo::kResultHandled;
}

}  // namespace

extern "C" __declspec(dllexport) int __stdcall KEFO_Processing(KEFO_Params* record) {
    if (!record) return kefo::kResultUnknown;
    switch (record->command) {
        case kefo::kCmdInfo: return Info(record);
        case kefo::kCmdCreateInstance: return Create(record);
        case kefo::kCmdDestroyInstance: record->context = nullptr; return kefo::kResultHandled;
        default: return kefo::kResultUnknown;
    }
}
