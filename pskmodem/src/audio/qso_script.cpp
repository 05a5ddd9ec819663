#include "qso_script.h"

namespace pskmodem {

namespace {

constexpr const char *kNames[] = {"Anna", "Ben",  "Carla", "Dieter", "Elena",  "Frank", "Greta", "Hugo",
                                  "Ines", "Jan",  "Karin", "Luis",   "Marta",  "Nils",  "Olga",  "Pavel",
                                  "Rosa", "Sven", "Tomas", "Ute",    "Victor", "Wanda", "Yusuf", "Zoe"};
// Invented places, so that a location says nothing about a real station either.
constexpr const char *kPlaces[] = {
    "Ravensholt",    "Brindlemere",    "Corwick",         "Dunmarrow", "Elmsford Vale", "Fenwick Cross",
    "Greywater",     "Halvershaw",     "Ironbridge Vale", "Kestrelby", "Larkhollow",    "Marrowdale",
    "Northwold Fen", "Oakhurst Mill",  "Pellinghoe",      "Quillby",   "Redmarsh",      "Saltwick",
    "Thornacre",     "Umberleigh Fen", "Westerholm"};
constexpr const char *kRigs[] = {"homebrew transceiver",   "small QRP kit transceiver",
                                 "software-defined radio", "20-year-old transceiver",
                                 "portable transceiver",   "old valve transmitter and a separate receiver"};
constexpr int kWatts[] = {5, 5, 10, 20, 25, 30, 50, 100};
constexpr const char *kAntennas[] = {"a dipole at 10 m",
                                     "an end-fed wire",
                                     "a 3-element Yagi",
                                     "a vertical with 16 radials",
                                     "a magnetic loop on the balcony",
                                     "an inverted V at 8 m",
                                     "a long wire in the garden",
                                     "a loop in the attic"};
constexpr const char *kGreetings[] = {"GM", "Good morning", "GA",   "Good afternoon",
                                      "GE", "Good evening", "Hello"};
constexpr const char *kWeather[] = {"sunny", "cloudy",   "rainy",   "windy",
                                    "foggy", "overcast", "snowing", "clear"};
constexpr const char *kClosings[] = {"73 and good DX", "73 and hope to meet you again", "73 and all the best",
                                     "73, cheerio", "73 and happy PSK"};

const char *kCrLf = "\r\n";

} // namespace

std::string QsoScript::make_call() {
    std::string call = "Q";
    if (chance(0.5))
        call += static_cast<char>('A' + between(0, 25));
    call += static_cast<char>('0' + between(0, 9));
    const int letters = between(1, 3);
    for (int i = 0; i < letters; ++i)
        call += static_cast<char>('A' + between(0, 25));
    if (chance(0.08))
        call += chance(0.5) ? "/P" : "/M";
    return call;
}

Operator QsoScript::make_operator() {
    Operator op;
    op.call = make_call();
    op.name = pick(kNames);
    op.qth = pick(kPlaces);
    op.rig = pick(kRigs);
    op.watts = pick(kWatts);
    op.antenna = pick(kAntennas);
    return op;
}

std::string QsoScript::cq(const Operator &op) {
    const std::string call3 = op.call + " " + op.call + " " + op.call;
    std::string s = kCrLf;
    const int lines = between(2, 3);
    for (int i = 0; i < lines; ++i)
        s += "CQ CQ CQ de " + call3 + kCrLf;
    s += chance(0.5) ? "pse K" : "pse k";
    s += kCrLf;
    return s;
}

std::string QsoScript::report() {
    return "5" + std::to_string(between(5, 9)) + "9";
}

std::string QsoScript::station_line(const Operator &op) {
    std::string s =
        "Rig here is a " + op.rig + " running " + std::to_string(op.watts) + " W into " + op.antenna + ".";
    return s + kCrLf;
}

std::string QsoScript::weather_line() {
    return std::string("WX is ") + pick(kWeather) + ", " + std::to_string(between(-5, 30)) + " C." + kCrLf;
}

std::vector<QsoScript::Over> QsoScript::contact(const Operator &caller, const Operator &answerer,
                                                int unanswered) {
    std::vector<Over> overs;
    for (int i = 0; i < unanswered; ++i)
        overs.push_back({kCaller, cq(caller)});
    overs.push_back({kCaller, cq(caller)});

    const std::string &c = caller.call;
    const std::string &a = answerer.call;
    const std::string toCaller = c + " de " + a;
    const std::string toAnswerer = a + " de " + c;

    overs.push_back(
        {kAnswerer, std::string(kCrLf) + c + " " + c + " de " + a + " " + a + " " + a + " pse KN" + kCrLf});

    const std::string rstToAnswerer = report();
    std::string s = std::string(kCrLf) + toAnswerer + kCrLf;
    s += std::string(pick(kGreetings)) + " and thanks for the call." + kCrLf;
    s += "Your RST is " + rstToAnswerer + " " + rstToAnswerer + kCrLf;
    s += "My name is " + caller.name + " " + caller.name + " and my QTH is " + caller.qth + "." + kCrLf;
    s += "How copy?" + std::string(kCrLf) + toAnswerer + " KN" + kCrLf;
    overs.push_back({kCaller, s});

    const std::string rstToCaller = report();
    s = std::string(kCrLf) + toCaller + kCrLf;
    s += "R R tnx " + caller.name + " for the " + rstToAnswerer + " report." + kCrLf;
    s += "You are " + rstToCaller + " " + rstToCaller + " here";
    s += chance(0.4) ? std::string(", nice clean signal.") + kCrLf : std::string(".") + kCrLf;
    s += "Name here is " + answerer.name + " " + answerer.name + ", QTH " + answerer.qth + "." + kCrLf;
    s += station_line(answerer);
    if (chance(0.6))
        s += weather_line();
    s += "BTU " + caller.name + kCrLf + toCaller + " KN" + kCrLf;
    overs.push_back({kAnswerer, s});

    s = std::string(kCrLf) + toAnswerer + kCrLf;
    s += "FB " + answerer.name + ", all copied." + kCrLf;
    s += station_line(caller);
    if (chance(0.6))
        s += weather_line();
    s += "Thanks for the QSO, " + std::string(pick(kClosings)) + "." + kCrLf;
    s += toAnswerer + " SK" + kCrLf;
    overs.push_back({kCaller, s});

    s = std::string(kCrLf) + toCaller + kCrLf;
    s += "Tnx " + caller.name + " for the QSO, " + pick(kClosings) + "!" + kCrLf;
    s += toCaller + " SK ee" + kCrLf;
    overs.push_back({kAnswerer, s});
    return overs;
}

} // namespace pskmodem
