#include "rx_copy.h"

#include "rx/test_signal.h"

#include <algorithm>
#include <span>

namespace rxcopy {

ChannelSettings tuned(int32_t mode, int32_t hz, int32_t capture, int32_t afc) {
    return tuned_channel(mode, hz, capture, afc);
}

Copy receive(Receiver &rx, const std::vector<float> &x) {
    Copy c;
    std::vector<RxEvent> ev(Receiver::kMaxEvents);
    const std::vector<float> &all = x;
    for (std::size_t at = 0; at < all.size(); at += 256) {
        const auto n = rx.process(
            std::span<const float>(all.data() + at, std::min<std::size_t>(256, all.size() - at)), ev);
        for (std::size_t i = 0; i < n; ++i) {
            if (ev[i].kind == RxEvent::Kind::Character) {
                c.text += static_cast<char>(ev[i].value);
                c.at.push_back(static_cast<long>(at) + ev[i].inputIndex);
            } else {
                c.imd.push_back(ev[i].value);
            }
        }
    }
    return c;
}

Copy receive(const std::vector<float> &x, const ChannelSettings &s) {
    Receiver rx;
    rx.configure(s);
    return receive(rx, x);
}

} // namespace rxcopy
