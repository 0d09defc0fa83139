// How the host's audio reaches the two DSP objects: analyzer feeds only look
// at the samples; equalizer blocks go through the EqualizerStream and come
// back in a new buffer from the host. The audio commands run on the host's
// audio thread; the few operations the UI thread uses only ask the audio
// side, which acts before its next block (threading rules in
// AnalyzerEqInstance.h).
#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdint>
#include <cstdio>

#include "AnalyzerEq.h"
#include "dsp/AudioFormat.h"
#include "dsp/FiniteSamples.h"
#include "support/CallSiteMarker.h"

namespace kefo {
namespace {

// A block whose samples can be read. Anything else passes through untouched
// and changes no DSP state, as does a format the DSP does not take.
bool IsReadableBlock(const KEFO_Params* record) {
    const int count = record->audioItemCount;
    return count >= 0 && (count == 0 || record->audioBuffer);
}

bool AnalyzerReady(const AnalyzerEqInstance& instance) {
    return instance.analyzer.IsSized() && instance.analyzerFrameBuffer.Get();
}

// Measures one frame into the analyzer's next snapshot and hands it to the
// window; bands of zero when frame is null.
void PublishAnalyzerResults(AnalyzerEqInstance& instance, const float* frame) {
    AnalyzerSnapshot& snapshot = instance.analyzerHandoff.WriteSlot();
    snapshot.clears = instance.analyzerClearsSeen;
    if (frame) {
        instance.analyzer.Process(frame, snapshot.bands);
    } else {
        std::fill(std::begin(snapshot.bands), std::end(snapshot.bands), SpectrumBand{});
    }
    instance.analyzerHandoff.Publish();
}

static_assert(std::atomic<long long>::is_always_lock_free, "the audio thread takes no lock");

// Noted once per run of failures, not once per block, for the UI side to
// report: a host may show a message or wait in its report call, which its
// audio thread must not.
void NoteAllocationFailure(KEFO_Params* record, std::int64_t bytes) {
    KEFO_MARK();
    AnalyzerEqInstance* instance = InstanceOf(record);
    if (instance->audioAllocationFailed) return;
    instance->audioAllocationFailed = true;
    instance->unreportedAllocationFailure.store(bytes, std::memory_order_relaxed);
}

}  // namespace

// --- UI thread -------------------------------------------------------------

void ReportAudioFailures(KEFO_Params* record) {
    KEFO_MARK();
    const long long bytes =
        InstanceOf(record)->unreportedAllocationFailure.exchange(0, std::memory_order_relaxed);
    if (bytes == 0) return;
    char argument[32];
    std::snprintf(argument, sizeof argument, "%lld", bytes);
    ErrorRecordA error;
    SetError(kErrorSystem, &error, ERROR_NOT_ENOUGH_MEMORY, "AllocateAudio", argument, __FILE__,
             __LINE__);
    ReportErrorRecord(record, error);
}

void ClearAnalyzer(KEFO_Params* record) {
    KEFO_MARK();
    AnalyzerEqInstance* instance = InstanceOf(record);
    std::fill(std::begin(instance->analyzerResults), std::end(instance->analyzerResults),
              SpectrumBand{});
    // The feed empties its collection buffer, and results measured before
    // this clear are not shown.
    instance->analyzerClears.fetch_add(1, std::memory_order_release);
}

void TakeAnalyzerResults(KEFO_Params* record) {
    KEFO_MARK();
    AnalyzerEqInstance* instance = InstanceOf(record);
    if (!instance->analyzerHandoff.TakeLatest()) return;
    const AnalyzerSnapshot& snapshot = instance->analyzerHandoff.ReadSlot();
    if (snapshot.clears != instance->analyzerClears.load(std::memory_order_relaxed)) return;
    std::copy(std::begin(snapshot.bands), std::end(snapshot.bands),
              std::begin(instance->analyzerResults));
}

void RestartEqualizerStream(KEFO_Params* record) {
    KEFO_MARK();
    InstanceOf(record)->equalizer.RequestRestart();
}

void SetEqualizerStart(KEFO_Params* record) {
    KEFO_MARK();
    const AnalyzerEqSettings& settings = InstanceOf(record)->settings;
    InstanceOf(record)->equalizer.SetStartState(settings.Gains(), settings.Bypassed() ? 0 : 1);
}

void SetEqualizerGains(KEFO_Params* record) {
    KEFO_MARK();
    InstanceOf(record)->equalizer.SetGains(InstanceOf(record)->settings.Gains());
}

void SetEqualizerFlat(KEFO_Params* record) {
    KEFO_MARK();
    InstanceOf(record)->equalizer.SetFlat();
}

void SetEqualizerEnabled(KEFO_Params* record, int enabled) {
    KEFO_MARK();
    InstanceOf(record)->equalizer.SetEnabled(enabled);
}

// --- audio thread ----------------------------------------------------------

void PrepareAnalyzer(KEFO_Params* record, int channels, int rate) {
    KEFO_MARK();
    AnalyzerEqInstance* instance = InstanceOf(record);
    const unsigned clears = instance->analyzerClears.load(std::memory_order_acquire);
    if (clears != instance->analyzerClearsSeen) {
        instance->analyzerClearsSeen = clears;
        instance->analyzerFill = 0;
    }
    SpectrumAnConfig& config = instance->analyzerConfig;
    if (AnalyzerReady(*instance) && config.sampleRate == rate && config.channels == channels)
        return;
    config.sampleRate = rate;
    config.channels = channels;
    instance->analyzerFrameBuffer.Free();
    // Sized now; the tables and the window are built a part per block while
    // the first frame gathers, and what is left when it is measured.
    if (instance->analyzer.BeginInit(config))
        instance->analyzerFrameBuffer.Allocate(instance->analyzer.GetFrameLength());
    instance->analyzerFill = 0;
    PublishAnalyzerResults(*instance, nullptr);
}

int OnAnalyzeFeed(KEFO_Params* record) {
    KEFO_MARK();
    record->RefreshState();
    if (record->activityFlags[3]) return kResultHandled;
    return FeedAnalyzer(record);
}

int FeedAnalyzer(KEFO_Params* record) {
    KEFO_MARK();
    if (!IsReadableBlock(record)) return kResultHandled;
    if (!IsSupportedFormat(record->audioFormatA, record->audioFormatB)) return kResultHandled;
    AnalyzerEqInstance* instance = InstanceOf(record);
    PrepareAnalyzer(record, record->audioFormatA, record->audioFormatB);
    if (!AnalyzerReady(*instance)) return kResultHandled;

    const int frame = instance->analyzer.GetFrameLength();
    const int n = record->audioItemCount;
    int& fill = instance->analyzerFill;
    float* collected = instance->analyzerFrameBuffer.Get();
    if (fill < frame) {
        if (fill == 0 && n >= frame) {
            // Measured where it lies, unless it has samples to silence: the
            // host's block is never changed.
            const float* source = record->audioBuffer;
            if (!AllFinite(source, frame)) {
                CopyFinite(collected, source, frame);
                source = collected;
            }
            PublishAnalyzerResults(*instance, source);
        } else if (n > 0) {
            // A setup step in every block of a frame but its first, which
            // may be the one that sized the analyzer.
            if (fill > 0) instance->analyzer.ContinueSetup();
            const int take = std::min(n, frame - fill);
            CopyFinite(collected + fill, record->audioBuffer, take);
            fill += take;
        }
    } else {
        PublishAnalyzerResults(*instance, collected);
        fill = 0;
    }
    return kResultHandled;
}

int OnEqualize(KEFO_Params* record) {
    return EqualizeBlock(record);
}

int EqualizeBlock(KEFO_Params* record) {
    KEFO_MARK();
    if (!IsReadableBlock(record)) return kResultHandled;
    EqualizerStream& stream = InstanceOf(record)->equalizer;
    // A refused format, or no memory for this one yet (retried with the next
    // block): the host's block goes back as it came.
    if (!stream.Prepare(record->audioFormatA, record->audioFormatB)) return kResultHandled;

    const int n = record->audioItemCount;
    const bool start = record->audioStart != 0;
    const bool end = record->audioEnd != 0;
    const std::int64_t outLength = stream.OutputLength(n, start, end);
    float* out = nullptr;
    if (outLength > 0) {
        const std::int64_t bytes = outLength * std::int64_t{sizeof(float)};
        if (bytes <= INT_MAX)
            out = static_cast<float*>(record->AllocateAudio(static_cast<int>(bytes)));
        if (!out) {
            // The host's block goes back as it came; the stream starts over.
            NoteAllocationFailure(record, bytes);
            stream.Restart();
            return kResultHandled;
        }
        InstanceOf(record)->audioAllocationFailed = false;
    }

    stream.Process(record->audioBuffer, n, start, end, out);
    if (record->audioBuffer) record->FreeAudio(record->audioBuffer);
    record->audioBuffer = out;
    record->audioItemCount = static_cast<int>(outLength);
    return kResultHandled;
}

}  // namespace kefo
