// VARNEK: a PSK31 keyboard-to-keyboard terminal.

#include "app/TPSKForm.h"
#include "base/Clock.h"
#include "base/Dialogs.h"
#include "base/SettingsStore.h"
#include "lang/Strings.h"
#include "modem/PskModem.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Q9ZZV Software"));
    QApplication::setApplicationName(QStringLiteral("VARNEK"));
    QApplication::setStyle(QStringLiteral("Fusion"));

    PskModem modem;
    SettingsStore store;
    QtDialogs dialogs(nullptr);
    Clock clock;
    // The splash window will come first; until then the main window opens directly.
    TPSKForm form(modem, store, dialogs, clock);
    dialogs.setParent(&form);
    QApplication::setApplicationDisplayName(LcfLoadString(Str::AppTitle));
    form.show();
    return QApplication::exec();
}
