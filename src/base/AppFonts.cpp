#include "base/AppFonts.h"

#include <QStringList>

void installFontSubstitutes() {
    static bool done = false;
    if (done)
        return;
    done = true;
    const QStringList sans{QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                           QStringLiteral("DejaVu Sans")};
    for (const char *face : {"MS Sans Serif", "Tahoma", "Small Fonts"})
        if (QFont::substitutes(QString::fromLatin1(face)).isEmpty())
            QFont::insertSubstitutions(QString::fromLatin1(face), sans);
}

QFont windowFont() {
    installFontSubstitutes();
    QFont f(QStringLiteral("MS Sans Serif"), 8);
    f.setStyleHint(QFont::SansSerif);
    return f;
}

QFont statusBarFont() {
    QFont f = windowFont();
    f.setPointSize(7);
    f.setStretch(80);
    return f;
}
