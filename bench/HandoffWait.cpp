#include "HandoffWait.h"

#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <random>
#include <thread>
#include <vector>

#include "dsp/SharedGraphicEq.h"

namespace kefo {
namespace bench {
namespace {

using Clock = std::chrono::steady_clock;

long InvoluntarySwitches() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_nivcsw;
}

TimedRegion Summary(std::vector<double>& micros) {
    TimedRegion region;
    if (micros.empty()) return region;
    std::sort(micros.begin(), micros.end());
    region.maxMicros = micros.back();
    region.p999Micros = micros[std::min(micros.size() - 1, micros.size() * 999 / 1000)];
    region.medianMicros = micros[micros.size() / 2];
    return region;
}

}  // namespace

HandoffWaits MeasureSliderDragWaits(double seconds) {
    static const double kCentres[9] = {65, 125, 250, 500, 1000, 2000, 4000, 8000, 16000};
    SharedGraphicEq shared(GraphicEqConfig{0, 0, 9, kCentres, 2, 1});
    const float flat[9] = {};
    shared.SetStartState(flat, 1);
    shared.Prepare(2, 192000);  // the audio side's format, known to the control side from now on

    std::atomic<bool> stop{false};
    std::atomic<long long> designs{0};
    std::thread control([&] {
        // Nine sliders moving one step at a time, each drag step a new design.
        std::mt19937 random(5);
        float gains[9] = {};
        while (!stop.load(std::memory_order_relaxed)) {
            float& gain = gains[random() % 9];
            gain = std::clamp(gain + ((random() & 1) ? 1.0f : -1.0f), -15.0f, 15.0f);
            shared.SetGains(gains);
            designs.fetch_add(1, std::memory_order_relaxed);
        }
    });

    HandoffWaits result;
    std::vector<float> block(static_cast<std::size_t>(shared.Filter().GetBlockLength()), 0.1f);
    std::vector<double> prepares, empties;
    prepares.reserve(1 << 20);
    empties.reserve(1 << 20);
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    auto lastPrepare = Clock::duration::zero();
    while (Clock::now() < end) {
        const long switches = InvoluntarySwitches();
        // As long as the last Prepare (at most 2 us) with nothing to do: the
        // same exposure to the machine's interruptions.
        const auto emptyStart = Clock::now();
        auto emptyEnd = emptyStart;
        const auto emptyLength =
            std::min(lastPrepare, Clock::duration(std::chrono::microseconds(2)));
        while (emptyEnd - emptyStart < emptyLength) emptyEnd = Clock::now();
        const auto before = Clock::now();
        shared.Prepare(2, 192000);
        const auto after = Clock::now();
        lastPrepare = after - before;
        ++result.blocks;
        if (InvoluntarySwitches() == switches) {
            prepares.push_back(std::chrono::duration<double, std::micro>(after - before).count());
            empties.push_back(
                std::chrono::duration<double, std::micro>(emptyEnd - emptyStart).count());
        } else {
            ++result.preempted;
        }
        shared.Filter().Process(block.data());
    }
    stop = true;
    control.join();

    result.designs = designs.load();
    result.prepare = Summary(prepares);
    result.empty = Summary(empties);
    return result;
}

}  // namespace bench
}  // namespace kefo
