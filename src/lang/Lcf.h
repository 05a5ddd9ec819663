#pragma once
// Language files (".lcf"): translations of the program's string table and of
// its windows' texts, for one or more languages, in a resource-only PE module.
//
// One language file is open at a time (CurrentLcf). While it is open, every
// LcfLoadString answers from it first, and TranslateForm(window) replaces the
// window's captions, hints and other texts with the file's. Every window calls
// TranslateForm(this) when it is created (or each time it is shown, for
// dialogs built once and shown again).

#include "lang/PeResources.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>
#include <span>
#include <vector>

class QWidget;

namespace lcf {
struct Item;
}

// Called with each language identifier of the file; returning false stops.
using LanguageCallback = std::function<bool(int languageId, QWidget *window)>;
// Shows a translation error; by default an error box.
using TranslateErrorReporter = std::function<void(const QString &message)>;

// The open language file.
class TLcf {
public:
    // A new TLcf becomes CurrentLcf; destroying it clears CurrentLcf and
    // gives string lookups back to the built-in table.
    TLcf();
    ~TLcf();
    TLcf(const TLcf &) = delete;
    TLcf &operator=(const TLcf &) = delete;

    // -1: not a language file (missing, unreadable, not a module, no or a bad
    // "LCHEADER"); 0: the language is not in the file; 1: opened for it.
    int Open(const QString &fileName, int languageId, const LanguageCallback &callback, QWidget *window);
    // The file's text for a string-table entry in the chosen language.
    std::optional<QString> FindString(int id) const;
    // An RCDATA resource's bytes.
    std::optional<std::span<const std::uint8_t>> Resource(const QString &name) const;

    int LanguageIndex = 0;
    int StringColumn = 0;

private:
    QByteArray m_module;
    pe::Resources m_resources;
    bool m_hooked = false;
};

// One entry of a window resource.
class TProp {
public:
    explicit TProp(const TLcf &lcf) : m_lcf(&lcf) {}
    void Load(const lcf::Item &item);

    QString ComponentName;
    QString PropertyPath;
    QString TranslatedText;
    bool HasText = false;

private:
    const TLcf *m_lcf;
};

// The entries of one window, in the order they are applied (the reverse of
// the file's, so the entry listed first is applied last and wins).
class TProps {
public:
    TProps(const TLcf &lcf, QWidget *window) : m_lcf(lcf), m_window(window) {}
    // False when the file has no resource for the window's class.
    bool Load();
    const std::vector<TProp> &Props() const { return m_props; }

private:
    const TLcf &m_lcf;
    QWidget *m_window;
    std::vector<TProp> m_props;
};

TLcf *CurrentLcf();

// Closes the open language file, then opens fileName for languageId; see
// TLcf::Open for the result. With a result other than 1 no file is open.
int LoadLanguageFile(const QString &fileName, int languageId, const LanguageCallback &callback = {},
                     QWidget *window = nullptr);
// Closes the open language file, if any.
void CloseLanguageFile();

// Applies the open language file to a window; does nothing when none is open.
// Returns whether the file has entries for the window's class.
bool TranslateForm(QWidget *window, const TranslateErrorReporter &report = {});
