#pragma once
// Answers the program's questions from a script and records every box shown.

#include "base/Dialogs.h"

#include <QFont>
#include <QList>
#include <QPair>
#include <QStringList>
#include <functional>
#include <optional>

#include <functional>
#include <tuple>

class ScriptedDialogs : public Dialogs {
public:
    struct Shown {
        Icon icon;
        QString caption;
        QString text;
        Answer defaultAnswer = Answer::Ok; // the button Enter presses in a question
    };
    QList<Shown> shown;
    QList<Answer> answers; // taken in order; No when the script runs out
    int beeps = 0;
    // Runs while a box is "open", as the operator could act meanwhile.
    std::function<void()> whileOpen;

    void message(Icon icon, const QString &caption, const QString &text) override {
        shown.append({icon, caption, text});
        if (whileOpen)
            whileOpen();
    }
    Answer askYesNo(Icon icon, const QString &caption, const QString &text, Answer defaultAnswer) override {
        shown.append({icon, caption, text, defaultAnswer});
        if (whileOpen)
            whileOpen();
        return answers.isEmpty() ? Answer::No : answers.takeFirst();
    }
    void beep() override { ++beeps; }
    // Input boxes: each answer is the text typed, or nullopt for Cancel; Cancel
    // when the script runs out.
    QList<std::optional<QString>> textAnswers;
    QString askText(const QString &caption, const QString &prompt, const QString &defaultText) override {
        shown.append({Icon::None, caption, prompt});
        if (whileOpen)
            whileOpen();
        if (textAnswers.isEmpty())
            return defaultText;
        const std::optional<QString> answer = textAnswers.takeFirst();
        return answer ? *answer : defaultText;
    }

    // Choosers: what they were preset to, and the answers (cancelled when none is left).
    QList<QColor> colorPresets;
    QList<QColor> colorAnswers;
    QList<QPair<QFont, QColor>> fontPresets;
    QList<QPair<QFont, QColor>> fontAnswers;
    bool chooseColor(QColor &color) override {
        colorPresets.append(color);
        if (colorAnswers.isEmpty())
            return false;
        color = colorAnswers.takeFirst();
        return true;
    }
    bool chooseFont(QFont &font, QColor &color) override {
        fontPresets.append({font, color});
        if (fontAnswers.isEmpty())
            return false;
        std::tie(font, color) = fontAnswers.takeFirst();
        return true;
    }

    QStringList texts() const {
        QStringList out;
        for (const Shown &s : shown)
            out << s.text;
        return out;
    }
};
