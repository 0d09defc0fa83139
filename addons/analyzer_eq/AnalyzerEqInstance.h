// One add-on instance: created by CreateInstance, its address is the record's
// context until DestroyInstance.
//
// Threads. A host may send the audio commands (feeds and equalizer blocks)
// on an audio thread of its own, with a record of its own that carries the
// same context, while everything else (the other commands, the windows, their
// timers) runs on the thread that made the windows: the UI thread.
//  - The audio thread never waits for the UI thread: it takes no lock and
//    never waits on a filter design. New responses are designed on the UI
//    side (EqualizerStream's control calls) and handed over whole; the audio
//    thread adopts the latest between two blocks.
//  - The audio DSP objects and their buffers (the equalizer's stream, the
//    analyzer and its collection buffer and fill position) belong to the
//    audio thread alone, which (re)allocates them when it sees a new format.
//    The UI side only asks: restarts and analyzer clears are counters the
//    audio thread compares before its next block.
//  - Analyzer results travel the other way as whole snapshots (LatestValue);
//    the window shows its own copy, so it never reads bands half-written.
//  - Settings, windows, peaks and the colour ramp belong to the UI thread.
//  - CreateInstance comes before the first audio command and DestroyInstance
//    after the last one has returned; the host must keep to that order.
// A host that calls from one thread sees exactly the single-threaded add-on.
#pragma once

#include <windows.h>

#include <atomic>

#include "AnalyzerEqSettings.h"
#include "dsp/CGraphicEqFIR.h"
#include "dsp/CSpectrumAn.h"
#include "dsp/EqualizerStream.h"
#include "dsp/HeapArray.h"
#include "dsp/LatestValue.h"
#include "support/UniqueHandle.h"

namespace kefo {

constexpr int kAnalyzerBandCount = 19;

// Upper band edges of the analyzer, in Hz.
extern const double kAnalyzerBandEdges[kAnalyzerBandCount];

// One measurement of the analyzer, tagged with the clear it follows.
struct AnalyzerSnapshot {
    unsigned clears = 0;  // analyzer clears asked for before it was measured
    SpectrumBand bands[kAnalyzerBandCount]{};
};

struct AnalyzerEqInstance {
    // Analyzer window (UI thread).
    HWND analyzerDialog = nullptr;
    HWND analyzerFrame = nullptr;
    SpectrumBand analyzerResults[kAnalyzerBandCount]{};  // the results shown
    int peakPositions[kAnalyzerBandCount]{};
    int peakAges[kAnalyzerBandCount]{};
    HeapArray<unsigned> colourRamp;       // pixel values of the bar colours
    int colourRampCount = 0;              // cells the ramp has colours for
    bool displayFailureReported = false;  // cleared by the next picture shown

    // Between the threads: the analyzer's latest results, and the clears the
    // UI side has asked for (a count only the UI thread raises).
    LatestValue<AnalyzerSnapshot> analyzerHandoff;
    std::atomic<unsigned> analyzerClears{0};

    // Analyzer DSP state (audio thread).
    SpectrumAnConfig analyzerConfig{};
    unsigned analyzerClearsSeen = 0;       // analyzerClears at the last feed
    int analyzerFill = 0;                  // samples gathered in analyzerFrame
    HeapArray<float> analyzerFrameBuffer;  // GetFrameLength() floats
    CSpectrumAn analyzer;

    // Equalizer windows (UI thread).
    HWND equalizerDialog = nullptr;  // modeless, kinds 0 and 2
    HWND equalizerFrame = nullptr;
    HWND modalEqualizerDialog = nullptr;  // kind 1, only while it runs

    // The equalizer: its control calls on the UI thread, its stream on the
    // audio thread.
    EqualizerStream equalizer{GraphicEqConfig{0, 0, kBandCount, kEqualizerBandCentres, 2, 1}};
    bool audioAllocationFailed = false;  // in a run of refused buffers; cleared by the next success

    // Between the threads: the bytes asked for when the latest run of refused
    // output buffers began, until the UI side reports it (0: nothing to
    // report). The audio thread never calls the host to report.
    std::atomic<long long> unreportedAllocationFailure{0};

    // UI thread.
    AnalyzerEqSettings settings = DefaultSettings();
    AnalyzerEqSettings savedSettings = DefaultSettings();  // restored by the modal Cancel

    // Status indicator pictures, full instances only.
    UniqueHBitmap indicatorOn;
    UniqueHBitmap indicatorOff;
};

}  // namespace kefo
