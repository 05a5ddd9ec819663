// BPSK text decoded against what text is likely to say.
//
// A symbol that noise or a fade has left doubtful can be read either way, and each way
// gives other characters. The decoder follows the readings of the bits as Varicode
// characters that are still in the race: a trellis over the prefixes of the codes,
// times whether the latest symbol is taken as decided or turned. A reading pays for what
// it overrules: a turned symbol its margin, a single bit turned alone (the phase changes
// of a deep fade, or a slip of the loop's phase) that bit's reliability, both as
// log-likelihood ratios; and it scores how likely its characters are one after another
// (text_model_table.inc, counted from English prose and from contacts as amateurs type
// them). A word that is not on the word list (text_words.inc: common English and what
// contacts are made of) costs a penalty while most of the words let out are on it; call
// signs, numbers and locators are left alone, and text in another language soon turns the
// penalty off. A run of bits that is no code at all (a carrier, noise) costs a fixed
// penalty. A character comes out once every reading still in the race agrees on it,
// which on a clear signal is as soon as its gap is in, and kLag bits after its gap at
// the latest.
#pragma once

#include "varicode_decoder.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace pskmodem {

class TextDecoder {
public:
    static constexpr int kLag = 24;         // bits a character waits at most
    static constexpr int kMaxOut = 4;       // characters one bit can let out
    static constexpr int kPending = 16;     // characters a reading holds back (> kLag / 3)
    static constexpr int kMaxReadings = 64; // the likeliest readings followed

    TextDecoder();
    void reset();
    // What a margin of 1 is worth as a log-likelihood ratio: about twice the symbols'
    // signal-to-noise ratio (in power).
    void set_confidence(float perMargin) { perMargin_ = perMargin; }
    // One bit in; writes the characters it lets out, oldest first; returns the count.
    int push(SoftBit b, std::span<int, kMaxOut> out);
    // The likeliest reading's characters still held back (an over ends); then starts afresh.
    int flush(std::span<int> out);

private:
    struct Path {
        float metric;                        // log-likelihood against the likeliest reading (<= 0)
        uint16_t state;                      // trellis node * 2 + whether the latest symbol is turned
        uint8_t last;                        // latest character, for the model
        uint8_t count;                       // characters held back
        std::array<uint8_t, kPending> chars; // held back, oldest first
        std::array<uint8_t, kPending> ends;  // the bit count (mod 256) at which each one's gap ended
        int32_t word; // how far the word in progress is spelt (see Lexicon in the source)
    };
    void extend(const Path &from, int state, float metric, int emit, int32_t word);
    static void drop_oldest(Path &p);
    std::size_t leader() const;

    std::vector<Path> paths_, next_;
    // (state, word) -> its reading in next_ while a bit is taken in: open addressing.
    static constexpr std::size_t kSlots = 1024;
    std::vector<int32_t> slot_;
    int32_t &slot(int state, int32_t word);
    float perMargin_ = 8.0f;
    uint8_t clock_ = 0;    // bits taken in, mod 256
    uint32_t bits_ = 0;    // ... and in all
    int64_t lastEnd_ = -1; // where the latest character let out ended, in bits_
    // Idle bits between the characters let out, a running mean, and what it makes an idle
    // bit and a character's start worth after a gap.
    float idleRate_ = 1.0f;
    float idleScore_ = 0.0f, startScore_ = 0.0f;
    void learn_idle(int c, uint8_t end);
    // How many of the words let out are on the word list, a running mean (it starts out
    // taking the text for English; it sets what a word off the list costs), and the state
    // of the word being let out.
    float listRate_ = 0.9f;
    int32_t outWord_ = 0;
    void learn_words(int c);
};

} // namespace pskmodem
