// Varicode decoder: bits to characters.
//
// A character ends at the first "00"; the bits before it are its code. Every code
// starts and ends with 1 and none contains "00", so idle zeros between characters are
// skipped. Almost every pattern of up to 12 bits is a code, so a wrong bit inside a
// character can seldom be seen; what can be seen is a gap lost to noise, which merges two
// characters into a run that is no code. Such a run is split where flipping the least
// reliable bits to "00" leaves two valid codes, or where turning the two bits that one
// doubtful symbol decides (a gap hit on its edge reads "100" as "010") leaves one or two,
// if those bits were doubtful; a run that cannot be read so is dropped rather than
// printed as a wrong character. A run whose code is a character that text hardly holds
// (a control code, DEL, the extension) is split the same way when it can be, and printed
// as it is when it cannot; so is one that reads as a rare printable character ('~' is
// what " w" or "an" become with their gap hit), if one doubtful symbol explains the two.
#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <span>

namespace pskmodem {

struct SoftBit {
    uint8_t bit;
    float reliability; // >= 0; larger is surer
    // How sure the later of the two symbols the bit compares is, in the same units; below
    // zero when the decision does not tell (then reliability stands for it).
    float later = -1.0f;
};

class VaricodeDecoder {
public:
    static constexpr int kMaxRun = 48; // longer runs are noise; dropped whole
    // Reliabilities are about 1 for a clean bit; a repair may flip bits worth at most
    // this much in all.
    static constexpr float kMaxRepairCost = 0.5f;
    // ... and to split a run whose code is a rare printable character, at most this much.
    static constexpr float kMaxRareCost = 0.35f;

    VaricodeDecoder() { reset(); }
    void reset();
    // Writes the characters completed by this bit (0, 1 or 2) to out; returns the count.
    int push(SoftBit b, std::span<int, 2> out);
    // Bits in, characters out; returns the count written (out needs in.size() + 1).
    std::size_t process(std::span<const SoftBit> in, std::span<int> out);

private:
    struct Repair {
        float cost = std::numeric_limits<float>::infinity();
        int count = 0; // characters; 0: none found
        std::array<int, 2> chars{};
    };
    int finish(std::span<int, 2> out);
    // The cheapest reading of the run as one or two likely characters with a few bits
    // flipped.
    Repair repair() const;
    static int code_of(const std::array<uint8_t, kMaxRun> &bits, int from, int to);

    std::array<uint8_t, kMaxRun> bits_{};
    std::array<float, kMaxRun> rel_{};
    int len_ = 0;           // bits collected, including a trailing zero
    bool overflow_ = false; // run too long: wait for the next gap
    int last_ = -1;         // the latest character out; -1 after a reset
};

} // namespace pskmodem
