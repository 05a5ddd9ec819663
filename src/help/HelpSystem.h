#pragma once
// The program's help: the operator's manual compiled into a Qt help file
// (varnek.qch), the collection that lists it (varnek.qhc), and the help
// window that shows it. Help keywords of the controls (the "helpKeyword"
// property) are the identifiers of the manual's topics.
//
// The collection is used from a copy in the per-user cache folder: the help
// engine writes to its collection (and keeps its search index beside it),
// which an installed, read-only copy would not allow.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

class QHelpEngine;
class THelpForm;

class HelpSystem : public QObject {
    Q_OBJECT
public:
    explicit HelpSystem(QObject *parent = nullptr);
    ~HelpSystem() override;

    // Opens the manual; qchPath empty means manualPath(). False (with
    // errorString()) when it cannot be found or read.
    bool open(const QString &qchPath = QString());
    // The manual the help opens: the installed or built one unless set.
    QString manualPath() const;
    void setManualPath(const QString &qchPath) { m_manualPath = qchPath; }
    bool isAvailable() const { return m_engine != nullptr; }
    QString errorString() const { return m_error; }
    QHelpEngine *engine() const { return m_engine; }

    QUrl contentsUrl() const;
    // The topic of a help keyword; invalid when the manual has none.
    QUrl topicUrl(const QString &keyword) const;

    // Whether a manual is there to open (cheap: nothing is opened yet).
    static bool manualInstalled();
    // Opens the manual on first use; false (and failed()) when it cannot.
    bool ensureOpen();

    // The one help window, made on first use.
    THelpForm *window();
    bool showContents();
    // Shows the keyword's topic, or the contents when it has none; false
    // when the keyword has no topic or the manual cannot be opened.
    bool showTopic(const QString &keyword);

    // The manual's namespace, as in its project file.
    static QString helpNamespace() { return QStringLiteral("org.q9zzv.varnek.1.6"); }

signals:
    // The manual could not be opened; the text says why.
    void failed(const QString &message);

private:
    void show(const QUrl &url);
    QHelpEngine *m_engine = nullptr;
    QPointer<THelpForm> m_window;
    QString m_manualPath;
    QString m_error;
};
