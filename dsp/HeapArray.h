// HeapArray: a heap array owned by one DSP object, allocated only from the
// objects' Init and never from their processing calls.
//
// Allocate never throws. A count that is not positive, or whose size in bytes
// would not fit in memory's address range, is refused like a failed
// allocation instead of being wrapped into a small buffer.
//
// The array starts on a 64-byte boundary, whatever the heap's own alignment
// (8 bytes in 32-bit Windows code): vector loads then never straddle a cache
// line more often than their width makes them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <type_traits>

namespace kefo {

template <typename T>
class HeapArray {
    static_assert(std::is_trivial<T>::value, "the elements are left uninitialised");

public:
    static constexpr std::size_t kAlignment = 64;

    // Replaces any previous contents; on failure the array is left empty.
    bool Allocate(std::int64_t count) noexcept {
        Free();
        const std::uint64_t limit =
            (static_cast<std::uint64_t>(PTRDIFF_MAX) - kAlignment) / sizeof(T);
        if (count <= 0 || static_cast<std::uint64_t>(count) > limit) return false;
        const std::size_t bytes = static_cast<std::size_t>(count) * sizeof(T) + kAlignment - 1;
        storage_.reset(new (std::nothrow) unsigned char[bytes]);
        if (storage_ == nullptr) return false;
        const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(storage_.get());
        const std::uintptr_t aligned = (start + kAlignment - 1) & ~std::uintptr_t{kAlignment - 1};
        data_ = reinterpret_cast<T*>(storage_.get() + (aligned - start));
        return true;
    }
    void Free() noexcept {
        storage_.reset();
        data_ = nullptr;
    }
    T* Get() const noexcept { return data_; }

private:
    std::unique_ptr<unsigned char[]> storage_;  // empty until Allocate succeeds
    T* data_ = nullptr;                         // the first aligned element in storage_
};

}  // namespace kefo
