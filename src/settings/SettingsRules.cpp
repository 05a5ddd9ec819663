#include "SettingsRules.h"

#include "base/SettingsStore.h"

#include <QFont>
#include <QPainter>

#include <algorithm>

namespace SetupRules {

Band correctBand(int low, int high) {
    Band band{low, high, false};
    if (band.high > kBandHighest)
        band.high = kBandHighest;
    if (band.low < kBandLowest)
        band.low = kBandLowest;
    // Both edges are now bounded on one side, so the difference cannot overflow.
    if (static_cast<long long>(band.high) - band.low < kBandNarrowest) {
        band.widened = true;
        band.low = std::min(band.low, kBandHighest - kBandNarrowest);
        band.high = band.low + kBandNarrowest;
    }
    return band;
}

int modeItemOf(int code) {
    const auto it = std::find(kModeCodes.begin(), kModeCodes.end(), code);
    return it == kModeCodes.end() ? -1 : static_cast<int>(it - kModeCodes.begin());
}

int cardItemOf(int card) {
    const auto it = std::find(kCardNumbers.begin(), kCardNumbers.end(), card);
    return it == kCardNumbers.end() ? -1 : static_cast<int>(it - kCardNumbers.begin());
}

quint32 greyOf(int position) {
    const auto v = static_cast<quint32>(std::clamp(position, 0, 255));
    return v | (v << 8) | (v << 16);
}

QList<QPair<QString, QString>> saveList(const SaveValues &v) {
    const auto num = [](qint64 n) { return QString::number(n); };
    const auto flag = [](bool b) { return b ? QStringLiteral("1") : QStringLiteral("0"); };
    return {
        {QStringLiteral("MyCall"), v.MyCall},
        {QStringLiteral("ShowUTCTime"), flag(v.ShowUTCTime)},
        {QStringLiteral("SpectrumPlain"), flag(v.SpectrumPlain)},
        {QStringLiteral("DateFormat"), num(v.DateFormat)},
        {QStringLiteral("CWIDSpeed"), num(v.CWIDSpeed)},
        {QStringLiteral("CWID"), v.CWID},
        {QStringLiteral("ComPort"), num(v.ComPort)},
        {QStringLiteral("PTTControl"), num(v.PTTControl)},
        {QStringLiteral("RXMode"), num(v.RXMode)},
        {QStringLiteral("Blocks"), num(v.Blocks)},
        {QStringLiteral("PPMAdjust"), num(v.PPMAdjust)},
        {QStringLiteral("FFTAdjust"), num(v.FFTAdjust)},
        {QStringLiteral("WFMin"), num(v.WFMin)},
        {QStringLiteral("WFMax"), num(v.WFMax)},
        {QStringLiteral("WCursor"), num(v.WCursor)},
        // Colours are stored as the signed 32-bit integer the start-up load reads back.
        {QStringLiteral("WColor"), num(static_cast<qint32>(v.WColor))},
        {QStringLiteral("CardNum"), num(v.CardNum)},
    };
}

QImage scalePreview(quint32 wcolor) {
    QImage image(183, 20, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter p(&image);
    const QColor grey = colorFromWin(wcolor);
    QFont font(QStringLiteral("Small Fonts"), 7);
    font.setStyleHint(QFont::SansSerif);
    p.setFont(font);
    p.setPen(grey);
    const int ascent = p.fontMetrics().ascent();
    p.drawText(0, ascent, QStringLiteral("Waterfall"));
    p.drawText(162, 5 + ascent, QStringLiteral("1500"));
    // Row 10 from x = 0 up to, not including, x = 161.
    p.drawLine(0, 10, 160, 10);
    return image;
}

} // namespace SetupRules
