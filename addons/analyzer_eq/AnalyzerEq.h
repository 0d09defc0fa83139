// The add-on's shell: free functions that take the host's parameter record
// and work on the instance at its context. Everything but the audio section
// runs on the UI thread; the threading rules are in AnalyzerEqInstance.h.
#pragma once

#include <windows.h>

#include "AnalyzerEqInstance.h"
#include "framework/protocol/KEFO_Params.h"
#include "support/ErrorRecordA.h"

namespace kefo {

// --- identity ---------------------------------------------------------------
constexpr int kAddOnVersionMajor = 1;
constexpr int kAddOnVersionMinor = 1;
constexpr char kHelpFileName[] = "KEFO_AnalyzerEQ.chm";

// --- module-wide state ------------------------------------------------------
HINSTANCE ModuleHandle();
void SetModuleHandle(HINSTANCE module);
// Keeps the host's window-to-record function from the latest CreateInstance
// for RecordOfDialog.
void SetWindowToRecord(KEFO_FindRecordByWindow find);

inline AnalyzerEqInstance* InstanceOf(KEFO_Params* record) {
    return static_cast<AnalyzerEqInstance*>(record->context);
}

// The record of a registered dialog, or null when the host knows none or its
// instance is gone.
KEFO_Params* RecordOfDialog(HWND dialog);

// A string of the add-on's table, cut to 99 characters.
struct ResourceText {
    char text[100];
};
ResourceText LoadText(int id);

// Reports a filled error record through the host as "Err kind-code in
// function(argument)".
void ReportErrorRecord(KEFO_Params* record, const ErrorRecordA& error);

// --- commands -----------------------------------------------------------
int OnInfo(KEFO_Params* record);
int OnCreate(KEFO_Params* record);
int OnDestroy(KEFO_Params* record);
int OnFrameClosed(KEFO_Params* record);
int OnQueryMenuItem(KEFO_Params* record);
int OnSetMenuItem(KEFO_Params* record);
int OnMenuCommand(KEFO_Params* record);
int OnStateChanged(KEFO_Params* record);
int OnColorsChanged(KEFO_Params* record);
int OnSettingsChanged(KEFO_Params* record);
int OnSettingsApplied(KEFO_Params* record);
int OnSetParameters(KEFO_Params* record);
int OnAnalyzeFeed(KEFO_Params* record);
int OnEqualize(KEFO_Params* record);
// Runs the About box; answers 1 when it has closed.
int OnAbout(KEFO_Params* record);

// --- shared operations --------------------------------------------------
void UpdateProcessingFlags(KEFO_Params* record);
void StoreCurrentSettings(KEFO_Params* record);
void UpdateIndicator(KEFO_Params* record);
void ToggleAnalyzerWindow(KEFO_Params* record);
void ToggleEqualizerWindow(KEFO_Params* record);
HWND EqualizerDialog(KEFO_Params* record);
// Resizes a host frame, keeping its position, so that its client area is
// exactly the dialog's window.
void FitFrameToDialog(HWND frame, HWND dialog);
void RefreshEqualizerControls(KEFO_Params* record);
void RefreshEqualizerWindow(KEFO_Params* record);
// Pushes the current gains and bypass to the equalizer.
void ApplyEqualizerSettings(KEFO_Params* record);
// The equalizer's control side, on the UI thread only (one control thread;
// a debug build stops when another thread calls them): each hands the change
// to the audio side, which runs the latest across format changes.
// SetEqualizerStart gives the settings' gains and bypass, which count until
// the first of the other three.
void SetEqualizerStart(KEFO_Params* record);
void SetEqualizerGains(KEFO_Params* record);  // the settings' gains
void SetEqualizerFlat(KEFO_Params* record);
void SetEqualizerEnabled(KEFO_Params* record, int enabled);
// Moves the equalizer between playback and saving ("Apply to file"); the host
// may refuse, and then nothing changes.
void OnApplyToFile(KEFO_Params* record);

// --- audio: asked for on the UI thread ----------------------------------
// Reports through the host what the audio side met and could not report
// from its thread (a refused output buffer, once per run of refusals).
void ReportAudioFailures(KEFO_Params* record);
// Empties the shown results now and the feed's collection before its next
// frame.
void ClearAnalyzer(KEFO_Params* record);
// The equalizer stream starts over before its next block.
void RestartEqualizerStream(KEFO_Params* record);
// Adopts the analyzer's latest complete results for the window.
void TakeAnalyzerResults(KEFO_Params* record);

// --- audio thread ---------------------------------------------------------
void PrepareAnalyzer(KEFO_Params* record, int channels, int rate);
int FeedAnalyzer(KEFO_Params* record);
int EqualizeBlock(KEFO_Params* record);

// --- analyzer window ----------------------------------------------------
// Replaces the instance's colour ramp with count cell colours.
void BuildColorRamp(KEFO_Params* record, int count);
// Renders the latest results, stepping the peak marks, and hands the picture
// to the display control; the previous picture stays when that fails.
void DrawAnalyzer(KEFO_Params* record, HWND display);
// Adopts the "Peaks" box of the open analyzer window (the setting stays as it
// is without one), restarts every peak mark and stores the settings; answers
// StoreSettings' result.
int OnPeaksBox(KEFO_Params* record);

// --- dialogs ------------------------------------------------------------
INT_PTR CALLBACK AnalyzerDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK EqualizerDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace kefo
