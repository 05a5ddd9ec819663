// varnek-lcfgen: turns a translation source into the RCDATA blobs of a
// language file and a resource script naming them; windres and ld then make
// the resource-only module (see cmake/LanguageFiles.cmake).
//
//   varnek-lcfgen <source.txt> <output dir>
//
// The source is UTF-8, one entry a line, '#' starts a comment line:
//   language 1036
//   <window class> <component> <property path> "text"
//   string <identifier> "text"
// Texts are in double quotes with \" \\ \n \r \t escapes. Window entries are
// written in the order given; the first entry for a property wins.

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QTextStream>
#include <cstdio>

namespace {

struct Entry {
    QByteArray name; // "Component-Property.Path"
    QString text;
};

void put32(QByteArray &b, qint64 v) {
    const auto u = static_cast<quint32>(v);
    for (int i = 0; i < 4; ++i)
        b.append(static_cast<char>((u >> (8 * i)) & 0xFF));
}

QByteArray utf16(const QString &s) {
    QByteArray b;
    for (const QChar c : s) {
        b.append(static_cast<char>(c.unicode() & 0xFF));
        b.append(static_cast<char>(c.unicode() >> 8));
    }
    return b;
}

[[noreturn]] void fail(const QString &where, const QString &why) {
    std::fprintf(stderr, "%s: %s\n", qPrintable(where), qPrintable(why));
    std::exit(1);
}

// Reads a quoted text starting at `at`; returns the text and moves `at` past it.
QString quoted(const QString &line, qsizetype &at, const QString &where) {
    if (at >= line.size() || line[at] != QLatin1Char('"'))
        fail(where, QStringLiteral("text must be in double quotes"));
    QString out;
    for (++at; at < line.size(); ++at) {
        const QChar c = line[at];
        if (c == QLatin1Char('"')) {
            ++at;
            return out;
        }
        if (c != QLatin1Char('\\')) {
            out += c;
            continue;
        }
        if (++at >= line.size())
            break;
        switch (line[at].unicode()) {
        case 'n':
            out += QLatin1Char('\n');
            break;
        case 'r':
            out += QLatin1Char('\r');
            break;
        case 't':
            out += QLatin1Char('\t');
            break;
        default:
            out += line[at];
        }
    }
    fail(where, QStringLiteral("unterminated text"));
}

// The blob of a window resource: class name as the unused text, the item
// table, then each item: two pairs (name, text), the name, the text.
QByteArray windowBlob(const QByteArray &className, const QList<Entry> &entries) {
    QByteArray head;
    put32(head, className.size());
    head += className;
    put32(head, entries.size());
    QByteArray table, items;
    const qint64 tableSize = 8 * entries.size();
    for (const Entry &e : entries) {
        put32(table, tableSize + items.size());
        put32(table, 0);
        const QByteArray text = utf16(e.text);
        put32(items, 16);
        put32(items, e.name.size());
        put32(items, 16 + e.name.size());
        put32(items, text.size());
        items += e.name + text;
    }
    return head + table + items;
}

void write(const QString &path, const QByteArray &data) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size())
        fail(path, QStringLiteral("cannot be written"));
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: varnek-lcfgen <source.txt> <output dir>\n");
        return 2;
    }
    const QString sourcePath = QString::fromLocal8Bit(argv[1]);
    QDir out(QString::fromLocal8Bit(argv[2]));
    QFile source(sourcePath);
    if (!source.open(QIODevice::ReadOnly | QIODevice::Text))
        fail(sourcePath, QStringLiteral("cannot be read"));
    QTextStream in(&source);
    in.setEncoding(QStringConverter::Utf8);

    qint32 language = 0;
    QMap<QByteArray, QList<Entry>> windows; // by class name in upper case
    QMap<int, QString> strings;
    for (int number = 1; !in.atEnd(); ++number) {
        const QString line = in.readLine();
        const QString where = QStringLiteral("%1:%2").arg(sourcePath).arg(number);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype quote = line.indexOf(QLatin1Char('"'));
        const QStringList words =
            (quote < 0 ? line : line.left(quote)).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (words.value(0) == QLatin1String("language") && words.size() == 2 && quote < 0) {
            language = words[1].toInt();
            continue;
        }
        qsizetype at = quote;
        const QString text = quoted(line, at, where);
        if (!line.mid(at).trimmed().isEmpty())
            fail(where, QStringLiteral("unexpected text after the closing quote"));
        if (words.value(0) == QLatin1String("string") && words.size() == 2) {
            bool ok = false;
            const int id = words[1].toInt(&ok);
            if (!ok || id < 0 || id > 65535 || strings.contains(id))
                fail(where, QStringLiteral("bad or repeated string identifier"));
            strings.insert(id, text);
        } else if (words.size() == 3) {
            if (words[1].contains(QLatin1Char('-')) || words[2].contains(QLatin1Char('-')))
                fail(where, QStringLiteral("names cannot contain '-'"));
            windows[words[0].toUpper().toLatin1()].append(
                {(words[1] + QLatin1Char('-') + words[2]).toLatin1(), text});
        } else {
            fail(where,
                 QStringLiteral(
                     "expected: <class> <component> <property path> \"text\", or string <id> \"text\""));
        }
    }
    if (language == 0)
        fail(sourcePath, QStringLiteral("no 'language' line"));

    // Header: magic, flags 0 (no leading pair), one language.
    QByteArray header("LCHEADER");
    put32(header, 0);
    put32(header, 1);
    put32(header, language);
    QString script = QStringLiteral("// Generated by varnek-lcfgen from %1\nLCHEADER RCDATA lcheader.bin\n")
                         .arg(QFileInfo(sourcePath).fileName());
    write(out.filePath(QStringLiteral("lcheader.bin")), header);
    for (auto it = strings.cbegin(); it != strings.cend(); ++it) {
        QByteArray blob;
        const QByteArray text = utf16(it.value());
        put32(blob, 8);
        put32(blob, text.size());
        blob += text;
        const QString file = QStringLiteral("s%1.bin").arg(it.key());
        write(out.filePath(file), blob);
        script += QStringLiteral("\"%1\" RCDATA %2\n").arg(it.key()).arg(file);
    }
    for (auto it = windows.cbegin(); it != windows.cend(); ++it) {
        const QString file = QStringLiteral("w_%1.bin").arg(QString::fromLatin1(it.key()));
        write(out.filePath(file), windowBlob(it.key(), it.value()));
        script += QStringLiteral("%1 RCDATA %2\n").arg(QString::fromLatin1(it.key()), file);
    }
    write(out.filePath(QStringLiteral("language.rc")), script.toUtf8());
    return 0;
}
