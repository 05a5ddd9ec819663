#include "varicode_decoder.h"

#include "dsp/varicode.h"

#include <limits>

namespace pskmodem {

void VaricodeDecoder::reset() {
    len_ = 0;
    overflow_ = false;
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
} // namespace

int VaricodeDecoder::finish(std::span<int, 2> out) {
    const int c = code_of(bits_, 0, len_);
    if (c >= 0 && !unlikely(c)) {
        out[0] = c;
        return 1;
    }
    // Look for a lost gap: two neighbouring bits that, set to "00", leave a valid code
    // on each side; take the split that flips the least reliable bits.
    float bestCost = std::numeric_limits<float>::infinity();
    int bestAt = -1, left = -1, right = -1;
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
        if (cost < bestCost) {
            bestCost = cost;
            bestAt = i;
            left = a;
            right = bc;
        }
    }
    // Flipping bits that were received clearly is a guess, not a repair.
    if (bestAt < 0 || bestCost > kMaxRepairCost) {
        if (c < 0)
            return 0;
        out[0] = c;
        return 1;
    }
    out[0] = left;
    out[1] = right;
    return 2;
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
