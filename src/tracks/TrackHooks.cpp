// Wiring of the track panel, the transmit pane and buttons, and the tuning
// page: Qt delivers their events here and the main window's handlers run.

#include "app/AppImages.h"
#include "app/TPSKForm.h"
#include "app/Widgets.h"
#include "tracks/SpinArrows.h"
#include "tracks/TControlDragObject.h"

#include <QAction>
#include <QCheckBox>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSlider>
#include <QSpinBox>

namespace {

// Events of controls built elsewhere that the handlers here need: drops on
// the track panel, keys of the transmit pane, presses on spin arrows.
class TrackControlsFilter : public QObject {
public:
    explicit TrackControlsFilter(TPSKForm &form) : QObject(&form), m_form(form) {}

    bool eventFilter(QObject *watched, QEvent *e) override {
        // Only the operator's input is looked at: the window is not asked
        // about anything else, which also keeps this away from a window
        // being destroyed while its controls still send events.
        switch (e->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
        case QEvent::KeyPress:
        case QEvent::InputMethod:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            break;
        default:
            return false;
        }
        if (watched == m_form.TBTerm)
            return panelEvent(e);
        if (watched == m_form.TXBuf) {
            if (e->type() == QEvent::KeyPress)
                return transmitKey(static_cast<QKeyEvent *>(e));
            if (e->type() == QEvent::InputMethod)
                return composedText(static_cast<QInputMethodEvent *>(e));
            return false;
        }
        auto *spin = qobject_cast<QSpinBox *>(watched);
        if (spin && (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseButtonDblClick))
            return spinPress(spin, static_cast<QMouseEvent *>(e));
        return false;
    }

private:
    bool panelEvent(QEvent *e) {
        switch (e->type()) {
        case QEvent::DragEnter: {
            // Taken while it carries a track, so the moves that follow say
            // where it may land.
            auto *de = static_cast<QDragEnterEvent *>(e);
            if (TControlDragObject::of(de->mimeData()))
                de->acceptProposedAction();
            else
                de->ignore();
            return true;
        }
        case QEvent::DragMove: {
            auto *de = static_cast<QDragMoveEvent *>(e);
            if (m_form.TabDragOver(de->mimeData(), de->position().toPoint()))
                de->acceptProposedAction();
            else
                de->ignore();
            return true;
        }
        case QEvent::Drop: {
            auto *de = static_cast<QDropEvent *>(e);
            const QPoint pos = de->position().toPoint();
            if (!m_form.TabDragOver(de->mimeData(), pos)) {
                de->ignore();
                return true;
            }
            de->acceptProposedAction();
            m_form.TabDragDrop(de->mimeData(), pos);
            return true;
        }
        default:
            return false;
        }
    }

    bool transmitKey(QKeyEvent *ke) {
        const QKeyCombination combo = ke->keyCombination();
        if (combo == QKeyCombination(Qt::ControlModifier, Qt::Key_X)) {
            m_form.ClearMenuClick();
            return true;
        }
        if (combo == QKeyCombination(Qt::ControlModifier, Qt::Key_C)) {
            m_form.CopyMenuClick();
            return true;
        }
        if (combo == QKeyCombination(Qt::ControlModifier, Qt::Key_V)) {
            m_form.PasteMenuClick();
            return true;
        }
        // Editing commands and keys that make no character are the pane's.
        if (ke->matches(QKeySequence::SelectAll) || ke->matches(QKeySequence::Undo) ||
            ke->matches(QKeySequence::Redo))
            return false;
        QString text = ke->text();
        switch (ke->key()) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Delete:
            return false;
        case Qt::Key_Backspace:
            text = QStringLiteral("\b");
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            text = QStringLiteral("\r");
            break;
        default:
            break;
        }
        for (const QChar ch : text) {
            int c = ch.unicode() <= 0xFF ? ch.unicode() : '?';
            m_form.TXBufKeyPress(c, true);
        }
        return false; // then the key takes its ordinary effect in the pane
    }

    // Text an input method composed (dead keys, compose sequences) is typed
    // text as well.
    bool composedText(QInputMethodEvent *ie) {
        for (const QChar ch : ie->commitString()) {
            int c = ch.unicode() <= 0xFF ? ch.unicode() : '?';
            m_form.TXBufKeyPress(c, true);
        }
        return false;
    }

    bool spinPress(QSpinBox *spin, QMouseEvent *me) {
        if (me->button() != Qt::LeftButton || !spin->isEnabled())
            return false;
        const SpinArrow arrow = spinArrowAt(spin, me->position().toPoint());
        if (arrow == SpinArrow::None)
            return false;
        // One action per click: the spin's own repeat while the button is
        // held would toggle a transmission again and again.
        const int step = arrow == SpinArrow::Up ? 1 : -1;
        if (spin == m_form.RXSpin) {
            if (arrow == SpinArrow::Up)
                m_form.RxSpinUpClick();
            else
                m_form.RxSpinDownClick();
        } else if (spin == m_form.TXSpin) {
            spin->stepBy(step);
            m_form.TransmitBtnClick();
        } else if (spin == m_form.AFCSpin) {
            spin->stepBy(step);
            m_form.AFCLimitChange();
        }
        return true;
    }

    TPSKForm &m_form;
};

} // namespace

void TPSKForm::SetupTracks() {
    auto *filter = new TrackControlsFilter(*this);

    WaterfallDisplay->onMousePress = [this](QMouseEvent *e) {
        const QPoint p = e->position().toPoint();
        WaterfallMouseDown(e->button(), e->modifiers(), p.x(), p.y());
    };
    TBTerm->setAcceptDrops(true);
    TBTerm->installEventFilter(filter);
    connect(ClearTracks, &QAction::triggered, this, &TPSKForm::ClearTrckBtnClick);

    connect(Transmit, &QAction::triggered, this, &TPSKForm::TransmitBtnClick);
    connect(Tune, &QAction::triggered, this, &TPSKForm::TuneBtnClick);
    connect(CWIdentification, &QAction::triggered, this, &TPSKForm::CWIDBtnClick);
    connect(SendText, &QAction::triggered, this, &TPSKForm::SndTxtBtnClick);
    connect(RewindSound, &QAction::triggered, this, &TPSKForm::RewindBtnClick);
    OpenDialog = [this](const QString &title, const QString &filter) {
        QFileDialog dialog(this, title, QString(), filter);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    };

    // Tab moves on to the next control, as in every form of the program; a
    // tab that reaches the pane otherwise (a file) asks for the CW ID.
    TXBuf->setTabChangesFocus(true);
    TXBuf->installEventFilter(filter);
    TXPopup = new QMenu(this);
    TXPopup->setObjectName(QStringLiteral("TXPopup"));
    struct Item {
        const char *name, *caption;
        QKeyCombination key;
        int icon;
        void (TPSKForm::*handler)();
    };
    const Item items[] = {
        {"ClearMenu", "Clear", QKeyCombination(Qt::ControlModifier, Qt::Key_X), AppImages::Clear,
         &TPSKForm::ClearMenuClick},
        {"CopyMenu", "Copy", QKeyCombination(Qt::ControlModifier, Qt::Key_C), AppImages::Copy,
         &TPSKForm::CopyMenuClick},
        {"PasteMenu", "Paste", QKeyCombination(Qt::ControlModifier, Qt::Key_V), AppImages::Paste,
         &TPSKForm::PasteMenuClick},
    };
    for (const Item &item : items) {
        QAction *a = TXPopup->addAction(AppImages::icon(item.icon), QString::fromLatin1(item.caption));
        a->setObjectName(QString::fromLatin1(item.name));
        // Shown in the menu; the pane itself takes these keys while it has
        // the focus.
        a->setShortcut(QKeySequence(item.key));
        a->setShortcutContext(Qt::WidgetShortcut);
        connect(a, &QAction::triggered, this, item.handler);
    }
    TXBuf->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(TXBuf, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { TXPopup->popup(TXBuf->viewport()->mapToGlobal(pos)); });

    for (QSpinBox *spin : {RXSpin, TXSpin, AFCSpin})
        spin->installEventFilter(filter);
    // Start-up reads of the stored values run these handlers too, exactly as
    // the operator's own changes would.
    connect(AFCCheck, &QCheckBox::toggled, this, &TPSKForm::AFCCheckClick);
    connect(SQTrack, &QSlider::valueChanged, this, &TPSKForm::SQLChange);
    connect(SQSSPin, &QSpinBox::valueChanged, this, &TPSKForm::SQLChange);
}
