#pragma once
// The help window: contents, index and search of the manual on the left,
// the page on the right.

#include <QTextBrowser>
#include <QWidget>

class HelpSystem;
class QHelpEngine;
class QLineEdit;
class QTabWidget;

// A text browser that reads the manual's pages out of the help file.
class THelpBrowser : public QTextBrowser {
    Q_OBJECT
public:
    THelpBrowser(QHelpEngine *engine, QWidget *parent = nullptr);
    QVariant loadResource(int type, const QUrl &name) override;

private:
    QHelpEngine *m_engine;
};

class THelpForm : public QWidget {
    Q_OBJECT
public:
    explicit THelpForm(HelpSystem &help, QWidget *parent = nullptr);
    void showUrl(const QUrl &url);
    QUrl currentUrl() const;

    QTabWidget *NavTabs = nullptr;
    QLineEdit *IndexFilter = nullptr;
    THelpBrowser *HelpView = nullptr;

private:
    HelpSystem &m_help;
};
