#pragma once
// The log viewer: every record of the log file as one row of a grid, and a
// find dialog that looks for a call sign. The file is read while the window
// is made; each View makes a new viewer, so it always shows the file as it is.

#include <QDialog>

class Dialogs;
class TFindDialog;
class TLogGrid;

class TVarnekForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int ColumnCount = 10;
    static constexpr int InitialRows = 18; // the header row and 17 data rows

    // Where the next search starts. One value for the whole run, so a new
    // viewer's first search goes on from where the last viewer stopped.
    static inline int FindStartRow = 0;

    TVarnekForm(const QString &logPath, Dialogs &dialogs, QWidget *parent = nullptr);

    TLogGrid *VarnekGrid = nullptr;
    TFindDialog *FindDialog = nullptr;

    void CreateView();
    void MouseIsDown(Qt::MouseButtons buttons);
    void FindCallSign();
    void VarnekGridGetAlignment(int row, int column, Qt::Alignment &alignment) const;
    void VarnekGridGetCellColor(int row, int column, QFont &font, QColor &color) const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QString m_logPath;
    Dialogs &m_dialogs;
};
