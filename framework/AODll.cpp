#include "framework/AODll.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "framework/AOContext.h"
#include "support/CallSiteMarker.h"

namespace {

AODll* theModule = nullptr;                        // set by the derived object's construction
KEFO_FindRecordByWindow windowToRecord = nullptr;  // the last one given with CreateInstance

AOContext* ContextOf(const KEFO_Params* record) {
    return static_cast<AOContext*>(record->context);
}

// Copies at most size - 1 characters and always terminates.
void CopyText(char* target, std::size_t size, const char* source) {
    std::size_t length = source ? std::min(std::strlen(source), size - 1) : 0;
    if (length) std::memcpy(target, source, length);
    target[length] = '\0';
}

using Handler = int (AODll::*)(KEFO_Params*);

struct CommandRow {
    int command;
    Handler handler;
};

const CommandRow kCommands[] = {
    {kefo::kCmdInfo, &AODll::OnInfo},
    {kefo::kCmdCreateInstance, &AODll::OnCreateInstance},
    {kefo::kCmdDestroyInstance, &AODll::OnDestroyInstance},
    {kefo::kCmdFrameClosed, &AODll::OnFrameClosed},
    {kefo::kCmdNone5, &AODll::OnCommand5},
    {kefo::kCmdQueryMenuItem, &AODll::OnQueryMenuItem},
    {kefo::kCmdSetMenuItem, &AODll::OnSetMenuItem},
    {kefo::kCmdMenuCommand, &AODll::OnMenuCommand},
    {kefo::kCmdSettingsChanged, &AODll::OnSettingsChanged},
    {kefo::kCmdSettingsApplied, &AODll::OnSettingsApplied},
    {kefo::kCmdSetParameters, &AODll::OnSetParameters},
    {kefo::kCmdStateChanged, &AODll::OnStateChanged},
    {kefo::kCmdAbout, &AODll::OnAbout},
    {kefo::kCmdColorsChanged, &AODll::OnColorsChanged},
    {kefo::kCmdFramework15, &AODll::OnCommand15},
    {kefo::kCmdAnalyzeFeedA, &AODll::OnAnalyzeFeedA},
    {kefo::kCmdProcessRecording, &AODll::OnProcessRecording},
    {kefo::kCmdProcessPlayback, &AODll::OnProcessPlayback},
    {kefo::kCmdAnalyzeFeedB, &AODll::OnAnalyzeFeedB},
    {kefo::kCmdProcessSaving, &AODll::OnProcessSaving},
};

// Runs one operation of the record's instance; a record without an instance
// (never created, refused, or already destroyed) leaves the command a no-op.
template <typename Operation>
int WithInstance(KEFO_Params* record, Operation operation) {
    if (AOContext* context = ContextOf(record)) operation(*context);
    return kefo::kResultHandled;
}

}  // namespace

// --- the DLL's two entry points ----------------------------------------------

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    KEFO_MARK();
    try {
        return theModule ? theModule->DllEntry(module, reason) : TRUE;
    } catch (...) {
        return FALSE;
    }
}

// No exception ever reaches the host: a failure inside answers 0.
extern "C" __declspec(dllexport) int __stdcall KEFO_Processing(KEFO_Params* record) {
    KEFO_MARK();
    if (!record || !theModule) return kefo::kResultUnknown;
    try {
        return theModule->Process(record);
    } catch (...) {
        return kefo::kResultUnknown;
    }
}

// --- construction and the module-wide state ----------------------------------

AODll::AODll(const AOTables& tables) : tables_(tables) {
    KEFO_MARK_FILL();
    theModule = this;
}

AODll::~AODll() {
    KEFO_MARK_FILL();
    if (theModule == this) theModule = nullptr;
}

AODll* AODll::Module() {
    return theModule;
}

KEFO_FindRecordByWindow AODll::WindowToRecord() {
    return windowToRecord;
}

void AODll::SetIdentity(const AOIdentity& identity) {
    KEFO_MARK();
    addOnKind_ = identity.addOnKind;
    addOnVersion_ = identity.addOnVersion;
    minHostVersion_ = identity.minHostVersion;
    attributeA_ = identity.attributeA;
    attributeB_ = identity.attributeB;
    nameStringId_ = identity.nameStringId;
    CopyText(idString_, sizeof idString_, identity.idString);
    aboutDialogId_ = identity.aboutDialogId;
}

void AODll::LoadName() {
    KEFO_MARK();
    name_[0] = '\0';
    if (LoadStringA(module_, static_cast<UINT>(nameStringId_), name_, sizeof name_) <= 0)
        name_[0] = '\0';
}

// --- entry and dispatch ------------------------------------------------------

BOOL AODll::DllEntry(HINSTANCE module, DWORD reason) {
    KEFO_MARK();
    switch (reason) {
        case DLL_PROCESS_DETACH: return OnProcessDetach();
        case DLL_PROCESS_ATTACH: return OnProcessAttach(module);
        case DLL_THREAD_ATTACH: return OnThreadAttach();
        case DLL_THREAD_DETACH: return OnThreadDetach();
        default: return TRUE;
    }
}

BOOL AODll::OnProcessAttach(HINSTANCE module) {
    KEFO_MARK();
    module_ = module;
    DisableThreadLibraryCalls(module);
    return TRUE;
}

BOOL AODll::OnThreadAttach() {
    KEFO_MARK();
    return TRUE;
}

BOOL AODll::OnProcessDetach() {
    KEFO_MARK();
    module_ = nullptr;
    return TRUE;
}

BOOL AODll::OnThreadDetach() {
    KEFO_MARK();
    return TRUE;
}

int AODll::Process(KEFO_Params* record) {
    KEFO_MARK();
    for (const CommandRow& row : kCommands)
        if (row.command == record->command) return (this->*row.handler)(record);
    return kefo::kResultUnknown;
}

// --- module-level commands ---------------------------------------------------

int AODll::OnInfo(KEFO_Params* record) {
    KEFO_MARK();
    record->addOnKind = addOnKind_;
    record->addOnVersion = addOnVersion_;
    record->minHostVersion = minHostVersion_;
    LoadName();
    CopyText(record->displayName, sizeof record->displayName, name_);
    CopyText(record->idString, sizeof record->idString, idString_);
    record->attributeA = attributeA_;
    record->attributeB = attributeB_;
    record->SetHelpFile(tables_.helpFile);
    for (const char* const* file = tables_.companionFiles; file && *file; ++file)
        record->AddCompanionFile(*file);
    return kefo::kResultHandled;
}

int AODll::OnCreateInstance(KEFO_Params* record) {
    KEFO_MARK();
    const int kind = record->instanceKind;
    if (kind != kefo::kKindFull && kind != kefo::kKindDialogOnly && kind != kefo::kKindHeadless)
        return kefo::kResultKindNotServed;
    windowToRecord = record->findRecordByWindow;

    // Until Open has finished, the instance belongs to this function: an
    // exception on the way leaves the record without an instance.
    auto deleter = [this](AOContext* context) { DeleteContext(context); };
    std::unique_ptr<AOContext, decltype(deleter)> context(CreateContext(kind), deleter);
    record->context = context.get();
    if (!context) return kefo::kResultKindNotServed;
    try {
        context->SetRecord(record);
        context->Open();
    } catch (...) {
        context->Close();
        record->context = nullptr;
        throw;
    }
    context.release();
    return kefo::kResultHandled;
}

int AODll::OnDestroyInstance(KEFO_Params* record) {
    KEFO_MARK();
    AOContext* context = ContextOf(record);
    if (context) context->Close();
    DeleteContext(context);
    // A late command on this record then finds no instance instead of a
    // dangling pointer.
    record->context = nullptr;
    return kefo::kResultHandled;
}

int AODll::OnAbout(KEFO_Params* record) {
    KEFO_MARK();
    // The dialog's texts are completed by the instance; without one there is
    // nothing to show.
    if (!ContextOf(record)) return kefo::kResultHandled;
    if (!name_[0]) LoadName();
    DialogBoxParamA(module_, MAKEINTRESOURCEA(aboutDialogId_), record->aboutParent,
                    &AODll::DialogProc, reinterpret_cast<LPARAM>(record));
    return kefo::kResultHandled;
}

// --- commands forwarded to the instance --------------------------------------

int AODll::OnFrameClosed(KEFO_Params* record) {
    KEFO_MARK();
    return WithInstance(record, [&](AOContext& c) { c.FrameClosed(record->frameIndex); });
}

int AODll::OnCommand5(KEFO_Params*) {
    KEFO_MARK_FILL();
    return kefo::kResultHandled;
}

int AODll::OnQueryMenuItem(KEFO_Params* record) {
    KEFO_MARK();
    return WithInstance(record, [](AOContext& c) { c.QueryMenuItem(); });
}

int AODll::OnSetMenuItem(KEFO_Params*) {
    KEFO_MARK_FILL();
    return kefo::kResultHandled;
}

int AODll::OnMenuCommand(KEFO_Params* record) {
    KEFO_MARK();
    return WithInstance(record, [&](AOContext& c) { c.MenuCommand(record->menuItemId); });
}

int AODll::OnSettingsChanged(KEFO_Params* record) {
    KEFO_MARK();
    return WithInstance(record, [&](AOContext& c) {
        c.LoadSettings();
        record->RefreshState();
        c.FormatChanged(record->currentFormatA, record->currentFormatB, 0);
        c.SetAudioRequest();
    });
}

int AODll::OnSettingsApplied(KEFO_Params*) {
    KEFO_MARK_FILL();
    return kefo::kResultHandled;
}

int AODll::OnSetParameters(KEFO_Params*) {
    KEFO_MARK_FILL();
    return kefo::kResultHandled;
}

int AODll::OnStateChanged(KEFO_Params* record) {
    KEFO_MARK();
    // Dialog-only instances have no part in the host's running state.
    if (record->instanceKind == kefo::kKindDialogOnly) return kefo::kResultHandled;
    return WithInstance(record, [&](AOContext& c) {
        record->RefreshState();
        c.StateChanged();
    });
}

int AODll::OnColorsChanged(KEFO_Params*) {
    KEFO_MARK_FILL();
    return kefo::kResultHandled;
}

int AODll::OnCommand15(KEFO_Params* record) {
    KEFO_MARK();
    return WithInstance(record, [](AOContext& c) { c.Command15(); });
}

int AODll::OnAnalyzeFeedA(KEFO_Params* record) {
    KEFO_MARK();
    return WithInstance(record, [](AOContext& c) { c.AnalyzeFeedA(); });
}

int AODll::OnProcessRecording(KEFO_Params* record) {
    KEFO_MARK();
    return WithInstance(record, [](AOContext& c) { c.ProcessRecording(); });
}

int AODll::OnProcessPlayback(KEFO_Params* record) {
    KEFO_MARK();
    return WithInstance(record, [](AOContext& c) { c.ProcessPlayback(); });
}

int AODll::OnAnalyzeFeedB(KEFO_Params* record) {
    KEFO_MARK();
    return WithInstance(record, [](AOContext& c) { c.AnalyzeFeedB(); });
}

int AODll::OnProcessSaving(KEFO_Params* record) {
    KEFO_MARK();
    return WithInstance(record, [](AOContext& c) { c.ProcessSaving(); });
}

// --- the shared dialog procedure ---------------------------------------------

INT_PTR CALLBACK AODll::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    KEFO_MARK();
    try {
        if (message == WM_INITDIALOG) {
            auto* record = reinterpret_cast<KEFO_Params*>(lParam);
            return record && record->context ? ContextOf(record)->OnInitDialog(window) : FALSE;
        }
        if (message != WM_DESTROY && message != WM_HELP && message != WM_COMMAND) return FALSE;
        KEFO_Params* record = windowToRecord ? windowToRecord(window) : nullptr;
        AOContext* context = record ? ContextOf(record) : nullptr;
        if (!context) return FALSE;
        switch (message) {
            case WM_DESTROY: return context->OnDestroyDialog(window);
            case WM_HELP: return context->OnHelp(window);
            default: return context->OnDialogCommand(window, LOWORD(wParam));
        }
    } catch (...) {
        return FALSE;
    }
}
