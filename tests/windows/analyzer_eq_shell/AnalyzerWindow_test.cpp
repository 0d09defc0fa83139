// The analyzer window on the virtual display. The test sends the timer ticks
// itself and reads what they drew from the bitmap the display control holds.
#include <cmath>
#include <cstdint>
#include <limits>

#include "AnalyzerEqFixture.h"
#include "AnalyzerEqInstance.h"
#include "addons/analyzer_eq/ui/AnalyzerPicture.h"
#include "hostsim/host/AudioStream.h"
#include "hostsim/pictures/Screenshot.h"
#include "TestPaths.h"
#include "support/UniqueHandle.h"

namespace {

using kefo::RampColour;
constexpr std::uint32_t kGrey = 0x646464;

struct Picture {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;  // bottom row first, 0x00RRGGBB

    int Cells() const { return kefo::CellCount(height); }
    std::uint32_t Cell(int bar, int cell) const {
        const int barWidth = kefo::BarWidth(width);
        const int x = kefo::BarLeft(bar, barWidth) + barWidth / 2;
        return pixels.at(kefo::CellBottom(cell) * width + x) & 0xFFFFFF;
    }
    int LitCells(int bar) const {
        int lit = 0;
        for (int cell = 0; cell < Cells(); ++cell)
            lit += Cell(bar, cell) == RampColour(cell, Cells());
        return lit;
    }
    bool AllGrey() const {
        for (int bar = 0; bar < 19; ++bar)
            for (int cell = 0; cell < Cells(); ++cell)
                if (Cell(bar, cell) != kGrey) return false;
        return Cells() > 0;
    }
};

class AnalyzerWindow : public AnalyzerEqTest {
protected:
    void SetUp() override {
        AnalyzerEqTest::SetUp();
        ASSERT_EQ(Create(kefo::kKindFull), 1);
        record_.script.isAudioRunning = 1;
        record_.menuItemId = kefo::kMenuAnalyzer;
        ASSERT_EQ(record_.Send(kefo::kCmdMenuCommand), 1);
        dialog_ = Instance().analyzerDialog;
        ASSERT_NE(dialog_, nullptr);
        display_ = GetDlgItem(dialog_, 1018);
    }
    kefo::AnalyzerEqInstance& Instance() {
        return *static_cast<kefo::AnalyzerEqInstance*>(record_.context);
    }
    void Tick() { SendMessageW(dialog_, WM_TIMER, 1034, 0); }
    void Click(int control) { SendDlgItemMessageW(dialog_, control, BM_CLICK, 0, 0); }
    void SetBands(double power) {
        for (auto& band : Instance().analyzerResults) band = {power, power, power};
    }
    HBITMAP Shown() const {
        return reinterpret_cast<HBITMAP>(SendMessageW(display_, STM_GETIMAGE, IMAGE_BITMAP, 0));
    }
    Picture Read() const {
        BITMAP size{};
        if (!GetObjectW(Shown(), sizeof size, &size)) return {};
        BITMAPINFO format{};
        format.bmiHeader.biSize = sizeof format.bmiHeader;
        format.bmiHeader.biWidth = size.bmWidth;
        format.bmiHeader.biHeight = size.bmHeight;  // bottom-up, as drawn
        format.bmiHeader.biPlanes = 1;
        format.bmiHeader.biBitCount = 32;
        Picture picture{size.bmWidth, size.bmHeight,
                        std::vector<std::uint32_t>(std::size_t(size.bmWidth) * size.bmHeight)};
        const kefo::UniqueWindowDC screen = kefo::GetWindowClientDC(nullptr);
        if (GetDIBits(screen.Get().dc, Shown(), 0, size.bmHeight, picture.pixels.data(), &format,
                      DIB_RGB_COLORS) != size.bmHeight)
            return {};
        return picture;
    }

    HWND dialog_ = nullptr;
    HWND display_ = nullptr;
};

TEST_F(AnalyzerWindow, OpensWithATrimmedDisplayOfEmptyBars) {
    RECT client{}, label{};
    GetClientRect(display_, &client);
    EXPECT_EQ((client.right - 40) % 19, 0);
    EXPECT_EQ(client.bottom % 3, 0);
    EXPECT_EQ(Instance().colourRampCount, client.bottom / 3 - 1);
    // The 16k label moves by 8/9 of the width the display gave up.
    RECT layout{166, 0, 155, 0};  // the display's width and the label's x
    MapDialogRect(dialog_, &layout);
    GetWindowRect(GetDlgItem(dialog_, 1035), &label);
    MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&label), 2);
    EXPECT_EQ(label.left, layout.right + kefo::LabelShift(8, client.right - layout.left));

    EXPECT_EQ(IsDlgButtonChecked(dialog_, 1005), BST_CHECKED);
    EXPECT_EQ(Read().pixels.at(0), 0u);  // black around the cells
    EXPECT_TRUE(Read().AllGrey());
    EXPECT_TRUE(KillTimer(dialog_, 1034)) << "no redraw timer";
}

TEST_F(AnalyzerWindow, LoudBandsLightEveryCellQuietOnesNoneAndStoppedAudioClears) {
    Click(1005);  // peaks off: only the bars show
    const double levels[] = {std::pow(10.0, -1.5),
                             1.0,
                             std::pow(10.0, -7.5),
                             1e-12,
                             0.0,
                             std::numeric_limits<double>::quiet_NaN()};
    for (int band = 0; band < 6; ++band) Instance().analyzerResults[band] = {levels[band], 0, 0};
    Tick();
    const Picture picture = Read();
    EXPECT_EQ(picture.LitCells(0), picture.Cells()) << "-15 dB";
    EXPECT_EQ(picture.LitCells(1), picture.Cells()) << "0 dB";
    for (int band = 2; band < 19; ++band) EXPECT_EQ(picture.LitCells(band), 0) << band;

    // Audio stops: this tick still shows the last results, the next none.
    record_.script.isAudioRunning = 0;
    Tick();
    EXPECT_EQ(Read().LitCells(1), picture.Cells());
    Tick();
    EXPECT_TRUE(Read().AllGrey());
}

TEST_F(AnalyzerWindow, PeakHoldsEightTicksFadesOverSevenAndDropsOnTheSixteenth) {
    SetBands(1.0);
    Tick();
    SetBands(0.0);
    const int top = Read().Cells() - 1;
    for (int tick = 1; tick <= 15; ++tick) {
        Tick();
        const int fade = tick <= 8 ? 0 : tick - 8;
        ASSERT_EQ(Read().Cell(5, top), kefo::FadeToGrey(RampColour(top, top + 1), fade)) << tick;
    }
    EXPECT_EQ(kefo::FadeToGrey(RampColour(top, top + 1), 7), kGrey);
    Tick();
    EXPECT_EQ(Instance().peakPositions[5], 0);
}

TEST_F(AnalyzerWindow, PeaksBoxRestartsEveryPeakAndStoresTheOption) {
    SetBands(1.0);
    Tick();
    ASSERT_GT(Instance().peakPositions[0], 0);
    record_.ClearCalls();
    Click(1005);
    Tick();  // while off, nothing moves the marks
    for (int band = 0; band < 19; ++band) EXPECT_EQ(Instance().peakPositions[band], 0) << band;
    Click(1005);
    Tick();
    EXPECT_GT(Instance().peakPositions[0], 0);
    auto stores = record_.CallsTo("StoreSettings");
    ASSERT_EQ(stores.size(), 2u);
    EXPECT_EQ(stores[0].values.at(3), 0.0f);
    EXPECT_EQ(stores[1].values.at(3), 1.0f);
    EXPECT_EQ(stores[1].args, (std::vector<std::string>{"17", stores[1].args[1], "0", "<null>"}));
}

TEST_F(AnalyzerWindow, HelpFailedPicturesAndClosing) {
    Click(1055);
    HELPINFO help{};
    help.cbSize = sizeof help;
    SendMessageW(dialog_, WM_HELP, 0, reinterpret_cast<LPARAM>(&help));
    auto topics = record_.CallsTo("ShowHelp");
    ASSERT_EQ(topics.size(), 2u);
    EXPECT_EQ(topics[0].args, topics[1].args);
    EXPECT_EQ(topics[0].args.at(0), "0x20065");

    // A display with no pixels gives no bitmap: reported once, not per tick,
    // and the last picture stays.
    const HBITMAP last = Shown();
    SetWindowPos(display_, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOZORDER);
    for (int tick = 0; tick < 3; ++tick) Tick();
    auto reports = record_.CallsTo("ReportError");
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].args.at(2), "Err 1-87 in CreateDIBitmap()");
    EXPECT_EQ(Shown(), last);

    record_.ClearCalls();
    ASSERT_EQ(record_.Send(kefo::kCmdMenuCommand), 1);  // the menu item closes it
    EXPECT_FALSE(IsWindow(dialog_));
    EXPECT_EQ(GetObjectType(last), 0u) << "the last picture was not deleted";
    EXPECT_EQ(record_.CountOf("UnregisterWindow"), 1);
    EXPECT_EQ(Instance().analyzerDialog, nullptr);
    EXPECT_EQ(Instance().analyzerFrame, nullptr);
    EXPECT_EQ(record_.audioCommands, 0);
}

// A picture to look at: one tone a band, falling 4 dB a band, then 12 dB
// quieter so the peak marks stand above the bars.
TEST_F(AnalyzerWindow, ShowsATestSignal) {
    for (double gainDb : {0.0, -12.0}) {
        std::vector<float> samples(4096);  // one stereo frame at 44100 Hz
        for (int band = 0; band < 19; ++band) {
            const double amplitude = 0.7 * std::pow(10.0, (gainDb - 4.0 * band) / 20.0);
            const double step = 2 * 3.14159265358979 * 40.0 * std::pow(2.0, band / 2.0) / 44100;
            for (std::size_t i = 0; i < samples.size(); ++i)
                samples[i] += static_cast<float>(amplitude * std::sin(step * double(i / 2)));
        }
        hostsim::SendBlock(record_, samples.data(), static_cast<int>(samples.size()),
                           {2, 44100, kefo::kCmdAnalyzeFeedA}, false, false);
        Tick();
    }
    EXPECT_GT(Read().LitCells(3), 0);
    EXPECT_TRUE(screens::WritePng(screens::CaptureWindow(record_.Frame(0)),
                                  testing_paths::ArtifactPath(L"analyzer_window.png")));
}

}  // namespace
