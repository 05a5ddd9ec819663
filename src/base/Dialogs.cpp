#include "Dialogs.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>

namespace {
QMessageBox::Icon toQt(Dialogs::Icon icon) {
    switch (icon) {
    case Dialogs::Icon::None:
        return QMessageBox::NoIcon;
    case Dialogs::Icon::Information:
        return QMessageBox::Information;
    case Dialogs::Icon::Warning:
        return QMessageBox::Warning;
    case Dialogs::Icon::Error:
        return QMessageBox::Critical;
    case Dialogs::Icon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}
} // namespace

void QtDialogs::message(Icon icon, const QString &caption, const QString &text) {
    QMessageBox box(toQt(icon), caption, text, QMessageBox::Ok, m_parent);
    box.exec();
}

Dialogs::Answer QtDialogs::askYesNo(Icon icon, const QString &caption, const QString &text,
                                    Answer defaultAnswer) {
    QMessageBox box(toQt(icon), caption, text, QMessageBox::Yes | QMessageBox::No, m_parent);
    box.setDefaultButton(defaultAnswer == Answer::Yes ? QMessageBox::Yes : QMessageBox::No);
    return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

void QtDialogs::beep() {
    QApplication::beep();
}

QString QtDialogs::askText(const QString &caption, const QString &prompt, const QString &defaultText) {
    bool ok = false;
    const QString text =
        QInputDialog::getText(m_parent, caption, prompt, QLineEdit::Normal, defaultText, &ok);
    return ok ? text : defaultText;
}
