// policy/block_allocator.h -- a standard allocator over the platform's blocks, so that
// containers built at settings load come from the same allocator as every Text.
#pragma once

#include <cstddef>

#include "platform/platform.h"

namespace quorvane {

template <typename T>
struct BlockAllocator {
    using value_type = T;
    BlockAllocator() noexcept = default;
    template <typename U>
    BlockAllocator(const BlockAllocator<U>& /*other*/) noexcept {}  // NOLINT(google-explicit-constructor)
    T* allocate(std::size_t count) { return static_cast<T*>(platform::allocateBlock(count * sizeof(T))); }
    void deallocate(T* block, std::size_t /*count*/) noexcept { platform::releaseBlock(block); }
    friend bool operator==(const BlockAllocator&, const BlockAllocator&) noexcept { return true; }
};

}  // namespace quorvane
