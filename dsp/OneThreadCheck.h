// OneThreadCheck: makes a debug build stop at once when a second thread
// enters operations that must all come from one thread.
//
// The first thread that calls Check owns them; a call from any other thread
// prints where it came from and aborts, on the spot, instead of letting the
// two threads race. Release builds (NDEBUG) skip the check, but the member
// stays: a class that holds one has the same layout in every build, so code
// built with the other setting still reads the right members.
//
//     class Thing {
//         OneThreadCheck controlThread_;
//     public:
//         void Set(int v) { controlThread_.Check("Thing::Set"); ... }
//     };
//
// Threads: Check may be called from any thread (that is what it catches).
// Nothing here allocates or blocks.
#pragma once

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace kefo {

class OneThreadCheck {
public:
    // what names the operation for the message.
    void Check(const char* what) noexcept {
#ifdef NDEBUG
        (void)what;
#else
        const std::thread::id caller = std::this_thread::get_id();
        std::thread::id owner{};
        if (owner_.compare_exchange_strong(owner, caller, std::memory_order_relaxed)) return;
        if (owner == caller) return;
        std::fprintf(stderr, "%s called from a second thread; it belongs to one thread\n", what);
        std::abort();
#endif
    }

private:
    std::atomic<std::thread::id> owner_{};  // the first caller; empty until then
};

}  // namespace kefo
