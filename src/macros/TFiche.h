#pragma once
// The macro help card: a small tool window listing the macro codes, opened
// beside the macro editor. Its memo stays editable; nothing typed there is
// kept.

#include <QWidget>

class QPlainTextEdit;

class TFiche : public QWidget {
    Q_OBJECT
public:
    // uiLanguage picks the text: 0 English, 1 French, 2 the other English one.
    TFiche(int uiLanguage, QWidget *owner);

    QPlainTextEdit *LeMemo = nullptr;

    void ShowFiche();

protected:
    void showEvent(QShowEvent *e) override;

private:
    int m_uiLanguage;
};
