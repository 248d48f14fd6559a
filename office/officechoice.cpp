#include "office/officechoice.h"

#include "automation/serverregistry.h"
#include "office/builtinoffice.h"

#include <atomic>

#ifdef Q_OS_WIN
#include "automation/comobject.h"
#endif

namespace {

const QString wordId = QStringLiteral("Word.Application");
std::atomic<ActiveOffice> lastRegistered{ActiveOffice::BuiltIn};
const QString spreadsheetId = QStringLiteral("Excel.Application");

/* True when COM knows both applications, so binding to them can work. */
bool installedOfficeAnswers() {
#ifdef Q_OS_WIN
    return ComObject::isRegistered(wordId) && ComObject::isRegistered(spreadsheetId);
#else
    return false;
#endif
}

/* Leave both identifiers to COM: AxObject binds what the registry does not serve. */
ActiveOffice useInstalledOffice() {
    ServerRegistry::unregisterServer(wordId);
    ServerRegistry::unregisterServer(spreadsheetId);
    return ActiveOffice::Installed;
}

}  // namespace

/* The settings-file and command-line name of a choice. */
QString officeChoiceName(OfficeChoice choice) {
    switch (choice) {
        case OfficeChoice::BuiltIn:
            return QStringLiteral("builtin");
        case OfficeChoice::Installed:
            return QStringLiteral("com");
        case OfficeChoice::Automatic:
            break;
    }
    return QStringLiteral("auto");
}

/* The offered choice with that name. */
std::optional<OfficeChoice> officeChoiceFromName(const QString& name) {
    for (const OfficeChoice choice : offeredOfficeChoices()) {
        if (name.compare(officeChoiceName(choice), Qt::CaseInsensitive) == 0) {
            return choice;
        }
    }
    return std::nullopt;
}

/* Automatic and built-in everywhere; the installed office where COM exists. */
QList<OfficeChoice> offeredOfficeChoices() {
    QList<OfficeChoice> choices{OfficeChoice::Automatic, OfficeChoice::BuiltIn};
#ifdef Q_OS_WIN
    choices.append(OfficeChoice::Installed);
#endif
    return choices;
}

/* Register what the choice picks. */
ActiveOffice useOffice(OfficeChoice choice) {
    if (choice == OfficeChoice::Installed ||
        (choice == OfficeChoice::Automatic && installedOfficeAnswers())) {
        lastRegistered = useInstalledOffice();
    } else {
        registerBuiltinOffice();
        lastRegistered = ActiveOffice::BuiltIn;
    }
    return lastRegistered;
}

/* The last registration's office. */
ActiveOffice currentOffice() {
    return lastRegistered;
}
