// CSpectrumAn: Hann-windowed transform of a frame and band accumulation.
#include "dsp/CSpectrumAn.h"

#include "dsp/AudioFormat.h"
#include "support/CallSiteMarker.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace kefo {

namespace {

const double kPi = 3.14159265358979323846;

// Longest frame accepted; beyond it the interleaved counts (and the int
// lengths of the interface) would not fit in an int, so such a size is
// treated as an allocation that cannot succeed.
const std::int64_t kLongestFrame = std::int64_t{1} << 28;

// Window frames one setup step fills: each of them costs a cosine, which
// takes tens of nanoseconds in the 32-bit runtime.
const int kWindowFramesPerStep = 2048;

// The shortest power of two N above rate / e[0] * points whose bin 2 already
// lies below the first edge; 0 when no length can serve.
std::int64_t FrameLengthFor(const SpectrumAnConfig& config) {
    const double rate = config.sampleRate;
    const double firstEdge = config.bandEdges[0];
    const double wanted = rate / firstEdge * config.pointsPerBand;
    std::int64_t n = 8;
    while (static_cast<double>(n) <= wanted || 2.0 * rate / static_cast<double>(n) >= firstEdge) {
        // An edge at or below 0 would double forever: stop at the size limit.
        if (n > kLongestFrame) return 0;
        n *= 2;
    }
    return n > kLongestFrame ? 0 : n;
}

}  // namespace

CSpectrumAn::CSpectrumAn()
    : initialized_(0),
      sized_(0),
      windowFilled_(0),
      tablesBuilt_(0),
      channels_(0),
      peakMode_(0),
      bandCount_(0),
      transformLength_(0),
      frameLength_(0),
      spectrumLength_(0),
      binSpacing_(0.0),
      powerScale_(0.0),
      edges_(nullptr),
      fft_{nullptr, nullptr},
      isa_(FftIsa::Sse2) {
    KEFO_MARK_FILL();
}

CSpectrumAn::~CSpectrumAn() {
    KEFO_MARK_FILL();
}

void CSpectrumAn::FreeBuffers() noexcept {
    sized_ = 0;
    work_.Free();
    fftInts_.Free();
    fftTables_.Free();
    window_.Free();
    spectrum_.Free();
    fft_ = FftWorkArea{nullptr, nullptr};
}

bool CSpectrumAn::Init(const SpectrumAnConfig& config) noexcept {
    KEFO_MARK();
    if (!BeginInit(config)) return false;
    FinishSetup();
    return true;
}

bool CSpectrumAn::BeginInit(const SpectrumAnConfig& config) noexcept {
    KEFO_MARK();
    initialized_ = 0;
    FreeBuffers();
    channels_ = bandCount_ = transformLength_ = frameLength_ = spectrumLength_ = 0;
    if (!IsSupportedFormat(config.channels, config.sampleRate)) return false;
    if (config.bandCount < 1 || config.bandEdges == nullptr) return false;

    const std::int64_t n = FrameLengthFor(config);
    if (n == 0) return false;
    const int channels = config.channels;
    const std::int64_t frame = n * channels;
    const std::int64_t spectrum = (n / 2 + 1) * 2 * channels;
    // The stereo complex transform runs over 2N doubles and needs the tables
    // of a real transform of N.
    const bool allocated = work_.Allocate(frame) &&
                           fftInts_.Allocate(FftIntTableSize(static_cast<int>(n))) &&
                           fftTables_.Allocate(FftDoubleTableSize(static_cast<int>(n))) &&
                           window_.Allocate(frame) && spectrum_.Allocate(spectrum);
    if (!allocated) {
        FreeBuffers();
        return false;
    }

    channels_ = channels;
    peakMode_ = config.peakMode;
    bandCount_ = config.bandCount;
    transformLength_ = static_cast<int>(n);
    frameLength_ = static_cast<int>(frame);
    spectrumLength_ = static_cast<int>(spectrum);
    binSpacing_ = static_cast<double>(config.sampleRate) / transformLength_;
    powerScale_ = (1.0 / transformLength_) * (1.0 / transformLength_);
    edges_ = config.bandEdges;
    fft_ = FftWorkArea{fftInts_.Get(), fftTables_.Get()};
    fft_.intTable[0] = 0;
    fft_.intTable[1] = 0;
    isa_ = FftFastestIsa();
    tablesBuilt_ = 0;
    windowFilled_ = 0;
    sized_ = 1;
    return true;
}

// The tables first, so that Process then builds none, then the window a part
// at a time.
void CSpectrumAn::RunSetupStep() noexcept {
    if (!tablesBuilt_) {
        FftBuildTables(transformLength_, fft_);
        tablesBuilt_ = 1;
        return;
    }
    double* w = window_.Get();
    const int end = std::min(transformLength_, windowFilled_ + kWindowFramesPerStep);
    for (int i = windowFilled_; i < end; ++i) {
        const double value = 0.5 - 0.5 * std::cos(2.0 * kPi * i / transformLength_);
        for (int c = 0; c < channels_; ++c) w[i * channels_ + c] = value;
    }
    windowFilled_ = end;
    if (end == transformLength_) initialized_ = 1;
}

bool CSpectrumAn::ContinueSetup() noexcept {
    KEFO_MARK_FILL();
    if (sized_ && !initialized_) RunSetupStep();
    return sized_ && !initialized_;
}

void CSpectrumAn::FinishSetup() noexcept {
    KEFO_MARK_FILL();
    while (sized_ && !initialized_) RunSetupStep();
}

bool CSpectrumAn::IsSized() const noexcept {
    KEFO_MARK_FILL();
    return sized_ != 0;
}

// Transforms the windowed work buffer into the unpacked spectrum.
void CSpectrumAn::Transform() noexcept {
    const int n = transformLength_;
    double* x = work_.Get();
    double* s = spectrum_.Get();
    if (channels_ == 2) {
        // Left in the real parts, right in the imaginary parts; the two
        // spectra are split from the conjugate-symmetric halves.
        ComplexFft(isa_, 2 * n, 1, x, fft_);
        s[0] = x[0];
        s[1] = 0.0;
        s[2] = x[1];
        s[3] = 0.0;
        for (int j = 1; j < n / 2; ++j) {
            const double* zj = x + 2 * j;
            const double* zm = x + 2 * (n - j);
            double* bin = s + 4 * j;
            bin[0] = (zj[0] + zm[0]) * 0.5;
            bin[1] = (zj[1] - zm[1]) * 0.5;
            bin[2] = (zm[1] + zj[1]) * 0.5;
            bin[3] = (zj[0] - zm[0]) * -0.5;
        }
        double* nyquist = s + 4 * (n / 2);
        nyquist[0] = x[n];
        nyquist[1] = 0.0;
        nyquist[2] = x[n + 1];
        nyquist[3] = 0.0;
    } else {
        RealFft(isa_, n, 1, x, fft_);
        std::memcpy(s, x, sizeof(double) * n);
        s[n] = s[1];
        s[1] = 0.0;
        s[n + 1] = 0.0;
    }
}

void CSpectrumAn::Process(const float* frame, SpectrumBand* bands) noexcept {
    KEFO_MARK();
    if (!sized_ || frame == nullptr || bands == nullptr) return;
    FinishSetup();
    for (int b = 0; b < bandCount_; ++b) bands[b] = SpectrumBand{0.0, 0.0, 0.0};

    double* x = work_.Get();
    const double* w = window_.Get();
    for (int i = 0; i < frameLength_; ++i) x[i] = frame[i] * w[i];
    Transform();

    // Bins from 2 up; the band index moves up by at most one per bin, and the
    // first bin beyond the last edge ends the walk.
    const double* s = spectrum_.Get();
    const int stride = 2 * channels_;
    const bool stereo = channels_ == 2;
    int b = 0;
    for (int j = 2; j <= transformLength_ / 2; ++j) {
        const double* bin = s + stride * j;
        const double left = bin[0] * bin[0] + bin[1] * bin[1];
        const double right = stereo ? bin[2] * bin[2] + bin[3] * bin[3] : 0.0;
        if (j * binSpacing_ > edges_[b]) {
            if (b == bandCount_ - 1) break;
            ++b;
        }
        if (peakMode_) {
            if (left > bands[b].left) bands[b].left = left;
            if (stereo && right > bands[b].right) bands[b].right = right;
        } else {
            bands[b].left += left;
            if (stereo) bands[b].right += right;
        }
    }

    for (int i = 0; i < bandCount_; ++i) {
        SpectrumBand& band = bands[i];
        band.left *= powerScale_;
        if (stereo) {
            band.right *= powerScale_;
            band.mean = (band.left + band.right) * 0.5;
        } else {
            band.mean = band.left;
            band.right = band.left;
        }
    }
}

int CSpectrumAn::GetFrameLength() const noexcept {
    KEFO_MARK_FILL();
    return frameLength_;
}

bool CSpectrumAn::IsInitialized() const noexcept {
    KEFO_MARK_FILL();
    return initialized_ != 0;
}

double LevelToFraction(double power, double topDb, double floorDb) noexcept {
    KEFO_MARK_FILL();
    if (!(power > 0.0)) return 0.0;
    if (!(topDb > floorDb)) return 0.0;
    double d = -10.0 * std::log10(1.0 / power);
    if (d < floorDb) d = floorDb;
    if (d > topDb) d = topDb;
    return (d - floorDb) / (topDb - floorDb);
}

}  // namespace kefo
