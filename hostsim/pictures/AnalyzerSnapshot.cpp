#include "AnalyzerSnapshot.h"

#include <windows.h>

#include <algorithm>

#include "hostsim/host/AddOnModule.h"
#include "hostsim/host/AudioStream.h"
#include "hostsim/host/HostRecord.h"
#include "hostsim/equalizer/EqualizerRun.h"
#include "hostsim/pictures/Screenshot.h"

namespace hostsim {
bool CaptureAnalyzer(const std::wstring& addOnPath, const std::vector<float>& samples, int channels,
                     int sampleRate, screens::Image& image, std::string& error) {
    AddOnModule module(addOnPath);
    HostRecord record;
    if (!OpenEqualizerInstance(addOnPath, module, record, error)) return false;
    record.script.isAudioRunning = 1;
    record.menuItemId = kefo::kMenuAnalyzer;
    record.Send(kefo::kCmdMenuCommand);
    const HWND frame = record.Frame(0);
    bool ok = frame != nullptr && (record.audioCommands & kefo::kCmdAnalyzeFeedA);
    if (!ok) error = "the add-on opened no analyzer window";

    if (ok) {
        ShowWindow(frame, SW_SHOWNORMAL);
        SetWindowPos(frame, HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE);
        screens::PumpMessages(200);
        // Played in 100 ms blocks, each followed by 100 ms of the window's
        // life, as the host's audio and the window's timer interleave.
        const int block = sampleRate / 10 * channels;
        const StreamFormat format{channels, sampleRate, kefo::kCmdAnalyzeFeedA};
        for (std::size_t at = 0; at + block <= samples.size(); at += block) {
            SendBlock(record, samples.data() + at, block, format, at == 0, false);
            screens::PumpMessages(100);
        }
        image = screens::CaptureWindow(frame);
        if (image.width == 0) {
            error = "the analyzer window could not be captured";
            ok = false;
        }
    }
    record.CloseFrames();
    record.Send(kefo::kCmdDestroyInstance);
    return ok;
}

}  // namespace hostsim
