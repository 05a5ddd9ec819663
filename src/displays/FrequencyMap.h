#pragma once
// The band shown by the waterfall and the spectrum, and the rules that turn a
// row (or column) into a frequency and back. Every display and the track panel
// use these, so a click, a readout, a track line and a scale mark agree.
//
// All arithmetic is integer with division truncating toward zero, as the
// pixel positions the operator sees have always been computed. Products are
// taken in 64 bits and a zero divisor gives 0, so a band edited by hand or a
// display shrunk to nothing cannot crash a paint; within the settings
// dialog's limits (100..3500 Hz, at least 400 Hz wide) neither guard ever
// changes a result.

#include <cstdint>

struct FrequencyMap {
    // One FFT bin of the modem library is SampleRate / FftLength hertz wide.
    static constexpr int FftLength = 2048;
    static constexpr int SampleRate = 8000;
    static constexpr int FftBins = 1024; // size of the FFT data array

    int wfMin = 100;   // WFMin, lowest frequency shown (Hz)
    int wfSpan = 3400; // WFSpan = WFMax - WFMin
    int lowBin = 25;   // FFTLowBin
    int highBin = 896; // FFTHighBin

    // The derived values of a band WFMin..WFMax.
    static FrequencyMap forBand(int wfMin, int wfMax);

    int binSpan() const { return highBin - lowBin; } // FFTBinSpan

    // Frequency at a row (or column) pos of a display extent pixels long:
    // pos * WFSpan div extent + WFMin. The waterfall click, its readout and
    // the spectrum's readout use this.
    int frequencyAt(int pos, int extent) const;
    // Row (or column) of a frequency: (f - WFMin) * extent div WFSpan. The
    // track lines and the track edits stand here.
    int positionOf(int frequency, int extent) const;
    // Where the scale mark labelled f goes: extent * (f + 1 - WFMin) div
    // WFSpan, i.e. at the position of f + 1 Hz.
    int markPosition(int frequency, int extent) const;
    // Position of FFT bin i: (i - FFTLowBin) * extent div FFTBinSpan.
    int binPosition(int bin, int extent) const;

    // The bins worth reading: FFTLowBin..FFTHighBin cut to the FFT data
    // array, so a band beyond 4000 Hz never reads past it.
    int firstDataBin() const;
    int lastDataBin() const;

    // a * b div c with the guards described above.
    static int mulDiv(int64_t a, int64_t b, int64_t c);

    friend bool operator==(const FrequencyMap &, const FrequencyMap &) = default;
};
