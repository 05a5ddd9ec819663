// Lock-free ring buffer for one producer thread and one consumer thread. The audio
// callback is the producer: it must never block, allocate or take a lock, so the
// buffer is allocated up front and only two atomic indices are shared.
#pragma once

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstddef>
#include <span>
#include <vector>

namespace pskmodem {

template <typename T> class SpscRing {
    static_assert(std::atomic<std::size_t>::is_always_lock_free);

public:
    // The capacity is rounded up to a power of two.
    explicit SpscRing(std::size_t capacity)
        : buf_(std::bit_ceil(std::max<std::size_t>(capacity, 2))), mask_(buf_.size() - 1) {}

    std::size_t capacity() const { return buf_.size(); }

    std::size_t size() const {
        return head_.load(std::memory_order_acquire) - tail_.load(std::memory_order_acquire);
    }

    // Producer: writes all of `in`, or nothing when it does not fit, so that
    // interleaved frames are never split.
    bool push_all(std::span<const T> in) {
        const std::size_t head = head_.load(std::memory_order_relaxed);
        const std::size_t tail = tail_.load(std::memory_order_acquire);
        if (buf_.size() - (head - tail) < in.size())
            return false;
        for (std::size_t i = 0; i < in.size(); ++i)
            buf_[(head + i) & mask_] = in[i];
        head_.store(head + in.size(), std::memory_order_release);
        return true;
    }

    // Consumer: reads up to out.size() values, rounded down to a multiple of `granule`.
    std::size_t pop(std::span<T> out, std::size_t granule = 1) {
        const std::size_t tail = tail_.load(std::memory_order_relaxed);
        const std::size_t head = head_.load(std::memory_order_acquire);
        std::size_t n = std::min(out.size(), head - tail);
        n -= n % std::max<std::size_t>(granule, 1);
        for (std::size_t i = 0; i < n; ++i)
            out[i] = buf_[(tail + i) & mask_];
        tail_.store(tail + n, std::memory_order_release);
        return n;
    }

private:
    std::vector<T> buf_;
    std::size_t mask_;
    // Indices grow without wrapping (size_t overflow is harmless with a power-of-two
    // capacity) and sit on their own cache lines.
    alignas(64) std::atomic<std::size_t> head_{0};
    alignas(64) std::atomic<std::size_t> tail_{0};
};

} // namespace pskmodem
