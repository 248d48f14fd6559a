#include "office/builtinoffice.h"

#include "automation/serverregistry.h"
#include "office/excel/server/excelapplication.h"
#include "office/word/server/wordapplication.h"

/* Make both built-in applications reachable by their program identifiers. */
void registerBuiltinOffice() {
    ServerRegistry::registerServer(QStringLiteral("Word.Application"), &createWordApplication);
    ServerRegistry::registerServer(QStringLiteral("Excel.Application"), &createExcelApplication);
}
