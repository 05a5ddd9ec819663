#include "Dialogs.h"

#include "lang/Strings.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

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

bool QtDialogs::chooseColor(QColor &color) {
    const QColor chosen = QColorDialog::getColor(color, m_parent);
    if (!chosen.isValid())
        return false;
    color = chosen;
    return true;
}

// Qt's font chooser has no text colour, which the program stores with every font, so the
// chooser is shown inside a dialog that adds a colour row.
bool QtDialogs::chooseFont(QFont &font, QColor &color) {
    QDialog dialog(m_parent);
    dialog.setWindowTitle(QFontDialog::tr("Select Font"));
    auto *chooser = new QFontDialog(font, &dialog);
    chooser->setOptions(QFontDialog::NoButtons);
    chooser->setWindowFlags(Qt::Widget);
    QColor chosenColor = color;
    auto *swatch = new QLabel(&dialog);
    swatch->setFixedSize(40, 20);
    swatch->setFrameShape(QFrame::Box);
    swatch->setAutoFillBackground(true);
    const auto showColor = [swatch, &chosenColor] {
        QPalette pal = swatch->palette();
        pal.setColor(QPalette::Window, chosenColor);
        swatch->setPalette(pal);
    };
    showColor();
    auto *colorButton = new QPushButton(LcfLoadString(Str::FontColorButton), &dialog);
    QObject::connect(colorButton, &QPushButton::clicked, &dialog, [&] {
        const QColor c = QColorDialog::getColor(chosenColor, &dialog);
        if (c.isValid()) {
            chosenColor = c;
            showColor();
        }
    });
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto *colorRow = new QHBoxLayout;
    colorRow->addWidget(swatch);
    colorRow->addWidget(colorButton);
    colorRow->addStretch();
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(chooser);
    layout->addLayout(colorRow);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    font = chooser->currentFont();
    color = chosenColor;
    return true;
}

QString QtDialogs::askText(const QString &caption, const QString &prompt, const QString &defaultText) {
    bool ok = false;
    const QString text =
        QInputDialog::getText(m_parent, caption, prompt, QLineEdit::Normal, defaultText, &ok);
    return ok ? text : defaultText;
}
