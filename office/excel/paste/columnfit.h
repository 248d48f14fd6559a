#pragma once

#include "office/excel/model/worksheet.h"

#include <QVariantList>

// What a user's typing and Excel's AutoFit do to a range, for the automation surface.
class ColumnFit {
public:
    // The widest column Excel stores, in characters.
    static constexpr double kMaxWidth = 255;

    // Give columns first..last the width their widest stored text needs (its longest line, at
    // the cell's font size), at least the default width; columns without text are left alone.
    static void fitColumns(Worksheet& sheet, int firstColumn, int lastColumn);

    // Write a block of values from (row, column): `rows` holds one list per row. A text is
    // entered as typed, by the number rule (a number only when nothing is lost), cut to what
    // a cell holds; a text with line feeds also gets its cell's wrap set, as Excel does for
    // typed line breaks. Numbers, booleans and dates are stored as they are; invalid values
    // clear the cell. The rows written are then fitted to their text. False (nothing written)
    // when the block reaches beyond the sheet.
    static bool writeBlock(Worksheet& sheet, int row, int column, const QVariantList& rows);

private:
    static void writeValue(Worksheet& sheet, int row, int column, const QVariant& value);
};
