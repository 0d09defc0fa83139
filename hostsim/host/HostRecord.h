// The stand-in host's parameter record: one per add-on instance (or per
// information query). It implements all 44 service slots the way the host
// does for the services add-ons rely on, records every service call with its
// arguments, and lets a test script the host's answers.
#pragma once

#include <windows.h>

#include <cstdint>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "framework/protocol/KEFO_Params.h"
#include "support/ForeignCall.h"

namespace hostsim {

// One service call as the add-on made it. Arguments are kept as text:
// numbers in decimal, handles and pointers as 0x hex, texts as given and a
// null text as "<null>". Float arrays handed to the host are kept in values.
struct ServiceCall {
    int slot = -1;
    std::string name;
    std::vector<std::string> args;
    std::vector<float> values;
};

struct MenuItem {
    int id;
    int parent;
    std::string caption;
    int popup;
};

// How the host answers; a test changes these before it sends a command.
struct HostScript {
    bool acceptStoreSettings = true;
    std::string storeRefusalText = "The settings could not be stored.";
    int showMessageAnswer = 1;
    int isAudioRunning = 0;
    int activityFlags[4] = {0, 0, 0, 0};
    double fileOutputValue = 0.0;
    int currentFormatA = 2;
    int currentFormatB = 44100;
    int keepSaveOption = 1;
    bool failAllocateAudio = false;
    // Hands back each new frame already destroyed, as a host whose frame was
    // closed before the add-on could fill it.
    bool framesGoneAtOnce = false;
    // The slots no add-on of this system calls answer 0, or base + slot
    // number when a base is set; slot 30 answers its own floating value.
    int unnamedSlotAnswerBase = 0;
    double slot30Answer = 0.0;
};

// What AllocateAudio fills a new buffer with: a quiet NaN whose payload
// no arithmetic makes, so a sample still holding it was never written.
inline constexpr std::uint32_t kUnwrittenSampleBits = 0x7FC0FEEDu;

class HostRecord : public KEFO_Params_8_0 {
public:
    explicit HostRecord(kefo::VersionWord version = kefo::kHostVersion8_0);
    ~HostRecord();
    HostRecord(const HostRecord&) = delete;
    HostRecord& operator=(const HostRecord&) = delete;

    // The add-on this record talks to; frames closed by the user are reported
    // to it with FrameClosed.
    void Attach(KEFO_ProcessingFn processing) { processing_ = processing; }
    // Sets command and calls the add-on; returns its result (0 when the call
    // did not return: LastFailure says how it ended).
    int Send(int commandCode);
    const kefo::ForeignFailure& LastFailure() const { return lastFailure_; }
    // Sends Create; true when the add-on handled it and set a context.
    bool CreateInstance();

    // --- what the add-on did -------------------------------------------
    // The most recent calls, at most kRecentCallLimit of them, oldest first:
    // a long audio stream makes millions of calls and memory stays bounded.
    static constexpr std::size_t kRecentCallLimit = 4096;
    const std::deque<ServiceCall>& Calls() const { return calls_; }
    std::vector<ServiceCall> CallsTo(const std::string& name) const;
    // Every call by that name since the record was made or last cleared,
    // including those that have left the recent calls.
    int CountOf(const std::string& name) const;
    void ClearCalls();

    const std::vector<MenuItem>& MenuItems() const { return menuItems_; }
    const std::vector<float>& StoredSettings() const { return storedSettings_; }
    bool HasStoredSettings() const { return hasStoredSettings_; }
    const std::vector<std::string>& ParameterNames() const { return parameterNames_; }
    const std::map<std::string, std::vector<float>>& Presets() const { return presets_; }
    // HWND of each open frame, by frame index (null when closed).
    HWND Frame(int index) const;
    // Audio buffers handed out and not yet freed.
    std::size_t OutstandingAudioBuffers() const { return audioBuffers_.size(); }
    // Bytes of an audio buffer handed out and not yet freed; -1 for any
    // other pointer.
    long long AudioBufferBytes(const void* buffer) const;
    // FreeAudio calls on pointers the host never handed out (or freed twice);
    // the first kAudioFaultLimit of them.
    static constexpr std::size_t kAudioFaultLimit = 100;
    const std::vector<std::string>& AudioFaults() const { return audioFaults_; }

    // --- host-side helpers ---------------------------------------------
    HostScript script;
    // Stores settings as the host would have them from an earlier session.
    void SetStoredSettings(std::vector<float> values);
    // Adds a user preset to the host's store.
    void PutPreset(const std::string& name, const std::vector<float>& gains);
    // A buffer from the host's own allocator, tracked like AllocateAudio's.
    float* HostAllocateAudio(int items);
    void HostFreeAudio(void* buffer);
    // Destroys the instance's open frames as the host does before command 3.
    void CloseFrames();
    // Closes a frame as the user would (WM_CLOSE): the host destroys it and
    // reports FrameClosed to the add-on.
    void UserClosesFrame(int index);

    // The host's window-to-record function given with command 2.
    static KEFO_Params* __cdecl FindRecordByWindow(HWND window);

    // --- the service table ---------------------------------------------
    HWND CreateFrame(int frameIndex, const char* title, DWORD style, int zero) override;
    void DestroyFrame(HWND frame) override;
    void RegisterWindow(HWND dialog) override;
    void UnregisterWindow(HWND dialog) override;
    void SetHelpFile(const char* fileName) override;
    void AddCompanionFile(const char* fileName) override;
    int HostSlot6(int, int, int, int, int, int, int, int, int) override;
    void DescribeParameters(int count, const char* const* texts) override;
    int StoreSettings(int count, const float* values, int change, const char* text) override;
    void SavePreset(const char* name, int count, const float* values) override;
    void RemovePreset(const char* name) override;
    void LoadPresets() override;
    void AddMenuItem(int itemId, int parent, const char* caption, int popup) override;
    int HostSlot13(int) override;
    int HostSlot14(int) override;
    void ShowHelp(int contextNumber) override;
    void RefreshState() override;
    int IsAudioRunning() override;
    void SetIndicator(int index, HBITMAP picture, const char* text) override;
    void FormatText(const char* format, ...) override;
    void FormatErrorText(DWORD errorCode, const char* function, const char* argument) override;
    int HostSlot21(int, int, int) override;
    void* AllocateAudio(int bytes) override;
    void FreeAudio(void* buffer) override;
    int ShowMessage(HWND owner, const char* text, DWORD style, int buttons) override;
    void ReportError(int zero, const char* format, ...) override;
    int HostSlot26(int, int, int, int) override;
    int HostSlot27(int, int, int, int, int, int, int, int, int) override;
    int HostSlot28(int) override;
    int HostSlot29(int, int) override;
    double HostSlot30() override;
    int HostSlot31(int, int) override;
    int HostSlot32(int, int) override;
    int HostSlot33() override;
    int HostSlot34(int, int) override;
    int HostSlot35(int) override;
    int HostSlot36(int, int) override;
    int HostSlot37(int, int, int) override;
    int HostSlot38(int) override;
    int HostSlot39(int, int, int) override;
    int HostSlot40(int, int, int, int, int) override;
    int HostSlot41(int, int) override;
    int HostSlot42(int, int) override;
    int HostSlot43() override;

private:
    void Record(int slot, const char* name, std::vector<std::string> args,
                std::vector<float> values = {});
    int Stub(int slot, std::vector<std::string> args);
    void SetHostText(std::string text);
    void AddAudioFault(std::string fault);
    void FrameDestroyed(HWND frame);
    static LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    KEFO_ProcessingFn processing_ = nullptr;
    kefo::ForeignFailure lastFailure_;
    std::deque<ServiceCall> calls_;
    std::map<std::string, long long> callCounts_;
    std::vector<MenuItem> menuItems_;
    std::vector<float> storedSettings_;
    bool hasStoredSettings_ = false;
    std::vector<float> settingsHandedOver_;  // what `settings` points at
    std::vector<std::string> parameterNames_;
    std::map<std::string, std::vector<float>> presets_;
    std::vector<KEFO_PresetEntry> presetList_;  // what `presets` points at
    std::string hostTextBuffer_;
    std::map<const void*, long long> audioBuffers_;  // outstanding, with their bytes
    std::vector<std::string> audioFaults_;
    HWND frames_[2] = {nullptr, nullptr};
};

// Text forms used in recorded arguments.
std::string ArgText(const char* text);
std::string ArgPointer(const void* pointer);
std::string ArgHex(unsigned long value);

}  // namespace hostsim
