#include "FindDialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TFindDialog::TFindDialog(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FindDialog"));
    setWindowTitle(QStringLiteral("Find"));
    setModal(false);

    auto *what = new QLabel(QStringLiteral("Fi&nd what:"), this);
    FindText = new QLineEdit(this);
    FindText->setObjectName(QStringLiteral("FindText"));
    FindText->setMinimumWidth(190);
    what->setBuddy(FindText);

    auto *direction = new QGroupBox(QStringLiteral("Direction"), this);
    UpRadio = new QRadioButton(QStringLiteral("&Up"), direction);
    DownRadio = new QRadioButton(QStringLiteral("&Down"), direction);
    DownRadio->setChecked(true);
    auto *dirLayout = new QHBoxLayout(direction);
    dirLayout->addWidget(UpRadio);
    dirLayout->addWidget(DownRadio);

    FindBtn = new QPushButton(QStringLiteral("&Find Next"), this);
    FindBtn->setObjectName(QStringLiteral("FindBtn"));
    FindBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));

    auto *left = new QVBoxLayout;
    auto *line = new QHBoxLayout;
    line->addWidget(what);
    line->addWidget(FindText, 1);
    left->addLayout(line);
    left->addWidget(direction, 0, Qt::AlignRight);
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(FindBtn);
    buttons->addWidget(CancelBtn);
    buttons->addStretch(1);
    auto *top = new QHBoxLayout(this);
    top->addLayout(left, 1);
    top->addLayout(buttons);

    connect(FindBtn, &QPushButton::clicked, this, &TFindDialog::find);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

QString TFindDialog::findText() const {
    return FindText->text();
}

void TFindDialog::setFindText(const QString &text) {
    FindText->setText(text);
}

bool TFindDialog::searchesDown() const {
    return DownRadio->isChecked();
}

void TFindDialog::showEvent(QShowEvent *event) {
    // Typing replaces the text offered, as in any find dialog.
    FindText->selectAll();
    FindText->setFocus();
    QDialog::showEvent(event);
}
