#pragma once
// The faces the windows were laid out with, and what stands in for them here.
//
// Every window was designed around "MS Sans Serif" at 8 points, the track edits
// and the display scales around "Small Fonts" at 7 points, the log grid around
// Tahoma. Those faces exist only on Windows; elsewhere they map onto metric-
// compatible sans faces that Debian ships (Liberation Sans, from
// fonts-liberation2, then DejaVu Sans), so every caption keeps to the room the
// design gave it.

#include <QFont>

// Registers the stand-ins once; the font functions below call it themselves.
void installFontSubstitutes();

// "MS Sans Serif" at 8 points: the face of every window and message box.
QFont windowFont();

// The status bar's face. Its first panel is 65 pixels wide and must hold
// "Noise level -47dB": the window face at 7 points, narrowed.
QFont statusBarFont();
