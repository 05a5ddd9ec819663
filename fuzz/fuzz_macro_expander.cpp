// Expands arbitrary macro texts with arbitrary QSO fields and answers. The
// input is split at zero bytes: macro text, call sign, name, report, then the
// answers to the questions; the first byte's low bit says whether a tune
// carrier is on. Files named by \f are looked for in a folder holding a file
// that includes itself and one that carries every code.

#include "base/Clock.h"
#include "base/Dialogs.h"
#include "macros/MacroExpander.h"

#include <QDir>
#include <QFile>
#include <QList>
#include <cstdint>
#include <cstdlib>

namespace {

QString folder;

struct FuzzContext : MacroContext {
    QString call, name, rep;
    bool isTuning = false;
    QString hisCall() const override { return call; }
    void setHisCall(const QString &c) override { call = c; }
    QString hisName() const override { return name; }
    QString hisRep() const override { return rep; }
    void setHisRep(const QString &r) override { rep = r; }
    QString myCall() const override { return QStringLiteral("Q1\\mABC"); }
    QString dateFormatPattern() const override { return QStringLiteral("dddd d mmmm yyyy \"x\" hh:nn c"); }
    QLocale locale() const override { return QLocale(QLocale::French, QLocale::France); }
    QString programFolder() const override { return folder; }
    bool tuning() const override { return isTuning; }
    void keyTransmitter() override {}
    void clearReceivePane() override {}
};

struct FuzzDialogs : Dialogs {
    QList<QString> answers;
    int asked = 0;
    void message(Icon, const QString &, const QString &) override {}
    Answer askYesNo(Icon, const QString &, const QString &, Answer a) override { return a; }
    void beep() override {}
    QString askText(const QString &, const QString &, const QString &def) override {
        ++asked;
        return answers.isEmpty() ? def : answers.takeFirst();
    }
};

void writeFile(const QString &name, const QByteArray &bytes) {
    QFile f(QDir(folder).filePath(name));
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    folder = QDir::temp().filePath(QStringLiteral("varnek-fuzz-macros"));
    QDir().mkpath(folder);
    writeFile(QStringLiteral("self.txt"), "again \\fself.txt and \\fa.txt\r\n");
    writeFile(QStringLiteral("a.txt"), "\\c\\d\\f\\g\\h\\i\\m\\n\\r\\t\\u\\v\\w\\x\\z\\fa.txt\n\\fself.txt");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0)
        return 0;
    const QList<QByteArray> parts =
        QByteArray(reinterpret_cast<const char *>(data) + 1, static_cast<qsizetype>(size - 1)).split('\0');
    FuzzContext ctx;
    ctx.isTuning = (data[0] & 1) != 0;
    FuzzDialogs dialogs;
    const QString text = QString::fromUtf8(parts.value(0));
    ctx.call = QString::fromUtf8(parts.value(1));
    ctx.name = QString::fromUtf8(parts.value(2));
    ctx.rep = QString::fromUtf8(parts.value(3));
    for (qsizetype i = 4; i < parts.size(); ++i)
        dialogs.answers << QString::fromUtf8(parts.at(i));
    FixedClock clock(QDateTime(QDate(2006, 3, 5), QTime(data[0] % 24, 7, 9)));
    MacroExpander expander(ctx, dialogs, clock);
    const QString typed = expander.expand(text);
    // Each code is met once per occurrence: the questions asked are bounded by
    // the codes the text and what it inserted can hold.
    if (dialogs.asked > text.size() + 1024)
        std::abort();
    (void)typed;
    return 0;
}
