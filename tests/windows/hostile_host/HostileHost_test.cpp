// A host that gets everything wrong that a record can carry: command codes
// outside the table, settings arrays of any length with NaN and infinities,
// counts that lie about a null array, audio blocks of impossible formats,
// refused output buffers, menu and frame numbers out of range, Info, Create,
// Destroy and About at any moment (a second Create on a live record, commands
// after Destroy). The add-ons must answer every call with 0 or 1, never claim
// a negative count or more audio than the buffer they hand back holds, turn
// finite audio into finite audio, and leave no host buffer behind.
//
// KEFO_HOSTILE_ITERATIONS (default 400) and KEFO_HOSTILE_SEED (default: one
// per case) set the run; a failure names the seed that reproduces it.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "AddOnModule.h"
#include "HostRecord.h"
#include "ModalDialogDriver.h"
#include "TestPaths.h"

namespace {

struct Case {
    const wchar_t* dll;
    int kind;
    bool served;  // the add-on makes an instance of this kind
};

unsigned EnvironmentNumber(const char* name, unsigned fallback) {
    const char* text = std::getenv(name);
    if (!text || !*text) return fallback;
    char* end = nullptr;
    const unsigned long value = std::strtoul(text, &end, 10);
    return *end == '\0' ? static_cast<unsigned>(value) : fallback;
}

unsigned CaseSeed(const Case& c) {
    return EnvironmentNumber(
        "KEFO_HOSTILE_SEED",
        static_cast<unsigned>(std::hash<std::wstring>()(c.dll)) + static_cast<unsigned>(c.kind));
}

std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
    std::wstring dll(info.param.dll);
    return std::string(dll.begin() + 5, dll.end() - 4) + "_kind" + std::to_string(info.param.kind);
}

class HostileHost : public ::testing::TestWithParam<Case> {
protected:
    template <typename T>
    T Pick(std::initializer_list<T> values) {
        std::uniform_int_distribution<std::size_t> index(0, values.size() - 1);
        return values.begin()[index(random_)];
    }
    int Between(int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random_);
    }
    bool Chance(int percent) { return Between(1, 100) <= percent; }

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
    // the block and frees whatever comes back. Finite audio must come back
    // finite.
    void SendAudio(int command, bool finite) {
        const int channels = Pick({-1, 0, 1, 1, 2, 2, 2, 3, 8});
        const int rate = Pick(
            {INT_MIN, -44100, 0, 1, 8000, 44100, 44100, 48000, 96000, 192000, 1000001, INT_MAX});
        const int count = Chance(10) ? Between(-5, -1) : Between(0, 9000);
        float* block = Chance(10) ? nullptr : record_.HostAllocateAudio(count);
        for (int i = 0; block && i < count; ++i)
            block[i] =
                finite ? static_cast<float>(Between(-1000, 1000)) * 1e-3f : AnyValue() * 1e-3f;
        record_.audioFormatA = channels;
        record_.audioFormatB = rate;
        record_.audioStart = Chance(10);
        record_.audioEnd = Chance(10);
        record_.audioBuffer = block;
        record_.audioItemCount = count;
        record_.ClearCalls();
        const int result = record_.Send(command);
        EXPECT_TRUE(result == 0 || result == 1)
            << "audio command " << command << " answered " << result;

        // What comes back fits the buffer it comes back in. A new buffer
        // means the add-on has given the host's block back with FreeAudio.
        if (record_.audioBuffer != block || record_.audioItemCount != count) {
            EXPECT_GE(record_.audioItemCount, 0) << "a negative answer";
        }
        if (finite && record_.audioBuffer) {
            for (int i = 0; i < record_.audioItemCount; ++i) {
                if (!std::isfinite(record_.audioBuffer[i])) {
                    ADD_FAILURE() << "finite audio came back with " << record_.audioBuffer[i];
                    break;
                }
            }
        }
        if (record_.audioBuffer == block) {
            EXPECT_TRUE(record_.audioItemCount <= count || !block)
                << "claims past the host's block";
        } else if (record_.audioBuffer) {
            const auto allocations = record_.CallsTo("AllocateAudio");
            ASSERT_FALSE(allocations.empty()) << "a buffer nobody allocated came back";
            const long long bytes = std::stoll(allocations.back().args[0]);
            EXPECT_LE(4LL * record_.audioItemCount, bytes) << "claims past its own buffer";
        }
        record_.HostFreeAudio(record_.audioBuffer);
        record_.audioBuffer = nullptr;
        record_.audioItemCount = 0;
    }

    // The About box is modal: it is closed with OK as a user would.
    void ShowAbout() {
        record_.aboutParent = nullptr;
        int result = -1;
        hostsim::DriveModalDialog([&] { result = record_.Send(kefo::kCmdAbout); },
                                  [](HWND dialog, int) {
                                      SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
                                      return true;
                                  });
        EXPECT_EQ(result, 1) << "About";
    }

    // The dialog-only kind opens its equalizer as a modal dialog (menu
    // command, settings that open the window): a user cancels it.
    int SendClosingModalEqualizer(int command) {
        if (GetParam().kind != kefo::kKindDialogOnly) return record_.Send(command);
        int result = -1;
        hostsim::DriveModalDialog([&] { result = record_.Send(command); },
                                  [](HWND dialog, int) {
                                      SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                                      return true;
                                  });
        return result;
    }

    // Create on this record, live instance or not; a served kind must be made.
    void Create() {
        std::vector<float> stored(static_cast<std::size_t>(Pick({0, 4, 16, 17, 17})));
        for (float& value : stored) value = AnyValue();
        if (!stored.empty()) record_.SetStoredSettings(stored);
        const int result = record_.Send(kefo::kCmdCreateInstance);
        if (GetParam().served) {
            EXPECT_EQ(result, kefo::kResultHandled) << "Create refused";
            EXPECT_NE(record_.context, nullptr);
        } else {
            EXPECT_EQ(result, kefo::kResultKindNotServed);
            EXPECT_EQ(record_.context, nullptr);
        }
    }

    // The host closes the instance's frames first, as it must.
    void Destroy() {
        record_.CloseFrames();
        EXPECT_EQ(record_.Send(kefo::kCmdDestroyInstance), kefo::kResultHandled);
        EXPECT_EQ(record_.context, nullptr);
    }

    std::mt19937 random_{CaseSeed(GetParam())};
    hostsim::HostRecord record_;
    std::vector<float> settings_;
};

TEST_P(HostileHost, AnswersEveryCallAndKeepsItsBuffersStraight) {
    SCOPED_TRACE("KEFO_HOSTILE_SEED=" + std::to_string(CaseSeed(GetParam())));
    hostsim::AddOnModule module(testing_paths::BuiltFile(GetParam().dll));
    ASSERT_TRUE(module.Loaded()) << module.Error();
    record_.Attach(module.Processing());
    record_.instanceKind = GetParam().kind;
    Create();

    const int iterations = static_cast<int>(EnvironmentNumber("KEFO_HOSTILE_ITERATIONS", 400));
    for (int call = 0; call < iterations; ++call) {
        ScrambleState();
        ScrambleSettings();
        const int command =
            Pick({0,       -1,      1,        2,       3,       4,       5,       6,
                  7,       8,       9,        10,      11,      12,      13,      14,
                  15,      16,      0x10000,  0x20000, 0x40000, 0x80000, 0x10000, 0x20000,
                  0x40000, 0x80000, 0x100000, 0x30000, INT_MAX});
        if (command >= 0x10000 && command <= 0x100000) {
            // The first third of the run sends finite audio only.
            SendAudio(command, call < iterations / 3);
            continue;
        }
        if (command == kefo::kCmdCreateInstance) {
            if (Chance(50)) Create();  // a second one on a live record, or after Destroy
            continue;
        }
        if (command == kefo::kCmdDestroyInstance) {
            Destroy();
            continue;
        }
        if (command == kefo::kCmdAbout) {
            if (Chance(20)) ShowAbout();
            continue;
        }
        if (command == kefo::kCmdFrameClosed) {
            // A host reports a frame closed once it has destroyed it.
            const int index = Between(-1, 2);
            if (index >= 0 && index < 2 && record_.Frame(index)) {
                record_.UserClosesFrame(index);
                continue;
            }
            record_.frameIndex = index;
        }
        record_.ClearCalls();
        const int result = SendClosingModalEqualizer(command);
        EXPECT_TRUE(result == 0 || result == 1) << "command " << command << " answered " << result;
    }

    Destroy();
    EXPECT_EQ(record_.OutstandingAudioBuffers(), 0u);
    for (const std::string& fault : record_.AudioFaults()) ADD_FAILURE() << fault;
}

INSTANTIATE_TEST_SUITE_P(
    ShippedAddOns, HostileHost,
    ::testing::Values(Case{L"KEFO_AnalyzerEQ.dll", 0, true}, Case{L"KEFO_AnalyzerEQ.dll", 1, true},
                      Case{L"KEFO_AnalyzerEQ.dll", 2, true},
                      Case{L"KEFO_DigitalMixer.dll", 0, true},
                      Case{L"KEFO_DigitalMixer.dll", 1, false},
                      Case{L"KEFO_DigitalMixer.dll", 2, true}, Case{L"KEFO_iTunes.dll", 0, true},
                      Case{L"KEFO_iTunes.dll", 1, false}, Case{L"KEFO_iTunes.dll", 2, false}),
    CaseName);

}  // namespace
