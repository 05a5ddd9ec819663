// The most recent input samples, oldest first on request.
#pragma once

#include <algorithm>
#include <cstddef>
#include <span>
#include <vector>

namespace pskmodem {

class SampleHistory {
public:
    explicit SampleHistory(std::size_t capacity) : buf_(std::max<std::size_t>(capacity, 1), 0.0f) {}

    std::size_t capacity() const { return buf_.size(); }

    void push(std::span<const float> in) {
        for (float s : in) {
            buf_[next_] = s;
            next_ = next_ + 1 == buf_.size() ? 0 : next_ + 1;
        }
    }

    // Fills out with the latest out.size() samples (at most capacity()), oldest first;
    // before enough input has arrived the older part is silence.
    void latest(std::span<float> out) const {
        const std::size_t n = std::min(out.size(), buf_.size());
        std::size_t pos = (next_ + buf_.size() - n) % buf_.size();
        for (std::size_t i = 0; i < n; ++i) {
            out[i] = buf_[pos];
            pos = pos + 1 == buf_.size() ? 0 : pos + 1;
        }
    }

    void clear() {
        std::fill(buf_.begin(), buf_.end(), 0.0f);
        next_ = 0;
    }

private:
    std::vector<float> buf_;
    std::size_t next_ = 0;
};

} // namespace pskmodem
