#include "office/builtinoffice.h"

#include "engine/automation/serverregistry.h"
#include "office/excel/excelapplication.h"
#include "office/word/wordapplication.h"

/* Make both built-in applications reachable by their program identifiers. */
void registerBuiltinOffice() {
    ServerRegistry::registerServer(QStringLiteral("Word.Application"), &createWordApplication);
    ServerRegistry::registerServer(QStringLiteral("Excel.Application"), &createExcelApplication);
}
