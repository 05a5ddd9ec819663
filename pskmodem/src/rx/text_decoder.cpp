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

// Words, lower case, separated by spaces.
constexpr char kWords[] =
#include "text_words.inc"
    ;

constexpr float kJunk = 10.0f; // a run that is no code
// What spelling no known word costs, once per word (ln), while the station's words are
// found on the list: a name or a place is read as it stands on a fair signal, while in a
// fade the reading that spells a word wins. Text in another language finds few of its
// words there (a fifth, against nine in ten for English and for contacts as amateurs type
// them): the cost falls from kNoWordCost at kListed of the words let out found on the
// list to nothing at kUnlisted, and text is read as the characters alone would read it.
constexpr float kNoWordCost = 5.0f;
constexpr float kListed = 0.8f, kUnlisted = 0.4f;
constexpr float kListWeight = 1.0f / 12.0f; // how fast that is learnt (words)

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

// The known words as a tree of their letters. A reading's word state is the node of the
// letters its word in progress has so far, or one of the states below.
class Lexicon {
public:
    static constexpr int32_t kStart = 0; // between words

    Lexicon() {
        nodes_.emplace_back();
        const std::string_view all(kWords);
        for (std::size_t at = 0; at < all.size();) {
            const std::size_t end = std::min(all.find(' ', at), all.size());
            int32_t n = kStart;
            for (std::size_t i = at; i < end; ++i)
                n = grow(n, all[i]);
            if (end > at)
                nodes_[static_cast<std::size_t>(n)].word = true;
            at = end + 1;
        }
    }

    // The word state after character c, and how many more words spelt no known word (-1,
    // 0 or 1). A call sign, a number or a locator is left alone: a digit after at most
    // kPrefix letters makes the letters no such word, but more letters before a digit, or
    // more than kSuffix after one, make it one again.
    std::pair<int32_t, int> after(int32_t at, int c) const {
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '\'';
        const bool digit = c >= '0' && c <= '9';
        if (!letter && !digit) {
            const bool partWord = at > kStart && !nodes_[static_cast<std::size_t>(at)].word;
            return {kStart, partWord ? 1 : 0};
        }
        if (at == kNotANumber)
            return {at, 0};
        if (at >= kStart) {
            const int depth = nodes_[static_cast<std::size_t>(at)].depth;
            if (digit)
                return depth <= kPrefix ? std::pair{number(0), 0} : std::pair{kNotANumber, 1};
            const int32_t n = child(at, static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c));
            return n >= 0 ? std::pair{n, 0} : std::pair{not_a_word(depth + 1), 1};
        }
        if (at >= not_a_word(kPrefix + 1)) { // letters, no word
            const int letters = kNotAWord + 1 - at;
            if (digit)
                return letters <= kPrefix ? std::pair{number(0), -1} : std::pair{kNotANumber, 0};
            return {not_a_word(letters + 1), 0};
        }
        const int suffix = number(0) - at; // letters since a digit
        if (digit)
            return {number(0), 0};
        return suffix < kSuffix ? std::pair{number(suffix + 1), 0} : std::pair{kNotANumber, 1};
    }

    // Whether a word that ends in state `at` is on the list (1) or not (0); -1 for what is
    // not counted: a single letter, a call sign or a number.
    int listed(int32_t at) const {
        if (at > kStart)
            return nodes_[static_cast<std::size_t>(at)].depth < 2 ? -1
                                                                  : nodes_[static_cast<std::size_t>(at)].word;
        return at <= not_a_word(2) && at >= not_a_word(kPrefix + 1) ? 0 : -1;
    }

private:
    // The states besides the tree's nodes.
    static constexpr int kPrefix = 3, kSuffix = 4; // a call sign's letters before and after its digit
    static constexpr int32_t kNotANumber = -1;     // digits and letters no call sign is (paid for)
    static constexpr int32_t kNotAWord = -2;       // - k: k letters no word is spelt with (paid for)
    static constexpr int32_t not_a_word(int letters) {
        return kNotAWord + 1 - std::min(letters, kPrefix + 1);
    }
    static constexpr int32_t number(int suffix) { return not_a_word(kPrefix + 1) - 1 - suffix; }

    struct Letter {
        int32_t first = -1, next = -1; // first child, next sibling
        char c = 0;
        uint8_t depth = 0; // letters to here
        bool word = false; // the letters to here are a word
    };
    std::vector<Letter> nodes_;

    // The node after n's letters and c, made if it is not there yet.
    int32_t grow(int32_t n, char c) {
        int32_t *link = &nodes_[static_cast<std::size_t>(n)].first;
        while (*link >= 0 && nodes_[static_cast<std::size_t>(*link)].c != c)
            link = &nodes_[static_cast<std::size_t>(*link)].next;
        if (*link >= 0)
            return *link;
        const auto fresh = static_cast<int32_t>(nodes_.size());
        *link = fresh; // before the vector grows and moves it
        nodes_.emplace_back();
        nodes_.back().c = c;
        nodes_.back().depth =
            static_cast<uint8_t>(std::min(nodes_[static_cast<std::size_t>(n)].depth + 1, 255));
        return fresh;
    }
    int32_t child(int32_t n, char c) const {
        for (int32_t k = nodes_[static_cast<std::size_t>(n)].first; k >= 0;
             k = nodes_[static_cast<std::size_t>(k)].next)
            if (nodes_[static_cast<std::size_t>(k)].c == c)
                return k;
        return -1;
    }
};

const Lexicon &lexicon() {
    static const Lexicon l;
    return l;
}

float word_cost(float listRate) {
    return kNoWordCost * std::clamp((listRate - kUnlisted) / (kListed - kUnlisted), 0.0f, 1.0f);
}

} // namespace

TextDecoder::TextDecoder() : slot_(kSlots, -1) {
    paths_.reserve(kMaxReadings * 4 + 8);
    next_.reserve(kMaxReadings * 4 + 8);
    reset();
}

void TextDecoder::reset() {
    outWord_ = Lexicon::kStart;
    paths_.clear();
    paths_.push_back(Path{0.0f, kGap * 2, ' ', 0, {}, {}, Lexicon::kStart});
    paths_.push_back(Path{0.0f, kGap * 2 + 1, ' ', 0, {}, {}, Lexicon::kStart});
}

int32_t &TextDecoder::slot(int state, int32_t word) {
    static_assert((kSlots & (kSlots - 1)) == 0 && kSlots > kMaxReadings * 3);
    auto h = (static_cast<uint32_t>(state) * 0x9e3779b1u) ^ (static_cast<uint32_t>(word) * 0x85ebca6bu);
    for (h = (h ^ (h >> 15)) & (kSlots - 1);; h = (h + 1) & (kSlots - 1)) {
        int32_t &s = slot_[h];
        if (s < 0 || (next_[static_cast<std::size_t>(s)].state == state &&
                      next_[static_cast<std::size_t>(s)].word == word))
            return s;
    }
}

void TextDecoder::extend(const Path &from, int state, float metric, int emit, int32_t word) {
    int32_t &slot = this->slot(state, word);
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
    p.word = word;
    if (emit >= 0) {
        if (p.count == kPending) // not within kLag; keep the newest
            drop_oldest(p);
        p.chars[p.count] = static_cast<uint8_t>(emit);
        p.ends[p.count] = clock_;
        ++p.count;
        p.last = static_cast<uint8_t>(emit);
    }
}

void TextDecoder::drop_oldest(Path &p) {
    std::copy(p.chars.begin() + 1, p.chars.begin() + p.count, p.chars.begin());
    std::copy(p.ends.begin() + 1, p.ends.begin() + p.count, p.ends.begin());
    --p.count;
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
    const float wordCost = word_cost(listRate_);
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
                extend(p, to(bit ? node.next[1] : kGap), bit ? m + startScore_ : m + idleScore_, -1, p.word);
            } else if (n == kJunkRun || n == kJunkZero) {
                extend(p, to(node.next[static_cast<std::size_t>(bit)]), m, -1, p.word);
            } else if (bit == 0 && node.endsZero) {
                // The gap's second 0: the character ends (or the run was no code).
                if (node.emit >= 0) {
                    const auto [word, nonWords] = lexicon().after(p.word, node.emit);
                    extend(p, to(kGap),
                           m + t.score(p.last, node.emit) - wordCost * static_cast<float>(nonWords),
                           node.emit, word);
                } else {
                    extend(p, to(kGap), m - kJunk, -1, p.word);
                }
            } else if (node.next[static_cast<std::size_t>(bit)] >= 0) {
                extend(p, to(node.next[static_cast<std::size_t>(bit)]), m, -1, p.word);
            } else {
                extend(p, to(bit ? kJunkRun : kJunkZero), m - kJunk, -1, p.word);
            }
        }
    }
    std::fill(slot_.begin(), slot_.end(), -1);
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
        const uint8_t c = lead.chars[0], e = lead.ends[0];
        const auto holds = [&](const Path &p) { return p.count > 0 && p.chars[0] == c && p.ends[0] == e; };
        if (static_cast<uint8_t>(clock_ - e) < kLag && !std::all_of(paths_.begin(), paths_.end(), holds))
            break;
        out[static_cast<std::size_t>(k++)] = static_cast<int>(c);
        learn_idle(c, e);
        learn_words(c);
        // The readings without it are out of the race now.
        std::erase_if(paths_, [&](const Path &p) { return !holds(p); });
        for (Path &p : paths_)
            drop_oldest(p);
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

void TextDecoder::learn_words(int c) {
    const Lexicon &lex = lexicon();
    const int32_t next = lex.after(outWord_, c).first;
    if (next == Lexicon::kStart && outWord_ != Lexicon::kStart) {
        if (const int listed = lex.listed(outWord_); listed >= 0)
            listRate_ += (static_cast<float>(listed) - listRate_) * kListWeight;
    }
    outWord_ = next;
}

int TextDecoder::flush(std::span<int> out) {
    Path p = paths_[leader()];
    int k = 0;
    for (; k < p.count && k < static_cast<int>(out.size()); ++k)
        out[static_cast<std::size_t>(k)] = p.chars[static_cast<std::size_t>(k)];
    reset();
    return k;
}

} // namespace pskmodem
