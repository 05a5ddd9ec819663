#pragma once
// The first window of the program. While it is created it chooses the
// interface language from the system's default locale, opens the language
// file for it and translates itself; the program entry then shows it and
// handles events until its two-second timer has run out.

#include <QStringList>
#include <QWidget>

class QLabel;
class QTimer;

class TSplashForm : public QWidget {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 402;
    static constexpr int ClientHeight = 282;

    // Chooses by the system's default locale and looks for the language file
    // beside the program file (then in the installed data folder).
    explicit TSplashForm(QWidget *parent = nullptr);
    // The same with a given Windows language name and language file places.
    TSplashForm(const QString &languageName, const QStringList &languageFiles, QWidget *parent = nullptr);

    QLabel *ImgSplash = nullptr;
    QLabel *DateLabel = nullptr;
    QTimer *tmMainTimer = nullptr;

    // The result of opening the language file (-1, 0 or 1).
    int LanguageFileResult() const { return m_result; }

private:
    void BuildControls();
    void CreateForm(const QString &languageName, const QStringList &languageFiles);
    void tmMainTimerTimer();

    int m_result = -1;
};
