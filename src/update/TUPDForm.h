#pragma once
// The notice window: the news fetched from the Internet, its first line as
// the caption. Modeless; each one lives until the operator closes it.

#include "update/NewsFile.h"

#include <QWidget>

class QPlainTextEdit;

class TUPDForm : public QWidget {
    Q_OBJECT
public:
    explicit TUPDForm(QWidget *owner = nullptr);
    QPlainTextEdit *UPDMemo = nullptr;

    // Loads the file: line 1 becomes the caption, the rest the memo. False
    // when the file cannot be read.
    bool loadNews(const QString &path);
};
