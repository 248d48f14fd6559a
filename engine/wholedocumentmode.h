#pragma once

#include "engine/transfercontext.h"

#include <QString>

class AxObject;

// Whole-document mode: the document's whole story goes through the clipboard into the target
// sheet (values only with justText), and column A is then split at the separator when one is
// set. Also the staged paste that the WPS spreadsheet program needs, used by table mode too.
class WholeDocumentMode {
public:
    // Copy the whole story and paste it into `context.target`, then split column A.
    static void transfer(const TransferContext& context);

    // Paste the clipboard into `target` from its cell A1 with the paste type `code`, by way of
    // a temporary sheet inserted before `target` (which must be the last sheet of `sheets`)
    // and deleted again. When no temporary sheet could be added, pastes straight into A1 and
    // touches no other sheet.
    static void stagedPaste(AxObject* sheets, AxObject* target, int code);

    // Split column A of `target` at `separator` (Text to Columns, delimited by that text).
    static void splitColumnA(AxObject* target, const QString& separator);
};

// Excel's paste types (XlPasteType) the transfers use, as the numbers the automation call
// takes (the built-in Excel's own model names them PasteType).
namespace XlPasteType {
const int values = -4163;
const int all = -4104;
}  // namespace XlPasteType
