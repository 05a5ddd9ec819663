#pragma once
// Where the macro wizard keeps what it is given: the station information under
// Infos (the two memos encoded into one line each), the call sign as MyCall
// under Settings, and the eight macros in positions 1 to 8.

#include "macros/WizardMacros.h"

class MacroTable;
class SettingsStore;

// Reads the station information. Returns false when a value could not be
// read; that value and those after it are left empty.
bool readStationInfo(const SettingsStore &store, StationInfoText &info);

// Builds the eight macros into indices 0..7 (later ones stay), writes them,
// then "Name", "MyCall" and the rest of Infos in that order, and raises
// MacroCount to at least 8. Throws StoreError when the store refuses a write;
// the table is complete either way.
void applyWizard(MacroTable &table, SettingsStore &store, const StationInfo &info);
