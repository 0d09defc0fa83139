// HeapArray: a heap array owned by one DSP object, allocated only from the
// objects' Init and never from their processing calls.
//
// Allocate never throws. A count that is not positive, or whose size in bytes
// would not fit in memory's address range, is refused like a failed
// allocation instead of being wrapped into a small buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

namespace kefo {

template <typename T>
class HeapArray {
public:
    // Replaces any previous contents; on failure the array is left empty.
    bool Allocate(std::int64_t count) noexcept {
        data_.reset();
        const std::uint64_t limit = static_cast<std::uint64_t>(PTRDIFF_MAX) / sizeof(T);
        if (count <= 0 || static_cast<std::uint64_t>(count) > limit) return false;
        data_.reset(new (std::nothrow) T[static_cast<std::size_t>(count)]);
        return data_ != nullptr;
    }
    void Free() noexcept { data_.reset(); }
    T* Get() const noexcept { return data_.get(); }

private:
    std::unique_ptr<T[]> data_;  // empty until Allocate succeeds
};

}  // namespace kefo
