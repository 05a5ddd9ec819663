#include "MacroTable.h"

#include "base/SettingsStore.h"

#include <algorithm>

bool MacroTable::load(const SettingsStore &store) {
    const QString group = StoreGroup::macros();
    MacroCount = 0;
    bool readable = true;
    for (int i = 0; i < Capacity; ++i) {
        MacroNames[i].clear();
        MacroHints[i].clear();
        MacroTexts[i].clear();
    }
    for (int i = 0; i < Capacity; ++i) {
        QString name, hint, text;
        try {
            name = store.readString(group, nameKey(i + 1), QString());
            if (name.isEmpty())
                break;
            hint = store.readString(group, hintKey(i + 1), QString());
            text = store.readString(group, textKey(i + 1), QString());
        } catch (const StoreError &) {
            // A half-read macro would launch a text that is not the operator's.
            readable = false;
            break;
        }
        MacroNames[i] = name;
        MacroHints[i] = hint;
        MacroTexts[i] = text;
        MacroCount = i + 1;
    }
    return readable;
}

void MacroTable::saveEntry(SettingsStore &store, int index) const {
    const QString group = StoreGroup::macros();
    store.writeString(group, nameKey(index + 1), MacroNames[index]);
    store.writeString(group, hintKey(index + 1), MacroHints[index]);
    store.writeString(group, textKey(index + 1), MacroTexts[index]);
}

void MacroTable::save(SettingsStore &store) const {
    for (int i = 0; i < MacroCount; ++i)
        saveEntry(store, i);
    store.sync();
}

void MacroTable::blankPosition(SettingsStore &store, int position) {
    const QString group = StoreGroup::macros();
    store.writeString(group, nameKey(position), QString());
    store.writeString(group, hintKey(position), QString());
    store.writeString(group, textKey(position), QString());
}

int MacroTable::find(const QString &name) const {
    for (int i = 0; i < MacroCount; ++i) {
        if (MacroNames[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

bool MacroTable::append(const QString &name, const QString &hint, const QString &text) {
    if (MacroCount >= Capacity)
        return false;
    set(MacroCount, name, hint, text);
    ++MacroCount;
    return true;
}

void MacroTable::remove(int index) {
    if (index < 0 || index >= MacroCount)
        return;
    for (int i = index; i < MacroCount - 1; ++i) {
        MacroNames[i] = MacroNames[i + 1];
        MacroHints[i] = MacroHints[i + 1];
        MacroTexts[i] = MacroTexts[i + 1];
    }
    set(MacroCount - 1, QString(), QString(), QString());
    --MacroCount;
}

void MacroTable::move(int from, int to) {
    if (from < 0 || from >= MacroCount || to < 0 || to > MacroCount || from == to)
        return;
    // Before the macro that was at `to`: once `from` is out, that macro sits
    // one place lower when it came after `from`.
    const int target = to > from ? to - 1 : to;
    auto shift = [&](std::array<QString, Capacity> &column) {
        if (target > from)
            std::rotate(column.begin() + from, column.begin() + from + 1, column.begin() + target + 1);
        else
            std::rotate(column.begin() + target, column.begin() + from, column.begin() + from + 1);
    };
    shift(MacroNames);
    shift(MacroHints);
    shift(MacroTexts);
}

void MacroTable::set(int index, const QString &name, const QString &hint, const QString &text) {
    if (index < 0 || index >= Capacity)
        return;
    MacroNames[index] = name;
    MacroHints[index] = hint;
    MacroTexts[index] = text;
}
