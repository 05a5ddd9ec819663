#pragma once
// The ADIF dialog: the operator completes the contact the QSO box handed
// over and saves it as one record of the log file, or first creates the file.

#include <QDialog>

class Clock;
class Dialogs;
class QComboBox;
class QLineEdit;
class QPushButton;
class QToolButton;

class TADIFForm : public QDialog {
    Q_OBJECT
public:
    TADIFForm(Dialogs &dialogs, Clock &clock, QWidget *parent = nullptr);

    // The log file the next Create or Save writes.
    void setLogPath(const QString &path) { m_logPath = path; }

    QLineEdit *CALLEdit = nullptr, *NAMEEdit = nullptr, *DATEEdit = nullptr, *HOUREdit = nullptr;
    QComboBox *FREQEdit = nullptr;
    QLineEdit *MODEEdit = nullptr, *RSTDEdit = nullptr, *RSTREdit = nullptr, *INFOEdit = nullptr;
    QPushButton *CancelBtn = nullptr, *CreateBtn = nullptr, *AcceptBtn = nullptr;
    QToolButton *InfoBtn = nullptr;

    void CreateForm();
    void CreateBtnClick();
    void AcceptBtnClick();
    void InfoBtnClick();
    void CancelBtnClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    // The first required field that is empty after trimming, as its message
    // number; 0 when all are filled.
    int firstEmptyField() const;
    void showError(const QString &text);

    Dialogs &m_dialogs;
    Clock &m_clock;
    QString m_logPath;
};
