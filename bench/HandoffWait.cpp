#include "HandoffWait.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <random>
#include <thread>
#include <vector>

#include "dsp/SharedGraphicEq.h"

namespace kefo {
namespace bench {

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

    using Clock = std::chrono::steady_clock;
    std::vector<float> block(static_cast<std::size_t>(shared.Filter().GetBlockLength()), 0.1f);
    std::vector<double> waits;
    waits.reserve(1 << 20);
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    while (Clock::now() < end) {
        const auto before = Clock::now();
        shared.Prepare(2, 192000);
        const auto after = Clock::now();
        waits.push_back(std::chrono::duration<double, std::micro>(after - before).count());
        shared.Filter().Process(block.data());
    }
    stop = true;
    control.join();

    HandoffWaits result;
    result.blocks = static_cast<long long>(waits.size());
    result.designs = designs.load();
    if (waits.empty()) return result;
    std::sort(waits.begin(), waits.end());
    result.maxMicros = waits.back();
    result.p999Micros = waits[std::min(waits.size() - 1, waits.size() * 999 / 1000)];
    result.medianMicros = waits[waits.size() / 2];
    return result;
}

}  // namespace bench
}  // namespace kefo
