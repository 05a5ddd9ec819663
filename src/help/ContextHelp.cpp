#include "ContextHelp.h"

#include "help/HelpSystem.h"

#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QTimer>
#include <QVariant>
#include <QWhatsThis>
#include <QWidget>

ContextHelp::ContextHelp(HelpSystem &help, QObject *parent) : QObject(parent), m_help(help) {}

void ContextHelp::install() {
    qApp->installEventFilter(this);
}

QString ContextHelp::keywordOf(const QObject *control) {
    for (const QObject *o = control; o; o = o->parent()) {
        const QString k = o->property("helpKeyword").toString();
        if (!k.isEmpty())
            return k;
    }
    return {};
}

void ContextHelp::ContextHelpExecute() {
    QWhatsThis::enterWhatsThisMode();
}

bool ContextHelp::eventFilter(QObject *watched, QEvent *event) {
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto *key = static_cast<QKeyEvent *>(event);
        // The application filter sees the key once per receiver on its way
        // up; only the first receiver (the focus widget) counts.
        if (key->key() == Qt::Key_F1 && key->modifiers() == Qt::NoModifier && !key->isAutoRepeat() &&
            watched->isWidgetType() && watched == QApplication::focusWidget()) {
            const QString k = keywordOf(watched);
            if (k.isEmpty())
                m_help.showContents();
            else
                m_help.showTopic(k);
        }
        break;
    }
    case QEvent::QueryWhatsThis:
        // Tells the "What's this ?" pointer that this control has help.
        if (watched->isWidgetType() && !keywordOf(watched).isEmpty()) {
            event->accept();
            return true;
        }
        break;
    case QEvent::WhatsThis:
        if (watched->isWidgetType()) {
            const QString k = keywordOf(watched);
            if (!k.isEmpty()) {
                m_help.showTopic(k);
                event->accept();
                // Accepted, Qt keeps the mode on; it is left once the click
                // that asked is over (not inside the mode's own handling).
                QTimer::singleShot(0, this, [] { QWhatsThis::leaveWhatsThisMode(); });
                return true;
            }
        }
        break;
    default:
        break;
    }
    return false;
}
