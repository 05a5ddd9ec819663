// The channel table of pskmodem-bench: the receiver on a model of a real band.
#pragma once

#include <string>
#include <vector>

namespace pskmodem::bench {

struct ChannelOptions {
    std::vector<std::string> rows; // empty: every row
    bool quick = false;
    int seeds = 0;    // 0: the row's own number
    int capture = 10; // the program's defaults
    int afc = 10;
    int squelch = 0; // threshold; 0 prints everything
    int squelchSpeed = 1;
    int jobs = 1;         // threads
    bool verbose = false; // characters lost at each message's start
};

// Prints the table; returns false when a row name is not known (after listing them).
bool channel_table(const ChannelOptions &o);

} // namespace pskmodem::bench
