#include "HelpCardTexts.h"

#include <QStringList>

namespace {

const QString Dashes = QString(52, QLatin1Char('-'));

QString join(const QStringList &lines) {
    QString out;
    for (const QString &line : lines)
        out += line + QStringLiteral("\r\n");
    return out;
}

QStringList header(const QString &nameLine, const QString &textLine, const QString &intro1,
                   const QString &intro2) {
    return {nameLine, Dashes, textLine, Dashes, intro1, intro2, Dashes, Dashes};
}

QString englishText(bool wide) {
    // The second English text sets the codes apart with two blanks and has no
    // dash after \g.
    const QString sep = wide ? QStringLiteral("  - ") : QStringLiteral(" - ");
    QStringList lines =
        header(QStringLiteral("Macros' name : It's the name that will appear on the button"),
               QStringLiteral("Macro's text:"),
               QStringLiteral("Macros may include values beginning by an antislash character (\\)."),
               QStringLiteral("During execution, these values will be replaced by a pre-defined "
                              "text as follows."));
    lines << QStringLiteral("\\c") + sep +
                 QStringLiteral("Other station's callsign as entered in the \"Qso in progress\" box")
          << QStringLiteral("\\d") + sep +
                 QStringLiteral("Local date according to the format you have choosen (Windows or custom).")
          << QStringLiteral("\\fFilename.txt - Text coming from the file whose filename has been defined "
                            "(after \\f).")
          << QStringLiteral("(This file must absolutely be found in the program folder).")
          << (wide ? QStringLiteral("\\g  ") : QStringLiteral("\\g - ")) +
                 QStringLiteral("Salutation according to the time of the day (\"Good night\" for example).")
          << QStringLiteral("\\h") + sep +
                 QStringLiteral("First name of the other station as entered in the \"QSO in progress\" box.")
          << QStringLiteral("\\i") + sep +
                 QStringLiteral("CW identification according to the CWID and CWIDSpeed values (settings).")
          << QStringLiteral("\\m") + sep + QStringLiteral("Your callsign as defined in the settings panel.")
          << QStringLiteral("\\n") + sep + QStringLiteral("New line (CR+LF).")
          << QStringLiteral("\\r") + sep +
                 QStringLiteral("The report given (RST) as entered in the \"QSO in progress\" box.")
          << QStringLiteral("\\t") + sep + QStringLiteral("Toggles the transceiver to transmission mode.")
          << QStringLiteral("\\u") + sep + QStringLiteral("UTC hour")
          << QStringLiteral("\\v") + sep + QStringLiteral("Local hour")
          << QStringLiteral("\\w") + sep + QStringLiteral("Clears the current terminal window.")
          << QStringLiteral("\\x") + sep +
                 QStringLiteral("QSO UTC hour at the end of transmission (\"End of QSO: 18:35 43 UTC\")")
          << QStringLiteral("\\z") + sep +
                 QStringLiteral("Toggles the transceiver to receiving mode at the end of transmission.");
    return join(lines);
}

QString frenchText() {
    QStringList lines =
        header(QStringLiteral("Nom de la macro : c'est le nom qui apparaîtra sur le bouton"),
               QStringLiteral("Texte de la macro :"),
               QStringLiteral(
                   "Les macros peuvent contenir des codes commençant par une barre oblique inverse (\\)."),
               QStringLiteral("À l'exécution, ces codes sont remplacés par un texte prédéfini, comme suit."));
    lines
        << QStringLiteral("\\c - Indicatif du correspondant tel qu'il figure dans le cadre « QSO en cours ».")
        << QStringLiteral("\\d - Date locale selon le format que vous avez choisi (Windows ou personnalisé).")
        << QStringLiteral("\\fFichier.txt - Texte du fichier dont le nom suit immédiatement \\f.")
        << QStringLiteral("(Ce fichier doit impérativement se trouver dans le dossier du programme).")
        << QStringLiteral("\\g - Salutation selon l'heure de la journée (« Good evening » par exemple).")
        << QStringLiteral("\\h - Prénom du correspondant tel qu'il figure dans le cadre « QSO en cours ».")
        << QStringLiteral("\\i - Identification en CW selon les valeurs CWID et CWIDSpeed (réglages).")
        << QStringLiteral("\\m - Votre indicatif tel que défini dans les réglages.")
        << QStringLiteral("\\n - Nouvelle ligne (CR+LF).")
        << QStringLiteral("\\r - Le report donné (RST) tel qu'il figure dans le cadre « QSO en cours ».")
        << QStringLiteral("\\t - Fait passer l'émetteur-récepteur en émission.")
        << QStringLiteral("\\u - Heure UTC") << QStringLiteral("\\v - Heure locale")
        << QStringLiteral("\\w - Efface la fenêtre de réception.")
        << QStringLiteral(
               "\\x - Heure UTC de fin de QSO, à la fin de l'émission (« End of QSO: 18:35 UTC »).")
        << QStringLiteral("\\z - Fait repasser l'émetteur-récepteur en réception à la fin de l'émission.");
    return join(lines);
}

} // namespace

QString helpCardText(int uiLanguage) {
    switch (uiLanguage) {
    case 0:
        return englishText(false);
    case 1:
        return frenchText();
    default:
        return englishText(true);
    }
}
