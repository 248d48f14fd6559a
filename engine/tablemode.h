#pragma once

#include "automation/axhandle.h"
#include "engine/transfercontext.h"

// Table mode: each top-level table of the document goes onto a sheet of its own, in document
// order, each new sheet appended as the last one and given the template rows first; the
// sheets are then named "Sheet1", "Sheet2", ... Text outside tables is not carried over.
class TableMode {
public:
    // Carry every table of `context.document` into the workbook of `context.sheets`, the
    // first into `context.target`. Missing objects are skipped.
    static void transfer(const TransferContext& context);

    // Add a sheet after the last one of `context.sheets` (with the template rows when there
    // are any); null when none came.
    static AxHandle appendSheet(const TransferContext& context);

private:
    static void pasteTable(const TransferContext& context, AxObject* target);
    static void nameSheets(AxObject* sheets);
};
