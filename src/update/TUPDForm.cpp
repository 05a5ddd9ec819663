#include "TUPDForm.h"

#include "lang/Lcf.h"
#include "lang/Strings.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QVBoxLayout>

TUPDForm::TUPDForm(QWidget *owner) : QWidget(owner, Qt::Window) {
    setObjectName(QStringLiteral("UPDForm"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(LcfLoadString(Str::CaptionInternetInformation));
    // Placed where it was designed, not centred.
    setGeometry(168, 120, 543, 348);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    UPDMemo = new QPlainTextEdit(this);
    UPDMemo->setObjectName(QStringLiteral("UPDMemo"));
    UPDMemo->setReadOnly(true);
    UPDMemo->setFrameStyle(QFrame::Box | QFrame::Plain);
    UPDMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette pal = UPDMemo->palette();
    pal.setColor(QPalette::Base, pal.color(QPalette::Light));
    UPDMemo->setPalette(pal);
    layout->addWidget(UPDMemo);
    TranslateForm(this);
}

bool TUPDForm::loadNews(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    QStringList lines = newsLines(f.readAll());
    setWindowTitle(lines.isEmpty() ? QString() : lines.takeFirst());
    UPDMemo->setPlainText(lines.join(QLatin1Char('\n')));
    return true;
}
