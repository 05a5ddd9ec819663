#include "varicode_decoder.h"

#include "dsp/varicode.h"

#include <algorithm>
#include <limits>

namespace pskmodem {

void VaricodeDecoder::reset() {
    len_ = 0;
    overflow_ = false;
    last_ = -1;
}

int VaricodeDecoder::code_of(const std::array<uint8_t, kMaxRun> &bits, int from, int to) {
    const int n = to - from;
    if (n < 1 || n > Varicode::MaxLength || bits[static_cast<std::size_t>(from)] == 0 ||
        bits[static_cast<std::size_t>(to - 1)] == 0)
        return -1;
    uint32_t v = 0;
    for (int i = from; i < to; ++i) {
        // A "00" inside would have ended the character already.
        if (bits[static_cast<std::size_t>(i)] == 0 && i + 1 < to &&
            bits[static_cast<std::size_t>(i + 1)] == 0)
            return -1;
        v = (v << 1) | bits[static_cast<std::size_t>(i)];
    }
    return Varicode::decode(v, n);
}

int VaricodeDecoder::push(SoftBit b, std::span<int, 2> out) {
    if (len_ == 0 && b.bit == 0)
        return 0; // idle between characters
    if (b.bit == 0 && len_ > 0 && bits_[static_cast<std::size_t>(len_ - 1)] == 0) {
        --len_; // the first zero of the gap
        const int n = overflow_ ? 0 : finish(out);
        if (n > 0)
            last_ = out[static_cast<std::size_t>(n - 1)];
        len_ = 0;
        overflow_ = false;
        return n;
    }
    if (len_ == kMaxRun) {
        overflow_ = true;
        len_ = 1; // keep only the newest bit, to see the gap
        bits_[0] = b.bit;
        rel_[0] = b.reliability;
        return 0;
    }
    bits_[static_cast<std::size_t>(len_)] = b.bit;
    rel_[static_cast<std::size_t>(len_)] = b.reliability;
    ++len_;
    return 0;
}

namespace {
// Characters that text hardly ever holds: control codes other than backspace, tab and
// the line ends, and DEL. Decoded from a run that two likely characters would also
// explain, at the price of a doubtful bit or two, they are more likely those two.
bool unlikely(int c) {
    return (c < 32 && c != 8 && c != 9 && c != 10 && c != 13) || c >= 127;
}

// Printable characters that a contact's text seldom holds. Their codes are long, and a
// gap lost between two short, common characters often reads as one of them ('~' from
// " w", for instance): such a run is split if one doubtful symbol explains the two.
bool rare(int c) {
    switch (c) {
    case '~':
    case '`':
    case '^':
    case '{':
    case '}':
    case '|':
    case '[':
    case ']':
    case '\\':
    case '_':
    case '@':
    case '#':
    case '$':
    case '%':
    case '&':
    case '*':
    case '<':
    case '>':
        return true;
    default:
        return false;
    }
}
} // namespace

VaricodeDecoder::Repair VaricodeDecoder::repair() const {
    Repair best;
    // A lost gap: two neighbouring bits that, set to "00", leave a valid code on each
    // side; the cost is what the flipped bits were worth.
    for (int i = 1; i + 2 < len_; ++i) {
        const int a = code_of(bits_, 0, i);
        if (a < 0)
            continue;
        const int bc = code_of(bits_, i + 2, len_);
        if (bc < 0)
            continue;
        float cost = 0.0f;
        for (int k = i; k < i + 2; ++k)
            if (bits_[static_cast<std::size_t>(k)] != 0)
                cost += rel_[static_cast<std::size_t>(k)];
        if (cost < best.cost)
            best = Repair{cost, 2, {a, bc}};
    }
    // One wrong symbol turns the two bits that compare it with its neighbours: the gap
    // may have been hit on its edge ("100" read as "010"), or a character's bits changed
    // so the run no longer reads. Try turning each neighbouring pair; the symbol is worth
    // at least the surer of the two bits.
    std::array<uint8_t, kMaxRun> b{};
    for (int j = 0; j + 1 < len_; ++j) {
        const float cost = std::max(rel_[static_cast<std::size_t>(j)], rel_[static_cast<std::size_t>(j + 1)]);
        if (cost >= best.cost)
            continue;
        std::copy(bits_.begin(), bits_.begin() + len_, b.begin());
        b[static_cast<std::size_t>(j)] ^= 1;
        b[static_cast<std::size_t>(j + 1)] ^= 1;
        // The characters of the turned run: codes between runs of two or more zeros
        // (zeros at either end belong to the gaps around it).
        Repair r{cost, 0, {}};
        int at = 0;
        bool fits = true;
        while (fits) {
            while (at < len_ && b[static_cast<std::size_t>(at)] == 0)
                ++at;
            if (at == len_)
                break;
            int end = at;
            while (end < len_ && !(b[static_cast<std::size_t>(end)] == 0 &&
                                   (end + 1 == len_ || b[static_cast<std::size_t>(end + 1)] == 0)))
                ++end;
            const int c = code_of(b, at, end);
            fits = c >= 0 && !unlikely(c) && !rare(c) && r.count < 2;
            if (fits)
                r.chars[static_cast<std::size_t>(r.count++)] = c;
            at = end;
        }
        if (fits && r.count > 0)
            best = r;
    }
    return best;
}

int VaricodeDecoder::finish(std::span<int, 2> out) {
    const int c = code_of(bits_, 0, len_);
    // Nor does text put a capital letter right after a small one, in the middle of a word
    // (call signs are capitals throughout); the capitals' codes are long, and a lost gap
    // between two small letters often reads as one.
    const bool midWordCapital = last_ >= 'a' && last_ <= 'z' && c >= 'A' && c <= 'Z';
    if (c >= 0 && !unlikely(c) && !rare(c) && !midWordCapital) {
        out[0] = c;
        return 1;
    }
    const Repair r = repair();
    // Flipping bits that were received clearly is a guess, not a repair; a character that
    // is merely rare takes a doubtful symbol to give up.
    const float limit = c >= 0 && !unlikely(c) ? kMaxRareCost : kMaxRepairCost;
    if (r.count == 0 || r.cost > limit) {
        if (c < 0)
            return 0;
        out[0] = c;
        return 1;
    }
    for (int i = 0; i < r.count; ++i)
        out[static_cast<std::size_t>(i)] = r.chars[static_cast<std::size_t>(i)];
    return r.count;
}

std::size_t VaricodeDecoder::process(std::span<const SoftBit> in, std::span<int> out) {
    std::size_t n = 0;
    std::array<int, 2> chars{};
    for (const SoftBit &b : in) {
        const int k = push(b, chars);
        for (int i = 0; i < k && n < out.size(); ++i)
            out[n++] = chars[static_cast<std::size_t>(i)];
    }
    return n;
}

} // namespace pskmodem
