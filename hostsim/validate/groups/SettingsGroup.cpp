// Stored settings as a host may hand them over: short, long, not finite,
// out of range and random, at Create and with commands 9, 10 and 11, and a
// count that lies about a missing array. The add-on answers, leaves the
// host's array as it was, and its instance keeps working: its state
// queries answer and audio still streams by the rules.
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
