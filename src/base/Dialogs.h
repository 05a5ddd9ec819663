#pragma once
// Every modal question and message box of the program goes through this
// interface, so tests can answer them. QtDialogs shows the real thing.

#include <QColor>
#include <QFont>
#include <QString>

class QWidget;

class Dialogs {
public:
    enum class Icon { None, Information, Warning, Error, Question };
    enum class Answer { Ok, Yes, No };

    virtual ~Dialogs() = default;
    // A box with an OK button.
    virtual void message(Icon icon, const QString &caption, const QString &text) = 0;
    // A Yes/No question; defaultAnswer is the button Enter presses.
    virtual Answer askYesNo(Icon icon, const QString &caption, const QString &text, Answer defaultAnswer) = 0;
    virtual void beep() = 0;
    // The colour chooser preset to color; true, with color changed, when confirmed.
    // Answerers that never offer a choice may leave these out: they cancel.
    virtual bool chooseColor(QColor &color) {
        Q_UNUSED(color);
        return false;
    }
    // The font chooser preset to font and its text colour; true, with both changed,
    // when confirmed.
    virtual bool chooseFont(QFont &font, QColor &color) {
        Q_UNUSED(font);
        Q_UNUSED(color);
        return false;
    }
    // An input box with an OK and a Cancel button; the entered text, or defaultText when
    // cancelled. Implementations that never ask (benchmarks) answer as if cancelled.
    virtual QString askText(const QString &caption, const QString &prompt, const QString &defaultText) {
        (void)caption;
        (void)prompt;
        return defaultText;
    }
};

class QtDialogs : public Dialogs {
public:
    explicit QtDialogs(QWidget *parent) : m_parent(parent) {}
    void setParent(QWidget *parent) { m_parent = parent; }
    void message(Icon icon, const QString &caption, const QString &text) override;
    Answer askYesNo(Icon icon, const QString &caption, const QString &text, Answer defaultAnswer) override;
    void beep() override;
    bool chooseColor(QColor &color) override;
    bool chooseFont(QFont &font, QColor &color) override;
    QString askText(const QString &caption, const QString &prompt, const QString &defaultText) override;

private:
    QWidget *m_parent;
};
