#pragma once
// Helpers of the QSO log tests: a main window started in a folder of its own
// (its log file goes there), and a way to act inside a modal dialog.

#include "FormFixture.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QTimer>
#include <functional>

#ifndef VARNEK_ADIF_FIXTURES
#error "VARNEK_ADIF_FIXTURES must name the folder of the log fixtures"
#endif

inline QString logFixture(const char *name) {
    return QStringLiteral(VARNEK_ADIF_FIXTURES "/") + QLatin1String(name);
}

inline QByteArray fileBytes(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The window takes the working folder as its start-up folder, as the
// program does when it starts.
inline TPSKForm &createInOwnFolder(FormFixture &fx) {
    QDir::setCurrent(fx.dir.path());
    return fx.create();
}

// Runs `act` inside the next modal dialog's event loop and then closes the
// dialog if it is still open, so a failed check inside cannot hang the test.
inline void onNextModal(std::function<void(QDialog *)> act) {
    QTimer::singleShot(0, [act = std::move(act)] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        act(dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
}
