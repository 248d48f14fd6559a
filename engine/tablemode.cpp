#include "engine/tablemode.h"

#include "engine/wholedocumentmode.h"

/* Carry the tables over, one sheet each, and name the sheets. */
void TableMode::transfer(const TransferContext& context) {
    const AxHandle tables = subObject(context.document, "Tables");
    const int count = readCount(tables.get(), "Count()");
    AxObject* target = context.target;
    AxHandle appended;
    for (int t = 1; t <= count; ++t) {
        const AxHandle table = subObject(tables.get(), "Item(int)", t);
        callOn(table.get(), "Select()");
        const AxHandle selection = subObject(context.word, "Selection");
        callOn(selection.get(), "Copy()");
        pasteTable(context, target);
        if (t < count) {
            appended = appendSheet(context);
            target = appended.get();
        }
    }
    nameSheets(context.sheets);
}

/* Paste the copied table into the target, staged when the spreadsheet side is WPS. */
void TableMode::pasteTable(const TransferContext& context, AxObject* target) {
    const bool justText = context.options != nullptr && context.options->justText;
    if (context.spreadsheetIsWps()) {
        WholeDocumentMode::stagedPaste(context.sheets, target,
                                       justText ? XlPasteType::values : XlPasteType::all);
    } else if (justText) {
        callOn(target, "PasteSpecial(conts QVariant&)", XlPasteType::values);
    } else {
        callOn(target, "Paste()");
    }
}

/* Add a sheet after the last one and give it the template rows; null when none came. */
AxHandle TableMode::appendSheet(const TransferContext& context) {
    AxObject* sheets = context.sheets;
    const int count = readCount(sheets, "Count()");
    const AxHandle last = subObject(sheets, "Item(int)", count);
    if (!last) {
        return nullptr;
    }
    // Add inserts before its argument; moving the former last sheet before the new one
    // makes the new one the last.
    sheets->dynamicCall("Add(conts QVariant)", last->asVariant());
    const AxHandle added = subObject(sheets, "Item(int)", count);
    if (added) {
        last->dynamicCall("Move(conts QVariant)", added->asVariant());
    }
    AxHandle target = subObject(sheets, "Item(int)", count + 1);
    if (target && context.templateRows != nullptr) {
        callOn(context.templateRows, "Copy()");
        target->dynamicCall("Paste()");
    }
    return target;
}

/* Name every sheet "Sheet" and its position. */
void TableMode::nameSheets(AxObject* sheets) {
    const int count = readCount(sheets, "Count()");
    for (int l = 1; l <= count; ++l) {
        const AxHandle sheet = subObject(sheets, "Item(int)", l);
        if (sheet) {
            sheet->writeProperty("Name", QStringLiteral("Sheet") + QString::number(l));
        }
    }
}
