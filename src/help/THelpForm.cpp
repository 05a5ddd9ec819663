#include "THelpForm.h"

#include "help/HelpSystem.h"
#include "lang/Lcf.h"
#include "lang/Strings.h"

#include <QDesktopServices>
#include <QHelpContentModel>
#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QHelpIndexWidget>
#include <QHelpLink>
#include <QHelpSearchEngine>
#include <QHelpSearchQueryWidget>
#include <QHelpSearchResultWidget>
#include <QLineEdit>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>

THelpBrowser::THelpBrowser(QHelpEngine *engine, QWidget *parent) : QTextBrowser(parent), m_engine(engine) {
    setOpenLinks(true);
    setOpenExternalLinks(false);
    // Links that leave the manual open in the desktop's browser.
    connect(this, &QTextBrowser::anchorClicked, this, [this](const QUrl &url) {
        if (url.scheme() != QLatin1String("qthelp") && !url.isRelative())
            QDesktopServices::openUrl(url);
    });
}

QVariant THelpBrowser::loadResource(int type, const QUrl &name) {
    if (name.scheme() == QLatin1String("qthelp"))
        return m_engine->fileData(name);
    if (!name.isRelative())
        return {};
    return QTextBrowser::loadResource(type, name);
}

THelpForm::THelpForm(HelpSystem &help, QWidget *parent) : QWidget(parent, Qt::Window), m_help(help) {
    setObjectName(QStringLiteral("HelpForm"));
    setWindowTitle(LcfLoadString(Str::HelpWindowCaption));
    resize(820, 560);
    QHelpEngine *engine = help.engine();

    auto *splitter = new QSplitter(this);
    NavTabs = new QTabWidget(splitter);
    NavTabs->setObjectName(QStringLiteral("NavTabs"));
    HelpView = new THelpBrowser(engine, splitter);
    HelpView->setObjectName(QStringLiteral("HelpView"));
    splitter->setStretchFactor(1, 3);
    splitter->setSizes({240, 580});
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(splitter);

    QHelpContentWidget *contents = engine->contentWidget();
    NavTabs->addTab(contents, LcfLoadString(Str::HelpContentsTab));
    connect(contents, &QHelpContentWidget::linkActivated, this, &THelpForm::showUrl);
    // The chapters show at once; the model is filled in the background.
    connect(engine->contentModel(), &QHelpContentModel::contentsCreated, contents,
            [contents] { contents->expandToDepth(0); });
    contents->expandToDepth(0);

    auto *indexPage = new QWidget;
    auto *indexLayout = new QVBoxLayout(indexPage);
    indexLayout->setContentsMargins(2, 2, 2, 2);
    IndexFilter = new QLineEdit(indexPage);
    IndexFilter->setObjectName(QStringLiteral("IndexFilter"));
    IndexFilter->setClearButtonEnabled(true);
    QHelpIndexWidget *index = engine->indexWidget();
    indexLayout->addWidget(IndexFilter);
    indexLayout->addWidget(index);
    NavTabs->addTab(indexPage, LcfLoadString(Str::HelpIndexTab));
    connect(IndexFilter, &QLineEdit::textChanged, index,
            [index](const QString &t) { index->filterIndices(t); });
    connect(IndexFilter, &QLineEdit::returnPressed, index, &QHelpIndexWidget::activateCurrentItem);
    connect(index, &QHelpIndexWidget::documentActivated, this,
            [this](const QHelpLink &link, const QString &) { showUrl(link.url); });
    connect(index, &QHelpIndexWidget::documentsActivated, this,
            [this](const QList<QHelpLink> &links, const QString &) {
                if (!links.isEmpty())
                    showUrl(links.first().url);
            });

    QHelpSearchEngine *search = engine->searchEngine();
    auto *searchPage = new QWidget;
    auto *searchLayout = new QVBoxLayout(searchPage);
    searchLayout->setContentsMargins(2, 2, 2, 2);
    searchLayout->addWidget(search->queryWidget());
    searchLayout->addWidget(search->resultWidget());
    NavTabs->addTab(searchPage, LcfLoadString(Str::HelpSearchTab));
    connect(search->queryWidget(), &QHelpSearchQueryWidget::search, search,
            [search] { search->search(search->queryWidget()->searchInput()); });
    connect(search->resultWidget(), &QHelpSearchResultWidget::requestShowLink, this, &THelpForm::showUrl);
    // The index of words is built once per collection, in the background.
    search->scheduleIndexDocumentation();

    TranslateForm(this);
    showUrl(help.contentsUrl());
}

void THelpForm::showUrl(const QUrl &url) {
    if (url.isValid())
        HelpView->setSource(url);
}

QUrl THelpForm::currentUrl() const {
    return HelpView->source();
}
