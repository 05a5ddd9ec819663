#pragma once
// The program-wide table of the 40 macros: name (the button's caption), hint
// (its tool tip) and text (in the macro language of MacroExpander).
//
// The defined macros always fill indices 0 .. MacroCount - 1 without gaps and
// everything beyond is empty, so position n of the store (MacroName<n>,
// MacroHint<n>, MacroText<n>, n counted from 1) is index n - 1. The editor and
// the wizard change the table in memory; the editor writes it back when it
// closes, the wizard at once.

#include <QString>
#include <array>

class SettingsStore;

class MacroTable {
public:
    static constexpr int Capacity = 40;

    std::array<QString, Capacity> MacroNames;
    std::array<QString, Capacity> MacroHints;
    std::array<QString, Capacity> MacroTexts;
    int MacroCount = 0;
    // The macro last chosen in the editor's list (-1 for none), the one a drag
    // moves. It outlives each editor.
    int SelectedMacro = -1;

    // Reads positions 1, 2, ... until the first empty name; values after it
    // are ignored (the editor never deletes a stored value, it blanks it).
    // Missing values read as empty. Returns false when a value could not be
    // read: the table then holds the macros read before it.
    bool load(const SettingsStore &store);

    // Writes positions 1 .. MacroCount, name, hint and text for each position
    // in turn. Throws StoreError when the store refuses the writes.
    void save(SettingsStore &store) const;
    // Writes one position (index + 1) from the table.
    void saveEntry(SettingsStore &store, int index) const;
    // Overwrites the three values of a position (1-based) with empty text.
    static void blankPosition(SettingsStore &store, int position);

    // Index of the macro with this name regardless of letter case, or -1.
    int find(const QString &name) const;
    // Adds a macro after the last one; false when the table is full.
    bool append(const QString &name, const QString &hint, const QString &text);
    // Removes macro `index`; those after it move down one place.
    void remove(int index);
    // Takes macro `from` out and puts it just before the macro that was at
    // `to`; `to` == MacroCount moves it to the end. Out-of-range indices and
    // from == to change nothing.
    void move(int from, int to);
    // Puts the entry at `index` (0..Capacity-1), leaving MacroCount alone.
    void set(int index, const QString &name, const QString &hint, const QString &text);

    static QString nameKey(int position) { return QStringLiteral("MacroName%1").arg(position); }
    static QString hintKey(int position) { return QStringLiteral("MacroHint%1").arg(position); }
    static QString textKey(int position) { return QStringLiteral("MacroText%1").arg(position); }
};
