// The per-instance object of a framework add-on: one for every parameter
// record on which the host created an instance. The module object makes it
// through the add-on's CreateContext, gives it its record and calls Open;
// later commands reach it through the record's context field; command 3
// calls Close and deletes it.
//
// This class does what every framework add-on shares: menu items, bitmaps and
// named parameters registered from the module's static tables, the dialogs'
// announcement to the host, help, OK and Cancel, and the About box texts,
// completed from printf-style templates through the host's FormatText. The
// add-on's class supplies its settings and its own commands (the pure
// operations).
//
// Threads: every operation runs on the thread that sends the instance's
// commands, or for dialog handlers the thread that owns the dialog.
#pragma once

#include <windows.h>

#include <vector>

#include "support/UniqueHandle.h"
#include "framework/protocol/KEFO_Params.h"

class AOContext {
public:
    AOContext();
    virtual ~AOContext();
    AOContext(const AOContext&) = delete;
    AOContext& operator=(const AOContext&) = delete;

    virtual void Open();
    virtual void Close();
    // Adopts the stored settings in the record, or falls back to defaults.
    virtual void LoadSettings() = 0;
    virtual void SetDefaultSettings() = 0;
    // Nonzero: a stored array may be adopted.
    virtual int CheckSettings(const float* values, int count) = 0;
    // Hands the settings to the host with StoreSettings.
    virtual void SaveSettings() = 0;
    virtual void AddMenuItems();
    virtual void QueryMenuItem();
    virtual void LoadBitmaps();
    // Writes audioCommands and updatePeriod into the record.
    virtual void SetAudioRequest() = 0;
    virtual void OpenHookA() = 0;  // last-but-one step of opening a full instance
    virtual void OpenHookB() = 0;  // step of opening a full instance, before OpenHookA
    virtual void DescribeParams();
    virtual int SettingsCount() = 0;
    virtual int ParameterCount() = 0;
    virtual void FormatChanged(int formatA, int formatB, int force) = 0;
    virtual void StateChanged() = 0;
    virtual void Command15();
    virtual void AnalyzeFeedA() = 0;
    virtual void ProcessRecording() = 0;
    virtual void ProcessPlayback() = 0;
    virtual void AnalyzeFeedB() = 0;
    virtual void ProcessSaving() = 0;
    virtual INT_PTR OnInitDialog(HWND window);
    virtual void FillAboutTexts(HWND window, int nameItem, int versionItem, int yearItem);
    virtual INT_PTR OnDestroyDialog(HWND window);
    virtual INT_PTR OnHelp(HWND window);
    virtual INT_PTR OnDialogCommand(HWND window, int id);
    virtual void FrameClosed(int index);
    virtual void MenuCommand(int itemId) = 0;

    // Completes a window's text, read as a template with one %s, with the
    // argument; an empty text stays as it is.
    void FormatWindowText(HWND window, const char* argument);
    void FormatItemText(HWND dialog, int itemId, const char* argument);

    // Given by the module object before Open.
    void SetRecord(KEFO_Params* record) { record_ = record; }
    KEFO_Params* Record() const { return record_; }
    // The bitmap of a row of the module's bitmap table; null when not loaded.
    HBITMAP Bitmap(std::size_t row) const;

protected:
    KEFO_Params* record_ = nullptr;  // null before Open and after Close
    HINSTANCE module_ = nullptr;     // the module's handle while open
    char text_[1024] = {};           // menu captions, loaded one at a time

private:
    std::vector<kefo::UniqueHBitmap> bitmaps_;  // one per row of the bitmap table
};
