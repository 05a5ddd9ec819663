#pragma once
#include <QString>

// The operator's text for a modem status code or start-up failure.
QString ModemStatusText(int code);
