#pragma once
// The per-user settings store: one key with the sub-keys Settings, Infos, Macros and Look.
//
// Data flow: the main window opens one store at creation and keeps it for the whole run; the
// settings dialog, the macro editor and the macro wizard read and write through the same
// object. Every value is kept as text (integers as signed decimal, booleans as "0"/"1",
// colours as Windows 0x00BBGGRR integers, font styles as 1000 x bold + 100 x italic), so a
// value the backend hands back with any other type was not written by us and is reported.
//
// On Linux the store is the INI file ~/.config/Q9ZZV Software/VARNEK.conf; on Windows it is
// the registry key HKCU\Software\Q9ZZV Software\VARNEK. Tests give the path of an INI file.
// Anything but a regular file at that path (a folder, a FIFO, a device) is unreadable: it is
// never opened, so a FIFO cannot block the start.

#include <QColor>
#include <QFont>
#include <QList>
#include <QPair>
#include <QSet>
#include <QSettings>
#include <QString>

#include <memory>
#include <stdexcept>

// A value or the store itself could not be read, or a change could not be saved.
class StoreError : public std::runtime_error {
public:
    explicit StoreError(const QString &what) : std::runtime_error(what.toStdString()) {}
};

namespace StoreGroup {
inline QString settings() {
    return QStringLiteral("Settings");
}
inline QString infos() {
    return QStringLiteral("Infos");
}
inline QString macros() {
    return QStringLiteral("Macros");
}
inline QString look() {
    return QStringLiteral("Look");
}
} // namespace StoreGroup

class SettingsStore {
public:
    // The current user's store of the program.
    SettingsStore();
    // A store kept in the INI file at iniPath.
    explicit SettingsStore(const QString &iniPath);
    ~SettingsStore();

    SettingsStore(const SettingsStore &) = delete;
    SettingsStore &operator=(const SettingsStore &) = delete;

    // Creates the key if it is missing. Never throws: an unusable store shows up on the
    // first read or save, where the caller reports it. INI files cannot hold an empty group,
    // so there the four groups come into being with their first value.
    void open();

    // A missing value yields def. So does text that is not valid UTF-8 (hand-edited in another
    // encoding): it cannot be read, and its stored bytes are kept as they are (see sync). A
    // value stored with a type other than text, or any read from a store that could not be
    // read, throws StoreError.
    QString readString(const QString &group, const QString &name, const QString &def) const;
    // Text that is not a 32-bit signed decimal integer (optional sign, blanks around it
    // allowed) yields def.
    int readInt(const QString &group, const QString &name, int def) const;
    // An integer with default 0 or 1; any non-zero value is true.
    bool readBool(const QString &group, const QString &name, bool def) const;

    // Writing creates the group. Throws StoreError when the store could not be read when it
    // was opened: saving would replace what is there with our partial view of it.
    void writeString(const QString &group, const QString &name, const QString &value);
    void writeInt(const QString &group, const QString &name, int value);
    void writeBool(const QString &group, const QString &name, bool value);

    // Flushes pending writes; throws StoreError when they could not be saved. Lines whose text
    // is not valid UTF-8 and that were not written over are saved byte for byte as they were.
    void sync();

    // Values the start-up load never read keep their stored text: the exit save leaves them
    // alone until something writes them.
    void markUnread(const QString &group, const QString &name);
    bool isUnread(const QString &group, const QString &name) const;

    // False when the store existed but could not be read when it was opened.
    bool isReadable() const { return m_readable; }
    // Where the store lives (file path or registry path), for messages.
    QString location() const;

private:
    QString keyOf(const QString &group, const QString &name) const;
    void rebuild();
    void openFile();
    bool fileLooksReadable(QByteArray *content);
    void restoreUndecodableLines(const QByteArray &before);
    void requireReadable(const QString &key) const;
    void requireWritable(const QString &key) const;

    std::unique_ptr<QSettings> m_settings;
    QString m_iniPath;  // empty for the user's native store
    QString m_filePath; // the file behind the store; empty where the backend is not a file
    bool m_readable = true;
    // The file held bytes that are not UTF-8 when it was last looked at.
    bool m_undecodable = false;
    mutable QSet<QString> m_unread;
    // Writes not yet known to be saved, in order, so a save can be retried on a fresh
    // QSettings after a failure (QSettings keeps reporting its first error for good).
    QList<QPair<QString, QString>> m_unsaved;
};

// Windows colour values are 0x00BBGGRR. The top byte (a system-colour or palette flag) has no
// meaning here and is ignored.
QColor colorFromWin(quint32 win);
quint32 winFromColor(const QColor &color);

// A font as stored: face name, text colour (Windows value), size in points, style code.
struct FontSpec {
    QString name;
    quint32 color = 0;
    int size = 0;
    int style = 0;

    bool operator==(const FontSpec &) const = default;
};

inline constexpr int kFontStyleItalic = 100;
inline constexpr int kFontStyleBold = 1000;
// Sizes outside this range (hand-edited, or zero after a read error) give kDefaultFontSize.
inline constexpr int kMinFontSize = 1;
inline constexpr int kMaxFontSize = 144;
inline constexpr int kDefaultFontSize = 8;

// The text colour is not part of a QFont; callers put FontSpec::color into the palette.
QFont fontFromSpec(const FontSpec &spec);
// The style code of a font: 1000 x bold + 100 x italic.
int fontStyleCode(const QFont &font);
