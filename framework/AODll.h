// The module object of a framework add-on: one static object per DLL, of a
// class the add-on derives from AODll. It owns what exists once per DLL: the
// entry point, the dispatch of KEFO_Processing, the identity given to the
// information query, instance creation and deletion, and the modal About box
// with the dialog procedure that every framework dialog shares.
//
// Usage, in the add-on's module source:
//
//     class KEFO_Example : public AODll { ... CreateContext, DeleteContext ... };
//     KEFO_Example theModule;   // registers itself as the DLL's module object
//
// Threads: DllEntry runs on the loader's thread; everything else runs on the
// thread the host calls KEFO_Processing on, one call at a time per instance,
// and modal dialogs run on that same thread. Nothing here takes a lock.
#pragma once

#include <windows.h>

#include "framework/AOTables.h"
#include "framework/protocol/KEFO_Params.h"

class AOContext;

// Who the add-on is, as the information query reports it.
struct AOIdentity {
    int addOnKind;
    kefo::VersionWord addOnVersion;
    kefo::VersionWord minHostVersion;
    int attributeA;
    int attributeB;
    int nameStringId;  // string resource of the display name
    const char* idString;
    int aboutDialogId;  // also the base of the About box's help topic
};

class AODll {
public:
    explicit AODll(const AOTables& tables);
    virtual ~AODll();
    AODll(const AODll&) = delete;
    AODll& operator=(const AODll&) = delete;

    virtual BOOL DllEntry(HINSTANCE module, DWORD reason);
    virtual int Process(KEFO_Params* record);
    virtual BOOL OnProcessAttach(HINSTANCE module);
    virtual BOOL OnThreadAttach();
    virtual BOOL OnProcessDetach();
    virtual BOOL OnThreadDetach();

    // Command handlers; each returns what KEFO_Processing returns.
    virtual int OnInfo(KEFO_Params* record);
    virtual int OnCreateInstance(KEFO_Params* record);
    virtual int OnDestroyInstance(KEFO_Params* record);
    virtual int OnStateChanged(KEFO_Params* record);
    virtual int OnCommand15(KEFO_Params* record);
    virtual int OnAbout(KEFO_Params* record);
    virtual int OnFrameClosed(KEFO_Params* record);
    virtual int OnCommand5(KEFO_Params* record);
    virtual int OnQueryMenuItem(KEFO_Params* record);
    virtual int OnSetMenuItem(KEFO_Params* record);
    virtual int OnMenuCommand(KEFO_Params* record);
    virtual int OnSettingsChanged(KEFO_Params* record);
    virtual int OnSettingsApplied(KEFO_Params* record);
    virtual int OnSetParameters(KEFO_Params* record);
    virtual int OnAnalyzeFeedA(KEFO_Params* record);
    virtual int OnProcessRecording(KEFO_Params* record);
    virtual int OnProcessPlayback(KEFO_Params* record);
    virtual int OnAnalyzeFeedB(KEFO_Params* record);
    virtual int OnProcessSaving(KEFO_Params* record);
    virtual int OnColorsChanged(KEFO_Params* record);

    // A new instance object of the given kind, or null when the add-on
    // serves no instance of that kind.
    virtual AOContext* CreateContext(int instanceKind) = 0;
    // Deletes an object CreateContext made; null is allowed and does nothing.
    virtual void DeleteContext(AOContext* context) = 0;

    // The DLL's one module object; null before static construction.
    static AODll* Module();
    // The host's window-to-record function from the latest CreateInstance.
    static KEFO_FindRecordByWindow WindowToRecord();
    // Shared by every dialog of the add-on; the About box gets the record as
    // its creation parameter, later messages find it through the host.
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HINSTANCE ModuleHandle() const { return module_; }
    const char* Name() const { return name_; }
    kefo::VersionWord AddOnVersion() const { return addOnVersion_; }
    int AboutDialogId() const { return aboutDialogId_; }
    int HelpTopic() const { return kefo::kHelpTopicBase + aboutDialogId_; }
    const AOTables& Tables() const { return tables_; }

protected:
    void SetIdentity(const AOIdentity& identity);

private:
    void LoadName();

    HINSTANCE module_ = nullptr;
    int addOnKind_ = 0;
    kefo::VersionWord addOnVersion_ = 0;
    kefo::VersionWord minHostVersion_ = 0;
    int attributeA_ = 0;
    int attributeB_ = 0;
    int nameStringId_ = 0;
    char name_[260] = {};  // loaded from nameStringId_
    char idString_[260] = {};
    int aboutDialogId_ = 0;
    const AOTables& tables_;
};
