// Push-to-talk: which lines of which port key the transmitter, and whether it is keyed.
// fnSetComPort gives it a port that stays open; the engine keys and unkeys it as
// transmissions start and end, and unkeys it when the sound card stops. Calls come from
// the program's thread and the engine's thread, hence the mutex (held for one ioctl).
#pragma once

#include "ptt_lines.h"

#include <memory>
#include <mutex>

namespace pskmodem {

class Ptt {
public:
    enum Lines { kNone = 0, kRts = 1, kDtr = 2, kBoth = 3 };

    // Takes the port (closing the previous one) and the lines it keys; while keyed, the
    // new port is keyed at once.
    void use(std::unique_ptr<PttLines> port, int lines);
    // Unkeys and closes the port; transmissions go on without PTT.
    void release();
    void key(bool on);
    bool keyed() const;
    bool has_port() const;

private:
    void apply_locked();

    mutable std::mutex mutex_;
    std::unique_ptr<PttLines> port_;
    int lines_ = kNone;
    bool keyed_ = false;
};

} // namespace pskmodem
