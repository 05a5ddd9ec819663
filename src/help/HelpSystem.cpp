#include "HelpSystem.h"

#include "base/DataPaths.h"
#include "help/THelpForm.h"
#include "lang/Strings.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHelpEngine>
#include <QHelpLink>
#include <QStandardPaths>

HelpSystem::HelpSystem(QObject *parent) : QObject(parent) {}

HelpSystem::~HelpSystem() {
    delete m_window;
}

QString HelpSystem::manualPath() const {
    return m_manualPath.isEmpty() ? findDataFile(QStringLiteral("help/varnek.qch")) : m_manualPath;
}

bool HelpSystem::open(const QString &qchPath) {
    const QString qch = qchPath.isEmpty() ? manualPath() : qchPath;
    if (qch.isEmpty() || !QFileInfo(qch).isFile()) {
        m_error = LcfLoadString(Str::HelpFileMissing);
        return false;
    }
    const QString dir =
        QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/help");
    QDir().mkpath(dir);
    const QString collection = dir + QStringLiteral("/varnek.qhc");
    // Start from the shipped collection when there is one; the engine builds
    // an empty one otherwise. Either way the manual is registered below by
    // its real path.
    const QString shipped = QFileInfo(qch).absolutePath() + QStringLiteral("/varnek.qhc");
    if (!QFileInfo::exists(collection) && QFileInfo::exists(shipped))
        QFile::copy(shipped, collection);

    auto *engine = new QHelpEngine(collection, this);
    engine->setUsesFilterEngine(true);
    if (!engine->setupData()) {
        // A damaged copy of the collection: start it again from nothing.
        delete engine;
        QFile::remove(collection);
        engine = new QHelpEngine(collection, this);
        engine->setUsesFilterEngine(true);
        if (!engine->setupData()) {
            m_error = LcfLoadString(Str::HelpCollectionMissing) + engine->error();
            delete engine;
            return false;
        }
    }
    const QString ns = QHelpEngineCore::namespaceName(qch);
    if (ns.isEmpty()) {
        m_error = LcfLoadString(Str::HelpCollectionMissing) + qch;
        delete engine;
        return false;
    }
    const QString absolute = QFileInfo(qch).absoluteFilePath();
    if (engine->registeredDocumentations().contains(ns) &&
        QFileInfo(engine->documentationFileName(ns)).absoluteFilePath() != absolute)
        engine->unregisterDocumentation(ns);
    if (!engine->registeredDocumentations().contains(ns) && !engine->registerDocumentation(absolute)) {
        m_error = LcfLoadString(Str::HelpCollectionMissing) + engine->error();
        delete engine;
        return false;
    }
    delete m_engine;
    m_engine = engine;
    m_error.clear();
    return true;
}

QUrl HelpSystem::contentsUrl() const {
    return QUrl(QStringLiteral("qthelp://%1/doc/index.html").arg(helpNamespace()));
}

QUrl HelpSystem::topicUrl(const QString &keyword) const {
    if (!m_engine || keyword.isEmpty())
        return {};
    const QList<QHelpLink> links = m_engine->documentsForIdentifier(keyword);
    return links.isEmpty() ? QUrl() : links.first().url;
}

THelpForm *HelpSystem::window() {
    if (!m_window)
        m_window = new THelpForm(*this);
    return m_window;
}

void HelpSystem::show(const QUrl &url) {
    THelpForm *w = window();
    w->showUrl(url);
    // Asked from a modal dialog (F1 or "What's this ?" in the setup dialog),
    // a plain window would be shown but take no input until the dialog is
    // closed; it goes on top of the dialog instead, modal itself, and is an
    // ordinary window again the next time it is asked from elsewhere.
    // (F1 in the help window itself leaves it as it is.)
    if (QWidget *modal = QApplication::activeModalWidget(); modal != w) {
        const Qt::WindowModality wanted = modal ? Qt::ApplicationModal : Qt::NonModal;
        if (w->windowModality() != wanted) {
            w->hide();
            w->setWindowModality(wanted);
        }
    }
    w->show();
    w->raise();
    w->activateWindow();
}

bool HelpSystem::manualInstalled() {
    return !findDataFile(QStringLiteral("help/varnek.qch")).isEmpty();
}

bool HelpSystem::ensureOpen() {
    if (m_engine)
        return true;
    if (open())
        return true;
    emit failed(m_error);
    return false;
}

bool HelpSystem::showContents() {
    if (!ensureOpen())
        return false;
    show(contentsUrl());
    return true;
}

bool HelpSystem::showTopic(const QString &keyword) {
    if (!ensureOpen())
        return false;
    const QUrl url = topicUrl(keyword);
    show(url.isValid() ? url : contentsUrl());
    return url.isValid();
}
