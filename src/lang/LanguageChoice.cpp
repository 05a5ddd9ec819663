#include "LanguageChoice.h"

#include "base/DataPaths.h"

#include <QDir>
#include <QFileInfo>

namespace {

int g_uiLanguage = UI::English;

struct Name {
    QLocale::Language language;
    QLocale::Territory territory;
    const char *name;
};

// The locales of the choice table, and a few common ones for the record.
// English of the Caribbean ("ENB") has no single territory here; its island
// states that have no name of their own take it.
const Name Names[] = {
    {QLocale::French, QLocale::France, "FRA"},
    {QLocale::French, QLocale::Belgium, "FRB"},
    {QLocale::French, QLocale::Canada, "FRC"},
    {QLocale::French, QLocale::Luxembourg, "FRL"},
    {QLocale::French, QLocale::Monaco, "FRM"},
    {QLocale::French, QLocale::Switzerland, "FRS"},
    {QLocale::English, QLocale::Australia, "ENA"},
    {QLocale::English, QLocale::AntiguaAndBarbuda, "ENB"},
    {QLocale::English, QLocale::Bahamas, "ENB"},
    {QLocale::English, QLocale::Barbados, "ENB"},
    {QLocale::English, QLocale::Dominica, "ENB"},
    {QLocale::English, QLocale::Grenada, "ENB"},
    {QLocale::English, QLocale::SaintKittsAndNevis, "ENB"},
    {QLocale::English, QLocale::SaintLucia, "ENB"},
    {QLocale::English, QLocale::SaintVincentAndGrenadines, "ENB"},
    {QLocale::English, QLocale::Canada, "ENC"},
    {QLocale::English, QLocale::UnitedKingdom, "ENG"},
    {QLocale::English, QLocale::Ireland, "ENI"},
    {QLocale::English, QLocale::Jamaica, "ENJ"},
    {QLocale::English, QLocale::Belize, "ENL"},
    {QLocale::English, QLocale::Philippines, "ENP"},
    {QLocale::English, QLocale::SouthAfrica, "ENS"},
    {QLocale::English, QLocale::TrinidadAndTobago, "ENT"},
    {QLocale::English, QLocale::UnitedStates, "ENU"},
    {QLocale::English, QLocale::Zimbabwe, "ENW"},
    {QLocale::English, QLocale::NewZealand, "ENZ"},
    {QLocale::English, QLocale::India, "ENN"},
    {QLocale::English, QLocale::Singapore, "ENE"},
    {QLocale::German, QLocale::Germany, "DEU"},
    {QLocale::German, QLocale::Austria, "DEA"},
    {QLocale::German, QLocale::Switzerland, "DES"},
    {QLocale::Spanish, QLocale::Spain, "ESN"},
    {QLocale::Italian, QLocale::Italy, "ITA"},
    {QLocale::Dutch, QLocale::Netherlands, "NLD"},
    {QLocale::Portuguese, QLocale::Brazil, "PTB"},
    {QLocale::Portuguese, QLocale::Portugal, "PTG"},
};

const char *const FrenchNames[] = {"FRA", "FRB", "FRC", "FRL", "FRM", "FRS"};
const char *const EnglishNames[] = {"ENA", "ENB", "ENC", "ENG", "ENI", "ENJ", "ENL",
                                    "ENP", "ENS", "ENT", "ENU", "ENW", "ENZ"};

constexpr int French = 1036;
constexpr int English = 1033;

} // namespace

int UILanguage() {
    return g_uiLanguage;
}
void setUILanguage(int language) {
    g_uiLanguage = language;
}

QString WindowsLanguageName(QLocale::Language language, QLocale::Territory territory) {
    for (const Name &n : Names)
        if (n.language == language && n.territory == territory)
            return QString::fromLatin1(n.name);
    return {};
}

QString SystemLanguageName() {
    const QLocale system = QLocale::system();
    return WindowsLanguageName(system.language(), system.territory());
}

LanguageChoice ChooseLanguage(const QString &windowsName) {
    for (const char *n : FrenchNames)
        if (windowsName == QLatin1String(n))
            return {UI::French, French};
    for (const char *n : EnglishNames)
        if (windowsName == QLatin1String(n))
            return {UI::English, English};
    return {UI::Other, English};
}

QStringList LanguageFileCandidates(const QString &programFile) {
    const QFileInfo program(programFile);
    const QString name = program.completeBaseName() + QStringLiteral(".lcf");
    QStringList candidates{QDir::cleanPath(program.path() + QLatin1Char('/') + name)};
    for (const QString &dir : dataDirs(program.path()))
        candidates << QDir::cleanPath(dir + QLatin1Char('/') + name);
    candidates.removeDuplicates();
    return candidates;
}
