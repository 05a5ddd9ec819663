// The configuration parser on arbitrary text: it must not crash, and whatever it accepts
// must lie in the documented ranges.

#include "config.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const pskmodem::Config cfg = pskmodem::parse_config(text, "/base");
    const bool inRange = cfg.wavSpeed >= pskmodem::Config::kMinWavSpeed &&
                         cfg.wavSpeed <= pskmodem::Config::kMaxWavSpeed && cfg.txLevelDb >= -60.0 &&
                         cfg.txLevelDb <= 0.0 && cfg.simStations >= 0 && cfg.simStations <= 8 &&
                         cfg.simNoiseDb >= -120.0 && cfg.simNoiseDb <= 0.0;
    if (!inRange)
        std::abort();
    return 0;
}
