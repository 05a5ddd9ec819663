#include "SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QVariant>

#include <charconv>
#include <optional>

namespace {

const char *const kOrganisation = "Q9ZZV Software";
const char *const kApplication = "VARNEK";

// Strict decimal: blanks around it, an optional sign, then digits only, and it must fit in
// 32 bits. "12x", "", "0x10" and "99999999999" are not numbers here.
std::optional<int> parseDecimal(const QString &text) {
    const QByteArray bytes = text.trimmed().toUtf8();
    const char *begin = bytes.constData();
    const char *const end = begin + bytes.size();
    // from_chars takes a minus but not a plus; after a plus only digits may follow.
    if (begin != end && *begin == '+') {
        ++begin;
        if (begin == end || *begin < '0' || *begin > '9')
            return std::nullopt;
    }
    int value = 0;
    const auto [stop, ec] = std::from_chars(begin, end, value);
    if (begin == end || ec != std::errc{} || stop != end)
        return std::nullopt;
    return value;
}

bool isUtf8(QByteArrayView bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString decoded = utf8.decode(bytes);
    Q_UNUSED(decoded);
    return !utf8.hasError();
}

// The bytes as QSettings sees them: undecodable sequences become U+FFFD.
QByteArray lossyUtf8(const QByteArray &bytes) {
    return QString::fromUtf8(bytes).toUtf8();
}

QString typeNameOf(const QVariant &value) {
    if (!value.isValid())
        return QStringLiteral("an invalid value");
    return QString::fromLatin1(value.metaType().name());
}

} // namespace

SettingsStore::SettingsStore() {
#if defined(Q_OS_WIN) || defined(Q_OS_DARWIN)
    rebuild();
    m_readable = m_settings->status() == QSettings::NoError;
#else
    // Here the native store is the INI file QSettings would use; naming it ourselves lets us
    // look at it before QSettings opens it (and blocks on a FIFO).
    m_iniPath = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1Char('/') +
                QString::fromLatin1(kOrganisation) + QLatin1Char('/') + QString::fromLatin1(kApplication) +
                QStringLiteral(".conf");
    m_filePath = m_iniPath;
    openFile();
#endif
}

SettingsStore::SettingsStore(const QString &iniPath) : m_iniPath(iniPath), m_filePath(iniPath) {
    openFile();
}

void SettingsStore::openFile() {
    m_readable = fileLooksReadable(nullptr);
    if (!m_readable)
        return; // no QSettings on it: reads and writes refuse, the file is left alone
    rebuild();
    m_readable = m_settings->status() == QSettings::NoError;
}

SettingsStore::~SettingsStore() = default;

void SettingsStore::rebuild() {
    m_settings.reset();
    if (m_iniPath.isEmpty()) {
        m_settings = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                                 QString::fromLatin1(kOrganisation),
                                                 QString::fromLatin1(kApplication));
    } else {
        m_settings = std::make_unique<QSettings>(m_iniPath, QSettings::IniFormat);
    }
    // Only the user's own key counts; system-wide or organisation-wide files must not
    // supply values the user never stored.
    m_settings->setFallbacksEnabled(false);
}

QString SettingsStore::location() const {
    return m_settings ? m_settings->fileName() : m_filePath;
}

QString SettingsStore::keyOf(const QString &group, const QString &name) const {
    return group.isEmpty() ? name : group + QLatin1Char('/') + name;
}

// QSettings reads what it can from a damaged file and reports no error for many kinds of
// damage (binary junk); a later save would then replace the file with that partial view. A
// file we wrote is text without NUL bytes, so anything else is treated as unreadable and left
// alone. Text in another encoding is still text: only the lines holding it are unreadable
// (readString), and sync keeps their bytes. Only a regular file is opened at all.
bool SettingsStore::fileLooksReadable(QByteArray *content) {
    if (m_filePath.isEmpty())
        return true;
    const QFileInfo info(m_filePath);
    if (!info.exists() && !info.isSymLink())
        return true; // a new user: nothing there to lose
    QFile file(m_filePath);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError || bytes.contains('\0'))
        return false;
    m_undecodable = !isUtf8(bytes);
    if (content)
        *content = bytes;
    return true;
}
void SettingsStore::open() {
    if (!m_readable || m_filePath.isEmpty() || QFileInfo(m_filePath).exists() ||
        QFileInfo(m_filePath).isSymLink())
        return;
    // The key of a new user: an empty file. Failing here is not reported; the first save
    // tries again and reports.
    QDir().mkpath(QFileInfo(m_filePath).absolutePath());
    QFile file(m_filePath);
    if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        file.close();
}

void SettingsStore::requireReadable(const QString &key) const {
    if (!m_readable)
        throw StoreError(
            QStringLiteral("Cannot read %1: the store %2 could not be read").arg(key, location()));
}

void SettingsStore::requireWritable(const QString &key) const {
    if (!m_readable)
        throw StoreError(QStringLiteral("Cannot write %1: the store %2 could not be read, so it is "
                                        "left as it is")
                             .arg(key, location()));
}

QString SettingsStore::readString(const QString &group, const QString &name, const QString &def) const {
    const QString key = keyOf(group, name);
    requireReadable(key);
    if (!m_settings->contains(key))
        return def;
    const QVariant value = m_settings->value(key);
    if (value.metaType().id() != QMetaType::QString)
        throw StoreError(
            QStringLiteral("%1 in %2 is stored as %3, not as text").arg(key, location(), typeNameOf(value)));
    const QString text = value.toString();
    // QSettings turns bytes that are not UTF-8 into replacement characters; such a value is
    // not what the operator stored, so it is not used (and not written back, see sync).
    if (m_undecodable && text.contains(QChar::ReplacementCharacter)) {
        qWarning("%s in %s is not UTF-8 text; its default is used", qPrintable(key), qPrintable(location()));
        m_unread.insert(key);
        return def;
    }
    return text;
}

int SettingsStore::readInt(const QString &group, const QString &name, int def) const {
    const QString text = readString(group, name, QString());
    return parseDecimal(text).value_or(def);
}

bool SettingsStore::readBool(const QString &group, const QString &name, bool def) const {
    return readInt(group, name, def ? 1 : 0) != 0;
}

void SettingsStore::writeString(const QString &group, const QString &name, const QString &value) {
    const QString key = keyOf(group, name);
    requireWritable(key);
    m_settings->setValue(key, value);
    m_unread.remove(key);
    m_unsaved.removeIf([&key](const QPair<QString, QString> &entry) { return entry.first == key; });
    m_unsaved.append({key, value});
}

void SettingsStore::writeInt(const QString &group, const QString &name, int value) {
    writeString(group, name, QString::number(value));
}

void SettingsStore::writeBool(const QString &group, const QString &name, bool value) {
    writeString(group, name, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void SettingsStore::sync() {
    if (!m_readable)
        throw StoreError(QStringLiteral("%1 could not be read, so it is not overwritten").arg(location()));
    QByteArray before;
    if (!fileLooksReadable(&before))
        throw StoreError(
            QStringLiteral("%1 was damaged since it was read, so it is not overwritten").arg(location()));
    if (m_settings->status() != QSettings::NoError) {
        // An earlier save failed, and QSettings reports that error for the rest of its life.
        // Judge this save on a fresh object that is given every change not yet saved.
        rebuild();
        for (const auto &[key, value] : std::as_const(m_unsaved))
            m_settings->setValue(key, value);
    }
    m_settings->sync();
    if (m_settings->status() != QSettings::NoError)
        throw StoreError(QStringLiteral("%1 could not be saved").arg(location()));
    if (m_undecodable)
        restoreUndecodableLines(before);
    m_unsaved.clear();
}

// QSettings writes back what it read, so a value in another encoding would come back as
// replacement characters. Every line that was not UTF-8 before the save and that QSettings
// wrote back unchanged (the same group, key and lossy text) gets its old bytes again.
void SettingsStore::restoreUndecodableLines(const QByteArray &before) {
    QHash<QByteArray, QByteArray> oldLines; // lossy "group\nline" -> the bytes it came from
    QByteArray group;
    for (const QByteArray &line : before.split('\n')) {
        const QByteArray bare = line.endsWith('\r') ? line.chopped(1) : line;
        if (bare.trimmed().startsWith('[')) {
            group = lossyUtf8(bare.trimmed());
        } else if (bare.contains('=') && !isUtf8(bare)) {
            const qsizetype eq = bare.indexOf('=');
            oldLines.insert(group + '\n' + lossyUtf8(bare.left(eq).trimmed()) + '=' +
                                lossyUtf8(bare.mid(eq + 1).trimmed()),
                            line);
        }
    }
    if (oldLines.isEmpty())
        return;

    QFile current(m_filePath);
    if (!current.open(QIODevice::ReadOnly))
        throw StoreError(QStringLiteral("%1 could not be read back after saving").arg(location()));
    QList<QByteArray> lines = current.readAll().split('\n');
    current.close();
    bool changed = false;
    group.clear();
    for (QByteArray &line : lines) {
        const QByteArray bare = line.endsWith('\r') ? line.chopped(1) : line;
        if (bare.trimmed().startsWith('[')) {
            group = bare.trimmed();
            continue;
        }
        const auto old = oldLines.constFind(group + '\n' + bare.trimmed());
        if (old != oldLines.constEnd() && line != *old) {
            line = *old;
            changed = true;
        }
    }
    if (!changed)
        return;
    QSaveFile out(m_filePath);
    if (!out.open(QIODevice::WriteOnly) || out.write(lines.join('\n')) < 0 || !out.flush() || !out.commit())
        throw StoreError(QStringLiteral("%1 could not be saved").arg(location()));
}

void SettingsStore::markUnread(const QString &group, const QString &name) {
    m_unread.insert(keyOf(group, name));
}

bool SettingsStore::isUnread(const QString &group, const QString &name) const {
    return m_unread.contains(keyOf(group, name));
}

QColor colorFromWin(quint32 win) {
    return QColor(static_cast<int>(win & 0xFFu), static_cast<int>((win >> 8) & 0xFFu),
                  static_cast<int>((win >> 16) & 0xFFu));
}

quint32 winFromColor(const QColor &color) {
    const QColor rgb = color.toRgb();
    return static_cast<quint32>(rgb.red()) | (static_cast<quint32>(rgb.green()) << 8) |
           (static_cast<quint32>(rgb.blue()) << 16);
}

QFont fontFromSpec(const FontSpec &spec) {
    bool bold = false;
    bool italic = false;
    switch (spec.style) {
    case 0:
    case kFontStyleItalic:
    case kFontStyleBold:
    case kFontStyleBold + kFontStyleItalic:
        bold = spec.style >= kFontStyleBold;
        italic = spec.style % kFontStyleBold == kFontStyleItalic;
        break;
    default: // not one of the four codes: regular
        break;
    }
    const bool sizeUsable = spec.size >= kMinFontSize && spec.size <= kMaxFontSize;
    QFont font(spec.name, sizeUsable ? spec.size : kDefaultFontSize, bold ? QFont::Bold : QFont::Normal,
               italic);
    return font;
}

int fontStyleCode(const QFont &font) {
    return (font.bold() ? kFontStyleBold : 0) + (font.italic() ? kFontStyleItalic : 0);
}
