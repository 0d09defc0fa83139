// How the host's audio reaches the two DSP objects: analyzer feeds only look
// at the samples; equalizer blocks are gathered into the filter's fixed
// blocks, filtered, stripped of the filter's delay and handed back in a new
// buffer from the host.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "AnalyzerEq.h"
#include "support/CallSiteMarker.h"

namespace kefo {
namespace {

constexpr int kMaxSampleRate = 1000000;

// A block the add-on can work on. Anything else passes through untouched
// and changes no DSP state.
bool IsUsableBlock(const KEFO_Params* record) {
    const int channels = record->audioFormatA;
    const int rate = record->audioFormatB;
    const int count = record->audioItemCount;
    if (channels != 1 && channels != 2) return false;
    if (rate <= 0 || rate > kMaxSampleRate) return false;
    if (count < 0 || (count > 0 && !record->audioBuffer)) return false;
    return true;
}

bool AnalyzerReady(const AnalyzerEqInstance& instance) {
    return instance.analyzer.IsInitialized() && instance.analyzerFrameBuffer.Get();
}

bool EqualizerReady(const AnalyzerEqInstance& instance) {
    return instance.equalizer.IsInitialized() && instance.blockBuffer.Get();
}

// Reported once per run of failures, not once per block.
void ReportAllocationFailure(KEFO_Params* record, std::int64_t bytes) {
    KEFO_MARK();
    AnalyzerEqInstance* instance = InstanceOf(record);
    if (instance->audioAllocationFailed) return;
    instance->audioAllocationFailed = true;
    char argument[32];
    std::snprintf(argument, sizeof argument, "%lld", static_cast<long long>(bytes));
    ErrorRecordA error;
    SetError(kErrorSystem, &error, ERROR_NOT_ENOUGH_MEMORY, "AllocateAudio", argument, __FILE__,
             __LINE__);
    ReportErrorRecord(record, error);
}

}  // namespace

void PrepareAnalyzer(KEFO_Params* record, int channels, int rate) {
    KEFO_MARK();
    AnalyzerEqInstance* instance = InstanceOf(record);
    SpectrumAnConfig& config = instance->analyzerConfig;
    if (AnalyzerReady(*instance) && config.sampleRate == rate && config.channels == channels)
        return;
    config.sampleRate = rate;
    config.channels = channels;
    instance->analyzerFrameBuffer.Free();
    if (instance->analyzer.Init(config))
        instance->analyzerFrameBuffer.Allocate(instance->analyzer.GetFrameLength());
    ClearAnalyzer(record);
}

void ClearAnalyzer(KEFO_Params* record) {
    KEFO_MARK();
    AnalyzerEqInstance* instance = InstanceOf(record);
    instance->analyzerFill = 0;
    std::fill(std::begin(instance->analyzerResults), std::end(instance->analyzerResults),
              SpectrumBand{});
}

void PrepareEqualizer(KEFO_Params* record, int channels, int rate) {
    KEFO_MARK();
    AnalyzerEqInstance* instance = InstanceOf(record);
    GraphicEqConfig& config = instance->equalizerConfig;
    if (EqualizerReady(*instance) && config.sampleRate == rate && config.channels == channels)
        return;
    config.sampleRate = rate;
    config.channels = channels;
    instance->blockBuffer.Free();
    if (instance->equalizer.Init(config)) {
        instance->equalizer.SetEnabled(instance->settings.Bypassed() ? 0 : 1);
        instance->equalizer.SetGains(instance->settings.Gains(), 0);
        instance->blockBuffer.Allocate(instance->equalizer.GetBlockLength());
    }
    RestartEqualizerStream(record);
}

void RestartEqualizerStream(KEFO_Params* record) {
    KEFO_MARK();
    AnalyzerEqInstance* instance = InstanceOf(record);
    instance->blockFill = 0;
    if (!EqualizerReady(*instance)) {
        instance->pendingSkip = 0;
        return;
    }
    instance->pendingSkip = instance->equalizer.GetLatency();
    instance->equalizer.Reset();
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
            instance->analyzer.Process(record->audioBuffer, instance->analyzerResults);
        } else if (n > 0) {
            const int take = std::min(n, frame - fill);
            std::memcpy(collected + fill, record->audioBuffer, sizeof(float) * take);
            fill += take;
        }
    } else {
        instance->analyzer.Process(collected, instance->analyzerResults);
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

    const int blockLength = instance->equalizer.GetBlockLength();
    const int latency = instance->equalizer.GetLatency();
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
            ReportAllocationFailure(record, bytes);
            RestartEqualizerStream(record);
            return kResultHandled;
        }
        instance->audioAllocationFailed = false;
    }

    float* block = instance->blockBuffer.Get();
    std::int64_t written = 0;
    // Filters the full block and appends what is due of it to the output.
    auto emitBlock = [&] {
        instance->equalizer.Process(block);
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
        std::memcpy(block + position, in + taken, sizeof(float) * chunk);
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
    if (record->audioEnd) RestartEqualizerStream(record);
    return kResultHandled;
}

}  // namespace kefo
