#pragma once

#include "office/clipboard/fragment.h"
#include "office/excel/model/worksheet.h"

#include <optional>

// Excel's paste types as the automation members pass them (XlPasteType).
enum class PasteType { All = -4104, Values = -4163, ColumnWidths = 8, Formats = -4122 };

// Copy and paste between worksheets and clipboard fragments, as Excel does it.
class PasteEngine {
public:
    // The paste type of an integer code; none for codes not supported.
    static std::optional<PasteType> pasteTypeFromCode(int code);

    // A fragment holding the cells, formats, merges, widths and heights of `range`.
    // Whole rows are cut at the last used column (or the last column with a set width),
    // whole columns at the last used row; very large ranges are cut to the used range, so
    // a copy never materialises empty rows by the million.
    static Fragment copy(const Worksheet& sheet, const CellRange& range);

    // Paste `fragment` with its top-left cell at (row, column):
    // - All: values, formats and merges; column widths when the fragment comes from a
    //   document or holds whole columns; row heights when it holds whole rows.
    // - Values: values only, the target cells keep their formats.
    // - Formats: formats and merges (and whole rows' heights); values kept.
    // - ColumnWidths: the widths of the fragment's columns only.
    // Text from a document becomes a number only by NumberRule; then the number format
    // that shows it as written is applied where the cell's format has none. The pasted
    // area becomes the sheet's selection. Returns the pasted area, or none (and changes
    // nothing) when the fragment does not fit below and right of the target cell.
    static std::optional<CellRange> paste(Worksheet& sheet, const Fragment& fragment, int row,
                                          int column, PasteType type);

    // The longest text a cell holds, in UTF-16 code units.
    static constexpr int kMaxCellText = 32767;

    // Store a text in a cell as Excel's paste does: a text longer than a cell holds keeps
    // its first kMaxCellText code units (one fewer when the cut would split a surrogate
    // pair), and the sheet notes the cell (Worksheet::cutCells()).
    static void storeText(Worksheet& sheet, int row, int column, const QString& text);

    // Store a text in a cell by NumberRule: a number (plus its number format where the
    // cell's format has none) when nothing is lost, else the text itself (storeText).
    static void storeTyped(Worksheet& sheet, int row, int column, const QString& text);
};
