#include "transmitter.h"

#include "dsp/varicode.h"
#include "pskmodem.h"
#include "tx_mode.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

namespace pskmodem {

namespace {
constexpr std::size_t kMaxSymbol = 256;
constexpr std::complex<float> kZero{};
constexpr std::complex<float> kOne{1.0f, 0.0f};
} // namespace

Transmitter::Transmitter() : baseband_(kMaxSymbol), envelope_(kMaxSymbol) {}

void Transmitter::reset() {
    phase_ = Phase::Receive;
    aborting_ = false;
    pending_.reset();
    bbLen_ = bbPos_ = 0;
    keyer_.reset();
}

std::size_t Transmitter::amble_symbols() const {
    return kAmbleSamples / static_cast<std::size_t>(shaper_.samples_per_symbol());
}

Transmitter::Report Transmitter::process(ModemState &state, std::span<float> out, std::size_t sinkBacklog) {
    Report r;
    ctl_ = state.tx_control();
    control(state, r, out.size(), sinkBacklog);

    std::size_t done = 0;
    while (done < out.size() && phase_ != Phase::Receive && phase_ != Phase::Drain) {
        if (bbPos_ == bbLen_) {
            refill(state);
            continue;
        }
        const std::size_t n = std::min(bbLen_ - bbPos_, out.size() - done);
        const std::span<float> dst = out.subspan(done, n);
        upconverter_.process(std::span<const std::complex<float>>(baseband_).subspan(bbPos_, n), dst);
        bbPos_ += n;
        if (aborting_) {
            // A raised-cosine fade instead of a cut, so the abort does not click.
            std::size_t i = 0;
            for (; i < n && fadeLeft_ > 0; ++i, --fadeLeft_) {
                const double x = static_cast<double>(kAbortFadeSamples - fadeLeft_ + 1) /
                                 static_cast<double>(kAbortFadeSamples);
                dst[i] *= static_cast<float>(0.5 * (1.0 + std::cos(std::numbers::pi * x)));
            }
            done += i;
            if (fadeLeft_ == 0) {
                reset();
                r.add(PSK_STATUS_RX);
            }
            continue;
        }
        done += n;
    }
    r.samples = done;
    std::fill(out.begin() + static_cast<std::ptrdiff_t>(done), out.end(), 0.0f);
    return r;
}

void Transmitter::control(ModemState &state, Report &r, std::size_t chunk, std::size_t sinkBacklog) {
    if (phase_ == Phase::Receive) {
        if (ctl_.requested && (TxMode::is_psk(ctl_.mode) || ctl_.mode == TxMode::kTune))
            begin(r);
        return;
    }
    if (ctl_.aborts != aborts_ || !ctl_.requested) {
        if (phase_ == Phase::Drain) {
            reset();
            r.add(PSK_STATUS_RX);
        } else if (!aborting_) {
            aborting_ = true;
            fadeLeft_ = kAbortFadeSamples;
        }
        return;
    }
    if (ctl_.stopping && !stopSeen_) {
        stopSeen_ = true;
        if (mode_ == TxMode::kTune) {
            if (phase_ == Phase::Tune)
                start_postamble(); // no carrier tail: just the fade-out
        } else if (pending_ || !state.tx_queue_empty()) {
            r.add(PSK_STATUS_TX_FINISHING);
        }
    } else if (!ctl_.stopping && stopSeen_) {
        // Started again before the end: carry on instead of ending.
        stopSeen_ = false;
        if (phase_ == Phase::Postamble && !forcedEnd_ && mode_ != TxMode::kTune)
            phase_ = Phase::Text;
    }
    if (phase_ == Phase::Drain) {
        if (sinkBacklog == 0 || drained_ >= kMaxDrainSamples)
            finish(state, r);
        else
            drained_ += chunk;
    }
}

void Transmitter::begin(Report &r) {
    mode_ = ctl_.mode;
    aborts_ = ctl_.aborts;
    stopSeen_ = forcedEnd_ = aborting_ = false;
    pending_.reset();
    bits_ = {};
    bitPos_ = 0;
    gapLeft_ = 0;
    upconverter_.reset();
    shaper_.set_samples_per_symbol(mode_ == TxMode::kTune ? 256 : TxMode::samples_per_symbol(mode_));
    mapper_.set_keying(TxMode::keying(mode_));
    restart();
    r.add(PSK_STATUS_TX);
}

// (Re)starts the signal from silence: the first symbol fades in.
void Transmitter::restart() {
    shaper_.reset();
    bbLen_ = bbPos_ = 0;
    stopSeen_ = false;
    if (mode_ == TxMode::kTune)
        phase_ = Phase::Tune;
    else
        start_preamble();
}

void Transmitter::finish(ModemState &state, Report &r) {
    if (state.finish_tx(forcedEnd_)) {
        reset();
        r.add(PSK_STATUS_RX);
    } else {
        restart();
    }
}

void Transmitter::start_preamble() {
    phase_ = Phase::Preamble;
    mapper_.reset();
    symbolsLeft_ = amble_symbols();
}

void Transmitter::start_postamble() {
    phase_ = Phase::Postamble;
    symbolsLeft_ = mode_ == TxMode::kTune ? 0 : amble_symbols();
}

void Transmitter::refill(ModemState &state) {
    upconverter_.set_frequency(static_cast<double>(ctl_.frequency) + offset_);
    upconverter_.set_gain(ctl_.level);
    switch (phase_) {
    case Phase::Preamble:
        if (symbolsLeft_ > 0) {
            --symbolsLeft_;
            emit_bit(0);
        } else {
            phase_ = Phase::Text;
            refill_text(state);
        }
        break;
    case Phase::Text:
        refill_text(state);
        break;
    case Phase::Postamble:
        if (symbolsLeft_ > 0) {
            --symbolsLeft_;
            emit_bit(1);
        } else if (shaper_.phasor() != kZero) {
            emit_target(kZero);
        } else {
            phase_ = Phase::Drain;
            drained_ = 0;
        }
        break;
    case Phase::Tune:
        emit_target(kOne);
        break;
    case Phase::Cw: {
        const std::size_t n = keyer_.process(envelope_);
        if (n == 0) {
            after_cw(state);
            break;
        }
        for (std::size_t i = 0; i < n; ++i)
            baseband_[i] = {envelope_[i], 0.0f};
        bbLen_ = n;
        bbPos_ = 0;
        break;
    }
    case Phase::Receive:
    case Phase::Drain:
        break;
    }
}

void Transmitter::refill_text(ModemState &state) {
    for (;;) {
        if (bitPos_ < bits_.size()) {
            emit_bit(bits_[bitPos_++] == '1' ? 1 : 0);
            return;
        }
        if (gapLeft_ > 0) {
            --gapLeft_;
            emit_bit(0);
            return;
        }
        std::optional<TxItem> item = pending_ ? std::exchange(pending_, std::nullopt) : state.next_tx_item();
        if (!item) {
            if (ctl_.stopping) {
                start_postamble();
                refill(state);
            } else {
                emit_bit(0); // idle
            }
            return;
        }
        switch (item->kind) {
        case TxItem::Kind::Character:
            bits_ = Varicode::code(item->code);
            bitPos_ = 0;
            gapLeft_ = 2;
            continue;
        case TxItem::Kind::ReturnToReceive:
            forcedEnd_ = true;
            start_postamble();
            refill(state);
            return;
        case TxItem::Kind::CwId:
            if (start_cw(state))
                return;
            continue; // nothing to key: on with the queue
        }
    }
}

bool Transmitter::start_cw(const ModemState &state) {
    keyer_.start(state.cwid_text(), 256 * state.cwid_speed(), kCwLeadDots);
    if (keyer_.length() == 0)
        return false;
    // Fade the PSK signal out over one symbol; the keyer starts from silence.
    emit_target(kZero);
    phase_ = Phase::Cw;
    return true;
}

void Transmitter::after_cw(ModemState &state) {
    std::optional<TxItem> item = state.next_tx_item();
    if (item && item->kind == TxItem::Kind::ReturnToReceive)
        forcedEnd_ = true;
    if (forcedEnd_ || (!item && ctl_.stopping)) {
        // The identification was the last thing sent: no PSK postamble after it.
        phase_ = Phase::Drain;
        drained_ = 0;
        return;
    }
    pending_ = item;
    start_preamble();
    refill(state);
}

void Transmitter::emit_bit(uint8_t bit) {
    const std::complex<float> z = shaper_.phasor();
    // From silence the first symbol fades in; the data starts from there.
    emit_target(z == kZero ? kOne : z * mapper_.map(bit));
}

void Transmitter::emit_target(std::complex<float> target) {
    const auto n = static_cast<std::size_t>(shaper_.samples_per_symbol());
    shaper_.process(std::span<const std::complex<float>>(&target, 1), std::span(baseband_).first(n));
    bbLen_ = n;
    bbPos_ = 0;
}

} // namespace pskmodem
