// The reader of language files: the PE container and the tables inside it,
// against files built from hand-written resource scripts, cut short and with
// corrupted offsets.

#include "lang/LcfFormat.h"
#include "lang/PeResources.h"

#include <QDir>
#include <QFile>
#include <QTest>

Q_DECLARE_METATYPE(pe::Error)

namespace {

QByteArray fixture(const char *name) {
    QFile f(QStringLiteral(VARNEK_LANG_FIXTURES "/") + QLatin1String(name));
    if (!f.open(QIODevice::ReadOnly))
        qFatal("fixture %s missing", name);
    return f.readAll();
}

std::span<const std::uint8_t> bytes(const QByteArray &b) {
    return {reinterpret_cast<const std::uint8_t *>(b.constData()), static_cast<std::size_t>(b.size())};
}

quint32 get(const QByteArray &b, qsizetype at, int width) {
    quint32 v = 0;
    for (int i = width - 1; i >= 0; --i)
        v = (v << 8) | static_cast<quint8>(b[at + i]);
    return v;
}

void put(QByteArray &b, qsizetype at, int width, quint32 v) {
    for (int i = 0; i < width; ++i, v >>= 8)
        b[at + i] = static_cast<char>(v & 0xFF);
}

// Where the fields of the fixture lie, found by walking it the documented way.
struct Layout {
    qsizetype peAt, optAt, sectionsAt, rsrcSection, root, typeEntry, rcdataDir, firstName, languageDir,
        dataEntry;
    QString firstNameText;
};

Layout layout(const QByteArray &b) {
    Layout l{};
    l.peAt = get(b, 0x3C, 4);
    l.optAt = l.peAt + 24;
    l.sectionsAt = l.optAt + get(b, l.peAt + 20, 2);
    const quint32 resourceRva = get(b, l.optAt + 112 + 16, 4);
    for (quint32 i = 0; i < get(b, l.peAt + 6, 2); ++i) {
        const qsizetype s = l.sectionsAt + 40 * i;
        if (b.mid(s, 5) == ".rsrc")
            l.rsrcSection = s;
    }
    l.root = get(b, l.rsrcSection + 20, 4) + (resourceRva - get(b, l.rsrcSection + 12, 4));
    l.typeEntry = l.root + 16;
    l.rcdataDir = l.root + (get(b, l.typeEntry + 4, 4) & 0x7FFFFFFF);
    l.firstName = l.rcdataDir + 16;
    const qsizetype nameAt = l.root + (get(b, l.firstName, 4) & 0x7FFFFFFF);
    for (quint32 c = 0; c < get(b, nameAt, 2); ++c)
        l.firstNameText += QChar(static_cast<char16_t>(get(b, nameAt + 2 + 2 * c, 2)));
    l.languageDir = l.root + (get(b, l.firstName + 4, 4) & 0x7FFFFFFF);
    l.dataEntry = l.root + get(b, l.languageDir + 16 + 4, 4);
    return l;
}

const char *const AllNames[] = {"LCHEADER", "200", "201", "TTESTFORM", "TRANGEFORM", "TNUMBERFORM"};

} // namespace

class TestLangReader : public QObject {
    Q_OBJECT
private slots:
    void findsEveryResourceOfBothKinds_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("pe32Plus");
        QTest::newRow("PE32+") << "forms.lcf" << true;
        QTest::newRow("PE32") << "forms32.lcf" << false;
    }
    void findsEveryResourceOfBothKinds() {
        QFETCH(QString, file);
        QFETCH(bool, pe32Plus);
        const QByteArray b = fixture(qPrintable(file));
        pe::Resources r;
        QCOMPARE(r.parse(bytes(b)), pe::Error::None);
        QCOMPARE(r.isPe32Plus(), pe32Plus);
        QCOMPARE(r.count(), std::size(AllNames));
        // Names are found without regard to case.
        const auto header = r.rcdata(std::u16string_view(u"lcHeader"));
        QVERIFY(header);
        const auto h = lcf::readHeader(bytes(b).subspan(header->offset, header->size));
        QVERIFY(h);
        QCOMPARE(h->flags, 1);
        QCOMPARE(h->languages, (std::vector<std::int32_t>{1036, 1033}));
        const auto idle = r.rcdata("200");
        QVERIFY(idle);
        QCOMPARE(lcf::readStringText(bytes(b).subspan(idle->offset, idle->size), 1),
                 std::u16string(u"Programme arr\u00eat\u00e9."));
        QVERIFY(!r.rcdata("TTESTFORMX"));
    }

    // Every prefix of the file: nothing read outside it, and what is found
    // lies inside it.
    void truncatedAnywhere() {
        const QByteArray whole = fixture("forms.lcf");
        for (qsizetype n = 0; n <= whole.size(); ++n) {
            const QByteArray cut = whole.left(n);
            pe::Resources r;
            const pe::Error e = r.parse(bytes(cut));
            for (const auto &[name, range] : r.all()) {
                QVERIFY2(range.offset <= std::size_t(n) && range.size <= std::size_t(n) - range.offset,
                         qPrintable(QStringLiteral("cut at %1").arg(n)));
            }
            if (n < 0x40)
                QCOMPARE(e, pe::Error::NotPe);
            if (n == whole.size())
                QCOMPARE(r.count(), std::size(AllNames));
        }
    }

    void corruptedField_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<quint32>("value");
        QTest::addColumn<pe::Error>("error");
        QTest::addColumn<QString>("present");
        QTest::addColumn<QString>("absent");
        using E = pe::Error;
        QTest::newRow("no MZ") << "dos magic" << 0x5A58u << E::NotPe << ""
                               << "";
        QTest::newRow("PE offset wraps") << "pe offset" << 0xFFFFFFFFu << E::NotPe << ""
                                         << "";
        QTest::newRow("PE offset past end") << "pe offset" << 0x7FFFFFF0u << E::NotPe << ""
                                            << "";
        QTest::newRow("no PE signature") << "pe signature" << 0u << E::NotPe << ""
                                         << "";
        QTest::newRow("optional magic") << "optional magic" << 0x10Cu << E::BadOptionalHeader << ""
                                        << "";
        QTest::newRow("optional header empty") << "optional size" << 0u << E::BadOptionalHeader << ""
                                               << "";
        QTest::newRow("two directories only") << "directory count" << 2u << E::BadOptionalHeader << ""
                                              << "";
        QTest::newRow("section table past end") << "optional size" << 0xFFFFu << E::BadSectionTable << ""
                                                << "";
        QTest::newRow("97 sections") << "section count" << 97u << E::BadSectionTable << ""
                                     << "";
        QTest::newRow("65535 sections") << "section count" << 0xFFFFu << E::BadSectionTable << ""
                                        << "";
        QTest::newRow("no sections") << "section count" << 0u << E::NoResources << ""
                                     << "";
        QTest::newRow("no resource table") << "resource rva" << 0u << E::NoResources << ""
                                           << "";
        QTest::newRow("resource table nowhere") << "resource rva" << 0xFFFFFFF0u << E::NoResources << ""
                                                << "";
        QTest::newRow("resource section past end") << "rsrc raw offset" << 0xFFFFFFFFu << E::NoResources << ""
                                                   << "";
        QTest::newRow("resource section too long") << "rsrc raw size" << 0xFFFFFFFFu << E::None << "LCHEADER"
                                                   << "";
        QTest::newRow("root counts huge") << "root counts" << 0xFFFFFFFFu << E::None << "LCHEADER"
                                          << "";
        QTest::newRow("type entry is a leaf") << "type entry" << 0x10u << E::None << ""
                                              << "LCHEADER";
        QTest::newRow("type entry past end") << "type entry" << 0xFFFFFFFFu << E::None << ""
                                             << "LCHEADER";
        QTest::newRow("name past end") << "first name" << 0xFFFFFFFFu << E::None << "LCHEADER"
                                       << "<first>";
        QTest::newRow("name is a number") << "first name" << 10u << E::None << "LCHEADER"
                                          << "<first>";
        QTest::newRow("language dir is the root") << "language dir" << 0x80000000u << E::None << "LCHEADER"
                                                  << "<first>";
        QTest::newRow("language dir past end") << "language dir" << 0xFFFFFFFFu << E::None << "LCHEADER"
                                               << "<first>";
        QTest::newRow("data nowhere") << "data rva" << 0xFFFFFFF0u << E::None << "LCHEADER"
                                      << "<first>";
        QTest::newRow("data longer than its section") << "data size" << 0xFFFFFFFFu << E::None << "LCHEADER"
                                                      << "<first>";
    }
    void corruptedField() {
        QFETCH(QString, field);
        QFETCH(quint32, value);
        QFETCH(pe::Error, error);
        QFETCH(QString, present);
        QFETCH(QString, absent);
        QByteArray b = fixture("forms.lcf");
        const Layout l = layout(b);
        const QHash<QString, std::pair<qsizetype, int>> fields = {
            {"dos magic", {0, 2}},
            {"pe offset", {0x3C, 4}},
            {"pe signature", {l.peAt, 4}},
            {"section count", {l.peAt + 6, 2}},
            {"optional size", {l.peAt + 20, 2}},
            {"optional magic", {l.optAt, 2}},
            {"directory count", {l.optAt + 108, 4}},
            {"resource rva", {l.optAt + 112 + 16, 4}},
            {"rsrc raw size", {l.rsrcSection + 16, 4}},
            {"rsrc raw offset", {l.rsrcSection + 20, 4}},
            {"root counts", {l.root + 12, 4}},
            {"type entry", {l.typeEntry + 4, 4}},
            {"first name", {l.firstName, 4}},
            {"language dir", {l.firstName + 4, 4}},
            {"data rva", {l.dataEntry, 4}},
            {"data size", {l.dataEntry + 4, 4}},
        };
        QVERIFY(fields.contains(field));
        put(b, fields[field].first, fields[field].second, value);

        pe::Resources r;
        QCOMPARE(r.parse(bytes(b)), error);
        for (const auto &[name, range] : r.all())
            QVERIFY(range.offset <= std::size_t(b.size()) &&
                    range.size <= std::size_t(b.size()) - range.offset);
        if (absent == "<first>")
            absent = l.firstNameText;
        if (!present.isEmpty())
            QVERIFY(r.rcdata(present.toStdU16String()));
        if (!absent.isEmpty())
            QVERIFY(!r.rcdata(absent.toStdU16String()));
    }

    // Inputs the fuzzing target once found faulty, kept as they were found.
    void fuzzFindings_data() {
        QTest::addColumn<QString>("path");
        const QDir dir(QStringLiteral(VARNEK_LANG_SCRIPTS "/fuzz"));
        for (const QString &name : dir.entryList(QDir::Files))
            QTest::newRow(qPrintable(name)) << dir.filePath(name);
    }
    void fuzzFindings() {
        QFETCH(QString, path);
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray b = f.readAll();
        pe::Resources r;
        (void)r.parse(bytes(b));
        for (const auto &[name, range] : r.all()) {
            QVERIFY(range.offset <= std::size_t(b.size()) &&
                    range.size <= std::size_t(b.size()) - range.offset);
            const auto res = bytes(b).subspan(range.offset, range.size);
            (void)lcf::readHeader(res);
            (void)lcf::readStringText(res, 1);
            (void)lcf::readWindowItems(res, 1);
        }
    }

    // The tables inside the resources, cut at every length: never a read
    // outside, and a cut item table yields only whole items.
    void tablesTruncatedAnywhere() {
        const QByteArray b = fixture("forms.lcf");
        pe::Resources r;
        QCOMPARE(r.parse(bytes(b)), pe::Error::None);
        const auto form = r.rcdata("TTESTFORM");
        QVERIFY(form);
        const auto whole = bytes(b).subspan(form->offset, form->size);
        QCOMPARE(lcf::readWindowItems(whole, 0).size(), 13u);
        for (std::size_t n = 0; n <= whole.size(); ++n) {
            const auto items = lcf::readWindowItems(whole.first(n), 0);
            for (const auto &item : items)
                QVERIFY(!item.name.empty() && item.name.size() <= n);
            (void)lcf::readHeader(whole.first(n));
            (void)lcf::readStringText(whole.first(n), 2);
        }
    }

    void tables_data() {
        QTest::addColumn<QByteArray>("resource");
        QTest::addColumn<int>("languages"); // -1: no header
        QTest::addColumn<int>("items");
        auto le = [](std::initializer_list<qint32> v) {
            QByteArray b;
            for (qint32 x : v)
                for (int i = 0; i < 4; ++i)
                    b.append(static_cast<char>((static_cast<quint32>(x) >> (8 * i)) & 0xFF));
            return b;
        };
        QTest::newRow("header, count past its end") << QByteArray("LCHEADER") + le({0, 1000, 1036}) << 1 << 0;
        QTest::newRow("header, negative count") << QByteArray("LCHEADER") + le({0, -5}) << 0 << 0;
        QTest::newRow("header, 15 bytes") << QByteArray("LCHEADER1234567") << -1 << 0;
        QTest::newRow("window, negative text length") << le({-4, 1, 0, 0}) << -1 << 0;
        QTest::newRow("window, text length past end") << le({0x7FFFFFFF, 1}) << -1 << 0;
        QTest::newRow("window, huge item count") << le({0, 0x7FFFFFFF, 8, 0}) << -1 << 0;
        // One item whose name pair points at itself: name "\x08\0\0\0..." of 8 bytes.
        QTest::newRow("window, item at the table") << le({0, 1, 0, 0, 0, 8}) << -1 << 1;
        QTest::newRow("window, negative item offset") << le({0, 1, -8, 0}) << -1 << 0;
        // Many items sharing one long name: read until the budget is spent.
        QByteArray shared = le({0, 100000});
        for (int i = 0; i < 100000; ++i)
            shared += le({800000, 0});
        shared += le({8, 1000, 0, 0}) + QByteArray(1000, 'x');
        QTest::newRow("window, items share one name") << shared << -1 << -2;
    }
    void tables() {
        QFETCH(QByteArray, resource);
        QFETCH(int, languages);
        QFETCH(int, items);
        const auto h = lcf::readHeader(bytes(resource));
        QCOMPARE(h ? int(h->languages.size()) : -1, languages);
        const auto read = lcf::readWindowItems(bytes(resource), 0);
        if (items == -2) {
            // Bounded by the budget, far from all 100000.
            QVERIFY(read.size() > 0);
            QVERIFY(read.size() < 5000);
        } else {
            QCOMPARE(int(read.size()), items);
        }
    }
};

QTEST_GUILESS_MAIN(TestLangReader)
#include "test_lang_reader.moc"
