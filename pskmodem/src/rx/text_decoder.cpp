#include "text_decoder.h"

#include "dsp/varicode.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <numbers>
#include <string>

namespace pskmodem {

namespace {

// 8 * ln P(next | previous) over the 128 characters of the standard table.
constexpr int8_t kModel[128][128] = {
#include "text_model_table.inc"
};

constexpr float kJunk = 10.0f; // a run that is no code
// How fast the idle between characters is learnt (characters), and the most idle one gap
// counts for.
constexpr float kIdleWeight = 1.0f / 32.0f;
constexpr int kMostIdle = 64;
// The chances of an idle bit after a gap that are believed at the least and the most.
constexpr float kLeastIdle = 0.05f, kMostIdleChance = 0.9f;
constexpr float kBeam = 10.0f; // readings this far behind the likeliest are dropped
// A lone bit turned costs this many times its reliability where the bit compares two
// decided symbols: a slip of the loop's phase is rarer than one symbol decided wrong.
constexpr float kCoherentSlip = 3.0f;
constexpr float kUnknown = -16.0f; // ln P of a character outside the standard table

constexpr int kGap = 0;      // between characters
constexpr int kJunkRun = 1;  // inside a run that is no code
constexpr int kJunkZero = 2; // ... just after a 0 in it

struct Node {
    std::array<int16_t, 2> next{-1, -1};
    int16_t emit = -1;     // on the gap's second 0 after this node: the character it ends
    bool endsZero = false; // the prefix ends in 0
};

struct Trellis {
    std::vector<Node> nodes;
    // What each character adds to a reading: against reading every bit as a coin toss,
    // a code and its gap cost (length + 2) * ln 2; the model says the rest.
    std::array<float, 256> lengthScore{};

    Trellis() {
        nodes.resize(3);
        nodes[kJunkRun].next = {kJunkZero, kJunkRun};
        nodes[kJunkZero].next = {kGap, kJunkRun};
        std::map<std::string, int> index{{"", kGap}};
        for (int c = 0; c < 256; ++c) {
            const std::string code(Varicode::code(static_cast<uint8_t>(c)));
            lengthScore[static_cast<std::size_t>(c)] =
                static_cast<float>(code.size() + 2) * std::numbers::ln2_v<float>;
            int at = kGap;
            std::string prefix;
            for (char bit : code + "0") {
                prefix += bit;
                const auto [it, fresh] = index.try_emplace(prefix, static_cast<int>(nodes.size()));
                if (fresh) {
                    nodes.emplace_back();
                    nodes.back().endsZero = bit == '0';
                }
                nodes[static_cast<std::size_t>(at)].next[static_cast<std::size_t>(bit - '0')] =
                    static_cast<int16_t>(it->second);
                at = it->second;
            }
            nodes[static_cast<std::size_t>(at)].emit = static_cast<int16_t>(c);
        }
    }

    float score(int previous, int c) const {
        const float lp = c < 128 ? kModel[previous < 128 ? previous : ' '][c] / 8.0f : kUnknown;
        return lp + lengthScore[static_cast<std::size_t>(c)];
    }
};

const Trellis &trellis() {
    static const Trellis t;
    return t;
}

} // namespace

TextDecoder::TextDecoder() : slot_(trellis().nodes.size() * 2, -1) {
    paths_.reserve(kMaxReadings * 4 + 8);
    next_.reserve(kMaxReadings * 4 + 8);
    reset();
}

void TextDecoder::reset() {
    paths_.clear();
    paths_.push_back(Path{0.0f, kGap * 2, ' ', 0, 0, 0});
    paths_.push_back(Path{0.0f, kGap * 2 + 1, ' ', 0, 0, 0});
}

void TextDecoder::extend(const Path &from, int state, float metric, int emit) {
    int32_t &slot = slot_[static_cast<std::size_t>(state)];
    if (slot >= 0 && metric <= next_[static_cast<std::size_t>(slot)].metric)
        return;
    if (slot < 0) {
        slot = static_cast<int32_t>(next_.size());
        next_.emplace_back();
    }
    Path &p = next_[static_cast<std::size_t>(slot)];
    p = from;
    p.metric = metric;
    p.state = static_cast<uint16_t>(state);
    if (emit >= 0) {
        if (p.count == kPending) { // not within kLag; keep the newest
            p.chars >>= 8;
            p.ends >>= 8;
            --p.count;
        }
        p.chars |= static_cast<uint64_t>(emit) << (8 * p.count);
        p.ends |= static_cast<uint64_t>(clock_) << (8 * p.count);
        ++p.count;
        p.last = static_cast<uint8_t>(emit);
    }
}

std::size_t TextDecoder::leader() const {
    std::size_t b = 0;
    for (std::size_t i = 1; i < paths_.size(); ++i)
        if (paths_[i].metric > paths_[b].metric)
            b = i;
    return b;
}

int TextDecoder::push(SoftBit b, std::span<int, kMaxOut> out) {
    const Trellis &t = trellis();
    const float turn = perMargin_ * (b.later >= 0.0f ? b.later : b.reliability);
    const float slip = (b.later >= 0.0f ? kCoherentSlip : 1.0f) * perMargin_ * b.reliability;
    ++clock_;
    ++bits_;
    next_.clear();
    for (const Path &p : paths_) {
        const int n = p.state / 2;
        const int turnedBefore = p.state & 1;
        const Node &node = t.nodes[static_cast<std::size_t>(n)];
        for (int option = 0; option < 3; ++option) {
            const int turned = option & 1, slipped = option >> 1;
            const int bit = b.bit ^ turnedBefore ^ turned ^ slipped;
            const float m = p.metric - (turned ? turn : 0.0f) - (slipped ? slip : 0.0f);
            const auto to = [turned](int node2) { return node2 * 2 + turned; };
            if (n == kGap) {
                extend(p, to(bit ? node.next[1] : kGap), bit ? m + startScore_ : m + idleScore_, -1);
            } else if (n == kJunkRun || n == kJunkZero) {
                extend(p, to(node.next[static_cast<std::size_t>(bit)]), m, -1);
            } else if (bit == 0 && node.endsZero) {
                // The gap's second 0: the character ends (or the run was no code).
                if (node.emit >= 0)
                    extend(p, to(kGap), m + t.score(p.last, node.emit), node.emit);
                else
                    extend(p, to(kGap), m - kJunk, -1);
            } else if (node.next[static_cast<std::size_t>(bit)] >= 0) {
                extend(p, to(node.next[static_cast<std::size_t>(bit)]), m, -1);
            } else {
                extend(p, to(bit ? kJunkRun : kJunkZero), m - kJunk, -1);
            }
        }
    }
    for (const Path &p : next_)
        slot_[p.state] = -1;
    std::swap(paths_, next_);

    // Keep the readings near the likeliest, and at most kMaxReadings of them.
    const float top = paths_[leader()].metric;
    std::size_t kept = 0;
    for (const Path &p : paths_)
        if (p.metric >= top - kBeam) {
            paths_[kept] = p;
            paths_[kept++].metric -= top;
        }
    paths_.resize(kept);
    if (static_cast<int>(kept) > kMaxReadings) {
        std::nth_element(paths_.begin(), paths_.begin() + (kMaxReadings - 1), paths_.end(),
                         [](const Path &x, const Path &y) { return x.metric > y.metric; });
        paths_.resize(static_cast<std::size_t>(kMaxReadings));
    }

    int k = 0;
    while (k < kMaxOut) {
        const Path &lead = paths_[leader()];
        if (lead.count == 0)
            break;
        const uint64_t c = lead.chars & 0xff, e = lead.ends & 0xff;
        const auto holds = [&](const Path &p) {
            return p.count > 0 && (p.chars & 0xff) == c && (p.ends & 0xff) == e;
        };
        if (static_cast<uint8_t>(clock_ - e) < kLag && !std::all_of(paths_.begin(), paths_.end(), holds))
            break;
        out[static_cast<std::size_t>(k++)] = static_cast<int>(c);
        learn_idle(static_cast<int>(c), static_cast<uint8_t>(e));
        // The readings without it are out of the race now.
        std::erase_if(paths_, [&](const Path &p) { return !holds(p); });
        for (Path &p : paths_) {
            p.chars >>= 8;
            p.ends >>= 8;
            --p.count;
        }
    }
    return k;
}

void TextDecoder::learn_idle(int c, uint8_t end) {
    // Text typed as it goes idles between characters, text sent from a macro hardly ever:
    // how likely a gap goes on idling is learnt from what is let out.
    const int64_t at = static_cast<int64_t>(bits_) - static_cast<uint8_t>(clock_ - end);
    if (lastEnd_ >= 0) {
        const auto length = static_cast<int64_t>(Varicode::code(static_cast<uint8_t>(c)).size()) + 2;
        const auto idle = static_cast<float>(std::clamp<int64_t>(at - lastEnd_ - length, 0, kMostIdle));
        idleRate_ += (idle - idleRate_) * kIdleWeight;
        // Against a coin toss: an idle bit after a gap with the chance rate / (rate + 1).
        const float q = std::clamp(idleRate_ / (idleRate_ + 1.0f), kLeastIdle, kMostIdleChance);
        idleScore_ = std::log(2.0f * q);
        startScore_ = std::log(2.0f * (1.0f - q));
    }
    lastEnd_ = at;
}

int TextDecoder::flush(std::span<int> out) {
    Path p = paths_[leader()];
    int k = 0;
    for (; k < p.count && k < static_cast<int>(out.size()); ++k) {
        out[static_cast<std::size_t>(k)] = static_cast<int>(p.chars & 0xff);
        p.chars >>= 8;
    }
    reset();
    return k;
}

} // namespace pskmodem
