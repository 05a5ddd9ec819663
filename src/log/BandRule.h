#pragma once
// The ADIF band name of a frequency text, in kilohertz or megahertz.

#include <QString>

// Compares the text's leading characters only (no number is parsed), so a
// text the operator typed in any form gets a band or, failing that, its own
// first characters.
QString BandFromFrequency(const QString &frequency);
