#include "HostRecord.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "ProcessingCall.h"

namespace hostsim {
namespace {

// Windows registered by add-on dialogs, for findRecordByWindow. The host
// runs all instances on one thread, as the add-ons expect.
std::map<HWND, KEFO_Params*>& RegisteredWindows() {
    static std::map<HWND, KEFO_Params*> windows;
    return windows;
}

const wchar_t kFrameClass[] = L"KefoHostSimFrame";

struct FrameInfo {
    HostRecord* record;
    int index;
};

std::string VFormat(const char* format, va_list args) {
    if (!format) return "<null>";
    va_list copy;
    va_copy(copy, args);
    int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (length < 0) return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, args);
    text.resize(static_cast<std::size_t>(length));
    return text;
}

std::string Num(long long value) {
    return std::to_string(value);
}

}  // namespace

std::string ArgText(const char* text) {
    return text ? std::string(text) : std::string("<null>");
}

std::string ArgPointer(const void* pointer) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%llx",
                  static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(pointer)));
    return text;
}

std::string ArgHex(unsigned long value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%lx", value);
    return text;
}

HostRecord::HostRecord(kefo::VersionWord version) {
    hostVersion = version;
    findRecordByWindow = &HostRecord::FindRecordByWindow;
}

HostRecord::~HostRecord() {
    CloseFrames();
    for (auto it = RegisteredWindows().begin(); it != RegisteredWindows().end();) {
        it = it->second == this ? RegisteredWindows().erase(it) : std::next(it);
    }
    for (const auto& buffer : audioBuffers_) std::free(const_cast<void*>(buffer.first));
}

int HostRecord::Send(int commandCode) {
    command = commandCode;
    lastFailure_ = kefo::ForeignFailure{};
    return processing_ ? CallProcessing(processing_, this, &lastFailure_) : 0;
}

bool HostRecord::CreateInstance() {
    return Send(kefo::kCmdCreateInstance) == kefo::kResultHandled && context != nullptr;
}

std::vector<ServiceCall> HostRecord::CallsTo(const std::string& name) const {
    std::vector<ServiceCall> found;
    for (const auto& call : calls_)
        if (call.name == name) found.push_back(call);
    return found;
}

int HostRecord::CountOf(const std::string& name) const {
    const auto it = callCounts_.find(name);
    return it == callCounts_.end() ? 0 : static_cast<int>(it->second);
}

void HostRecord::ClearCalls() {
    calls_.clear();
    callCounts_.clear();
}

HWND HostRecord::Frame(int index) const {
    return index == 0 || index == 1 ? frames_[index] : nullptr;
}

void HostRecord::SetStoredSettings(std::vector<float> values) {
    storedSettings_ = values;
    hasStoredSettings_ = true;
    settingsHandedOver_ = std::move(values);
    settings = settingsHandedOver_.data();
    settingsCount = static_cast<int>(settingsHandedOver_.size());
}

void HostRecord::PutPreset(const std::string& name, const std::vector<float>& gains) {
    presets_[name] = gains;
}

float* HostRecord::HostAllocateAudio(int items) {
    const std::size_t count = items > 0 ? static_cast<std::size_t>(items) : 1;
    void* buffer = std::calloc(count, sizeof(float));
    if (buffer) audioBuffers_[buffer] = static_cast<long long>(count * sizeof(float));
    return static_cast<float*>(buffer);
}

long long HostRecord::AudioBufferBytes(const void* buffer) const {
    const auto found = audioBuffers_.find(buffer);
    return found == audioBuffers_.end() ? -1 : found->second;
}

void HostRecord::HostFreeAudio(void* buffer) {
    if (!buffer) return;
    if (audioBuffers_.erase(buffer)) {
        std::free(buffer);
    } else {
        AddAudioFault("host freed unknown buffer " + ArgPointer(buffer));
    }
}

void HostRecord::Record(int slot, const char* name, std::vector<std::string> args,
                        std::vector<float> values) {
    ++callCounts_[name];
    if (calls_.size() == kRecentCallLimit) calls_.pop_front();
    calls_.push_back(ServiceCall{slot, name, std::move(args), std::move(values)});
}

void HostRecord::AddAudioFault(std::string fault) {
    if (audioFaults_.size() < kAudioFaultLimit) audioFaults_.push_back(std::move(fault));
}

int HostRecord::Stub(int slot, std::vector<std::string> args) {
    Record(slot, ("HostSlot" + std::to_string(slot)).c_str(), std::move(args));
    return script.unnamedSlotAnswerBase ? script.unnamedSlotAnswerBase + slot : 0;
}

void HostRecord::SetHostText(std::string text) {
    hostTextBuffer_ = std::move(text);
    hostText = hostTextBuffer_.c_str();
}

KEFO_Params* __cdecl HostRecord::FindRecordByWindow(HWND window) {
    auto& windows = RegisteredWindows();
    auto it = windows.find(window);
    return it == windows.end() ? nullptr : it->second;
}

// --- frames ---------------------------------------------------------------

LRESULT CALLBACK HostRecord::FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* info = reinterpret_cast<FrameInfo*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
        case WM_NCCREATE: {
            auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(window, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(create->lpCreateParams));
            break;
        }
        case WM_PARENTNOTIFY:
            // Fit the frame around the dialog the add-on creates in it.
            if (LOWORD(wParam) == WM_CREATE) {
                RECT child;
                GetWindowRect(reinterpret_cast<HWND>(lParam), &child);
                RECT frame = {0, 0, child.right - child.left, child.bottom - child.top};
                AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)),
                                   FALSE, static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE)));
                SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left,
                             frame.bottom - frame.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            }
            break;
        case WM_CLOSE:
            if (info) {
                info->record->UserClosesFrame(info->index);
                return 0;
            }
            break;
        case WM_NCDESTROY:
            if (info) {
                info->record->FrameDestroyed(window);
                delete info;
                SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            }
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND HostRecord::CreateFrame(int frameIndex, const char* title, DWORD style, int zero) {
    Record(0, "CreateFrame", {Num(frameIndex), ArgText(title), ArgHex(style), Num(zero)});
    if (frameIndex != 0 && frameIndex != 1) return nullptr;
    if (frames_[frameIndex]) return frames_[frameIndex];

    static const ATOM frameClass = [] {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = &HostRecord::FrameProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = kFrameClass;
        return RegisterClassW(&windowClass);
    }();
    if (!frameClass) return nullptr;

    auto* info = new FrameInfo{this, frameIndex};
    HWND frame =
        CreateWindowExA(0, "KefoHostSimFrame", title ? title : "", style, CW_USEDEFAULT,
                        CW_USEDEFAULT, 320, 240, nullptr, nullptr, GetModuleHandleW(nullptr), info);
    if (!frame) {
        delete info;
        return nullptr;
    }
    frames_[frameIndex] = frame;
    if (script.framesGoneAtOnce) DestroyWindow(frame);
    return frame;
}

void HostRecord::DestroyFrame(HWND frame) {
    Record(1, "DestroyFrame", {ArgPointer(frame)});
    if (frame && (frame == frames_[0] || frame == frames_[1])) DestroyWindow(frame);
}

void HostRecord::FrameDestroyed(HWND frame) {
    for (HWND& slot : frames_)
        if (slot == frame) slot = nullptr;
}

void HostRecord::CloseFrames() {
    for (HWND frame : frames_)
        if (frame) DestroyWindow(frame);
}

void HostRecord::UserClosesFrame(int index) {
    HWND frame = Frame(index);
    if (!frame) return;
    DestroyWindow(frame);
    frameIndex = index;
    Send(kefo::kCmdFrameClosed);
}

void HostRecord::RegisterWindow(HWND dialog) {
    Record(2, "RegisterWindow", {ArgPointer(dialog)});
    if (dialog) RegisteredWindows()[dialog] = this;
}

void HostRecord::UnregisterWindow(HWND dialog) {
    Record(3, "UnregisterWindow", {ArgPointer(dialog)});
    auto& windows = RegisteredWindows();
    auto it = windows.find(dialog);
    if (it != windows.end() && it->second == this) windows.erase(it);
}

// --- information ----------------------------------------------------------

void HostRecord::SetHelpFile(const char* fileName) {
    Record(4, "SetHelpFile", {ArgText(fileName)});
}

void HostRecord::AddCompanionFile(const char* fileName) {
    Record(5, "AddCompanionFile", {ArgText(fileName)});
}

void HostRecord::DescribeParameters(int count, const char* const* texts) {
    std::vector<std::string> args{Num(count)};
    parameterNames_.clear();
    for (int i = 0; texts && i < count; ++i) {
        parameterNames_.push_back(ArgText(texts[i]));
        args.push_back(parameterNames_.back());
    }
    Record(7, "DescribeParameters", std::move(args));
}

// --- settings and presets -------------------------------------------------

int HostRecord::StoreSettings(int count, const float* values, int change, const char* text) {
    std::vector<float> copy;
    if (values && count > 0) copy.assign(values, values + count);
    Record(8, "StoreSettings", {Num(count), ArgPointer(values), Num(change), ArgText(text)}, copy);
    if (!script.acceptStoreSettings) {
        SetHostText(script.storeRefusalText);
        return 0;
    }
    storedSettings_ = std::move(copy);
    hasStoredSettings_ = true;
    return 1;
}

void HostRecord::SavePreset(const char* name, int count, const float* values) {
    std::vector<float> copy;
    if (values && count > 0) copy.assign(values, values + count);
    Record(9, "SavePreset", {ArgText(name), Num(count), ArgPointer(values)}, copy);
    if (name) presets_[name] = std::move(copy);
}

void HostRecord::RemovePreset(const char* name) {
    Record(10, "RemovePreset", {ArgText(name)});
    if (name) presets_.erase(name);
}

void HostRecord::LoadPresets() {
    Record(11, "LoadPresets", {});
    presetList_.clear();
    for (const auto& [name, gains] : presets_)
        presetList_.push_back(KEFO_PresetEntry{name.c_str(), 0, gains.data()});
    presetCount = static_cast<int>(presetList_.size());
    presets = presetList_.empty() ? nullptr : presetList_.data();
}

// --- menus, help, state ---------------------------------------------------

void HostRecord::AddMenuItem(int itemId, int parent, const char* caption, int popup) {
    Record(12, "AddMenuItem", {Num(itemId), Num(parent), ArgText(caption), Num(popup)});
    menuItems_.push_back(MenuItem{itemId, parent, ArgText(caption), popup});
}

void HostRecord::ShowHelp(int contextNumber) {
    Record(15, "ShowHelp", {ArgHex(static_cast<unsigned long>(contextNumber))});
}

void HostRecord::RefreshState() {
    Record(16, "RefreshState", {});
    for (int i = 0; i < 4; ++i) activityFlags[i] = script.activityFlags[i];
    fileOutputValue = script.fileOutputValue;
    currentFormatA = script.currentFormatA;
    currentFormatB = script.currentFormatB;
    keepSaveOption = script.keepSaveOption;
}

int HostRecord::IsAudioRunning() {
    Record(17, "IsAudioRunning", {});
    return script.isAudioRunning;
}

void HostRecord::SetIndicator(int index, HBITMAP picture, const char* text) {
    Record(18, "SetIndicator", {Num(index), ArgPointer(picture), ArgText(text)});
}

void HostRecord::FormatText(const char* format, ...) {
    va_list args;
    va_start(args, format);
    SetHostText(VFormat(format, args));
    va_end(args);
    Record(19, "FormatText", {ArgText(format), hostTextBuffer_});
}

void HostRecord::FormatErrorText(DWORD errorCode, const char* function, const char* argument) {
    Record(20, "FormatErrorText", {Num(errorCode), ArgText(function), ArgText(argument)});
    char system[256] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, errorCode,
                   0, system, sizeof system, nullptr);
    std::string text = ArgText(function);
    if (argument) text += std::string("(") + argument + ")";
    text += " failed: ";
    text += system[0] ? system : "error " + std::to_string(errorCode);
    SetHostText(text);
}

int HostRecord::ShowMessage(HWND owner, const char* text, DWORD style, int buttons) {
    Record(24, "ShowMessage", {ArgPointer(owner), ArgText(text), ArgHex(style), Num(buttons)});
    return script.showMessageAnswer;
}

void HostRecord::ReportError(int zero, const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = VFormat(format, args);
    va_end(args);
    Record(25, "ReportError", {Num(zero), ArgText(format), text});
}

// --- audio buffers --------------------------------------------------------

void* HostRecord::AllocateAudio(int bytes) {
    Record(22, "AllocateAudio", {Num(bytes)});
    if (script.failAllocateAudio || bytes <= 0) return nullptr;
    void* buffer = std::malloc(static_cast<std::size_t>(bytes));
    if (!buffer) return nullptr;
    audioBuffers_[buffer] = bytes;
    std::memset(buffer, 0, static_cast<std::size_t>(bytes));
    auto* samples = static_cast<std::uint32_t*>(buffer);
    for (int i = 0; i < bytes / 4; ++i) samples[i] = kUnwrittenSampleBits;
    return buffer;
}

void HostRecord::FreeAudio(void* buffer) {
    Record(23, "FreeAudio", {ArgPointer(buffer)});
    if (!buffer) return;
    if (audioBuffers_.erase(buffer)) {
        std::free(buffer);
    } else {
        AddAudioFault("FreeAudio of a buffer the host does not own: " + ArgPointer(buffer));
    }
}

// --- slots no add-on of this system calls ------------------------------------

int HostRecord::HostSlot6(int a, int b, int c, int d, int e, int f, int g, int h, int i) {
    return Stub(6, {Num(a), Num(b), Num(c), Num(d), Num(e), Num(f), Num(g), Num(h), Num(i)});
}
int HostRecord::HostSlot13(int a) {
    return Stub(13, {Num(a)});
}
int HostRecord::HostSlot14(int a) {
    return Stub(14, {Num(a)});
}
int HostRecord::HostSlot21(int a, int b, int c) {
    return Stub(21, {Num(a), Num(b), Num(c)});
}
int HostRecord::HostSlot26(int a, int b, int c, int d) {
    return Stub(26, {Num(a), Num(b), Num(c), Num(d)});
}
int HostRecord::HostSlot27(int a, int b, int c, int d, int e, int f, int g, int h, int i) {
    return Stub(27, {Num(a), Num(b), Num(c), Num(d), Num(e), Num(f), Num(g), Num(h), Num(i)});
}
int HostRecord::HostSlot28(int a) {
    return Stub(28, {Num(a)});
}
int HostRecord::HostSlot29(int a, int b) {
    return Stub(29, {Num(a), Num(b)});
}
double HostRecord::HostSlot30() {
    Stub(30, {});
    return script.slot30Answer;
}
int HostRecord::HostSlot31(int a, int b) {
    return Stub(31, {Num(a), Num(b)});
}
int HostRecord::HostSlot32(int a, int b) {
    return Stub(32, {Num(a), Num(b)});
}
int HostRecord::HostSlot33() {
    return Stub(33, {});
}
int HostRecord::HostSlot34(int a, int b) {
    return Stub(34, {Num(a), Num(b)});
}
int HostRecord::HostSlot35(int a) {
    return Stub(35, {Num(a)});
}
int HostRecord::HostSlot36(int a, int b) {
    return Stub(36, {Num(a), Num(b)});
}
int HostRecord::HostSlot37(int a, int b, int c) {
    return Stub(37, {Num(a), Num(b), Num(c)});
}
int HostRecord::HostSlot38(int a) {
    return Stub(38, {Num(a)});
}
int HostRecord::HostSlot39(int a, int b, int c) {
    return Stub(39, {Num(a), Num(b), Num(c)});
}
int HostRecord::HostSlot40(int a, int b, int c, int d, int e) {
    return Stub(40, {Num(a), Num(b), Num(c), Num(d), Num(e)});
}
int HostRecord::HostSlot41(int a, int b) {
    return Stub(41, {Num(a), Num(b)});
}
int HostRecord::HostSlot42(int a, int b) {
    return Stub(42, {Num(a), Num(b)});
}
int HostRecord::HostSlot43() {
    return Stub(43, {});
}

}  // namespace hostsim
