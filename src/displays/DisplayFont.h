#pragma once
// The small face of the displays' scales: "Small Fonts" at 7 points, drawn
// without smoothing. It was a crisp bitmap face; smoothing a 7-point face on
// a 60-pixel strip only greys the digits out.

#include "base/AppFonts.h"

#include <QFont>

inline QFont displayScaleFont() {
    installFontSubstitutes();
    QFont f(QStringLiteral("Small Fonts"), 7);
    f.setStyleHint(QFont::SansSerif);
    f.setStyleStrategy(QFont::NoAntialias);
    return f;
}
