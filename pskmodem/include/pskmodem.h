/*
 * pskmodem — a PSK31 modem library with a small C API.
 *
 * Data flow: audio (sound card, WAV file, loopback or simulated band, chosen
 * in the library's configuration file) -> resampled to 8000 Hz mono -> a DSP
 * thread that runs the spectrum FFT and the receive channels -> snapshots read
 * by the fnGet... calls under a short lock, and notifications (the five
 * PSK_MSG_... messages) delivered through the notify target given to
 * fnStartSoundCard. The notify callback is called on the library's DSP thread;
 * it must not block and must not call back into the library (post the message
 * to your own thread instead).
 *
 * Every operation may be called at any time, started or stopped, with any
 * argument: out-of-range values are ignored or clamped, null buffers are
 * ignored, and values set while stopped are kept for the next start.
 *
 * Configuration file: $PSKMODEM_CONFIG if set, otherwise
 * $XDG_CONFIG_HOME/pskmodem/pskmodem.conf (~/.config/pskmodem/pskmodem.conf).
 * See the README for its keys.
 */
#ifndef PSKMODEM_H
#define PSKMODEM_H

#include <stdint.h>

#if defined(_WIN32)
#define PSKMODEM_API __declspec(dllexport)
#else
#define PSKMODEM_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Messages, numbered as offsets from the user message base. */
/* PSK_MSG_DATA_READY follows every new spectrum (every 1024 samples, 7.8 per second).
 * PSK_MSG_LEVEL with lParam -1 comes about once per second: wParam is the estimated
 * noise floor, the power of white noise across 0..4000 Hz with the same bin levels, in
 * dB relative to a full-scale sine (a quiet input gives about -60). PSK_MSG_LEVEL with
 * lParam 0..24 is that channel's IMD in dB (negative; about -25 to -30 from a clean
 * transmitter): the power of the third-order products at +-3/2 baud against the two
 * idle tones at +-1/2 baud, measured over 32 symbols whenever the channel has copied
 * that long an idle cleanly. PSK_MSG_CLOCK_ERROR comes at most every 10 s while a channel
 * is locked on a signal: wParam is the sample-clock error in ppm measured from the drift
 * of the symbol timing over about 600 symbols (positive: the card samples faster than
 * 8000 Hz, or the sending station's clock runs slow), averaged over the locked channels. */
enum {
    PSK_MSG_DATA_READY = 1000, /* display data ready; no parameters */
    PSK_MSG_CHARACTER = 1001,  /* wParam: character (low 16 bits), lParam: channel or -1 */
    PSK_MSG_STATUS = 1002,     /* wParam: status code */
    PSK_MSG_LEVEL = 1003,      /* wParam: dB; lParam: -1 noise level, else IMD of that channel */
    PSK_MSG_CLOCK_ERROR = 1004 /* wParam: measured sample-clock error, ppm */
};

/* Status codes (message PSK_MSG_STATUS and results of fnStartSoundCard). */
enum {
    PSK_OK = 0,
    PSK_STATUS_RX = 0,
    PSK_STATUS_TX = 1,
    PSK_STATUS_CPU_SLOW = 2,
    PSK_STATUS_TX_FINISHING = 3,
    PSK_STATUS_INPUT_FILE_END = 4,
    PSK_ERR_MEMORY = 10,
    PSK_ERR_READ_NOT_OPEN = 11,
    PSK_ERR_INPUT_OVERFLOW = 12,
    PSK_ERR_INPUT_TIMEOUT = 13,
    PSK_ERR_WRITE_NOT_OPEN = 14,
    PSK_ERR_OUTPUT_UNDERFLOW = 15,
    PSK_ERR_OUTPUT_TIMEOUT = 16,
    PSK_ERR_FORMAT = 17,
    PSK_ERR_BAD_DEVICE = 21,
    PSK_ERR_DRIVER_ENABLE = 22,
    PSK_ERR_ALLOCATED = 23,
    PSK_ERR_NO_DRIVER = 25,
    PSK_ERR_NOT_SUPPORTED = 26,
    PSK_ERR_UNKNOWN = 33,
    PSK_ERR_WAV_OPEN = 34,
    PSK_ERR_WAV_NOT_RIFF = 35,
    PSK_ERR_WAV_INVALID = 36,
    PSK_ERR_WAV_NO_DATA = 37,
    PSK_ERR_WAV_DATA_TYPE = 38,
    PSK_ERR_WAV_READ = 39
};

/* Where the library's messages go (replaces a window handle). */
typedef void (*PskNotifyCallback)(void *context, int32_t message, int32_t wParam, int32_t lParam);
typedef struct PskNotifyTarget {
    PskNotifyCallback callback;
    void *context;
} PskNotifyTarget;

/* Starts audio input and the DSP thread. card: -1 default input, 0..2 the
 * first, second, third input device. channels: receive channels (25).
 * Returns 0 when started, else a status code. The target is copied. */
PSKMODEM_API int32_t fnStartSoundCard(const PskNotifyTarget *target, int32_t card, int32_t channels,
                                      int32_t reserved);
/* Stops everything; no message is delivered after it returns. */
PSKMODEM_API void fnStopSoundCard(void);
/* Version times 100 (105 means 1.05). This version: 100. */
PSKMODEM_API int32_t fnGetDLLVersion(void);
/* PTT on COM port 1..8; ptt 0 none, 1 RTS, 2 DTR, 3 both. Low byte non-zero = done.
 * The previous port is closed in every case. ptt 0 always succeeds (returns 1). For
 * ptt 1..3 the port's device (COMn in the configuration file, default /dev/ttyS(n-1)) is
 * opened and kept open, its lines down; 1 when it is a serial port with modem-control
 * lines, 0 (nothing left open) when it is missing, cannot be opened, has no such lines,
 * or port/ptt are out of range. The chosen lines are raised while a transmission is on
 * (from status 1 to status 0) and dropped when it ends, when the sound card stops, and
 * by the system when the program ends. */
PSKMODEM_API int32_t fnSetComPort(int32_t port, int32_t ptt);
/* Resamples the input of the receive channels as if the card ran fast by ppm (the value
 * PSK_MSG_CLOCK_ERROR reports corrects it); clamped to +-10000, 0 = no resampling. */
PSKMODEM_API void fnSetClockErrorAdjustment(int32_t ppm);
/* FFT mode 1..10, full scale of the values fnGetFFTData returns (100), reserved.
 * The spectrum is a 2048-point FFT (Hann window) computed every 1024 samples. Its bin
 * powers are averaged exponentially and shown on a dB scale relative to a full-scale
 * sine (0 dB):
 *   mode  averaging weight of the newest FFT   time constant   dB range -> 0..scale
 *    1    1    (no averaging)                   -               -80 .. 0
 *    2    1/2                                   0.18 s          -80 .. 0
 *    3    1/4                                   0.45 s          -80 .. 0
 *    4    1/8                                   0.96 s          -80 .. 0
 *    5    1/16                                  1.98 s          -80 .. 0
 *    6..10  as 1..5 with the range -100 .. 0 (for quiet inputs with a low noise floor)
 * Modes outside 1..10 are clamped to that range; a scale below 1 is ignored (default 100). */
PSKMODEM_API void fnSetFFTMode(int32_t mode, int32_t scale, int32_t reserved);
/* Fills buffer[first..last] (FFT bins of 8000/2048 Hz, 0..1023) with magnitudes on
 * 0..scale. Returns non-zero when the input clipped since the previous call (a sample
 * at or beyond +-32000 on the 16-bit scale). The range is clamped to 0..1023. */
PSKMODEM_API int32_t fnGetFFTData(int32_t *buffer, int32_t first, int32_t last);
/* Fills buffer[first..last] (0..2047) with the latest input samples (16-bit scale).
 * The 2048 samples are those the latest spectrum was computed from, oldest first
 * (index 2047 is the newest sample). The range is clamped to 0..2047; returns the
 * number of samples written. */
PSKMODEM_API int32_t fnGetRawData(int32_t *buffer, int32_t first, int32_t last);
/* Channel operations take channels 0..24; other channels are ignored (getters give 0). */
/* The channel's signal quality 0..100, the figure the squelch threshold is compared
 * with. Each symbol's phase change is measured against the allowed changes as
 * cos(M * (e - r)) (M = 2 BPSK, 4 QPSK; e its deviation, r the mean deviation over the
 * last 8 symbols, so an offset not yet tuned out costs nothing): 1 on a clean signal, 0 on
 * average on noise. The level is the running mean of that less 0.22, scaled to 0..100:
 * a clean signal reads 90..100, BPSK31 at -10 dB about 60, at -12 dB about 45, noise 0
 * (rarely above 10). Averaged with the squelch speed's time constant; 0 for a channel that
 * is off or while stopped. */
PSKMODEM_API int32_t fnGetSignalLevel(int32_t channel);
/* Both fill 16 values (zeros for a channel that is off, out of range, or while stopped).
 * Sync: the mean power of the matched filter's output at 16 points across one symbol,
 * index 8 at the instant the symbol timing samples, index 0 half a symbol before it;
 * scaled so the largest is 1000. Locked on an idle it is a hump centred on 8 falling
 * towards 0 at the ends (the reversals' zero crossings); a flat row means steady carrier
 * or no timing to see.
 * Vector: the phase changes of the 8 latest symbols, oldest first, as (x, y) pairs:
 * the angle is the change from the previous symbol (after the drift the receiver has
 * measured), the length the symbol's amplitude against the running mean, at most 1000.
 * BPSK shows left (-1000, 0) for a reversal (a 0 bit) and right for no change; QPSK also
 * up (+90 degrees) and down (-90). */
PSKMODEM_API void fnGetSyncData(int32_t *buffer16, int32_t channel);
PSKMODEM_API void fnGetVectorData(int32_t *buffer16, int32_t channel);
PSKMODEM_API void fnEnableRXChannel(int32_t channel, int32_t enable);
/* Tunes the channel (every call retunes, even to the same frequency). captureRange > 0:
 * until its carrier loop holds a signal, the channel looks for a PSK signal within
 * +-max(captureRange, 15) Hz (twice that at 62.5 baud) and jumps to it, the one nearest
 * the tuned frequency winning; a stronger station or a carrier further away is not
 * taken, and noise alone does not move it, so a channel tuned before its station
 * starts waits for it. A BPSK31 or QPSK31 station at -8 dB is found within 2 s.
 * 0 tunes exactly (the carrier loop still takes out a few hertz by itself). */
PSKMODEM_API void fnSetRXFrequency(int32_t hertz, int32_t captureRange, int32_t channel);
/* Frequencies are clamped to 0..4000 Hz. A running channel reports where capture and AFC
 * have taken it (rounded to 1 Hz); otherwise the frequency it was tuned to. */
PSKMODEM_API int32_t fnGetRXFrequency(int32_t channel);
/* Modes: 0 BPSK, 1 QPSK USB, 2 QPSK LSB; 8, 9, 10 the same at 62.5 baud. */
PSKMODEM_API void fnSetRXPSKMode(int32_t mode, int32_t channel);
/* AFC: while the carrier loop is locked the channel follows the signal's drift, at most
 * max(hertz, capture range, 25) Hz from the tuned frequency (50 at 62.5 baud); 0 = off
 * (a capture still happens). With AFC on, a channel tuned exactly also looks for its
 * station within 15 Hz, and a channel that loses its signal for about 2 s looks again
 * around where it was. */
PSKMODEM_API void fnSetAFCLimit(int32_t hertz, int32_t channel);
/* threshold 0..100 against fnGetSignalLevel (0 = always open; it closes 5 below the
 * threshold). speed 0..200 sets the level's time constant: 8 + 0.1 * (200 - speed)
 * symbols (0.26 s to 0.9 s at 31.25 baud). At threshold 10 and speed 1 (VARNEK's
 * defaults) noise alone prints well under a character a minute and a BPSK31 signal at
 * -10 dB opens the squelch within about a second of its start. */
PSKMODEM_API void fnSetSquelchThreshold(int32_t threshold, int32_t speed, int32_t channel);
/* Transmit frequency, clamped to 0..4000 Hz; may change during a transmission. */
PSKMODEM_API void fnSetTXFrequency(int32_t hertz);
/* mode as fnSetRXPSKMode, or 3 for the tune carrier (other values are ignored). Only
 * while the sound card runs: the transmitter follows the input's clock. A transmission
 * is 1.024 s of idle reversals (fading in), the queued text, idle reversals whenever the
 * queue is empty, and 1.024 s of steady carrier (fading out) at the end. Status messages:
 * 1 when it starts, 3 when a stop request finds something still queued, 0 when it has
 * ended. Calling it during a transmission cancels a pending stop. */
PSKMODEM_API void fnStartTX(int32_t mode);
/* Ends the transmission after what is queued and the postamble; ends the tune carrier. */
PSKMODEM_API void fnStopTX(void);
/* Ends the transmission at once (a 5 ms fade) and empties the queue. */
PSKMODEM_API void fnAbortTX(void);
/* Empties the queue; a transmission goes on sending idle. */
PSKMODEM_API void fnClearTXBuffer(void);
/* Characters (not control codes) queued and not yet started. */
PSKMODEM_API int32_t fnGetTXCharsRemaining(void);
/* control 0: code 0..255 is a character, sent as its Varicode character whatever it is
 * (backspace 8 and carriage return 13 included; what the other station's program does
 * with them is its own choice). control 1: code 1 = return to receive once everything
 * queued before it is sent (what follows stays queued); code 2 = CW identification at
 * this point (the PSK signal fades out, the identification is keyed in Morse on the
 * transmit frequency, then the transmission ends if a stop or code 1 follows, or goes on
 * with a new preamble). */
PSKMODEM_API void fnSendTXCharacter(int32_t code, int32_t control);
/* The CW identification text (letters, digits, common punctuation; other characters are
 * skipped), up to 256 characters. */
PSKMODEM_API void fnSetCWIDString(const char *text);
/* n = 1..4 (clamped): 37.5 / n words per minute, a dot of 32 n ms. */
PSKMODEM_API void fnSetCWIDSpeed(int32_t n);
/* Decode the last blocks x 0.256 s of input again on the enabled channels (up to 128
 * blocks, 32.8 s, are kept): their characters come again as the input is replayed. */
PSKMODEM_API void fnRewindInput(int32_t blocks);

/* Not one of the operations above but a question a program asks before using them:
 * which device a number stands for, so it can tell the operator. kind 0: the input and
 * kind 1: the output that fnStartSoundCard would use for card -1..2 (a sound card's name
 * as PortAudio gives it, or "WAV file <path>", "loopback of the transmitted signal",
 * "simulated band" when the configuration file says so); kind 2: the device path that
 * fnSetComPort opens for port 1..8 (COMn in the configuration file, default
 * /dev/ttyS(n-1)). Writes UTF-8 text with a terminating NUL into buffer, cut to fit
 * size bytes. Returns the length of the whole text without the NUL, 0 when there is
 * none (no such card, no output, a number or kind out of range). Nothing is opened;
 * the configuration file is read at every call. */
enum { PSK_DEVICE_INPUT = 0, PSK_DEVICE_OUTPUT = 1, PSK_DEVICE_COM = 2 };
PSKMODEM_API int32_t fnGetDeviceName(int32_t kind, int32_t number, char *buffer, int32_t size);

#ifdef __cplusplus
}
#endif

#endif /* PSKMODEM_H */
