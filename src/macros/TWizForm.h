#pragma once
// The macro wizard: asks for the station information once and turns it into
// the eight default macros (see WizardMacros). The dialog only collects the
// fields; WizardStore reads and writes them.

#include "macros/WizardMacros.h"

#include <QDialog>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class TWizForm : public QDialog {
    Q_OBJECT
public:
    explicit TWizForm(QWidget *owner);

    QLineEdit *CallEdit = nullptr, *NameEdit = nullptr, *RigEdit = nullptr, *PowEdit = nullptr,
              *AntEdit = nullptr, *OrdiEdit = nullptr, *CITYEdit = nullptr, *LOCEdit = nullptr;
    QPlainTextEdit *QTHEdit = nullptr, *QSLEdit = nullptr;
    QPushButton *CreateBtn = nullptr, *CancelBtn = nullptr;

    // Puts the stored information into the fields (the memos decoded).
    void fill(const QString &myCall, const StationInfoText &stored);
    // The fields as typed; the memos as their lines.
    StationInfo stationInfo() const;

    void CreateForm();
    void ShowForm();
    void ActivateButton();

protected:
    void showEvent(QShowEvent *e) override;
};
