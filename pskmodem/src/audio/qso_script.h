// The words of the simulated band: operators with call signs, names, locations and
// stations, and the overs of an ordinary PSK31 contact between two of them (a CQ call,
// the answer, reports, names and locations, rigs and weather, 73s).
//
// Call signs follow the usual shape (prefix with a digit, then one to three letters,
// sometimes /P or /M) but every prefix starts with Q, a letter no country's amateur
// service uses, so no simulated station can be mistaken for a real one.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace pskmodem {

struct Operator {
    std::string call, name, qth, rig, antenna;
    int watts = 0;
};

class QsoScript {
public:
    enum Speaker { kCaller, kAnswerer };
    struct Over {
        Speaker speaker;
        std::string text;
    };

    explicit QsoScript(uint32_t seed) : rng_(seed) {}

    Operator make_operator();
    std::string make_call();
    // A whole contact: `unanswered` CQ calls that nobody answers, the CQ that is
    // answered, the answer and the exchange, ending with both stations' 73.
    std::vector<Over> contact(const Operator &caller, const Operator &answerer, int unanswered);
    std::string cq(const Operator &op);

    std::mt19937 &rng() { return rng_; }

private:
    template <typename T, std::size_t N> const T &pick(const T (&items)[N]) {
        return items[std::uniform_int_distribution<std::size_t>(0, N - 1)(rng_)];
    }
    int between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }
    bool chance(double p) { return std::bernoulli_distribution(p)(rng_); }
    std::string report();
    std::string station_line(const Operator &op);
    std::string weather_line();

    std::mt19937 rng_;
};

} // namespace pskmodem
