#pragma once
// The main window with every part, as tests reach its controls.

#include "app/MainToolBar.h"
#include "app/TPSKForm.h"
#include "displays/DisplayPanel.h"
#include "log/QsoBox.h"
#include "macros/MacroBar.h"
#include "modem/ReceiveTuning.h"
#include "modem/SoundCardLink.h"
#include "modem/TransmitControl.h"
#include "settings/SetupLauncher.h"
#include "status/StatusArea.h"
#include "tracks/TrackPanel.h"
