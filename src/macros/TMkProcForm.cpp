#include "TMkProcForm.h"

#include "base/Dialogs.h"
#include "base/SettingsStore.h"
#include "lang/Lcf.h"
#include "lang/Strings.h"
#include "macros/MacroTable.h"
#include "macros/TFiche.h"
#include "macros/TTextDragObject.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QStyleOptionFocusRect>

namespace {

constexpr int ItemHeight = 13;

// The memos have no length limit of their own; a longer paste is cut.
void limitLength(QPlainTextEdit *memo, int max) {
    QObject::connect(memo, &QPlainTextEdit::textChanged, memo, [memo, max] {
        const QString text = memo->toPlainText();
        if (text.size() <= max)
            return;
        QTextCursor cursor(memo->document());
        cursor.setPosition(max);
        cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    });
}

// Stored texts break lines with CR LF; the memos with a line feed.
QString toMemo(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

} // namespace

// ---- The list -----------------------------------------------------------

TProcList::TProcList(TMkProcForm *form, QWidget *parent) : QListWidget(parent), m_form(form) {
    // Two columns, filled top to bottom, as many rows as the height holds.
    setFlow(QListView::TopToBottom);
    setWrapping(true);
    setResizeMode(QListView::Adjust);
    setUniformItemSizes(true);
    // The list's own drag and drop would move items by itself; ours moves
    // macros. Accepting drops comes after, as the mode resets it.
    setDragDropMode(QAbstractItemView::NoDragDrop);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
}

int TProcList::dropRow(QPoint pos) const {
    const QModelIndex index = indexAt(pos);
    return index.isValid() ? index.row() : count();
}

QRect TProcList::dropRect(int row) const {
    if (row < count())
        return visualRect(model()->index(row, 0));
    if (count() == 0)
        return QRect(0, 0, viewport()->width() / 2, ItemHeight);
    // The free row after the last item, in the same column.
    return visualRect(model()->index(count() - 1, 0)).translated(0, ItemHeight);
}

void TProcList::showDropRect(const QRect &rect) {
    m_dropRect = rect;
    viewport()->update();
}

void TProcList::mousePressEvent(QMouseEvent *e) {
    m_form->ProcListMouseDown(e->button(), e->globalPosition().toPoint());
    // A right press picks nothing: the macro to move is the one chosen before.
    if (e->button() == Qt::RightButton) {
        e->accept();
        return;
    }
    QListWidget::mousePressEvent(e);
}

void TProcList::mouseMoveEvent(QMouseEvent *e) {
    if (e->buttons() & Qt::RightButton) {
        m_form->ProcListMouseMove(e->buttons(), e->globalPosition().toPoint());
        e->accept();
        return;
    }
    QListWidget::mouseMoveEvent(e);
}

void TProcList::mouseReleaseEvent(QMouseEvent *e) {
    m_form->ProcListMouseMove(e->buttons(), e->globalPosition().toPoint());
    if (e->button() == Qt::RightButton) {
        e->accept();
        return;
    }
    QListWidget::mouseReleaseEvent(e);
}

void TProcList::dragEnterEvent(QDragEnterEvent *e) {
    e->setAccepted(m_form->ProcListDragOver(e->mimeData(), e->position().toPoint()));
}

void TProcList::dragMoveEvent(QDragMoveEvent *e) {
    e->setAccepted(m_form->ProcListDragOver(e->mimeData(), e->position().toPoint()));
}

void TProcList::dragLeaveEvent(QDragLeaveEvent *e) {
    showDropRect({});
    e->accept();
}

void TProcList::dropEvent(QDropEvent *e) {
    showDropRect({});
    if (!TTextDragObject::of(e->mimeData())) {
        e->ignore();
        return;
    }
    e->setDropAction(Qt::MoveAction);
    e->accept();
    m_form->ProcListDragDrop(e->mimeData(), e->position().toPoint());
}

void TProcList::paintEvent(QPaintEvent *e) {
    QListWidget::paintEvent(e);
    if (m_dropRect.isNull())
        return;
    QPainter painter(viewport());
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = m_dropRect.adjusted(0, 0, -1, -1);
    option.backgroundColor = palette().color(QPalette::Base);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    // Some styles draw no focus frame off focus; the place must show anyway.
    painter.setPen(QPen(palette().color(QPalette::Text), 1, Qt::DotLine));
    painter.drawRect(option.rect);
}

// ---- The dialog ---------------------------------------------------------

TMkProcForm::TMkProcForm(MacroTable &table, SettingsStore &store, Dialogs &dialogs, int uiLanguage,
                         QWidget *owner)
    : QDialog(owner), m_table(table), m_store(store), m_dialogs(dialogs), m_uiLanguage(uiLanguage) {
    setObjectName(QStringLiteral("MkProcForm"));
    // F1 and "What's this ?" on a control without a topic of its own open the
    // topic of the command that brings this window up.
    setProperty("helpKeyword", QStringLiteral("MCR_BTN"));
    setWindowTitle(QStringLiteral("Create/Edit a macro"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::WindowContextHelpButtonHint);
    setFixedSize(467, 260);

    auto named = [](auto *w, const char *name) {
        w->setObjectName(QString::fromLatin1(name));
        return w;
    };
    StatBar = named(new QStatusBar(this), "StatBar");
    StatBar->setSizeGripEnabled(false);
    StatBar->setGeometry(0, 241, 467, 19);
    auto *panel = new QLabel(StatBar);
    panel->setFixedWidth(50);
    StatBar->addWidget(panel);

    ProcList = named(new TProcList(this, this), "ProcList");
    ProcList->setGeometry(0, 0, 140, 241);
    ProcList->setToolTip(QStringLiteral("Click to select a macro\nDrag to move it"));
    ProcList->setGridSize(QSize(68, ItemHeight));
    // Rows 13 pixels high take a small font; the names stay readable in a
    // column half the list wide.
    QFont listFont = ProcList->font();
    listFont.setPointSize(7);
    ProcList->setFont(listFont);

    NomLbl = named(new QLabel(QStringLiteral("Macro's name"), this), "NomLbl");
    NomLbl->setGeometry(148, 2, 128, 14);
    NomEdit = named(new QLineEdit(this), "NomEdit");
    NomEdit->setGeometry(148, 17, 128, 21);
    NomEdit->setMaxLength(MaxNameLength);
    InfoBtn = named(new QPushButton(QStringLiteral("Help on Macros"), this), "InfoBtn");
    InfoBtn->setGeometry(348, 15, 115, 24);

    HintLbl = named(new QLabel(QStringLiteral("Hint text "), this), "HintLbl");
    HintLbl->setGeometry(148, 41, 200, 14);
    HintEdit = named(new QPlainTextEdit(this), "HintEdit");
    HintEdit->setGeometry(148, 56, 320, 38);
    TextLbl = named(new QLabel(QStringLiteral("Macro's text (Maximum 500 characters)"), this), "TextLbl");
    TextLbl->setGeometry(148, 97, 300, 14);
    TextEdit = named(new QPlainTextEdit(this), "TextEdit");
    TextEdit->setGeometry(148, 112, 320, 104);
    limitLength(HintEdit, MaxMemoLength);
    limitLength(TextEdit, MaxMemoLength);

    SaveBtn = named(new QPushButton(QStringLiteral("&Save"), this), "SaveBtn");
    SaveBtn->setToolTip(QStringLiteral("Save this new macro"));
    SaveBtn->setGeometry(148, 219, 100, 21);
    SaveBtn->setEnabled(false);
    EraseBtn = named(new QPushButton(QStringLiteral("&Delete"), this), "EraseBtn");
    EraseBtn->setToolTip(QStringLiteral("Delete this macro"));
    EraseBtn->setGeometry(256, 219, 100, 21);
    EraseBtn->setEnabled(false);
    OkBtn = named(new QPushButton(QStringLiteral("&Exit dialog"), this), "OkBtn");
    OkBtn->setToolTip(QStringLiteral("Save all and exit dialog"));
    OkBtn->setGeometry(364, 219, 100, 21);
    SaveBtn->setAutoDefault(false);
    EraseBtn->setAutoDefault(false);
    OkBtn->setAutoDefault(false);

    connect(ProcList, &QListWidget::itemClicked, this, [this] { ProcListClick(); });
    connect(NomEdit, &QLineEdit::textChanged, this, [this] { ChangeName(); });
    connect(SaveBtn, &QPushButton::clicked, this, [this] { SaveBtnClick(); });
    connect(EraseBtn, &QPushButton::clicked, this, [this] { EraseBtnClick(); });
    connect(InfoBtn, &QPushButton::clicked, this, [this] { InfoBtnClick(); });
    connect(OkBtn, &QPushButton::clicked, this, [this] { OkBtnClick(); });
    InitDialog();
}

TMkProcForm::~TMkProcForm() = default;

void TMkProcForm::InitDialog() {
    fillList();
    ProcList->setCursor(Qt::ArrowCursor);
    TranslateForm(this);
}

void TMkProcForm::fillList() {
    ProcList->clear();
    for (int i = 0; i < m_table.MacroCount; ++i) {
        auto *item = new QListWidgetItem(m_table.MacroNames[i].toUpper(), ProcList);
        item->setSizeHint(QSize(68, ItemHeight));
    }
    ProcList->setCurrentRow(-1);
    ProcList->clearSelection();
}

QString TMkProcForm::memoText(const QPlainTextEdit *memo) const {
    QString text = memo->toPlainText();
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

void TMkProcForm::ProcListClick() {
    const QList<QListWidgetItem *> selected = ProcList->selectedItems();
    m_table.SelectedMacro = selected.isEmpty() ? -1 : ProcList->row(selected.first());
    const int k = m_table.SelectedMacro;
    if (k < 0 || k >= m_table.MacroCount)
        return;
    EraseBtn->setEnabled(true);
    NomEdit->setText(m_table.MacroNames[k]);
    HintEdit->setPlainText(toMemo(m_table.MacroHints[k]));
    TextEdit->setPlainText(toMemo(m_table.MacroTexts[k]));
}

void TMkProcForm::ChangeName() {
    SaveBtn->setEnabled(NomEdit->text().size() > 2);
}

void TMkProcForm::SaveBtnClick() {
    const QString name = NomEdit->text();
    if (name.isEmpty()) {
        m_dialogs.message(Dialogs::Icon::Information, LcfLoadString(Str::CaptionInformation),
                          LcfLoadString(Str::MacroNeedsName));
        return;
    }
    const int k = m_table.find(name);
    if (k >= 0) {
        const QString question =
            LcfLoadString(Str::MacroExists) + QLatin1Char('\n') + LcfLoadString(Str::ModifyIt);
        if (m_dialogs.askYesNo(Dialogs::Icon::Warning, LcfLoadString(Str::CaptionWarning), question,
                               Dialogs::Answer::Yes) == Dialogs::Answer::Yes)
            m_table.MacroTexts[k] = memoText(TextEdit);
        return;
    }
    if (m_table.MacroCount >= MacroTable::Capacity) {
        m_dialogs.message(Dialogs::Icon::Warning, LcfLoadString(Str::CaptionWarning),
                          LcfLoadString(Str::MacroMaximum));
        return;
    }
    if (HintEdit->toPlainText().isEmpty()) {
        m_dialogs.beep();
        m_dialogs.message(Dialogs::Icon::Warning, LcfLoadString(Str::CaptionWarning),
                          LcfLoadString(Str::ForgotHint));
        return;
    }
    if (TextEdit->toPlainText().isEmpty()) {
        m_dialogs.beep();
        m_dialogs.message(Dialogs::Icon::Warning, LcfLoadString(Str::CaptionWarning),
                          LcfLoadString(Str::ForgotText));
        return;
    }
    auto *item = new QListWidgetItem(name.toUpper(), ProcList);
    item->setSizeHint(QSize(68, ItemHeight));
    m_table.append(name, memoText(HintEdit), memoText(TextEdit));
    NomEdit->clear();
    HintEdit->clear();
    TextEdit->clear();
    SaveBtn->setEnabled(false);
}

void TMkProcForm::EraseBtnClick() {
    const QList<QListWidgetItem *> selected = ProcList->selectedItems();
    if (selected.isEmpty())
        return;
    const int row = ProcList->row(selected.first());
    if (m_dialogs.askYesNo(Dialogs::Icon::Information, LcfLoadString(Str::CaptionInformation),
                           LcfLoadString(Str::DeleteMacroQuestion),
                           Dialogs::Answer::No) == Dialogs::Answer::Yes) {
        delete ProcList->takeItem(row);
        NomEdit->clear();
        HintEdit->clear();
        TextEdit->clear();
        // The old last position is blanked in the store at once: the close
        // writes only the positions still in use, and the next start must
        // stop reading there.
        const int oldLast = m_table.MacroCount;
        m_table.remove(row);
        try {
            MacroTable::blankPosition(m_store, oldLast);
            m_store.sync();
        } catch (const StoreError &) {
            m_dialogs.message(Dialogs::Icon::Warning, LcfLoadString(Str::CaptionWarning),
                              LcfLoadString(Str::ErrorWritingRegistry));
        }
    }
    EraseBtn->setEnabled(false);
}

void TMkProcForm::InfoBtnClick() {
    auto *card = new TFiche(m_uiLanguage, this);
    card->show();
}

void TMkProcForm::OkBtnClick() {
    accept();
}

void TMkProcForm::done(int result) {
    CloseDialog();
    QDialog::done(result);
}

void TMkProcForm::CloseDialog() {
    if (m_table.MacroCount == 0)
        return;
    try {
        m_table.save(m_store);
    } catch (const StoreError &) {
        // The table stays in memory for this run; the operator learns that the
        // next start will not have it.
        m_dialogs.message(Dialogs::Icon::Warning, LcfLoadString(Str::CaptionWarning),
                          LcfLoadString(Str::ErrorWritingRegistry));
    }
}

// ---- Moving a macro -----------------------------------------------------

void TMkProcForm::mousePressEvent(QMouseEvent *e) {
    ProcListMouseDown(e->button(), e->globalPosition().toPoint());
    QDialog::mousePressEvent(e);
}

void TMkProcForm::mouseMoveEvent(QMouseEvent *e) {
    ProcListMouseMove(e->buttons(), e->globalPosition().toPoint());
    QDialog::mouseMoveEvent(e);
}

void TMkProcForm::ProcListMouseDown(Qt::MouseButton button, QPoint globalPos) {
    if (button != Qt::RightButton)
        return;
    m_table.SelectedMacro = ProcList->selectedItems().isEmpty() ? -1 : ProcList->currentRow();
    m_dragArmed = true;
    m_pressPos = globalPos;
}

void TMkProcForm::ProcListMouseMove(Qt::MouseButtons buttons, QPoint globalPos) {
    if (!m_dragArmed)
        return;
    if (!(buttons & Qt::RightButton)) {
        m_dragArmed = false;
        return;
    }
    if ((globalPos - m_pressPos).manhattanLength() < 3)
        return;
    m_dragArmed = false;
    TTextDragObject *object = ProcListStartDrag();
    if (!object)
        return;
    if (runDrag) {
        runDrag(object);
        delete object;
    } else {
        auto *drag = new QDrag(ProcList);
        drag->setMimeData(object); // the drag owns it from here
        drag->setPixmap(object->GetDragImages());
        drag->setHotSpot(TTextDragObject::hotSpot());
        drag->exec(Qt::MoveAction);
    }
    ProcListEndDrag();
}

TTextDragObject *TMkProcForm::ProcListStartDrag() {
    const QList<QListWidgetItem *> selected = ProcList->selectedItems();
    if (selected.isEmpty())
        return nullptr;
    m_dragObject = new TTextDragObject(selected.first()->text());
    return m_dragObject;
}

bool TMkProcForm::ProcListDragOver(const QMimeData *source, QPoint pos) {
    ProcList->showDropRect(ProcList->dropRect(ProcList->dropRow(pos)));
    return TTextDragObject::of(source) != nullptr;
}

void TMkProcForm::ProcListDragDrop(const QMimeData *source, QPoint pos) {
    if (!TTextDragObject::of(source))
        return;
    const int t = ProcList->dropRow(pos);
    const int s = m_table.SelectedMacro;
    if (t == s)
        return;
    m_table.move(s, t);
    fillList();
}

void TMkProcForm::ProcListEndDrag() {
    // The drag that carried the object destroys it.
    m_dragObject = nullptr;
}
