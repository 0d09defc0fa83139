// The handoff between a control thread and an audio thread: driven from one
// thread it filters exactly like a plain CGraphicEqFIR given the same calls,
// and the state asked for last survives format changes; with the control
// side hammering from a second thread, every response the audio side filters
// with is one that was designed whole, the latest wins once the control side
// stops, and restart requests are never lost. A debug build stops when a
// second thread takes the control side.
#include "dsp/SharedGraphicEq.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <random>
#include <thread>
#include <vector>

#include "dsp/LatestValue.h"
#include "DspReference.h"

namespace {

using kefo::CGraphicEqFIR;
using kefo::GraphicEqConfig;
using kefo::SharedGraphicEq;

const double kCentres[9] = {65, 125, 250, 500, 1000, 2000, 4000, 8000, 16000};
const float kGainsA[9] = {6, -6, 3, 0, -12, 4, 9, -3, 15};
const float kGainsB[9] = {-15, 2, 2, 8, 0, -9, 1, 12, -6};

GraphicEqConfig Constants() {
    return GraphicEqConfig{0, 0, 9, kCentres, 2, 1};
}

std::vector<double> ResponseOf(CGraphicEqFIR& filter) {
    std::vector<double> response(static_cast<std::size_t>(filter.GetResponseLength()));
    filter.CopyResponse(response.data());
    return response;
}

std::vector<double> DesignedResponse(int rate, int channels, const float* gains) {
    CGraphicEqFIR filter;
    GraphicEqConfig config = Constants();
    config.sampleRate = rate;
    config.channels = channels;
    EXPECT_TRUE(filter.Init(config));
    filter.SetGains(gains, 0);
    return ResponseOf(filter);
}

TEST(LatestValue, ReaderSeesWholeValuesInOrderAndTheLastOne) {
    struct Value {
        unsigned sequence;
        unsigned copies[64];
    };
    kefo::LatestValue<Value> handoff;
    constexpr unsigned kLast = 200000;
    std::thread writer([&] {
        for (unsigned sequence = 1; sequence <= kLast; ++sequence) {
            Value& slot = handoff.WriteSlot();
            slot.sequence = sequence;
            for (unsigned& copy : slot.copies) copy = sequence;
            handoff.Publish();
        }
    });
    unsigned seen = 0;
    bool torn = false;
    bool backwards = false;
    while (seen != kLast) {
        if (!handoff.TakeLatest()) continue;
        const Value& value = handoff.ReadSlot();
        for (unsigned copy : value.copies) torn |= copy != value.sequence;
        backwards |= value.sequence <= seen;
        seen = value.sequence;
    }
    writer.join();
    EXPECT_FALSE(torn);
    EXPECT_FALSE(backwards);
    EXPECT_FALSE(handoff.TakeLatest()) << "nothing newer than the last value";
}

// The add-on's sequence of calls on one thread, against a plain filter given
// the same calls directly: the outputs are identical sample for sample.
TEST(SharedGraphicEq, OneThreadFiltersExactlyAsThePlainFilter) {
    for (int channels : {1, 2}) {
        SharedGraphicEq shared(Constants());
        CGraphicEqFIR plain;
        GraphicEqConfig config = Constants();
        config.sampleRate = 48000;
        config.channels = channels;

        shared.SetStartState(kGainsA, 1);
        shared.SetGains(kGainsA);
        EXPECT_EQ(shared.Prepare(channels, 48000) & SharedGraphicEq::kReinitialised,
                  SharedGraphicEq::kReinitialised);
        ASSERT_TRUE(plain.Init(config));
        plain.SetEnabled(1);
        plain.SetGains(kGainsA, 0);

        const int block = plain.GetBlockLength();
        ASSERT_EQ(shared.Filter().GetBlockLength(), block);
        const std::vector<float> input =
            kefo_test::NoiseSamples(static_cast<std::size_t>(block) * 8, 7);
        std::vector<float> a(input), b(input);
        for (int i = 0; i < 8; ++i) {
            // Between blocks: a new design, bypass and back, flat.
            if (i == 2) {
                shared.SetGains(kGainsB);
                plain.SetGains(kGainsB, 0);
            }
            if (i == 3) {
                shared.SetEnabled(0);
                plain.SetEnabled(0);
            }
            if (i == 4) {
                shared.SetEnabled(1);
                plain.SetEnabled(1);
            }
            if (i == 6) {
                shared.SetFlat();
                plain.SetFlat();
            }
            EXPECT_EQ(shared.Prepare(channels, 48000), 0);
            shared.Filter().Process(a.data() + i * block);
            plain.Process(b.data() + i * block);
        }
        EXPECT_EQ(a, b) << channels << " channel(s)";

        shared.RequestRestart();
        EXPECT_EQ(shared.Prepare(channels, 48000), SharedGraphicEq::kRestartAsked);
        // A new format keeps the running state (flat and on), designed by the
        // audio side; a start state no longer counts once it is set.
        shared.SetStartState(kGainsB, 0);
        shared.SetEnabled(1);
        EXPECT_EQ(shared.Prepare(channels, 44100), SharedGraphicEq::kReinitialised);
        config.sampleRate = 44100;
        ASSERT_TRUE(plain.Init(config));
        plain.SetFlat();
        EXPECT_EQ(ResponseOf(shared.Filter()), ResponseOf(plain));
    }
}

// The order a host's state change makes the add-on send in: a running state,
// the start state (the settings, which differ), a new format, and the same
// running state again, before or after the audio side has seen the format.
// The audio side ends in the running state: bypassed, or flat.
TEST(SharedGraphicEq, TheStateAskedForLastOutlivesAFormatChange) {
    for (bool againBeforeTheNewFormat : {true, false}) {
        SCOPED_TRACE(againBeforeTheNewFormat ? "sent again before" : "sent again after");
        auto drive = [&](SharedGraphicEq& shared, const std::function<void()>& send) {
            shared.SetStartState(kGainsA, 1);
            shared.SetGains(kGainsA);
            ASSERT_TRUE(shared.Prepare(2, 48000) & SharedGraphicEq::kReinitialised);
            send();
            shared.SetStartState(kGainsB, 1);
            if (againBeforeTheNewFormat) send();
            ASSERT_TRUE(shared.Prepare(2, 44100) & SharedGraphicEq::kReinitialised);
            if (!againBeforeTheNewFormat) send();
            shared.Prepare(2, 44100);
        };

        SharedGraphicEq bypassed(Constants());
        drive(bypassed, [&] { bypassed.SetEnabled(0); });
        CGraphicEqFIR plain;
        GraphicEqConfig config = Constants();
        config.sampleRate = 44100;
        config.channels = 2;
        ASSERT_TRUE(plain.Init(config));
        plain.SetEnabled(0);
        const int block = plain.GetBlockLength();
        const std::vector<float> input =
            kefo_test::NoiseSamples(static_cast<std::size_t>(block) * 2, 11);
        std::vector<float> a(input), b(input);
        for (int i = 0; i < 2; ++i) {
            bypassed.Filter().Process(a.data() + i * block);
            plain.Process(b.data() + i * block);
        }
        EXPECT_TRUE(a == b) << "the audio side still filters";

        SharedGraphicEq flat(Constants());
        drive(flat, [&] { flat.SetFlat(); });
        plain.SetFlat();
        EXPECT_TRUE(ResponseOf(flat.Filter()) == ResponseOf(plain)) << "the start gains came back";
    }
}

// A filter whose only news is its start state (an instance created from
// stored settings) starts from that state, not from the defaults.
TEST(SharedGraphicEq, TheStartStateAloneReachesANewFilter) {
    SharedGraphicEq shared(Constants());
    shared.SetStartState(kGainsB, 1);
    shared.Prepare(2, 44100);
    EXPECT_EQ(ResponseOf(shared.Filter()), DesignedResponse(44100, 2, kGainsB));
}

// In steps, a new format only sizes the filter; the calls after it build the
// rest and design the running state, and end with the response of a filter
// set up whole. A handover that comes meanwhile is the one designed.
TEST(SharedGraphicEq, InStepsANewFormatOnlySizesAndLaterCallsDesign) {
    SharedGraphicEq shared(Constants());
    shared.SetStartState(kGainsA, 1);
    EXPECT_EQ(shared.PrepareInSteps(2, 192000), SharedGraphicEq::kReinitialised);
    EXPECT_TRUE(shared.Filter().IsSized());
    EXPECT_FALSE(shared.Filter().IsInitialized());
    const std::vector<double> a = DesignedResponse(192000, 2, kGainsA);
    int calls = 0;
    while (calls < 100 && ResponseOf(shared.Filter()) != a) {
        EXPECT_EQ(shared.PrepareInSteps(2, 192000), 0);
        ++calls;
    }
    EXPECT_GE(calls, 5) << "the setup was not spread";
    EXPECT_LT(calls, 100);

    shared.SetGains(kGainsB);  // designed by the control side for this format
    for (int i = 0; i < 20; ++i) shared.PrepareInSteps(2, 192000);
    EXPECT_EQ(ResponseOf(shared.Filter()), DesignedResponse(192000, 2, kGainsB));
}

// 192 kHz stereo, the largest response: the control side switches between
// two designs as fast as it can while the audio side filters. After every
// Prepare the filter holds exactly one of the two designs.
TEST(SharedGraphicEq, AudioThreadOnlyEverFiltersWithWholeDesigns) {
    SharedGraphicEq shared(Constants());
    const std::vector<double> a = DesignedResponse(192000, 2, kGainsA);
    const std::vector<double> b = DesignedResponse(192000, 2, kGainsB);
    std::atomic<int> stage{0};  // 1: first design sent, 2: the audio side has it
    std::atomic<bool> stop{false};
    std::atomic<int> designs{0};
    // Every control call from this thread alone, the first ones included.
    std::thread control([&] {
        shared.SetStartState(kGainsA, 1);
        shared.SetGains(kGainsA);
        stage = 1;
        while (stage.load() != 2) std::this_thread::yield();
        for (int i = 0; !stop.load(); ++i) {
            shared.SetGains(i % 2 ? kGainsB : kGainsA);
            if (i % 5 == 0) shared.RequestRestart();
            designs.fetch_add(1);
        }
        shared.SetGains(kGainsB);
        shared.RequestRestart();
    });
    while (stage.load() != 1) std::this_thread::yield();
    const bool reinitialised = shared.Prepare(2, 192000) & SharedGraphicEq::kReinitialised;
    stage = 2;
    std::vector<float> block(static_cast<std::size_t>(shared.Filter().GetBlockLength()));
    int mismatches = 0;
    int blocks = 0;
    while (designs.load() < 40 || blocks < 40) {
        shared.Prepare(2, 192000);
        const std::vector<double> now = ResponseOf(shared.Filter());
        mismatches += now != a && now != b;
        shared.Filter().Process(block.data());
        ++blocks;
    }
    stop = true;
    control.join();
    EXPECT_TRUE(reinitialised);
    EXPECT_EQ(mismatches, 0);
    EXPECT_TRUE(shared.Prepare(2, 192000) & SharedGraphicEq::kRestartAsked);
    EXPECT_EQ(ResponseOf(shared.Filter()), b) << "the last design wins";
}

#ifndef NDEBUG
TEST(SharedGraphicEqDeathTest, ASecondControlThreadStopsADebugBuild) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    SharedGraphicEq shared(Constants());
    shared.SetGains(kGainsA);
    shared.RequestRestart();
    EXPECT_DEATH(std::thread([&] { shared.SetEnabled(0); }).join(),
                 "SharedGraphicEq::SetEnabled called from a second thread");
}
#endif

}  // namespace
