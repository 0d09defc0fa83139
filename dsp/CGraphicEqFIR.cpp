// CGraphicEqFIR: sizing, design by frequency sampling, and the overlap-add
// streaming filter.
#include "dsp/CGraphicEqFIR.h"

#include "dsp/AudioFormat.h"
#include "support/CallSiteMarker.h"

#include <cmath>
#include <cstring>

namespace kefo {

namespace {

const double kPi = 3.14159265358979323846;

// Gains at or below this are treated as "off" and pushed much further down.
const double kGainFloorDb = -48.0;
const double kGainOffDb = -96.0;

// Bins of the curve between two centres (a cos and a pow each) sampled by one
// step of a design in steps.
const int kCurveBinsPerStep = 512;

// Band spacing is measured up to this frequency above the last centre.
const double kTopOfBandsHz = 20000.0;

// Shortest transform per sample-rate class: a rate above `above` Hz gets at
// least `length` frames. Rates at or below the last class get 1024.
struct MinimumLength {
    double above;
    std::int64_t length;
};
const MinimumLength kMinimumLengths[] = {
    {96000.0, 16384},
    {44100.0, 8192},
    {22050.0, 4096},
    {11025.0, 2048},
};
const std::int64_t kSmallestMinimumLength = 1024;

// Largest transform length accepted. Beyond it the interleaved counts (and
// the int lengths of the interface) would no longer fit in an int, so such a
// size is treated as an allocation that cannot succeed.
const std::int64_t kLongestTransform = std::int64_t{1} << 28;

// Transform length N for a rate and band layout; 0 when no length can serve.
std::int64_t TransformLengthFor(const GraphicEqConfig& config) {
    const double* f = config.bandCentres;
    const int count = config.bandCount;
    double spacing = f[0];
    for (int i = 1; i < count; ++i) spacing = std::fmin(spacing, f[i] - f[i - 1]);
    spacing = std::fmin(spacing, kTopOfBandsHz - f[count - 1]);
    const double points = config.pointsPerBand == 0 ? 2.0 : config.pointsPerBand;
    const double wanted = config.sampleRate / spacing * points;

    std::int64_t n = 8;
    if (!(wanted < 8.0)) {
        // Doubling stops at the size limit: a huge, infinite or undefined
        // wanted length ends as an impossible size, never as a wrapped one.
        while (!(static_cast<double>(n) > wanted)) {
            if (n > kLongestTransform) return 0;
            n *= 2;
        }
    }
    std::int64_t minimum = kSmallestMinimumLength;
    for (const MinimumLength& row : kMinimumLengths) {
        if (config.sampleRate > row.above) {
            minimum = row.length;
            break;
        }
    }
    if (n < minimum) n = minimum;
    return n > kLongestTransform ? 0 : n;
}

// The passes of Process around the transforms, compiled twice like the
// transforms' kernels: for the baseline and, on x86, for AVX2, which the
// filter uses when its transforms do. Both perform the same IEEE operations
// (no fused multiply-add), so they give the same bits.
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define KEFO_EQ_HAS_AVX2 1
#define KEFO_EQ_PASS __attribute__((always_inline)) inline
#else
#define KEFO_EQ_HAS_AVX2 0
#define KEFO_EQ_PASS inline
#endif

KEFO_EQ_PASS void ToDoubles(const float* block, double* x, int length) {
    for (int i = 0; i < length; ++i) x[i] = block[i];
}

// Stereo: splits the two channels' spectra out of the complex transform,
// multiplies each by its response and recombines them, bin pair by bin pair.
KEFO_EQ_PASS void StereoProduct(double* x, const double* h, int n) {
    x[0] *= h[0];
    x[1] *= h[2];
    x[n] *= h[2 * n];
    x[n + 1] *= h[2 * n + 2];
    for (int j = 1; j < n / 2; ++j) {
        double* zj = x + 2 * j;
        double* zm = x + 2 * (n - j);
        const double* hj = h + 4 * j;
        // Written lane by lane (real, imaginary) so that both lanes of each
        // statement do the same operation; the values are exactly those of
        // left = (Z_j + conj Z_m) / 2, right = (Z_j - conj Z_m) / 2i.
        double cm[2], sum[2], diff[2], left[2], right[2];
        cm[0] = zm[0] * 1.0;
        cm[1] = zm[1] * -1.0;
        sum[0] = zj[0] + cm[0];
        sum[1] = zj[1] + cm[1];
        diff[0] = zj[0] - cm[0];
        diff[1] = zj[1] - cm[1];
        const double lr = sum[0] * 0.5;
        const double li = sum[1] * 0.5;
        const double rr = diff[1] * 0.5;
        const double ri = diff[0] * -0.5;
        left[0] = lr * hj[0] + li * -hj[1];
        left[1] = li * hj[0] + lr * hj[1];
        right[0] = rr * hj[2] + ri * -hj[3];
        right[1] = ri * hj[2] + rr * hj[3];
        zj[0] = left[0] - right[1];
        zj[1] = left[1] + right[0];
        zm[0] = left[0] + right[1];
        zm[1] = right[0] - left[1];
    }
}

// Overlap-add, output and advance in one pass: the first L sums go out, the
// rest move down by L (the empty top L slots stay empty), and the padding is
// cleared for the next block as it is read.
KEFO_EQ_PASS void OverlapAdd(float* block, double* acc, double* x, int length, int tail,
                             double scale) {
    for (int i = 0; i < length; ++i) block[i] = static_cast<float>(acc[i] + x[i] * scale);
    double* xTail = x + length;
    const double* accTail = acc + length;
    for (int i = 0; i < tail; ++i) {
        acc[i] = accTail[i] + xTail[i] * scale;
        xTail[i] = 0.0;
    }
}

void ToDoublesBaseline(const float* block, double* x, int length) {
    ToDoubles(block, x, length);
}
void StereoProductBaseline(double* x, const double* h, int n) {
    StereoProduct(x, h, n);
}
void OverlapAddBaseline(float* block, double* acc, double* x, int length, int tail, double scale) {
    OverlapAdd(block, acc, x, length, tail, scale);
}

#if KEFO_EQ_HAS_AVX2
__attribute__((target("avx2"))) void ToDoublesAvx2(const float* block, double* x, int length) {
    ToDoubles(block, x, length);
}
__attribute__((target("avx2"))) void StereoProductAvx2(double* x, const double* h, int n) {
    StereoProduct(x, h, n);
}
__attribute__((target("avx2"))) void OverlapAddAvx2(float* block, double* acc, double* x,
                                                    int length, int tail, double scale) {
    OverlapAdd(block, acc, x, length, tail, scale);
}
#endif

}  // namespace

CGraphicEqFIR::CGraphicEqFIR()
    : initialized_(0),
      sized_(0),
      initStep_(0),
      designStep_(0),
      designSelector_(0),
      designBin_(0),
      designBand_(0),
      designFirstLevel_(0.0),
      designLastLevel_(0.0),
      enabled_(0),
      channels_(0),
      bandCount_(0),
      transformLength_(0),
      frameLength_(0),
      blockLength_(0),
      tailLength_(0),
      halfKernelSpan_(0),
      halfKernel_(0),
      latency_(0),
      outputScale_(0.0),
      pi_(kPi),
      binSpacing_(0.0),
      centres_(nullptr),
      responseView_(nullptr),
      fft_{nullptr, nullptr},
      isa_(FftIsa::Sse2) {
    KEFO_MARK_FILL();
}

CGraphicEqFIR::~CGraphicEqFIR() {
    KEFO_MARK_FILL();
}

void CGraphicEqFIR::FreeBuffers() noexcept {
    accumulator_.Free();
    work_.Free();
    fftInts_.Free();
    fftTables_.Free();
    spectrum_.Free();
    response_.Free();
    flat_.Free();
    gains_.Free();
    mids_.Free();
    halfDiffs_.Free();
    cosineRates_.Free();
    window_.Free();
    fft_ = FftWorkArea{nullptr, nullptr};
}

bool CGraphicEqFIR::Init(const GraphicEqConfig& config) noexcept {
    KEFO_MARK();
    if (!BeginInit(config)) return false;
    FinishSetup();
    return true;
}

bool CGraphicEqFIR::BeginInit(const GraphicEqConfig& config) noexcept {
    KEFO_MARK();
    initialized_ = 0;
    sized_ = 0;
    initStep_ = 0;
    designStep_ = 0;
    responseView_ = nullptr;
    FreeBuffers();
    channels_ = bandCount_ = transformLength_ = frameLength_ = blockLength_ = 0;
    tailLength_ = halfKernelSpan_ = halfKernel_ = latency_ = 0;
    if (!IsSupportedFormat(config.channels, config.sampleRate)) return false;
    if (config.bandCount < 1 || config.bandCentres == nullptr) return false;

    const std::int64_t n = TransformLengthFor(config);
    if (n == 0) return false;
    const int channels = config.channels;
    const std::int64_t frame = n * channels;
    std::int64_t block = frame / 4;
    if (config.blockMode == 1) {
        block = frame / 2;
    } else if (config.blockMode == 2) {
        block = frame / 8;
    }
    const std::int64_t spectrumLength = (n + 2) * channels;
    const std::int64_t span = (frame - block) / channels;
    const std::int64_t half = span / 2;

    const bool allocated = accumulator_.Allocate(frame) && work_.Allocate(frame) &&
                           fftInts_.Allocate(FftIntTableSize(static_cast<int>(n))) &&
                           fftTables_.Allocate(FftDoubleTableSize(static_cast<int>(n))) &&
                           spectrum_.Allocate(spectrumLength) &&
                           response_.Allocate(spectrumLength) && flat_.Allocate(spectrumLength) &&
                           gains_.Allocate(config.bandCount) && mids_.Allocate(config.bandCount) &&
                           halfDiffs_.Allocate(config.bandCount) &&
                           cosineRates_.Allocate(config.bandCount) && window_.Allocate(half);
    if (!allocated) {
        FreeBuffers();
        return false;
    }

    channels_ = channels;
    bandCount_ = config.bandCount;
    transformLength_ = static_cast<int>(n);
    frameLength_ = static_cast<int>(frame);
    blockLength_ = static_cast<int>(block);
    tailLength_ = static_cast<int>(frame - block);
    halfKernelSpan_ = static_cast<int>(span);
    halfKernel_ = static_cast<int>(half);
    latency_ = tailLength_ / 2 - channels;
    outputScale_ = 2.0 / transformLength_ / channels_;
    pi_ = kPi;
    binSpacing_ = static_cast<double>(config.sampleRate) / transformLength_;
    centres_ = config.bandCentres;

    fft_ = FftWorkArea{fftInts_.Get(), fftTables_.Get()};
    fft_.intTable[0] = 0;
    fft_.intTable[1] = 0;
    isa_ = FftFastestIsa();
    sized_ = 1;
    initStep_ = 1;
    return true;
}

// Init's work after the allocations, in steps that each touch at most about
// one frame of fresh memory (a page fault costs more than the arithmetic).
// The steps work on buffers of their own, so their order does not change a
// value.
void CGraphicEqFIR::RunInitStep() noexcept {
    const int n = transformLength_;
    const int responseLength = (n + 2) * channels_;
    switch (initStep_) {
        case 1:
            // Every table Process and SetGains use (the complex transform of
            // 2N in stereo, the real one of N), so that no transform builds
            // one later.
            FftBuildTables(n, fft_);
            break;
        case 2:
        case 3: {
            // The window in two halves.
            const int q = halfKernel_;
            double* w = window_.Get();
            const int from = initStep_ == 2 ? 0 : q / 2;
            const int to = initStep_ == 2 ? q / 2 : q;
            for (int m = from; m < to; ++m) w[m] = (1.0 - std::cos(pi_ * (q + m) / q)) / n;
            double* k = cosineRates_.Get();
            k[0] = 0.0;
            for (int i = 1; i < bandCount_; ++i) k[i] = pi_ / (centres_[i] - centres_[i - 1]);
            break;
        }
        case 4: {
            // The spectrum of an impulse delayed by Q - 1 frames, unpacked.
            double* sp = spectrum_.Get();
            std::memset(sp, 0, sizeof(double) * (n + 2));
            sp[halfKernel_ - 1] = 1.0;
            RealFft(isa_, n, 1, sp, fft_);
            sp[n] = sp[1];
            sp[1] = 0.0;
            sp[n + 1] = 0.0;
            break;
        }
        case 5:
            if (channels_ == 2) {
                ExpandToStereo(spectrum_.Get(), flat_.Get(), 0);
            } else {
                std::memcpy(flat_.Get(), spectrum_.Get(), sizeof(double) * (n + 2));
            }
            break;
        case 6: std::memcpy(response_.Get(), flat_.Get(), sizeof(double) * responseLength); break;
        case 7: std::memset(accumulator_.Get(), 0, sizeof(double) * frameLength_); break;
        default:
            // The zero padding Process keeps.
            std::memset(work_.Get(), 0, sizeof(double) * frameLength_);
            initStep_ = 0;
            initialized_ = 1;
            return;
    }
    ++initStep_;
}

bool CGraphicEqFIR::ContinueSetup() noexcept {
    KEFO_MARK_FILL();
    if (initStep_ != 0) {
        RunInitStep();
    } else if (designStep_ != 0) {
        RunDesignStep();
    }
    return initStep_ != 0 || designStep_ != 0;
}

void CGraphicEqFIR::FinishSetup() noexcept {
    KEFO_MARK_FILL();
    while (initStep_ != 0) RunInitStep();
    while (designStep_ != 0) RunDesignStep();
}

bool CGraphicEqFIR::IsSized() const noexcept {
    KEFO_MARK_FILL();
    return sized_ != 0;
}

// Writes each bin of a mono unpacked spectrum into both channel slots of the
// stereo layout; channelSelector 1 or 2 keeps the flat response on the right
// or the left.
void CGraphicEqFIR::ExpandToStereo(const double* mono, double* stereo,
                                   int channelSelector) noexcept {
    const double* flat = flat_.Get();
    const bool left = channelSelector != 2;
    const bool right = channelSelector != 1;
    for (int j = transformLength_ / 2; j >= 0; --j) {
        const double re = mono[2 * j];
        const double im = mono[2 * j + 1];
        stereo[4 * j] = left ? re : flat[4 * j];
        stereo[4 * j + 1] = left ? im : flat[4 * j + 1];
        stereo[4 * j + 2] = right ? re : flat[4 * j + 2];
        stereo[4 * j + 3] = right ? im : flat[4 * j + 3];
    }
}

void CGraphicEqFIR::SetGains(const float* gainsDb, int channelSelector) noexcept {
    KEFO_MARK();
    if (!sized_ || gainsDb == nullptr) return;
    BeginGains(gainsDb, channelSelector);
    FinishSetup();
}

void CGraphicEqFIR::BeginGains(const float* gainsDb, int channelSelector) noexcept {
    KEFO_MARK();
    if (!sized_ || gainsDb == nullptr) return;
    responseView_ = nullptr;
    const int count = bandCount_;
    double* g = gains_.Get();
    double* mid = mids_.Get();
    double* half = halfDiffs_.Get();
    for (int i = 0; i < count; ++i) {
        const double gain = gainsDb[i];
        g[i] = gain > kGainFloorDb ? gain : kGainOffDb;
    }
    for (int i = 1; i < count; ++i) {
        mid[i] = (g[i - 1] + g[i]) * 0.5;
        half[i] = (g[i - 1] - g[i]) * 0.5;
    }
    designFirstLevel_ = std::pow(10.0, g[0] * 0.05);
    designLastLevel_ = std::pow(10.0, g[count - 1] * 0.05);
    designBin_ = 0;
    designBand_ = 0;
    designSelector_ = channelSelector;
    designStep_ = 1;
}

// The design after BeginGains, in steps: the curve (a few steps at most of
// kCurveBinsPerStep bins that need cos and pow each), then the kernel and its
// spectrum. H changes at the end of the last.
void CGraphicEqFIR::RunDesignStep() noexcept {
    const int count = bandCount_;
    const int n = transformLength_;
    const int q = halfKernel_;
    const double* f = centres_;
    const double* mid = mids_.Get();
    const double* half = halfDiffs_.Get();
    const double* k = cosineRates_.Get();
    double* s = spectrum_.Get();
    if (designStep_ == 1) {
        // Sample the curve in dB on every bin: flat below the first centre
        // and above the last, a half-cosine from each centre to the next.
        // A step ends after a fixed number of the costly bins.
        int costly = 0;
        int j = designBin_;
        int b = designBand_;
        for (; j <= n / 2 && costly < kCurveBinsPerStep; ++j) {
            const double phi = j * binSpacing_;
            if (b < count && phi > f[b]) ++b;
            double level;
            if (b == count) {
                level = designLastLevel_;
            } else if (b > 0) {
                const double d = half[b] * std::cos(k[b] * (phi - f[b - 1])) + mid[b];
                level = std::pow(10.0, d * 0.05);
                ++costly;
            } else {
                level = designFirstLevel_;
            }
            s[2 * j] = level;
            s[2 * j + 1] = 0.0;
        }
        designBin_ = j;
        designBand_ = b;
        if (j > n / 2) designStep_ = 2;
        return;
    }

    // Zero-phase impulse response (times N/2), then the windowed kernel
    // centred on Q - 1. Going down from the outermost tap, every h[m] is read
    // before its slot is written.
    s[1] = s[n];
    RealFft(isa_, n, -1, s, fft_);
    const double* w = window_.Get();
    for (int m = q - 1; m >= 0; --m) s[q - 1 + m] = w[m] * s[m];
    for (int m = 1; m < q; ++m) s[q - 1 - m] = s[q - 1 + m];
    for (int i = 2 * q - 1; i < n; ++i) s[i] = 0.0;

    RealFft(isa_, n, 1, s, fft_);
    s[n] = s[1];
    s[1] = 0.0;
    s[n + 1] = 0.0;
    if (channels_ == 2) {
        ExpandToStereo(s, response_.Get(), designSelector_);
    } else {
        std::memcpy(response_.Get(), s, sizeof(double) * (n + 2));
    }
    designStep_ = 0;
}

void CGraphicEqFIR::SetFlat() noexcept {
    KEFO_MARK_FILL();
    if (!sized_) return;
    responseView_ = nullptr;
    designStep_ = 0;
    if (!initialized_) return;  // the Init steps end with the flat response
    std::memcpy(response_.Get(), flat_.Get(), sizeof(double) * (transformLength_ + 2) * channels_);
}

int CGraphicEqFIR::GetResponseLength() const noexcept {
    KEFO_MARK_FILL();
    return initialized_ ? (transformLength_ + 2) * channels_ : 0;
}

void CGraphicEqFIR::CopyResponse(double* destination) const noexcept {
    KEFO_MARK_FILL();
    if (!initialized_ || destination == nullptr) return;
    const double* h = responseView_ ? responseView_ : response_.Get();
    std::memcpy(destination, h, sizeof(double) * GetResponseLength());
}

void CGraphicEqFIR::ViewResponse(const double* values) noexcept {
    KEFO_MARK_FILL();
    if (!initialized_ || values == nullptr) return;
    designStep_ = 0;
    responseView_ = values;
}

bool CGraphicEqFIR::IsInitialized() const noexcept {
    KEFO_MARK_FILL();
    return initialized_ != 0;
}

// Forward transform of the work buffer, product with H, inverse transform.
// Stereo carries left in the real and right in the imaginary parts of one
// complex transform; the two spectra are split out, multiplied and
// recombined bin pair by bin pair in a single pass.
void CGraphicEqFIR::FilterBlock() noexcept {
    const int n = transformLength_;
    double* x = work_.Get();
    const double* h = responseView_ ? responseView_ : response_.Get();
    if (channels_ == 2) {
        ComplexFft(isa_, 2 * n, 1, x, fft_);
#if KEFO_EQ_HAS_AVX2
        if (isa_ == FftIsa::Avx2) {
            StereoProductAvx2(x, h, n);
        } else {
            StereoProductBaseline(x, h, n);
        }
#else
        StereoProductBaseline(x, h, n);
#endif
        ComplexFft(isa_, 2 * n, -1, x, fft_);
    } else {
        RealFftFilter(isa_, n, x, h, fft_);
    }
}

void CGraphicEqFIR::Process(float* block) noexcept {
    KEFO_MARK();
    if (!sized_ || block == nullptr) return;
    FinishSetup();
    const int length = blockLength_;
    const int tail = tailLength_;
    double* acc = accumulator_.Get();
    if (enabled_) {
        // The work buffer's zero padding X[L ... C - 1] is left there by the
        // previous block's advance (and by Init), and the accumulator's top
        // L slots are empty between blocks: no pass of its own clears either.
        double* x = work_.Get();
#if KEFO_EQ_HAS_AVX2
        if (isa_ == FftIsa::Avx2) {
            ToDoublesAvx2(block, x, length);
            FilterBlock();
            OverlapAddAvx2(block, acc, x, length, tail, outputScale_);
            return;
        }
#endif
        ToDoublesBaseline(block, x, length);
        FilterBlock();
        OverlapAddBaseline(block, acc, x, length, tail, outputScale_);
    } else {
        // Bypass writes the block where the filter's delayed impulse would
        // have put it, so switching never moves the audio in time.
        double* delayed = acc + latency_;
        for (int i = 0; i < length; ++i) delayed[i] = block[i];
        for (int i = 0; i < length; ++i) block[i] = static_cast<float>(acc[i]);
        std::memmove(acc, acc + length, sizeof(double) * tail);
        std::memset(acc + tail, 0, sizeof(double) * length);
    }
}

void CGraphicEqFIR::SetEnabled(int enabled) noexcept {
    KEFO_MARK_FILL();
    enabled_ = enabled != 0 ? 1 : 0;
}

void CGraphicEqFIR::Reset() noexcept {
    KEFO_MARK_FILL();
    if (!initialized_) return;
    std::memset(accumulator_.Get(), 0, sizeof(double) * frameLength_);
}

int CGraphicEqFIR::GetLatency() const noexcept {
    KEFO_MARK_FILL();
    return latency_;
}

int CGraphicEqFIR::GetBlockLength() const noexcept {
    KEFO_MARK_FILL();
    return blockLength_;
}

}  // namespace kefo
