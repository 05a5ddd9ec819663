#include "channel_run.h"

#include "rx/receiver.h"
#include "rx/test_signal.h"

#include <algorithm>
#include <span>

namespace rxrun {

namespace {
const char *const kText[] = {
    "CQ CQ de QX1ABC QX1ABC pse k ",
    "QY2XYZ de QX1ABC tnx for the call, name Anna, qth near the coast. ",
    "Rig is an old transceiver at twenty watts into a dipole. The weather is grey and cold. ",
    "Your signal is clean here with no drift. 73 and good luck, QY2XYZ de QX1ABC sk ",
};
} // namespace

std::string text_of(std::size_t chars, std::size_t first) {
    std::string t;
    for (std::size_t i = first; t.size() < chars; ++i)
        t += kText[i % std::size(kText)];
    return t;
}

std::size_t errors_after(const std::string &ref, const std::string &got) {
    std::vector<std::size_t> prev(got.size() + 1, 0), cur(got.size() + 1);
    for (std::size_t i = 1; i <= ref.size(); ++i) {
        cur[0] = i;
        for (std::size_t j = 1; j <= got.size(); ++j)
            cur[j] =
                std::min({prev[j] + 1, cur[j - 1] + 1, prev[j - 1] + (ref[i - 1] == got[j - 1] ? 0 : 1)});
        std::swap(prev, cur);
    }
    return prev[got.size()];
}

Result run(const Condition &c) {
    ChannelParams p;
    p.snrDb = c.snr;
    p.drift = c.drift;
    p.fading = c.fading;
    p.seed = c.seed;
    const double baud = rx_mode(c.mode).baud();
    double t = c.start;
    for (int o = 0; o < c.overs; ++o) {
        Transmission tx;
        tx.text = text_of(c.chars / static_cast<std::size_t>(c.overs), static_cast<std::size_t>(o));
        tx.mode = c.sentMode >= 0 ? c.sentMode : c.mode;
        tx.frequency = kTune + c.offset + (o % 2) * c.overStep;
        tx.start = t;
        tx.phase = c.phase + 0.7 * o;
        tx.preamble = c.preamble;
        p.wanted.push_back(tx);
        t += tx.preamble + tx.postamble + static_cast<double>(varicode_bits(tx.text).size()) / baud + 1.5;
    }
    for (ExtraStation s : c.stations) {
        s.frequency += kTune + c.offset;
        s.text = text_of(2000, 2);
        s.start = -2.0;
        p.stations.push_back(s);
    }
    for (ExtraCarrier k : c.carriers) {
        k.frequency += kTune + c.offset;
        p.carriers.push_back(k);
    }
    const ChannelSignal sig = make_channel_signal(p);

    ChannelSettings s = tuned_channel(c.mode, static_cast<int32_t>(kTune), c.capture, c.afc);
    s.squelchThreshold = c.squelch;
    s.squelchSpeed = c.squelchSpeed;
    Receiver rx;
    rx.configure(s);
    Result r;
    std::vector<std::string> got(sig.wanted.size());
    std::vector<RxEvent> ev(Receiver::kMaxEvents);
    const auto tuned = static_cast<std::size_t>(c.tuneAt * 8000.0);
    r.frequencyBeforeStart = rx.frequency();
    for (std::size_t at = tuned; at < sig.samples.size(); at += Receiver::kPiece) {
        if (at <= sig.wanted[0].start)
            r.frequencyBeforeStart = rx.frequency();
        const std::size_t len = std::min(Receiver::kPiece, sig.samples.size() - at);
        const std::size_t n = rx.process(std::span<const float>(sig.samples.data() + at, len), ev);
        for (std::size_t i = 0; i < n; ++i) {
            if (ev[i].kind != RxEvent::Kind::Character)
                continue;
            const std::size_t sample = at + static_cast<std::size_t>(ev[i].inputIndex);
            if (r.firstShown < 0.0)
                r.firstShown = static_cast<double>(sample - tuned) / 8000.0;
            for (std::size_t w = 0; w < sig.wanted.size(); ++w)
                if (sample >= sig.wanted[w].start && sample < sig.wanted[w].charEnds.back() + 7200)
                    got[w] += static_cast<char>(ev[i].value);
        }
    }
    const auto counted = static_cast<std::size_t>((c.tuneAt + c.grace) * 8000.0);
    for (std::size_t w = 0; w < sig.wanted.size(); ++w) {
        if (c.tuneAt > 0.0) {
            // Tuned onto a station already sending: from its first character in view.
            std::size_t first = 0;
            while (sig.wanted[w].charStarts[first] < counted)
                ++first;
            const std::string ref = p.wanted[w].text.substr(first);
            r.errors += errors_after(ref, got[w]);
            r.chars += ref.size();
        } else {
            r.errors += edit_distance(p.wanted[w].text, got[w]);
            r.chars += p.wanted[w].text.size();
        }
        r.copy += got[w] + "\n";
    }
    r.endFrequency = rx.frequency();
    r.stationEndDrift = c.drift.at(static_cast<double>(sig.wanted.back().end) / 8000.0);
    return r;
}

Condition make(const char *name) {
    Condition c;
    c.name = name;
    return c;
}

void PrintTo(const Condition &c, std::ostream *os) {
    *os << c.name;
}

} // namespace rxrun
