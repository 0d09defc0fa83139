// The parameter record of KEFO_Processing: the one argument every call carries.
//
// The host owns the record. Its first member is the pointer to the table of
// host services (the virtual functions below, in slot order), followed by the
// command and data fields at fixed offsets. Each class of the chain adds what
// one protocol version added; a newer version only appends slots and fields.
//
// Machine-level rules the declarations keep:
//  - no virtual destructor and no overloads, so slot numbers are exact;
//  - members are thiscall on 32-bit x86, the two variadic slots (19, 25) cdecl;
//  - 4-byte packing, so the double at +128 does not pad the record to 344;
//  - every field starts zero, as the record of a host's information query.
// The 32-bit layout is pinned by the static_asserts at the end.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "KEFO_Commands.h"
#include "VersionWord.h"

class KEFO_Params;

// Host function: the record that owns a window registered with RegisterWindow.
typedef KEFO_Params*(__cdecl* KEFO_FindRecordByWindow)(HWND window);

// One user preset as LoadPresets lists it.
struct KEFO_PresetEntry {
    const char* name{};
    std::int32_t hostWord{};  // host-internal, never read by an add-on
    const float* gains{};     // nine band gains in dB
};

#pragma pack(push, 4)

class KEFO_Params {
public:
    // Slots 0 to 25.
    virtual HWND CreateFrame(int frameIndex, const char* title, DWORD style, int zero) = 0;
    virtual void DestroyFrame(HWND frame) = 0;
    virtual void RegisterWindow(HWND dialog) = 0;
    virtual void UnregisterWindow(HWND dialog) = 0;
    virtual void SetHelpFile(const char* fileName) = 0;
    virtual void AddCompanionFile(const char* fileName) = 0;
    virtual int HostSlot6(int, int, int, int, int, int, int, int, int) = 0;
    virtual void DescribeParameters(int count, const char* const* texts) = 0;
    virtual int StoreSettings(int count, const float* values, int change, const char* text) = 0;
    virtual void SavePreset(const char* name, int count, const float* values) = 0;
    virtual void RemovePreset(const char* name) = 0;
    virtual void LoadPresets() = 0;
    virtual void AddMenuItem(int itemId, int parent, const char* caption, int popup) = 0;
    virtual int HostSlot13(int) = 0;
    virtual int HostSlot14(int) = 0;
    virtual void ShowHelp(int contextNumber) = 0;
    virtual void RefreshState() = 0;
    virtual int IsAudioRunning() = 0;
    virtual void SetIndicator(int index, HBITMAP picture, const char* text) = 0;
    virtual void FormatText(const char* format, ...) = 0;
    virtual void FormatErrorText(DWORD errorCode, const char* function, const char* argument) = 0;
    virtual int HostSlot21(int, int, int) = 0;
    virtual void* AllocateAudio(int bytes) = 0;
    virtual void FreeAudio(void* buffer) = 0;
    virtual int ShowMessage(HWND owner, const char* text, DWORD style, int buttons) = 0;
    virtual void ReportError(int zero, const char* format, ...) = 0;

    std::int32_t reserved4{};
    KEFO_FindRecordByWindow findRecordByWindow{};  // given with CreateInstance
    int command{};
    kefo::VersionWord hostVersion{};
    int instanceKind{};
    HWND ownerWindow{};
    std::int32_t reserved28[2]{};
    int menuItemId{};
    int menuItemValue{};
    int frameIndex{};
    HWND aboutParent{};
    int settingsCount{};
    float* settings{};
    int audioStart{};
    int audioEnd{};
    int audioFormatA{};  // channels
    int audioFormatB{};  // sample rate in Hz
    float* audioBuffer{};
    int audioItemCount{};
    std::int32_t reserved84[4]{};
    int presetCount{};
    const KEFO_PresetEntry* presets{};
    int activityFlags[4]{};
    std::int32_t reserved124{};
    double fileOutputValue{};
    std::int32_t reserved136[6]{};
    int currentFormatA{};
    int currentFormatB{};
    std::int32_t reserved168{};
    int keepSaveOption{};
    const char* hostText{};
    char displayName[64]{};
    char idString[10]{};
    char reserved254[2]{};
    int addOnKind{};
    kefo::VersionWord addOnVersion{};
    kefo::VersionWord minHostVersion{};
    int attributeA{};
    int attributeB{};
    void* context{};
    int audioCommands{};
    int updatePeriod{};
    int menuItemState{};
    std::int32_t reserved292{};

protected:
    KEFO_Params() = default;
    ~KEFO_Params() = default;
    KEFO_Params(const KEFO_Params&) = default;
    KEFO_Params& operator=(const KEFO_Params&) = default;
};

class KEFO_Params_5_3 : public KEFO_Params {
public:
    virtual int HostSlot26(int, int, int, int) = 0;
    virtual int HostSlot27(int, int, int, int, int, int, int, int, int) = 0;
    virtual int HostSlot28(int) = 0;
    virtual int HostSlot29(int, int) = 0;

    int requiredEdition{};  // 0 any, 1 middle tier or higher, 2 top tier
    std::int32_t reserved300[7]{};

protected:
    KEFO_Params_5_3() = default;
    ~KEFO_Params_5_3() = default;
    KEFO_Params_5_3(const KEFO_Params_5_3&) = default;
    KEFO_Params_5_3& operator=(const KEFO_Params_5_3&) = default;
};

class KEFO_Params_6_0 : public KEFO_Params_5_3 {
public:
    virtual double HostSlot30() = 0;  // a floating result (ST0 on i686), not EAX
    virtual int HostSlot31(int, int) = 0;
    virtual int HostSlot32(int, int) = 0;
    virtual int HostSlot33() = 0;

protected:
    KEFO_Params_6_0() = default;
    ~KEFO_Params_6_0() = default;
    KEFO_Params_6_0(const KEFO_Params_6_0&) = default;
    KEFO_Params_6_0& operator=(const KEFO_Params_6_0&) = default;
};

class KEFO_Params_7_0 : public KEFO_Params_6_0 {
public:
    virtual int HostSlot34(int, int) = 0;
    virtual int HostSlot35(int) = 0;
    virtual int HostSlot36(int, int) = 0;
    virtual int HostSlot37(int, int, int) = 0;

    int buildNumber{};  // 0 = none
    int betaFlag{};     // nonzero = beta release

protected:
    KEFO_Params_7_0() = default;
    ~KEFO_Params_7_0() = default;
    KEFO_Params_7_0(const KEFO_Params_7_0&) = default;
    KEFO_Params_7_0& operator=(const KEFO_Params_7_0&) = default;
};

class KEFO_Params_7_1 : public KEFO_Params_7_0 {
public:
    virtual int HostSlot38(int) = 0;
    virtual int HostSlot39(int, int, int) = 0;
    virtual int HostSlot40(int, int, int, int, int) = 0;

protected:
    KEFO_Params_7_1() = default;
    ~KEFO_Params_7_1() = default;
    KEFO_Params_7_1(const KEFO_Params_7_1&) = default;
    KEFO_Params_7_1& operator=(const KEFO_Params_7_1&) = default;
};

class KEFO_Params_8_0 : public KEFO_Params_7_1 {
public:
    virtual int HostSlot41(int, int) = 0;
    virtual int HostSlot42(int, int) = 0;
    virtual int HostSlot43() = 0;

    std::int32_t reserved336{};

protected:
    KEFO_Params_8_0() = default;
    ~KEFO_Params_8_0() = default;
    KEFO_Params_8_0(const KEFO_Params_8_0&) = default;
    KEFO_Params_8_0& operator=(const KEFO_Params_8_0&) = default;
};

#pragma pack(pop)

constexpr int kServiceSlotCount = 44;

// The export every add-on provides.
extern "C" typedef int(__stdcall* KEFO_ProcessingFn)(KEFO_Params* record);

#if defined(__i386__)
#include "KEFO_ParamsLayout.h"
#endif
