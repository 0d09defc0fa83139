// The equalizer window under Xvfb: what each form lets the user touch, and
// what its sliders and buttons do to the stored settings, the processing
// word and the audio.
#include <algorithm>
#include <cmath>
#include <random>

#include "hostsim/host/AudioStream.h"
#include "EqualizerWindowFixture.h"
#include "dsp/CGraphicEqFIR.h"

namespace {

using namespace equalizer_window;

const hostsim::StreamFormat kMonoPlayback{1, 44100, kefo::kCmdProcessPlayback};

std::vector<float> Noise(std::size_t count) {
    std::mt19937 random(11);
    std::uniform_real_distribution<float> sample(-0.5f, 0.5f);
    std::vector<float> values(count);
    for (float& v : values) v = sample(random);
    return values;
}

// The signal through the DSP library's own equalizer, delay removed.
std::vector<float> FilteredInOnePiece(std::vector<float> signal, const float* gains) {
    static const double kCentres[9] = {65, 125, 250, 500, 1000, 2000, 4000, 8000, 16000};
    kefo::CGraphicEqFIR eq;
    EXPECT_TRUE(eq.Init(kefo::GraphicEqConfig{44100, 1, 9, kCentres, 2, 1}));
    eq.SetEnabled(1);
    eq.SetGains(gains, 0);
    const std::size_t size = signal.size(), block = eq.GetBlockLength();
    signal.resize((size + eq.GetLatency() + block - 1) / block * block, 0.0f);
    for (std::size_t at = 0; at < signal.size(); at += block) eq.Process(signal.data() + at);
    signal.erase(signal.begin(), signal.begin() + eq.GetLatency());
    signal.resize(size);
    return signal;
}

float MaxDifference(const std::vector<float>& a, const std::vector<float>& b) {
    if (a.size() != b.size()) return INFINITY;
    float most = 0.0f;
    for (std::size_t i = 0; i < a.size(); ++i) most = std::max(most, std::fabs(a[i] - b[i]));
    return most;
}

RECT RectIn(HWND dialog, int id) {
    RECT rect{};
    GetWindowRect(GetDlgItem(dialog, id), &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

TEST_F(EqualizerWindowTest, SlidersSetWholeDecibelsAndTheFilterFollows) {
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(SendDlgItemMessageW(dialog, SliderId(4), TBM_GETRANGEMIN, 0, 0), -15);
    EXPECT_EQ(ListCount(dialog), 6);
    EXPECT_EQ(SelectedPreset(dialog), "[Untitled]");
    EXPECT_FALSE(Enabled(dialog, SliderId(0))) << "nothing to equalize yet";
    RECT client{};
    GetClientRect(dialog, &client);
    EXPECT_LT(client.bottom - RectIn(dialog, kReset).bottom, 12) << "the bottom row is gone";
    Click(dialog, kPlayback);
    ASSERT_TRUE(Enabled(dialog, SliderId(0)));

    // Keys on the trackbar itself: Home is the top, End the bottom.
    SendMessageW(GetDlgItem(dialog, SliderId(0)), WM_KEYDOWN, VK_HOME, 0);
    SendMessageW(GetDlgItem(dialog, SliderId(1)), WM_KEYDOWN, VK_END, 0);
    DragSlider(dialog, 2, 6);
    DragSlider(dialog, 2, 0);
    EXPECT_EQ(ValueLabel(dialog, 0), "+15");
    EXPECT_EQ(ValueLabel(dialog, 1), "-15");
    EXPECT_EQ(ValueLabel(dialog, 2), "0");
    EXPECT_EQ(Gains(), (std::vector<float>{15, -15, 0, 0, 0, 0, 0, 0, 0}));

    const float gains[9] = {-12, 5, 0, 3, -7, 15, -15, 2, 9};
    for (int band = 0; band < 9; ++band) DragSlider(dialog, band, static_cast<int>(gains[band]));
    EXPECT_EQ(Gains(), std::vector<float>(gains, gains + 9));
    const std::vector<float> input = Noise(9000);
    EXPECT_LT(
        MaxDifference(hostsim::SendBlock(record_, input.data(), 9000, kMonoPlayback, true, true),
                      FilteredInOnePiece(input, gains)),
        1e-6f);

    // Reset: 0 dB everywhere, and the filter passes the signal through.
    Click(dialog, kReset);
    EXPECT_FALSE(Enabled(dialog, kReset));
    EXPECT_EQ(Gains(), std::vector<float>(9, 0.0f));
    EXPECT_LT(
        MaxDifference(hostsim::SendBlock(record_, input.data(), 9000, kMonoPlayback, true, true),
                      input),
        1e-6f);
}

// The thumb's centre as a fraction of the channel's length, 0 at the top.
double ThumbPlace(HWND slider) {
    RECT thumb{}, channel{};
    SendMessageW(slider, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    SendMessageW(slider, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
    // The channel of a vertical trackbar may be reported as if it lay flat.
    if (channel.right - channel.left > channel.bottom - channel.top)
        channel = RECT{channel.top, channel.left, channel.bottom, channel.right};
    const double centre = (thumb.top + thumb.bottom) / 2.0;
    return (centre - channel.top) / (channel.bottom - channel.top);
}

TEST_F(EqualizerWindowTest, ThumbsSitWhereTheStoredGainsAreWhenTheWindowOpens) {
    std::vector<float> stored = Defaults();
    stored[8] = 15.0f;
    stored[9] = 0.0f;
    stored[10] = -15.0f;
    HWND dialog = Open(stored);
    ASSERT_NE(dialog, nullptr);
    EXPECT_LT(ThumbPlace(GetDlgItem(dialog, SliderId(0))), 0.2) << "+15 dB at the top";
    EXPECT_NEAR(ThumbPlace(GetDlgItem(dialog, SliderId(1))), 0.5, 0.1) << "0 dB in the middle";
    EXPECT_GT(ThumbPlace(GetDlgItem(dialog, SliderId(2))), 0.8) << "-15 dB at the bottom";
}

TEST_F(EqualizerWindowTest, PlaybackRecordingBypassAndHelp) {
    HWND dialog = Open();
    Click(dialog, kPlayback);
    EXPECT_EQ(record_.audioCommands, 0x40000);
    EXPECT_EQ(record_.updatePeriod, 500);
    Click(dialog, kRecording);
    EXPECT_FALSE(Checked(dialog, kPlayback));
    EXPECT_EQ(record_.audioCommands, 0x20000);
    EXPECT_EQ(record_.CallsTo("SetIndicator").back().args[2], "Graphic Equalizer: On");

    DragSlider(dialog, 4, 9);
    Click(dialog, kBypass);
    EXPECT_EQ(record_.StoredSettings()[7], 1.0f);
    for (int id : {SliderId(4), kList, kSaveAs, kReset}) EXPECT_FALSE(Enabled(dialog, id)) << id;
    const std::vector<float> input = Noise(5000);
    EXPECT_LT(
        MaxDifference(hostsim::SendBlock(record_, input.data(), 5000,
                                         hostsim::StreamFormat{1, 44100, 0x20000}, true, true),
                      input),
        1e-6f);
    Click(dialog, kBypass);
    EXPECT_TRUE(Enabled(dialog, SliderId(4)));

    Click(dialog, kRecording);
    EXPECT_EQ(record_.audioCommands, 0);
    EXPECT_FALSE(Enabled(dialog, kBypass));
    EXPECT_TRUE(Enabled(dialog, kHelp));
    Click(dialog, kHelp);
    AskForHelp(dialog);
    auto help = record_.CallsTo("ShowHelp");
    ASSERT_EQ(help.size(), 2u);
    EXPECT_EQ(help[0].args[0], "0x20066");
    EXPECT_EQ(help[1].args[0], "0x20066");
}

TEST_F(EqualizerWindowTest, DialogOnlyFormTakesOkAndCancelAndCancelRestores) {
    std::vector<float> stored = Defaults();
    stored[6] = 1.0f;
    stored[9] = -4.0f;
    ASSERT_EQ(Create(kefo::kKindDialogOnly, stored), 1);
    record_.menuItemId = kefo::kMenuDialogEqualizer;
    for (int closer : {kCancel, kOk}) {
        const std::vector<float> atOpening = record_.StoredSettings();
        auto run = hostsim::DriveModalDialog(
            [&] { record_.Send(kefo::kCmdMenuCommand); },
            [&](HWND dialog, int) {
                EXPECT_EQ(Text(dialog), "Tavolin Graphic Equalizer");
                for (int id : {kActivateGroup, kPlayback, kApplyToFile, kBypass})
                    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, id))) << id;
                for (int id : {kOk, kCancel, SliderId(0), kList})
                    EXPECT_TRUE(Enabled(dialog, id)) << id;
                // The preset row took the place of "Activate for", OK and Cancel
                // the place of "Bypass", and the dialog ends below them.
                EXPECT_EQ(RectIn(dialog, kPresetLabel).top, RectIn(dialog, kActivateGroup).top);
                EXPECT_EQ(RectIn(dialog, kOk).top, RectIn(dialog, kReset).top);
                RECT client{};
                GetClientRect(dialog, &client);
                EXPECT_LT(client.bottom - RectIn(dialog, kOk).bottom, 12);

                DragSlider(dialog, 1, 6);
                EXPECT_EQ(record_.StoredSettings()[9], 6.0f);
                Click(dialog, closer);
                return true;
            });
        EXPECT_FALSE(run.closedByWatchdog) << closer;
        std::vector<float> expected = atOpening;
        if (closer == kOk) expected[9] = 6.0f;
        EXPECT_EQ(record_.StoredSettings(), expected) << closer;
    }
    EXPECT_EQ(record_.CountOf("UnregisterWindow"), 2);
}

}  // namespace
