#include "WizardStore.h"

#include "base/SettingsStore.h"
#include "macros/MacroTable.h"

bool readStationInfo(const SettingsStore &store, StationInfoText &info) {
    const QString group = StoreGroup::infos();
    const std::pair<const char *, QString *> fields[] = {
        {"Name", &info.name},         {"Radio", &info.radio},       {"Power", &info.power},
        {"Antenna", &info.antenna},   {"Computer", &info.computer}, {"City", &info.city},
        {"Location", &info.location}, {"Locator", &info.locator},   {"QSL Info", &info.qslInfo},
    };
    for (const auto &[name, value] : fields) {
        try {
            *value = store.readString(group, QString::fromLatin1(name), QString());
        } catch (const StoreError &) {
            return false;
        }
    }
    return true;
}

void applyWizard(MacroTable &table, SettingsStore &store, const StationInfo &info) {
    const auto macros = wizardMacros(info);
    for (int i = 0; i < WizardMacroCount; ++i)
        table.set(i, macros[i].name, macros[i].hint, macros[i].text);
    if (table.MacroCount < WizardMacroCount)
        table.MacroCount = WizardMacroCount;

    for (int i = 0; i < WizardMacroCount; ++i)
        table.saveEntry(store, i);
    const QString infos = StoreGroup::infos();
    store.writeString(infos, QStringLiteral("Name"), info.name);
    store.writeString(StoreGroup::settings(), QStringLiteral("MyCall"), info.call);
    store.writeString(infos, QStringLiteral("Radio"), info.radio);
    store.writeString(infos, QStringLiteral("Power"), info.power);
    store.writeString(infos, QStringLiteral("Antenna"), info.antenna);
    store.writeString(infos, QStringLiteral("Computer"), info.computer);
    store.writeString(infos, QStringLiteral("City"), info.city);
    store.writeString(infos, QStringLiteral("Location"), encodeMemoLines(info.location));
    store.writeString(infos, QStringLiteral("Locator"), info.locator);
    store.writeString(infos, QStringLiteral("QSL Info"), encodeMemoLines(info.qslInfo));
    store.sync();
}
