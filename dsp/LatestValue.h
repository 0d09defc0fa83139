// LatestValue: hands the latest of a stream of values from one writer thread
// to one reader thread without either of them ever waiting (a triple buffer).
//
// Three slots: the writer fills its own slot and publishes it by swapping it
// with the middle one; the reader, when the middle one is newer than what it
// holds, swaps its own slot with it. A slot belongs to exactly one side at a
// time, so a value is never read while it is written, and values the reader
// did not take in time are overwritten (only the latest counts).
//
//     LatestValue<Response> handoff;
//     // writer:  Fill(handoff.WriteSlot()); handoff.Publish();
//     // reader:  if (handoff.TakeLatest()) Use(handoff.ReadSlot());
//
// Threads: WriteSlot and Publish on one thread, TakeLatest and ReadSlot on
// one (other) thread. Nothing here allocates or blocks; T's own members may
// be resized by the writer inside its slot.
#pragma once

#include <atomic>

namespace kefo {

template <typename T>
class LatestValue {
public:
    LatestValue() = default;
    LatestValue(const LatestValue&) = delete;
    LatestValue& operator=(const LatestValue&) = delete;

    // The writer's slot: whatever it held the last time the writer had it,
    // or the value the reader let go of.
    T& WriteSlot() noexcept { return slots_[writeIndex_]; }

    // Makes the writer's slot the latest value and takes a free one.
    void Publish() noexcept {
        writeIndex_ = middle_.exchange(writeIndex_ | kFresh, std::memory_order_acq_rel) & kIndex;
    }

    // Adopts the latest published value when there is one the reader has not
    // seen; false leaves ReadSlot as it was.
    bool TakeLatest() noexcept {
        if (!(middle_.load(std::memory_order_acquire) & kFresh)) return false;
        readIndex_ = middle_.exchange(readIndex_, std::memory_order_acq_rel) & kIndex;
        return true;
    }

    // The reader's slot: the latest value taken (a default T before any).
    const T& ReadSlot() const noexcept { return slots_[readIndex_]; }

private:
    static constexpr unsigned kIndex = 3u;
    static constexpr unsigned kFresh = 4u;  // the middle slot holds an unread value

    T slots_[3]{};
    unsigned writeIndex_ = 0;          // the writer's only
    unsigned readIndex_ = 1;           // the reader's only
    std::atomic<unsigned> middle_{2};  // index of the middle slot, with kFresh
};

}  // namespace kefo
