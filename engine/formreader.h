#pragma once

#include "engine/formsnapshot.h"

class AxObject;

// Reads an open Word document into a FormSnapshot through the Word automation surface:
// "Tables" / "Item(int)" / "Range" / "Cells" / "Item(int)" with "RowIndex", "ColumnIndex",
// "Range" / "Text" and "Tables" for nested tables, and "Paragraphs" / "Item(int)" / "Range" /
// "Text". Missing objects give nothing: a document without them reads as an empty form.
class FormReader {
public:
    static FormSnapshot read(AxObject* document);

    // Word's text of a range made plain: the end-of-cell mark (BEL) dropped, paragraph marks
    // (CR) turned into line feeds, trailing line feeds dropped.
    static QString plainText(const QString& wordText);

private:
    static void readTables(AxObject* tables, const QString& prefix, FormSnapshot& snapshot,
                           int depth);
    static void readTable(AxObject* table, const QString& path, FormSnapshot& snapshot, int depth);
    static QStringList readParagraphs(AxObject* document);
};
