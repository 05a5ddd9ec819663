#include "Lcf.h"

#include "lang/FormProperties.h"
#include "lang/LcfFormat.h"
#include "lang/Strings.h"

#include <QFile>
#include <QHash>
#include <QMenu>
#include <QMessageBox>
#include <QWidget>

namespace {

TLcf *g_current = nullptr;

// Real language files are a few hundred kilobytes; anything far larger is
// not one, and is not read into memory.
constexpr qint64 MaxFileSize = 16 * 1024 * 1024;

std::span<const std::uint8_t> bytesOf(const QByteArray &b) {
    return {reinterpret_cast<const std::uint8_t *>(b.constData()), static_cast<std::size_t>(b.size())};
}

QString fromUtf16(const std::u16string &s) {
    return QString::fromStdU16String(s);
}

// The components a window owns, by name without regard to case: every named
// object below it except those of other windows it happens to parent
// (dialogs). Popup menus are windows too, but belong to the window.
QHash<QString, QObject *> components(QWidget *window) {
    QHash<QString, QObject *> byName;
    QList<QObject *> pending{window};
    while (!pending.isEmpty()) {
        QObject *o = pending.takeFirst();
        for (QObject *child : o->children()) {
            auto *w = qobject_cast<QWidget *>(child);
            if (w && w->isWindow() && !qobject_cast<QMenu *>(w))
                continue;
            const QString key = child->objectName().toLower();
            if (!key.isEmpty() && !byName.contains(key))
                byName.insert(key, child);
            pending.append(child);
        }
    }
    return byName;
}

struct Step {
    enum class Kind { Plain, ListLine, CollectionItem } kind = Kind::Plain;
    QString name;
    QString index; // the text of k, parsed when the walk reaches the step
};

Step parseStep(const QString &text) {
    Step s;
    qsizetype open = text.indexOf(QLatin1Char('<'));
    QChar close = QLatin1Char('>');
    if (open >= 0) {
        s.kind = Step::Kind::CollectionItem;
    } else if ((open = text.indexOf(QLatin1Char('('))) >= 0) {
        s.kind = Step::Kind::ListLine;
        close = QLatin1Char(')');
    } else {
        s.name = text;
        return s;
    }
    s.name = text.left(open);
    const qsizetype end = text.indexOf(close, open + 1);
    s.index = text.mid(open + 1, end < 0 ? -1 : end - open - 1);
    return s;
}

// Applies one entry; returns an error text when the entry stops the window's
// translation.
std::optional<QString> apply(const QHash<QString, QObject *> &byName, QWidget *window, const TProp &prop) {
    QObject *component = prop.ComponentName.compare(window->objectName(), Qt::CaseInsensitive) == 0
                             ? window
                             : byName.value(prop.ComponentName.toLower());
    if (!component)
        return std::nullopt;

    const QStringList steps = prop.PropertyPath.split(QLatin1Char('.'));
    lang::Node current{lang::Node::Kind::Object, component, {}, -1};
    std::optional<lang::Property> target;
    std::optional<int> stoppedOnLine; // the list-line index of the step the walk stopped on
    for (qsizetype i = 0; i < steps.size(); ++i) {
        const Step step = parseStep(steps[i]);
        int k = -1;
        if (step.kind != Step::Kind::Plain) {
            bool ok = false;
            k = step.index.toInt(&ok);
            if (!ok)
                return LcfLoadString(Str::NotValidInteger).replace(QLatin1String("%s"), step.index);
        }
        const auto property = lang::findProperty(current, step.name);
        if (!property) {
            if (step.kind == Step::Kind::ListLine)
                stoppedOnLine = k;
            break;
        }
        if (i == steps.size() - 1) {
            target = property;
            break;
        }
        if (!property->isObject || !property->held)
            return std::nullopt;
        current = *property->held;
        if (step.kind == Step::Kind::ListLine) {
            stoppedOnLine = k;
            break;
        }
        if (step.kind == Step::Kind::CollectionItem) {
            if (current.kind != lang::Node::Kind::Collection)
                return std::nullopt;
            if (k < 0 || k >= lang::itemCount(current))
                return LcfLoadString(Str::ListIndexOutOfBounds)
                    .replace(QLatin1String("%d"), QString::number(k));
            current = lang::item(current, k);
            if (!current.object)
                return std::nullopt;
        }
    }

    // Only a real change is written, so translating raises no change
    // signals for texts that are already right.
    if (target) {
        if (!target->isObject && target->set && target->get() != prop.TranslatedText)
            target->set(prop.TranslatedText);
    } else if (stoppedOnLine && current.kind == lang::Node::Kind::StringList) {
        const int k = *stoppedOnLine;
        if (k >= 0 && lang::lineCount(current) > k && lang::line(current, k) != prop.TranslatedText)
            lang::setLine(current, k, prop.TranslatedText);
    }
    return std::nullopt;
}

} // namespace

TLcf::TLcf() {
    g_current = this;
}

TLcf::~TLcf() {
    if (g_current == this)
        g_current = nullptr;
    if (m_hooked)
        setLanguageLookup({});
}

int TLcf::Open(const QString &fileName, int languageId, const LanguageCallback &callback, QWidget *window) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxFileSize)
        return -1;
    m_module = file.read(MaxFileSize);
    if (m_resources.parse(bytesOf(m_module)) != pe::Error::None)
        return -1;
    const auto headerBytes = Resource(QStringLiteral("LCHEADER"));
    if (!headerBytes)
        return -1;
    const auto header = lcf::readHeader(*headerBytes);
    if (!header)
        return -1;
    if (callback) {
        for (const std::int32_t id : header->languages)
            if (!callback(id, window))
                break;
    }
    for (std::size_t i = 0; i < header->languages.size(); ++i) {
        if (header->languages[i] != languageId)
            continue;
        LanguageIndex = static_cast<int>(i);
        StringColumn = LanguageIndex + ((header->flags & 1) ? 1 : 0);
        setLanguageLookup([](int id) -> std::optional<QString> {
            if (TLcf *lcf = CurrentLcf())
                return lcf->FindString(id);
            return std::nullopt;
        });
        m_hooked = true;
        return 1;
    }
    return 0;
}

std::optional<QString> TLcf::FindString(int id) const {
    if (id < 0 || id > 65535)
        return std::nullopt;
    const auto resource = Resource(QString::number(id));
    if (!resource)
        return std::nullopt;
    const auto text = lcf::readStringText(*resource, static_cast<std::uint64_t>(StringColumn));
    if (!text)
        return std::nullopt;
    return fromUtf16(*text);
}

std::optional<std::span<const std::uint8_t>> TLcf::Resource(const QString &name) const {
    const auto range = m_resources.rcdata(name.toStdU16String());
    if (!range)
        return std::nullopt;
    return bytesOf(m_module).subspan(range->offset, range->size);
}

void TProp::Load(const lcf::Item &item) {
    const QString name = QString::fromLatin1(item.name.data(), static_cast<qsizetype>(item.name.size()));
    const qsizetype dash = name.indexOf(QLatin1Char('-'));
    if (dash >= 0) {
        ComponentName = name.left(dash);
        const qsizetype next = name.indexOf(QLatin1Char('-'), dash + 1);
        PropertyPath = name.mid(dash + 1, next < 0 ? -1 : next - dash - 1);
    } else {
        ComponentName = name;
    }
    HasText = item.hasText;
    TranslatedText = fromUtf16(item.text);
}

bool TProps::Load() {
    m_props.clear();
    const auto resource = m_lcf.Resource(QString::fromLatin1(m_window->metaObject()->className()).toUpper());
    if (!resource)
        return false;
    const auto items = lcf::readWindowItems(*resource, static_cast<std::uint64_t>(m_lcf.LanguageIndex));
    m_props.reserve(items.size());
    for (auto it = items.rbegin(); it != items.rend(); ++it) {
        m_props.emplace_back(m_lcf);
        m_props.back().Load(*it);
    }
    return true;
}

TLcf *CurrentLcf() {
    return g_current;
}

void CloseLanguageFile() {
    delete g_current;
}

int LoadLanguageFile(const QString &fileName, int languageId, const LanguageCallback &callback,
                     QWidget *window) {
    CloseLanguageFile();
    auto *lcf = new TLcf;
    const int result = lcf->Open(fileName, languageId, callback, window);
    if (result != 1)
        delete lcf;
    return result;
}

bool TranslateForm(QWidget *window, const TranslateErrorReporter &report) {
    if (!g_current || !window)
        return false;
    TProps props(*g_current, window);
    if (!props.Load())
        return false;
    const QHash<QString, QObject *> byName = components(window);
    for (const TProp &prop : props.Props()) {
        if (!prop.HasText)
            continue;
        if (const auto error = apply(byName, window, prop)) {
            if (report)
                report(*error);
            else
                QMessageBox::critical(window, LcfLoadString(Str::CaptionError), *error);
            break;
        }
    }
    return true;
}
