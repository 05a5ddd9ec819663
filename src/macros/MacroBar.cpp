#include "macros/MacroBar.h"

#include "base/FormBuild.h"

#include <QPushButton>
#include <QTabWidget>

MacroBar::MacroBar(QWidget *parent) : QObject(parent->window()) {
    MacroPage = named(new QTabWidget(parent), "MacroPage");
    setHelp(MacroPage, "", 21);
    MacroSheet1 = named(new QWidget, "MacroSheet1");
    MacroSheet2 = named(new QWidget, "MacroSheet2");
    MacroPage->addTab(MacroSheet1, QStringLiteral("Macros 1"));
    MacroPage->addTab(MacroSheet2, QStringLiteral("Macros 2"));
    for (int n = 1; n <= 40; ++n) {
        QWidget *sheet = n <= 20 ? MacroSheet1 : MacroSheet2;
        const int k = (n - 1) % 20;
        auto *b = new QPushButton(sheet);
        b->setObjectName(QStringLiteral("M%1").arg(n));
        b->setGeometry(k < 10 ? 0 : 86, 4 + 20 * (k % 10), 86, 20);
        b->setEnabled(false);
        b->setProperty("tag", n - 1);
        MacroButtons[static_cast<size_t>(n - 1)] = b;
    }
}

void MacroBar::ActiveButtons(bool enable, bool haveTracks) {
    MacroSheet1->setEnabled(enable);
    MacroSheet2->setEnabled(enable);
    if (!enable)
        return;
    for (QPushButton *b : MacroButtons) {
        if (!b->text().isEmpty()) {
            b->setCursor(Qt::PointingHandCursor);
            b->setEnabled(haveTracks);
            b->setStyleSheet(QStringLiteral("text-align: left; padding-left: 5px;"));
        } else {
            b->unsetCursor();
            b->setEnabled(false);
        }
    }
}

void MacroBar::DisableAll() {
    MacroSheet1->setEnabled(false);
    MacroSheet2->setEnabled(false);
    for (QPushButton *b : MacroButtons)
        b->setEnabled(false);
}
