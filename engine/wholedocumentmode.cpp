#include "engine/wholedocumentmode.h"

#include "automation/axhandle.h"

namespace {

// Excel's constants for Text to Columns (XlTextParsingType, XlTextQualifier).
const int delimited = 1;
const int noTextQualifier = -4142;

}  // namespace

/* Carry the whole document into the target sheet. */
void WholeDocumentMode::transfer(const TransferContext& context) {
    const AxHandle selection = subObject(context.word, "Selection");
    callOn(selection.get(), "WholeStory()");
    callOn(selection.get(), "Copy()");
    const bool justText = context.options != nullptr && context.options->justText;
    if (context.spreadsheetIsWps()) {
        if (justText) {
            stagedPaste(context.sheets, context.target, XlPasteType::values);
        } else {
            callOn(context.target, "Paste()");
        }
    } else if (justText) {
        callOn(context.target, "PasteSpecial(conts QVariant&)", XlPasteType::values);
    } else {
        callOn(context.target, "Paste()");
    }
    if (context.options != nullptr && context.options->useSplitChar &&
        !context.options->splitChar.isEmpty()) {
        splitColumnA(context.target, context.options->splitChar);
    }
}

/* Paste through a temporary sheet placed before the target, then drop it. */
void WholeDocumentMode::stagedPaste(AxObject* sheets, AxObject* target, int code) {
    if (sheets == nullptr || target == nullptr) {
        return;
    }
    const int before = readCount(sheets, "Count()");
    sheets->dynamicCall("Add(QVariant)", target->asVariant());
    const int count = readCount(sheets, "Count()");
    if (count != before + 1 || count < 2) {
        // No temporary sheet: the sheet before the target holds content and must not be
        // pasted over or deleted.
        const AxHandle cell = subObject(target, "Cells(int, int)", 1, 1);
        callOn(cell.get(), "PasteSpecial(conts QVariant&)", code);
        return;
    }
    const AxHandle temporary = subObject(sheets, "Item(int)", count - 1);
    callOn(temporary.get(), "Paste()");
    const AxHandle used = subObject(temporary.get(), "UsedRange");
    callOn(used.get(), "Copy()");
    const AxHandle cell = subObject(target, "Cells(int, int)", 1, 1);
    callOn(cell.get(), "PasteSpecial(conts QVariant&)", code);
    callOn(temporary.get(), "Delete()");
}

/* Split column A with Excel's ten Text to Columns arguments. */
void WholeDocumentMode::splitColumnA(AxObject* target, const QString& separator) {
    const AxHandle columnA = subObject(target, "Range(const QString&)", QStringLiteral("A:A"));
    if (!columnA) {
        return;
    }
    QList<QVariant> args = {columnA->asVariant(),
                            delimited,
                            noTextQualifier,
                            false,
                            false,
                            false,
                            false,
                            false,
                            true,
                            separator};
    columnA->dynamicCall(
        "TextToColumns(QVariant,QVariant,QVariant,QVariant,QVariant,QVariant,QVariant,QVariant,"
        "QVariant,QVariant)",
        args);
}
