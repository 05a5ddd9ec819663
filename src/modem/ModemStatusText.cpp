#include "ModemStatusText.h"

#include "lang/Strings.h"

QString ModemStatusText(int code) {
    // Codes 0..43 have texts except the gaps (8, 9, 41); everything else is
    // reported with its number so the operator can still quote it.
    if (code >= 0 && code <= 43 && !builtinString(Str::ModemStatusBase + code).isEmpty())
        return LcfLoadString(Str::ModemStatusBase + code);
    return LcfLoadString(Str::UnknownErrorCode) + QString::number(code);
}
