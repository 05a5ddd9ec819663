#pragma once
// The notice window: the news fetched from the Internet, its first line as
// the caption. Modeless; each one lives until the operator closes it.

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

// The lines of a news file: UTF-8 when it is valid UTF-8, otherwise the
// 8-bit Windows text such files were always written in; CR LF or LF ends.
QStringList newsLines(const QByteArray &bytes);
