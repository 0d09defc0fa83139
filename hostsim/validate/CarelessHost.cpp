#include "CarelessHost.h"

#include "hostsim/host/HostBlock.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>

namespace hostsim {
namespace {

class CarelessHost {
public:
    CarelessHost(ValidationRun& run, int kind, unsigned seed)
        : run_(run), kind_(kind), random_(seed) {
        record_.Attach(run.Processing());
        record_.instanceKind = kind;
        const auto& served = run.ServedKinds();
        served_ = std::find(served.begin(), served.end(), kind) != served.end();
    }

    void Run(int calls) {
        Create();
        for (int call = 0; call < calls; ++call) {
            ScrambleState();
            ScrambleSettings();
            const int command =
                Pick({0,       -1,      1,        2,       3,       4,       5,       6,
                      7,       8,       9,        10,      11,      12,      13,      14,
                      15,      16,      0x10000,  0x20000, 0x40000, 0x80000, 0x10000, 0x20000,
                      0x40000, 0x80000, 0x100000, 0x30000, INT_MAX});
            if (command >= 0x10000 && command <= 0x100000) {
                // The first third of the run sends finite audio only.
                SendAudio(command, call < calls / 3);
            } else if (command == kefo::kCmdCreateInstance) {
                if (Chance(50)) Create();  // a second one on a live record, or after Destroy
            } else if (command == kefo::kCmdDestroyInstance) {
                Destroy();
            } else if (command == kefo::kCmdAbout) {
                if (Chance(20)) {
                    record_.aboutParent = nullptr;
                    Expect(run_.SendClosingDialogs(record_, kefo::kCmdAbout, What(command)), {0, 1},
                           command);
                }
            } else if (command == kefo::kCmdFrameClosed && FrameOpen()) {
                // A host reports a frame closed once it has destroyed it.
                record_.UserClosesFrame(openFrame_);
            } else {
                if (command == kefo::kCmdFrameClosed) record_.frameIndex = Between(-1, 2);
                record_.ClearCalls();
                Expect(run_.SendClosingDialogs(record_, command, What(command)), {0, 1}, command);
            }
        }
        Destroy();
        Require(record_.OutstandingAudioBuffers() == 0,
                KindText(kind_) + ": " + std::to_string(record_.OutstandingAudioBuffers()) +
                    " audio buffers from AllocateAudio never freed");
        Require(record_.AudioFaults().empty(),
                KindText(kind_) + ": " +
                    (record_.AudioFaults().empty() ? "" : record_.AudioFaults().front()));
    }

private:
    template <typename T>
    T Pick(std::initializer_list<T> values) {
        std::uniform_int_distribution<std::size_t> index(0, values.size() - 1);
        return values.begin()[index(random_)];
    }
    int Between(int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random_);
    }
    bool Chance(int percent) { return Between(1, 100) <= percent; }

    std::string What(int command) const {
        return "careless command " + std::to_string(command) + " (" + KindText(kind_) + ")";
    }
    void Expect(int result, std::initializer_list<int> allowed, int command) {
        Require(std::find(allowed.begin(), allowed.end(), result) != allowed.end(),
                What(command) + ": answered " + std::to_string(result));
    }

    bool FrameOpen() {
        openFrame_ = Between(0, 1);
        return record_.Frame(openFrame_) != nullptr;
    }

    float AnyValue() {
        const float inf = std::numeric_limits<float>::infinity();
        return Pick<float>({0.0f, 1.0f, -1.0f, 15.0f, -48.0f, 65537.0f, 1e30f, -1e30f, inf, -inf,
                            std::numeric_limits<float>::quiet_NaN(),
                            static_cast<float>(Between(-200, 200))});
    }

    // A settings array of any length, or none with a count that says otherwise.
    void ScrambleSettings() {
        if (Chance(20)) {
            record_.settings = nullptr;
            record_.settingsCount = Between(-3, 40);
            return;
        }
        const int count = Pick({0, 1, 4, 16, 17, 17, 17, 18, 40});
        // Settings commands may read a whole block whatever the count says,
        // as a host's array always holds one.
        settings_.resize(static_cast<std::size_t>(std::max(count, 17)));
        for (float& value : settings_) value = AnyValue();
        record_.settings = count == 0 ? nullptr : settings_.data();
        record_.settingsCount = count - (Chance(10) ? Between(0, 3) : 0);
    }

    void ScrambleState() {
        record_.menuItemId = Pick({0, 4097, 4098, 0x1001, 0x1002, 0x1003, 0x1004, 0x1005, 0x1006,
                                   0x1007, 0x1010, -1, Between(INT_MIN, INT_MAX)});
        record_.menuItemValue = Between(-2, 2);
        for (int& flag : record_.activityFlags) flag = Between(0, 1);
        record_.script.keepSaveOption = Between(0, 1);
        record_.keepSaveOption = Between(-1, 2);
        record_.fileOutputValue = Pick({0.0, 1.0, -1.0, std::nan("")});
        record_.script.acceptStoreSettings = !Chance(20);
        record_.script.failAllocateAudio = Chance(15);
    }

    // One audio block of a random, often impossible, format; the host owns
    // the block and frees whatever comes back.
    void SendAudio(int command, bool finite) {
        const int channels = Pick({-1, 0, 1, 1, 2, 2, 2, 3, 8});
        const int rate = Pick(
            {INT_MIN, -44100, 0, 1, 8000, 44100, 44100, 48000, 96000, 192000, 1000001, INT_MAX});
        const int count = Chance(10) ? Between(-5, -1) : Between(0, 9000);
        // Drawn one by one, so that a seed gives the same blocks on every compiler.
        const bool withBuffer = !Chance(10);
        std::vector<float> samples(static_cast<std::size_t>(withBuffer && count > 0 ? count : 0));
        for (float& sample : samples)
            sample = finite ? static_cast<float>(Between(-1000, 1000)) * 1e-3f : AnyValue() * 1e-3f;
        const bool start = Chance(10);
        const bool end = Chance(10);
        HostBlock block(record_, samples.data(), count, {channels, rate, start, end}, withBuffer);
        record_.ClearCalls();
        const std::string what = What(command) + ": " + std::to_string(count) + " items, " +
                                 std::to_string(channels) + " channels at " + std::to_string(rate) +
                                 " Hz";
        const int result = run_.Send(record_, command, what);
        Require(result == 0 || result == 1, what + ": answered " + std::to_string(result));

        // What comes back fits the buffer it comes back in. A new buffer
        // means the add-on has given the host's block back with FreeAudio.
        const std::string fault = block.ReturnFault();
        Require(fault.empty(), what + ": " + fault);
        if (finite)
            for (float sample : block.Returned())
                Require(std::isfinite(sample),
                        what + ": finite audio came back with " + std::to_string(sample));
    }

    // Create on this record, live instance or not; a served kind must be made.
    // An instance replaced by a second Create is ended afterwards, so that
    // what it holds is not taken for a leak.
    void Create() {
        std::vector<float> stored(static_cast<std::size_t>(Pick({0, 4, 16, 17, 17})));
        for (float& value : stored) value = AnyValue();
        if (!stored.empty()) record_.SetStoredSettings(stored);
        const std::string what = "careless Create (" + KindText(kind_) + ")";
        void* const replaced = record_.context;
        const int result = run_.SendClosingDialogs(record_, kefo::kCmdCreateInstance, what);
        if (replaced && record_.context != replaced) {
            void* const created = record_.context;
            record_.context = replaced;
            run_.Send(record_, kefo::kCmdDestroyInstance,
                      "Destroy of the instance replaced by " + what);
            record_.context = created;
        }
        if (served_) {
            Require(result == kefo::kResultHandled && record_.context,
                    what + ": refused, answered " + std::to_string(result));
        } else {
            Require(result == kefo::kResultKindNotServed && !record_.context,
                    what + ": answered " + std::to_string(result) + " for a kind not served");
        }
    }

    // The host closes the instance's frames first, as it must.
    void Destroy() {
        record_.CloseFrames();
        const std::string what = "careless Destroy (" + KindText(kind_) + ")";
        Require(run_.Send(record_, kefo::kCmdDestroyInstance, what) == kefo::kResultHandled,
                what + ": not answered 1");
        // The host never uses the context again: a record that lives on has none.
        record_.context = nullptr;
    }

    ValidationRun& run_;
    int kind_;
    bool served_ = false;
    std::mt19937 random_;
    HostRecord record_;
    std::vector<float> settings_;
    int openFrame_ = 0;
};

}  // namespace

void RunCarelessHost(ValidationRun& run, int kind, unsigned seed, int calls) {
    CarelessHost(run, kind, seed).Run(calls);
}

}  // namespace hostsim
