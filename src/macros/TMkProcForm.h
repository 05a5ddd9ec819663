#pragma once
// The macro editor: adds, modifies, deletes and reorders the macros of the
// program-wide table in place, and writes the whole table to the store when it
// closes, however it is closed. The list shows the names upper-cased; list
// position k is always table index k. A macro is moved by choosing it with a
// left click and dragging it with the right button.

#include <QDialog>
#include <QListWidget>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;

class Dialogs;
class MacroTable;
class SettingsStore;
class TMkProcForm;
class TTextDragObject;

// The editor's list: a right press arms a drag instead of selecting, and a
// drag over it shows where the macro would land.
class TProcList : public QListWidget {
    Q_OBJECT
public:
    TProcList(TMkProcForm *form, QWidget *parent);
    // The row a drop at pos (viewport coordinates) lands on: the item there, or
    // the free row after the last item.
    int dropRow(QPoint pos) const;
    QRect dropRect(int row) const;
    void showDropRect(const QRect &rect);

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void dragEnterEvent(QDragEnterEvent *e) override;
    void dragMoveEvent(QDragMoveEvent *e) override;
    void dragLeaveEvent(QDragLeaveEvent *e) override;
    void dropEvent(QDropEvent *e) override;
    void paintEvent(QPaintEvent *e) override;

private:
    TMkProcForm *m_form;
    QRect m_dropRect;
};

class TMkProcForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int MaxNameLength = 15;
    static constexpr int MaxMemoLength = 600;

    TMkProcForm(MacroTable &table, SettingsStore &store, Dialogs &dialogs, int uiLanguage, QWidget *owner);
    ~TMkProcForm() override;

    TProcList *ProcList = nullptr;
    QLabel *NomLbl = nullptr, *HintLbl = nullptr, *TextLbl = nullptr;
    QLineEdit *NomEdit = nullptr;
    QPushButton *InfoBtn = nullptr;
    QPlainTextEdit *HintEdit = nullptr, *TextEdit = nullptr;
    QPushButton *SaveBtn = nullptr, *EraseBtn = nullptr, *OkBtn = nullptr;
    QStatusBar *StatBar = nullptr;

    void InitDialog();
    void ProcListClick();
    void ChangeName();
    void SaveBtnClick();
    void EraseBtnClick();
    void InfoBtnClick();
    void OkBtnClick();
    void CloseDialog();

    // Moving a macro. pos is in the list's viewport coordinates; a press on the
    // dialog's background arms the same drag of the list.
    void ProcListMouseDown(Qt::MouseButton button, QPoint globalPos);
    void ProcListMouseMove(Qt::MouseButtons buttons, QPoint globalPos);
    TTextDragObject *ProcListStartDrag();
    bool ProcListDragOver(const QMimeData *source, QPoint pos);
    void ProcListDragDrop(const QMimeData *source, QPoint pos);
    void ProcListEndDrag();

    TTextDragObject *dragObject() const { return m_dragObject; }
    bool dragArmed() const { return m_dragArmed; }

    // Runs instead of QDrag::exec when set, so a test can drive a drag
    // without the platform's drag loop.
    std::function<void(TTextDragObject *)> runDrag;

    void done(int result) override;

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;

private:
    void fillList();
    QString memoText(const QPlainTextEdit *memo) const;

    MacroTable &m_table;
    SettingsStore &m_store;
    Dialogs &m_dialogs;
    int m_uiLanguage;
    bool m_dragArmed = false;
    QPoint m_pressPos;
    TTextDragObject *m_dragObject = nullptr;
};
