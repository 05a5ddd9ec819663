// VARNEK: a PSK31 keyboard-to-keyboard terminal.

#include "app/TPSKForm.h"
#include "base/Clock.h"
#include "base/Dialogs.h"
#include "base/SettingsStore.h"
#include "lang/Lcf.h"
#include "lang/Strings.h"
#include "lang/TSplashForm.h"
#include "modem/PskModem.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Q9ZZV Software"));
    QApplication::setApplicationName(QStringLiteral("VARNEK"));
    QApplication::setStyle(QStringLiteral("Fusion"));

    // The splash window chooses the language and opens the language file,
    // so it comes before every other window. It is painted at once, and
    // events are handled until its timer has run out.
    auto *splash = new TSplashForm;
    splash->show();
    splash->repaint();
    while (splash->tmMainTimer->isActive())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);

    PskModem modem;
    SettingsStore store;
    QtDialogs dialogs(nullptr);
    Clock clock;
    int result = 0;
    {
        // The main window is created while the splash window is still up.
        TPSKForm form(modem, store, dialogs, clock);
        splash->hide();
        delete splash;
        dialogs.setParent(&form);
        QApplication::setApplicationDisplayName(LcfLoadString(Str::AppTitle));
        form.show();
        result = QApplication::exec();
        dialogs.setParent(nullptr);
    }
    CloseLanguageFile();
    return result;
}
