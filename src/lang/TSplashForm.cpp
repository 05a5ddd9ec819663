#include "TSplashForm.h"

#include "lang/LanguageChoice.h"
#include "lang/Lcf.h"
#include "lang/Strings.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QLabel>
#include <QScreen>
#include <QTimer>

// The picture is compiled into this static library; nothing else refers to
// it, so it is registered by hand before it is read.
static void initSplashResource() {
    Q_INIT_RESOURCE(splash);
}

TSplashForm::TSplashForm(QWidget *parent)
    : TSplashForm(SystemLanguageName(), LanguageFileCandidates(QCoreApplication::applicationFilePath()),
                  parent) {}

TSplashForm::TSplashForm(const QString &languageName, const QStringList &languageFiles, QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("SplashForm"));
    BuildControls();
    CreateForm(languageName, languageFiles);
}

void TSplashForm::BuildControls() {
    setFixedSize(ClientWidth, ClientHeight);
    ImgSplash = new QLabel(this);
    ImgSplash->setObjectName(QStringLiteral("ImgSplash"));
    ImgSplash->setGeometry(0, 0, ClientWidth, ClientHeight);
    initSplashResource();
    QImageReader reader(QStringLiteral(":/splash.jpg"));
    ImgSplash->setPixmap(QPixmap::fromImage(reader.read()));

    DateLabel = new QLabel(LcfLoadString(Str::SplashVersion), this);
    DateLabel->setObjectName(QStringLiteral("DateLabel"));
    DateLabel->setGeometry(0, ClientHeight - 21, ClientWidth, 21);
    DateLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    DateLabel->setAttribute(Qt::WA_TranslucentBackground);
    QFont times(QStringLiteral("Times New Roman"));
    times.setStyleHint(QFont::Serif);
    times.setPixelSize(16);
    times.setBold(true);
    DateLabel->setFont(times);
    QPalette black = DateLabel->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    DateLabel->setPalette(black);

    tmMainTimer = new QTimer(this);
    tmMainTimer->setObjectName(QStringLiteral("tmMainTimer"));
    tmMainTimer->setInterval(2000);
    connect(tmMainTimer, &QTimer::timeout, this, &TSplashForm::tmMainTimerTimer);
    tmMainTimer->start();

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TSplashForm::CreateForm(const QString &languageName, const QStringList &languageFiles) {
    const LanguageChoice choice = ChooseLanguage(languageName);
    setUILanguage(choice.uiLanguage);
    // The file beside the program wins; an installed copy serves otherwise.
    QString file = languageFiles.value(0);
    for (const QString &candidate : languageFiles) {
        if (QFileInfo::exists(candidate)) {
            file = candidate;
            break;
        }
    }
    m_result = LoadLanguageFile(file, choice.languageId, {}, this);
    TranslateForm(this);
}

void TSplashForm::tmMainTimerTimer() {
    tmMainTimer->stop();
}
