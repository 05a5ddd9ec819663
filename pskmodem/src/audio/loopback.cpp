#include "loopback.h"

#include <algorithm>

namespace pskmodem {

void LoopbackBuffer::push(std::span<const float> samples) {
    const std::size_t room = kCapacity - std::min(kCapacity, buffer_.size());
    const std::size_t n = std::min(room, samples.size());
    buffer_.insert(buffer_.end(), samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(n));
}

void LoopbackBuffer::mix_into(std::span<float> out) {
    const std::size_t n = std::min(out.size(), buffer_.size());
    for (std::size_t i = 0; i < n; ++i)
        out[i] += buffer_[i];
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(n));
}

int LoopbackSink::write(std::span<const float> samples) {
    buffer_->push(samples);
    return 0;
}

int LoopbackSource::open() {
    buffer_->clear();
    return inner_->open();
}

SourceRead LoopbackSource::read(std::span<float> out) {
    SourceRead r = inner_->read(out);
    buffer_->mix_into(out.first(r.count));
    return r;
}

} // namespace pskmodem
