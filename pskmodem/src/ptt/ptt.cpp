#include "ptt.h"

namespace pskmodem {

void Ptt::use(std::unique_ptr<PttLines> port, int lines) {
    std::lock_guard lock(mutex_);
    if (port_)
        port_->set(false, false);
    port_ = std::move(port);
    lines_ = lines & kBoth;
    apply_locked();
}

void Ptt::release() {
    std::lock_guard lock(mutex_);
    if (port_)
        port_->set(false, false);
    port_.reset();
    lines_ = kNone;
}

void Ptt::key(bool on) {
    std::lock_guard lock(mutex_);
    if (keyed_ == on)
        return;
    keyed_ = on;
    apply_locked();
}

bool Ptt::keyed() const {
    std::lock_guard lock(mutex_);
    return keyed_;
}

bool Ptt::has_port() const {
    std::lock_guard lock(mutex_);
    return port_ != nullptr;
}

void Ptt::apply_locked() {
    if (!port_)
        return;
    port_->set(keyed_ && (lines_ & kRts), keyed_ && (lines_ & kDtr));
}

} // namespace pskmodem
