// How the host's audio reaches the two DSP objects: analyzer feeds only look
// at the samples; equalizer blocks are gathered into the filter's fixed
// blocks, filtered, stripped of the filter's delay and handed back in a new
// buffer from the host. The audio commands run on the host's audio thread;
// the few operations the UI thread uses only ask the audio side, which acts
// before its next block (threading rules in AnalyzerEqInstance.h).
#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "AnalyzerEq.h"
#include "dsp/AudioFormat.h"
#include "support/CallSiteMarker.h"

namespace kefo {
namespace {

// A block the add-on can work on. Anything else passes through untouched
// and changes no DSP state.
bool IsUsableBlock(const KEFO_Params* record) {
    const int count = record->audioItemCount;
    if (!IsSupportedFormat(record->audioFormatA, record->audioFormatB)) return false;
    if (count < 0 || (count > 0 && !record->audioBuffer)) return false;
    return true;
}

bool AnalyzerReady(const AnalyzerEqInstance& instance) {
    return instance.analyzer.IsInitialized() && instance.analyzerFrameBuffer.Get();
}

bool EqualizerReady(AnalyzerEqInstance& instance) {
    return instance.equalizer.Filter().IsInitialized() && instance.blockBuffer.Get();
}

// A sample that is not a finite number enters the DSP as silence, so that it
// cannot spread through a transform into the other channel and the rest of
// the block.
inline float FiniteOrZero(float sample) {
    return std::isfinite(sample) ? sample : 0.0f;
}

void CopyFinite(float* to, const float* from, int count) {
    for (int i = 0; i < count; ++i) to[i] = FiniteOrZero(from[i]);
}

bool AllFinite(const float* samples, int count) {
    for (int i = 0; i < count; ++i)
        if (!std::isfinite(samples[i])) return false;
    return true;
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

// The audio side's restart: an empty block and the filter's delay to drop.
void RestartStreamNow(AnalyzerEqInstance& instance) {
    instance.blockFill = 0;
    if (!EqualizerReady(instance)) {
        instance.pendingSkip = 0;
        return;
    }
    CGraphicEqFIR& filter = instance.equalizer.Filter();
    instance.pendingSkip = filter.GetLatency();
    filter.Reset();
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
    if (instance->analyzer.Init(config))
        instance->analyzerFrameBuffer.Allocate(instance->analyzer.GetFrameLength());
    instance->analyzerFill = 0;
    PublishAnalyzerResults(*instance, nullptr);
}

void PrepareEqualizer(KEFO_Params* record, int channels, int rate) {
    KEFO_MARK();
    AnalyzerEqInstance* instance = InstanceOf(record);
    const int events = instance->equalizer.Prepare(channels, rate);
    CGraphicEqFIR& filter = instance->equalizer.Filter();
    bool restart = (events & SharedGraphicEq::kRestartAsked) != 0;
    if ((events & SharedGraphicEq::kReinitialised) || !instance->blockBuffer.Get()) {
        instance->blockBuffer.Free();
        if (filter.IsInitialized()) instance->blockBuffer.Allocate(filter.GetBlockLength());
        restart = true;
    }
    if (restart) RestartStreamNow(*instance);
}

int OnAnalyzeFeed(KEFO_Params* record) {
    KEFO_MARK();
    record->RefreshState();
    if (record->activityFlags[3]) return kResultHandled;
    return FeedAnalyzer(record);
}

int FeedAnalyzer(KEFO_Params* record) {
    KEFO_MARK();
    if (!IsUsableBlock(record)) return kResultHandled;
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
    if (!IsUsableBlock(record)) return kResultHandled;
    AnalyzerEqInstance* instance = InstanceOf(record);
    PrepareEqualizer(record, record->audioFormatA, record->audioFormatB);
    if (!EqualizerReady(*instance)) return kResultHandled;  // retried with the next block

    CGraphicEqFIR& filter = instance->equalizer.Filter();
    const int blockLength = filter.GetBlockLength();
    const int latency = filter.GetLatency();
    const int n = record->audioItemCount;
    int position = instance->blockFill;
    int skip = instance->pendingSkip;

    // Output length: the whole input when the stream is one call, everything
    // held plus the filter's tail at its end, otherwise whole blocks only.
    std::int64_t outLength;
    if (record->audioStart && record->audioEnd) {
        outLength = n;
    } else if (record->audioEnd) {
        outLength = std::int64_t{position} - skip + latency + n;
    } else {
        outLength = (std::int64_t{position} + n) / blockLength * blockLength - skip;
        if (outLength < 0) outLength = 0;
    }

    float* out = nullptr;
    if (outLength > 0) {
        const std::int64_t bytes = outLength * std::int64_t{sizeof(float)};
        if (bytes <= INT_MAX)
            out = static_cast<float*>(record->AllocateAudio(static_cast<int>(bytes)));
        if (!out) {
            // The host's block goes back as it came; the stream starts over.
            NoteAllocationFailure(record, bytes);
            RestartStreamNow(*instance);
            return kResultHandled;
        }
        instance->audioAllocationFailed = false;
    }

    float* block = instance->blockBuffer.Get();
    std::int64_t written = 0;
    // Filters the full block and appends what is due of it to the output.
    auto emitBlock = [&] {
        filter.Process(block);
        position = 0;
        const std::int64_t due = std::min<std::int64_t>(blockLength - skip, outLength - written);
        if (blockLength - skip > 0) {
            if (due > 0) std::memcpy(out + written, block + skip, sizeof(float) * due);
            written += std::max<std::int64_t>(due, 0);
            skip = 0;
        } else {
            skip -= blockLength;
        }
    };

    const float* in = record->audioBuffer;
    for (int taken = 0; taken < n;) {
        const int chunk = std::min(n - taken, blockLength - position);
        CopyFinite(block + position, in + taken, chunk);
        position += chunk;
        taken += chunk;
        if (position == blockLength) emitBlock();
    }
    while (written < outLength) {  // end of stream: flush the tail with silence
        std::fill(block + position, block + blockLength, 0.0f);
        position = blockLength;
        emitBlock();
    }

    instance->blockFill = position;
    instance->pendingSkip = skip;
    if (record->audioBuffer) record->FreeAudio(record->audioBuffer);
    record->audioBuffer = out;
    record->audioItemCount = static_cast<int>(outLength);
    if (record->audioEnd) RestartStreamNow(*instance);
    return kResultHandled;
}

}  // namespace kefo
