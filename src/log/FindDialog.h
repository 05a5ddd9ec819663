#pragma once
// The modeless find dialog of the log viewer: a search text, the usual
// direction choice and Find Next / Cancel. It only says when to search; the
// viewer decides where.

#include <QDialog>

class QLineEdit;
class QPushButton;
class QRadioButton;

class TFindDialog : public QDialog {
    Q_OBJECT
public:
    explicit TFindDialog(QWidget *parent = nullptr);

    QString findText() const;
    void setFindText(const QString &text);
    bool searchesDown() const;

    QLineEdit *FindText = nullptr;
    QRadioButton *UpRadio = nullptr, *DownRadio = nullptr;
    QPushButton *FindBtn = nullptr, *CancelBtn = nullptr;

signals:
    void find();

protected:
    void showEvent(QShowEvent *event) override;
};
