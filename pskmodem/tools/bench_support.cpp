#include "bench_support.h"

#include "rx/receiver.h"

#include <algorithm>
#include <random>
#include <span>

namespace pskmodem::bench {

namespace {
const char *const kSentences[] = {
    "The band was quiet this morning, so I called CQ a few times before anyone answered.",
    "My antenna is a simple dipole strung between two trees about ten metres above the garden.",
    "Thanks for the report; your signal is clean and easy to copy here with no drift at all.",
    "The weather has been cold and wet for a week, but the radio keeps me busy indoors.",
    "I am running about twenty watts into the old transceiver that my father bought in 1985.",
    "Name here is Anna and the location is a small town near the coast, about forty kilometres north of the "
    "city.",
    "We lost the signal for a minute when the fading came through, then it returned strongly.",
    "Please send your QSL card by mail if you can; I still collect the paper ones from every country.",
    "The computer decodes several stations at once, and I watch the waterfall for new traces.",
    "Conditions should improve this evening when the higher bands open towards the west.",
    "I will be away next weekend, but you may find me on the same frequency on Tuesday night.",
    "Good luck with the new amplifier, and remember to keep the audio level low to avoid splatter.",
    "It is 14:32 UTC now, the temperature is 7 degrees, and the sky is grey with light rain.",
    "Best regards to you and your family; I hope to meet you again on the air soon. 73!",
};

// What operators type in other languages: words the English word list hardly knows.
const char *const kOtherSentences[] = {
    "Hallo lieber Freund, danke fuer den Anruf und den guten Rapport.",
    "Mein Name ist Juergen und mein Standort ist ein Dorf bei Bremen.",
    "Das Wetter ist heute kalt und regnerisch, aber die Bedingungen sind gut.",
    "Meine Antenne ist ein Dipol auf dem Dach, ich arbeite mit zwanzig Watt.",
    "Hola amigo, muchas gracias por la llamada y el reporte.",
    "Mi nombre es Carlos y vivo cerca de Sevilla, junto al rio.",
    "El tiempo hoy es soleado y hace calor, la propagacion es buena.",
    "Bonjour cher ami, merci pour l'appel et le rapport de signal.",
    "Mon prenom est Pierre et ma station est pres de Lyon.",
    "Ciao caro amico, grazie per la chiamata e buona giornata.",
    "Vielen Dank fuer die Verbindung, viele Gruesse und bis bald.",
    "Muchas gracias por el comunicado, saludos y hasta pronto.",
};

std::string pick_sentences(std::span<const char *const> sentences, std::size_t minChars, uint64_t seed) {
    std::mt19937_64 rng(seed);
    std::uniform_int_distribution<std::size_t> pick(0, sentences.size() - 1);
    std::string t;
    while (t.size() < minChars) {
        t += sentences[pick(rng)];
        t += ' ';
    }
    return t;
}

} // namespace

std::string english_text(std::size_t minChars, uint64_t seed) {
    return pick_sentences(kSentences, minChars, seed);
}

std::string other_text(std::size_t minChars, uint64_t seed) {
    return pick_sentences(kOtherSentences, minChars, seed);
}

ChannelSettings channel(int32_t mode, int32_t hz, int32_t capture, int32_t afc) {
    return tuned_channel(mode, hz, capture, afc);
}

Decoded decode(std::span<const float> x, const ChannelSettings &s, std::size_t piece, bool tail) {
    Receiver rx;
    rx.configure(s);
    Decoded d;
    std::vector<RxEvent> ev(Receiver::kMaxEvents * ((piece + 255) / 256));
    auto feed = [&](std::span<const float> in, long base) {
        for (std::size_t at = 0; at < in.size(); at += piece) {
            const auto part = in.subspan(at, std::min(piece, in.size() - at));
            const std::size_t n = rx.process(part, ev);
            for (std::size_t i = 0; i < n; ++i)
                if (ev[i].kind == RxEvent::Kind::Character) {
                    d.text += static_cast<char>(ev[i].value);
                    d.at.push_back(base + static_cast<long>(at) + ev[i].inputIndex);
                }
        }
    };
    feed(x, 0);
    if (tail) {
        const std::vector<float> silence(8000, 0.0f);
        feed(silence, static_cast<long>(x.size()));
    }
    return d;
}

} // namespace pskmodem::bench
