#pragma once
// The displays of the main window: the waterfall strip of the track panel and
// the Spectrum, Signal and Sync pages of the monitor. It owns the paint boxes,
// the renderers (which keep the waterfall history and the cached scales) and
// the display data the sound-card link fetches into it; the paint handlers
// draw a frame from those and show it with one copy.

#include "displays/FrequencyMap.h"

#include <QObject>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

class QFrame;
class QImage;
class QTabWidget;
class QWidget;
class DisplayRenderers;
class StatusArea;
class TPaintBox;
struct RunningSettings;

// What the track panel draws on each waterfall frame: the track lines and
// edits, then a removal the operator confirmed.
class WaterfallOverlay {
public:
    virtual void TrackLayout(QImage &frame) = 0;
    virtual void RemovePendingTrack() = 0;

protected:
    ~WaterfallOverlay() = default;
};

class DisplayPanel : public QObject {
    Q_OBJECT
public:
    static constexpr int SpectrumScaleValue = 100;

    // The monitor is built on parent; the waterfall paint box is handed to
    // the track panel, which places it in its strip.
    DisplayPanel(QWidget *parent, const RunningSettings &settings, StatusArea &status,
                 std::function<bool()> soundCardActive);
    ~DisplayPanel() override;

    QTabWidget *Monitor = nullptr;
    TPaintBox *WaterfallDisplay = nullptr;
    TPaintBox *SpectrumDisplay = nullptr, *SignalDisplay = nullptr, *SyncDisplay = nullptr,
              *VECDisplay = nullptr;
    QFrame *VisuPanel = nullptr;

    // The band in FFT bins and the data of the last update.
    int WFSpan = 0, FFTLowBin = 0, FFTHighBin = 0, FFTBinSpan = 0;
    int SpectrumScale = 0;
    std::array<int32_t, 1024> FFTData{};
    std::array<int32_t, 2048> RawData{};
    std::array<int32_t, 16> SyncData{};
    std::array<int32_t, 16> VectorData{};
    std::unique_ptr<DisplayRenderers> Renderers;

    void setOverlay(WaterfallOverlay *overlay) { m_overlay = overlay; }
    // The band shown now: WFMin from the settings and the derived values.
    FrequencyMap band() const;
    void ComputeBandValues();
    // The raw signal is fetched only while its page shows.
    bool SignalPageShown() const;

    void SpectrumDisplayPaint();
    void WaterfallDisplayPaint();
    void SignalDisplayPaint();
    void SyncroDisplayPaint();
    void VectorDisplayPaint();
    // A new, black waterfall history at the paint box's present size.
    void ResetWaterfallHistory();
    void WaterfallMouseMove(int y); // frequency readout in status panel 1
    void SpectrumMove(int x);       // the same, by column

private:
    const RunningSettings &m_settings;
    StatusArea &m_status;
    std::function<bool()> m_soundCardActive;
    WaterfallOverlay *m_overlay = nullptr;
};

// The band a display panel shows now.
inline FrequencyMap bandMap(const DisplayPanel &displays) {
    return displays.band();
}
