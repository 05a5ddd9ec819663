#pragma once
// Small helpers the parts of the main window share while they build their
// controls at the positions of the original design.

#include "base/AppImages.h"

#include <QAction>
#include <QLabel>
#include <QString>
#include <QWidget>

template <typename T> T *named(T *w, const char *name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

inline QLabel *label(QWidget *parent, const QString &text, int x, int y, int w = -1) {
    auto *l = new QLabel(text, parent);
    l->adjustSize();
    l->move(x, y);
    if (w > 0)
        l->resize(w, l->height());
    return l;
}

// The help topic a control opens (keyword and context number).
inline void setHelp(QObject *w, const char *keyword, int context) {
    w->setProperty("helpKeyword", QString::fromLatin1(keyword));
    w->setProperty("helpContext", context);
}

// An action's picture from the program's image list; the index stays on the
// action so tests and language files can tell which one it shows.
inline void setActionIcon(QAction *action, int icon) {
    action->setIcon(AppImages::icon(icon));
    action->setProperty("imageIndex", icon);
}
