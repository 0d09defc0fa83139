// Stored settings as a host may hand them over: short, long, not finite,
// out of range and random, at Create and with commands 9, 10 and 11, and a
// count that lies about a missing array. The add-on answers, leaves the
// host's array as it was, and its instance keeps working: its state
// queries answer and audio still streams by the rules. What an instance
// stores survives into a fresh one.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "hostsim/validate/Validation.h"

namespace hostsim {
namespace {

const int kSettingsCommands[] = {kefo::kCmdSettingsChanged, kefo::kCmdSettingsApplied,
                                 kefo::kCmdSetParameters};

float AnyValue(std::mt19937& random) {
    const float pick[] = {0.0f,
                          1.0f,
                          -1.0f,
                          0.5f,
                          15.0f,
                          -48.0f,
                          65537.0f,
                          65536.0f,
                          1e30f,
                          -1e30f,
                          std::numeric_limits<float>::infinity(),
                          -std::numeric_limits<float>::infinity(),
                          std::numeric_limits<float>::quiet_NaN(),
                          std::numeric_limits<float>::denorm_min()};
    return pick[std::uniform_int_distribution<int>(0, sizeof pick / sizeof pick[0] - 1)(random)];
}

// The arrays to hand over, made from the add-on's own stored array.
std::vector<std::vector<float>> Arrays(ValidationRun& run, const std::vector<float>& own) {
    const std::size_t n = own.empty() ? 17 : own.size();
    std::vector<std::vector<float>> arrays;
    arrays.push_back(own);
    arrays.push_back(std::vector<float>(own.begin(), own.begin() + (own.empty() ? 0 : n - 1)));
    arrays.push_back({own.empty() ? 65537.0f : own[0]});
    std::vector<float> longer(own);
    longer.resize(n + 40, 1.0f);
    arrays.push_back(longer);
    for (float odd : {std::numeric_limits<float>::quiet_NaN(),
                      std::numeric_limits<float>::infinity(), 1e30f, -1e30f, -1.0f}) {
        for (std::size_t i = 0; i < n; ++i) {
            std::vector<float> array(own);
            array.resize(n, 0.0f);
            array[i] = odd;
            arrays.push_back(array);
        }
    }
    const int randomArrays = run.Options().full ? 1000 : 50;
    for (int r = 0; r < randomArrays; ++r) {
        std::vector<float> array(own);
        array.resize(std::uniform_int_distribution<std::size_t>(0, n + 3)(run.random), 0.0f);
        for (float& value : array)
            if (std::uniform_int_distribution<int>(0, 2)(run.random) == 0)
                value = AnyValue(run.random);
        arrays.push_back(array);
    }
    return arrays;
}

bool SameBits(const std::vector<float>& a, const float* b) {
    return a.empty() || std::memcmp(a.data(), b, a.size() * sizeof(float)) == 0;
}

// The instance still answers and streams after settings were handed over.
void StillWorks(ValidationRun& run, HostRecord& record, const std::string& after) {
    for (int command : {kefo::kCmdStateChanged, kefo::kCmdQueryMenuItem}) {
        record.menuItemId = kefo::kFirstMenuItemId;
        const std::string what = "command " + std::to_string(command) + " after " + after;
        const int result = run.SendClosingDialogs(record, command, what);
        Require(result == 0 || result == 1, what + ": answered " + std::to_string(result));
    }
    StreamOnce(run, record, 2, 44100);
}

// Creates an instance of kind with stored (none when null), streams once
// through each processing command, and destroys it; returns what came back
// and leaves in record what the add-on stored.
std::vector<float> RunInstance(ValidationRun& run, HostRecord& record, int kind,
                               const std::vector<float>* stored, const std::string& what) {
    record.Attach(run.Processing());
    record.instanceKind = kind;
    if (stored) record.SetStoredSettings(*stored);
    const int created = run.SendClosingDialogs(record, kefo::kCmdCreateInstance, "Create " + what);
    Require(created == 1 && record.context,
            "Create " + what + ": answered " + std::to_string(created));
    std::vector<float> output;
    if (kind != kefo::kKindDialogOnly)
        for (int command : kAudioCommands) {
            if (LooksOnly(command)) continue;
            const std::vector<float> stream = StreamOutput(run, record, command, 2, 44100);
            output.insert(output.end(), stream.begin(), stream.end());
        }
    record.CloseFrames();
    run.Send(record, kefo::kCmdDestroyInstance, "Destroy " + what);
    return output;
}

// What an instance stored, handed to a fresh one at Create, is stored back
// as it was, and the same stream gives the same bits through both. The
// first instance starts without stored settings, the others with arrays
// the add-on has to make sense of.
void RequireSettingsSurvive(ValidationRun& run, int kind,
                            const std::vector<std::vector<float>>& arrays) {
    const std::size_t step =
        std::max<std::size_t>(1, arrays.size() / (run.Options().full ? 20 : 4));
    for (std::size_t a = 0; a <= arrays.size(); a += a == 0 ? 1 : step) {
        // Start 0 has no stored settings, start a the array a.
        const std::vector<float>* start = a == 0 ? nullptr : &arrays[a - 1];
        const std::string which = "settings that survive (" + KindText(kind) +
                                  (start ? ", from array " + std::to_string(a) : "") + ")";
        HostRecord first;
        const std::vector<float> firstOutput = RunInstance(run, first, kind, start, "for " + which);
        if (!first.HasStoredSettings()) continue;  // nothing stored, nothing to survive
        const std::vector<float> stored = first.StoredSettings();
        HostRecord second;
        const std::vector<float> secondOutput =
            RunInstance(run, second, kind, &stored, "again for " + which);
        const std::vector<float>& back = second.StoredSettings();
        const long long changed = FirstDifference(stored, back);
        Require(changed < 0, which + ": given the " + std::to_string(stored.size()) +
                                 " values it stored, a fresh instance stored back " +
                                 std::to_string(back.size()) + " that differ from value " +
                                 std::to_string(changed + 1) + " on");
        const long long differs = FirstDifference(firstOutput, secondOutput);
        Require(differs < 0, which + ": given what it stored, gave other samples from sample " +
                                 std::to_string(differs + 1) + " on");
    }
}

}  // namespace

std::string CheckSettings(ValidationRun& run) {
    int handedOver = 0;
    for (int kind : run.ServedKinds()) {
        const std::string k = KindText(kind);
        HostRecord probe;
        probe.Attach(run.Processing());
        probe.instanceKind = kind;
        run.Send(probe, kefo::kCmdCreateInstance, "Create (" + k + ")");
        const std::vector<float> own = probe.StoredSettings();
        probe.CloseFrames();
        run.Send(probe, kefo::kCmdDestroyInstance, "Destroy (" + k + ")");

        const auto arrays = Arrays(run, own);
        RequireSettingsSurvive(run, kind, arrays);
        for (std::size_t a = 0; a < arrays.size(); ++a) {
            const std::vector<float>& array = arrays[a];
            const std::string which = "array " + std::to_string(a + 1) + " (" +
                                      std::to_string(array.size()) + " values, " + k + ")";
            HostRecord record;
            record.Attach(run.Processing());
            record.instanceKind = kind;
            if (!array.empty()) record.SetStoredSettings(array);
            const int created = run.SendClosingDialogs(record, kefo::kCmdCreateInstance,
                                                       "Create with stored " + which);
            Require(created == 1 && record.context,
                    "Create with stored " + which + ": answered " + std::to_string(created));
            std::vector<float> handed(array);
            const int command = kSettingsCommands[a % 3];
            const std::string what = "command " + std::to_string(command) + " with " + which;
            record.settings = handed.empty() ? nullptr : handed.data();
            record.settingsCount = static_cast<int>(handed.size());
            const int result = run.SendClosingDialogs(record, command, what);
            Require(result == 0 || result == 1, what + ": answered " + std::to_string(result));
            Require(SameBits(array, handed.data()), what + ": changed the host's array");
            // A count that says an array is there when none is.
            record.settings = nullptr;
            record.settingsCount = static_cast<int>(own.size());
            run.SendClosingDialogs(record, command,
                                   "command " + std::to_string(command) +
                                       " with no array and a count of " +
                                       std::to_string(own.size()));
            if (a % 16 == 0) StillWorks(run, record, what);
            record.CloseFrames();
            run.Send(record, kefo::kCmdDestroyInstance, "Destroy after " + what);
            handedOver += 2;
        }
    }
    return std::to_string(handedOver) + " arrays handed over at Create and with commands 9 to 11";
}

}  // namespace hostsim
