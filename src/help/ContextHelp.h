#pragma once
// Context help for every window of the program: F1 opens the topic of the
// control with the keyboard focus, and in "What's this ?" mode a click on a
// control opens that control's topic. A control's topic is named by its
// "helpKeyword" property, or that of the nearest enclosing control that has
// one; with none, the manual opens at its contents.
//
// F1 is not consumed: the function-key watch of the macros sees it too.

#include <QObject>
#include <QString>

class HelpSystem;
class QWidget;

class ContextHelp : public QObject {
    Q_OBJECT
public:
    explicit ContextHelp(HelpSystem &help, QObject *parent = nullptr);
    // Watches every window of the application.
    void install();
    static QString keywordOf(const QObject *control);
    // Enters "What's this ?" mode: the next click on a control shows its topic.
    void ContextHelpExecute();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    HelpSystem &m_help;
};
