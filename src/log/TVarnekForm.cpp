#include "TVarnekForm.h"

#include "AdifReader.h"
#include "FindDialog.h"
#include "LogGrid.h"
#include "base/Dialogs.h"
#include "lang/Lcf.h"
#include "lang/Strings.h"

#include <QApplication>
#include <QLineEdit>
#include <QScreen>
#include <QVBoxLayout>

namespace {

constexpr int ColumnWidths[TVarnekForm::ColumnCount] = {30, 80, 65, 40, 40, 50, 40, 40, 80, 134};

// Colour the classic desktop gives the inactive caption's gradient end;
// every other data row is drawn in it.
const QColor InactiveCaptionGradient(215, 228, 242);

// The busy cursor for as long as the loader runs, however it ends.
struct BusyCursor {
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
};

} // namespace

TVarnekForm::TVarnekForm(const QString &logPath, Dialogs &dialogs, QWidget *parent)
    : QDialog(parent), m_logPath(logPath), m_dialogs(dialogs) {
    setObjectName(QStringLiteral("VarnekForm"));
    // F1 and "What's this ?" on a control without a topic of its own open the
    // topic of the command that brings this window up.
    setProperty("helpKeyword", QStringLiteral("INF_BTN"));
    setWindowTitle(QStringLiteral("VarnekLog.adi"));
    setFixedSize(619, 363);
    if (parent)
        setFont(parent->font());

    VarnekGrid = new TLogGrid(this);
    VarnekGrid->setObjectName(QStringLiteral("VarnekGrid"));
    QFont gridFont(QStringLiteral("Tahoma"), 8);
    gridFont.setStyleHint(QFont::SansSerif);
    VarnekGrid->setFont(gridFont);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(VarnekGrid);
    VarnekGrid->getAlignment = [this](int r, int c, Qt::Alignment &a) { VarnekGridGetAlignment(r, c, a); };
    VarnekGrid->getCellColor = [this](int r, int c, QFont &f, QColor &col) {
        VarnekGridGetCellColor(r, c, f, col);
    };
    connect(VarnekGrid, &TLogGrid::mouseDown, this, [this](Qt::MouseButtons b) { MouseIsDown(b); });

    FindDialog = new TFindDialog(this);
    FindDialog->setFindText(LcfLoadString(Str::FindCallsignPrompt));
    connect(FindDialog, &TFindDialog::find, this, &TVarnekForm::FindCallSign);

    CreateView();
}

void TVarnekForm::CreateView() {
    VarnekGrid->setColumnCount(ColumnCount);
    VarnekGrid->setRowCount(InitialRows);
    for (int c = 0; c < ColumnCount; ++c) {
        VarnekGrid->setColumnWidth(c, ColumnWidths[c]);
        VarnekGrid->setCell(0, c, LcfLoadString(Str::LogColumnHeader + c));
    }
    VarnekGrid->bandColor = InactiveCaptionGradient;

    adif::LogContents log;
    {
        BusyCursor busy;
        log = adif::readLogFile(m_logPath);
        const int count = static_cast<int>(log.rows.size());
        if (count > 1)
            VarnekGrid->setRowCount(count + 1);
        for (int n = 1; n <= count; ++n) {
            const adif::LogRow &r = log.rows[static_cast<size_t>(n - 1)];
            const QString cells[ColumnCount] = {
                QString::number(n), r.call, r.date, r.time, r.band, r.mode, r.rcvd, r.sent, r.name,
                r.comment};
            for (int c = 0; c < ColumnCount; ++c)
                VarnekGrid->setCell(n, c, cells[c]);
        }
    }
    // The rows read before a failure stay; the message says why the rest
    // is missing.
    if (!log.error.isEmpty())
        m_dialogs.message(Dialogs::Icon::Error, LcfLoadString(Str::CaptionError), log.error);
    TranslateForm(this);
}

void TVarnekForm::MouseIsDown(Qt::MouseButtons buttons) {
    if (!(buttons & Qt::RightButton))
        return;
    FindDialog->show();
    FindDialog->raise();
    FindDialog->activateWindow();
}

void TVarnekForm::FindCallSign() {
    // Always downwards, whatever direction the dialog shows.
    const QString wanted = FindDialog->findText();
    for (int r = std::max(0, FindStartRow); r < VarnekGrid->rowCount(); ++r) {
        if (VarnekGrid->cell(r, 1) == wanted) {
            VarnekGrid->setCurrentRow(r);
            FindStartRow = r + 1;
            VarnekGrid->setFocus();
            return;
        }
    }
    m_dialogs.message(Dialogs::Icon::Information, LcfLoadString(Str::CaptionEndOfFile),
                      LcfLoadString(Str::LogEndReached));
    FindDialog->close();
    FindStartRow = 0;
}

void TVarnekForm::VarnekGridGetAlignment(int row, int column, Qt::Alignment &alignment) const {
    const bool left = row > 0 && (column == 1 || column == 8 || column == 9);
    alignment = left ? Qt::AlignLeft : Qt::AlignHCenter;
}

void TVarnekForm::VarnekGridGetCellColor(int row, int column, QFont &font, QColor &color) const {
    if (row == 0)
        return;
    if (column == 0) {
        font = QFont(QStringLiteral("Arial"), 8);
        font.setBold(true);
        color = Qt::black;
    } else if (column == 1) {
        font.setBold(true);
        color = Qt::red;
    }
}

void TVarnekForm::showEvent(QShowEvent *event) {
    if (QScreen *screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    QDialog::showEvent(event);
}
