#include "ResponsePicture.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "hostsim/equalizer/EqualizerRun.h"
#include "hostsim/pictures/Screenshot.h"
#include "support/UniqueHandle.h"

namespace hostsim {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kLowest = 20.0, kHighest = 20000.0;
constexpr double kTopDb = 18.0, kBottomDb = -18.0;
constexpr int kWidth = 900, kHeight = 520;
const RECT kPlot = {70, 50, kWidth - 30, kHeight - 60};  // the axes' area

// The magnitude of one frequency in a whole signal (a single DFT bin).
double Magnitude(const std::vector<float>& signal, double frequency, int sampleRate) {
    double re = 0, im = 0;
    const double step = 2 * kPi * frequency / sampleRate;
    for (std::size_t n = 0; n < signal.size(); ++n) {
        re += signal[n] * std::cos(step * double(n));
        im -= signal[n] * std::sin(step * double(n));
    }
    return std::hypot(re, im);
}

int X(double frequency) {
    const double at = std::log(frequency / kLowest) / std::log(kHighest / kLowest);
    return kPlot.left + static_cast<int>(std::lround(at * (kPlot.right - kPlot.left)));
}

int Y(double db) {
    const double at = (kTopDb - std::clamp(db, kBottomDb, kTopDb)) / (kTopDb - kBottomDb);
    return kPlot.top + static_cast<int>(std::lround(at * (kPlot.bottom - kPlot.top)));
}

void Line(HDC dc, int x0, int y0, int x1, int y1) {
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
}

void Text(HDC dc, int x, int y, UINT align, const std::string& text) {
    SetTextAlign(dc, align);
    TextOutA(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

std::string FrequencyLabel(double frequency) {
    char text[16];
    if (frequency >= 1000)
        std::snprintf(text, sizeof text, "%gk", frequency / 1000);
    else
        std::snprintf(text, sizeof text, "%g", frequency);
    return text;
}

}  // namespace

bool MeasureResponse(const std::wstring& addOnPath, const std::vector<float>& gains, int sampleRate,
                     std::vector<ResponsePoint>& points, std::string& error) {
    // The impulse in the middle: the linear-phase filter rings on both sides
    // of it once its delay is taken out.
    const int frames = 1 << 16;
    WavAudio input{1, sampleRate, std::vector<float>(frames, 0.0f), {}}, output;
    input.samples[frames / 2] = 1.0f;
    EqualizerOptions options;
    options.gains = gains;
    EqualizerRunReport report;
    if (!RunEqualizer(addOnPath, options, BlockPattern{64, 6000, 7}, input, output, report, error))
        return false;
    points.clear();
    const int count = 300;
    for (int i = 0; i < count; ++i) {
        const double frequency = kLowest * std::pow(kHighest / kLowest, double(i) / (count - 1));
        points.push_back(
            {frequency,
             20 * std::log10(std::max(Magnitude(output.samples, frequency, sampleRate), 1e-9))});
    }
    return true;
}

bool DrawResponse(const std::vector<ResponsePoint>& measured, const std::vector<double>& centres,
                  const std::vector<float>& asked, const std::string& title,
                  screens::Image& image) {
    image = screens::Image{};
    kefo::UniqueHDC dc(CreateCompatibleDC(nullptr));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = kWidth;
    info.bmiHeader.biHeight = -kHeight;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    kefo::UniqueHBitmap bitmap(
        CreateDIBSection(dc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dc || !bitmap || !bits) return false;
    {
        const kefo::UniqueSelection selected = kefo::SelectIntoDC(dc.Get(), bitmap.Get());
        const RECT all{0, 0, kWidth, kHeight};
        FillRect(dc.Get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        kefo::UniqueHFont font(CreateFontW(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                                           ANTIALIASED_QUALITY, 0, L"Tahoma"));
        kefo::UniqueHFont bold(CreateFontW(-15, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                                           ANTIALIASED_QUALITY, 0, L"Tahoma"));
        const kefo::UniqueSelection normalFont = kefo::SelectIntoDC(dc.Get(), font.Get());
        SetBkMode(dc.Get(), TRANSPARENT);

        // The grid: every 3 dB, and at 1-2-5 steps of frequency.
        kefo::UniqueHPen grid(CreatePen(PS_SOLID, 1, RGB(220, 220, 220)));
        kefo::UniqueHPen axis(CreatePen(PS_SOLID, 1, RGB(120, 120, 120)));
        {
            const kefo::UniqueSelection pen = kefo::SelectIntoDC(dc.Get(), grid.Get());
            for (double db = kBottomDb; db <= kTopDb; db += 3) {
                Line(dc.Get(), kPlot.left, Y(db), kPlot.right, Y(db));
                Text(dc.Get(), kPlot.left - 8, Y(db) - 7, TA_RIGHT | TA_TOP,
                     (db > 0 ? "+" : "") + std::to_string(int(db)));
            }
            for (double decade = 10; decade <= 10000; decade *= 10)
                for (double step : {2.0, 5.0, 10.0}) {
                    const double frequency = decade * step;
                    if (frequency < kLowest || frequency > kHighest) continue;
                    Line(dc.Get(), X(frequency), kPlot.top, X(frequency), kPlot.bottom);
                    Text(dc.Get(), X(frequency), kPlot.bottom + 6, TA_CENTER | TA_TOP,
                         FrequencyLabel(frequency));
                }
            Text(dc.Get(), X(kLowest), kPlot.bottom + 6, TA_CENTER | TA_TOP, "20");
        }
        {
            const kefo::UniqueSelection pen = kefo::SelectIntoDC(dc.Get(), axis.Get());
            Line(dc.Get(), kPlot.left, Y(0), kPlot.right, Y(0));
            const HGDIOBJ hollow = GetStockObject(HOLLOW_BRUSH);
            const kefo::UniqueSelection brush = kefo::SelectIntoDC(dc.Get(), hollow);
            Rectangle(dc.Get(), kPlot.left, kPlot.top, kPlot.right + 1, kPlot.bottom + 1);
        }
        Text(dc.Get(), (kPlot.left + kPlot.right) / 2, kHeight - 28, TA_CENTER | TA_TOP,
             "frequency (Hz)");
        Text(dc.Get(), 12, kPlot.top - 22, TA_LEFT | TA_TOP, "gain (dB)");

        // The measured curve.
        kefo::UniqueHPen curve(CreatePen(PS_SOLID, 2, RGB(20, 90, 200)));
        std::vector<POINT> line;
        for (const ResponsePoint& point : measured)
            line.push_back({X(point.frequency), Y(point.gainDb)});
        {
            const kefo::UniqueSelection pen = kefo::SelectIntoDC(dc.Get(), curve.Get());
            if (!line.empty()) Polyline(dc.Get(), line.data(), static_cast<int>(line.size()));
        }

        // The asked gains: a ring at each band centre.
        kefo::UniqueHPen mark(CreatePen(PS_SOLID, 2, RGB(215, 40, 40)));
        {
            const kefo::UniqueSelection pen = kefo::SelectIntoDC(dc.Get(), mark.Get());
            const kefo::UniqueSelection brush =
                kefo::SelectIntoDC(dc.Get(), GetStockObject(HOLLOW_BRUSH));
            for (std::size_t band = 0; band < centres.size() && band < asked.size(); ++band) {
                const int x = X(centres[band]), y = Y(asked[band]);
                Ellipse(dc.Get(), x - 6, y - 6, x + 7, y + 7);
            }
        }

        // Title and legend.
        {
            const kefo::UniqueSelection boldFont = kefo::SelectIntoDC(dc.Get(), bold.Get());
            Text(dc.Get(), kPlot.left, 14, TA_LEFT | TA_TOP, title);
        }
        const int legendX = kPlot.right - 250, legendY = kPlot.top + 12;
        {
            const kefo::UniqueSelection pen = kefo::SelectIntoDC(dc.Get(), curve.Get());
            Line(dc.Get(), legendX, legendY + 7, legendX + 24, legendY + 7);
        }
        Text(dc.Get(), legendX + 32, legendY, TA_LEFT | TA_TOP, "measured response");
        {
            const kefo::UniqueSelection pen = kefo::SelectIntoDC(dc.Get(), mark.Get());
            const kefo::UniqueSelection brush =
                kefo::SelectIntoDC(dc.Get(), GetStockObject(HOLLOW_BRUSH));
            Ellipse(dc.Get(), legendX + 6, legendY + 22, legendX + 19, legendY + 35);
        }
        Text(dc.Get(), legendX + 32, legendY + 21, TA_LEFT | TA_TOP, "gain asked at a band centre");
        GdiFlush();
    }
    image = screens::ImageFromDib(bits, kWidth, kHeight);
    return true;
}

}  // namespace hostsim
