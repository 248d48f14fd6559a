#pragma once

#include "office/excel/model/cell.h"
#include "office/excel/model/cellrange.h"
#include "office/excel/model/formattable.h"

#include <QString>

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

// One sheet of a workbook: sparse cells, column widths, row heights, merged ranges and the
// selection.
//
// Storage grows with used cells only: rows are kept in a map by row number, and each row
// holds its cells sorted by column. Whole-row and whole-column ranges are never expanded
// into cells. Cell formats are indices into the workbook's FormatTable, which the sheet
// shares with its workbook (formatTable()).
//
// Writers and readers of file formats walk rows() in order; each Row's cells are sorted by
// column and never contain an Empty cell whose format is the default at its position
// (defaultFormatIndex(): 0 unless its row or column has a default format).
class Worksheet {
public:
    struct Row {
        std::vector<Cell> cells;  // sorted by Cell::column
    };

    Worksheet(QString name, std::shared_ptr<FormatTable> formats);

    Worksheet(const Worksheet&) = delete;
    Worksheet& operator=(const Worksheet&) = delete;

    // The name as shown on the tab. Renaming with Excel's rules goes through Workbook.
    const QString& name() const { return m_name; }
    void setName(const QString& name) { m_name = name; }

    // The cell at a 1-based position, or nullptr when nothing is stored there.
    const Cell* cell(int row, int column) const;

    // Store values; the cell keeps its format. Positions outside the sheet limits are
    // ignored (false).
    bool setNumber(int row, int column, double value);
    bool setText(int row, int column, const QString& text);
    bool setBoolean(int row, int column, bool value);
    // Remove the value; the format stays.
    void clearValue(int row, int column);
    // Store a whole cell (value and format) at a position; cell.column is overwritten.
    bool setCell(int row, int column, Cell cell);

    // Format index a cell shows: its own when stored, else its row's default format, else
    // its column's default format, else 0.
    int formatIndex(int row, int column) const;
    // Set the format index of a cell, keeping its value. False outside the limits.
    bool setFormatIndex(int row, int column, int format);
    // The format of a cell, resolved through the format table.
    const CellFormat& format(int row, int column) const;
    // Intern `format` and set it on the cell.
    bool setFormat(int row, int column, const CellFormat& format);

    // Default formats of whole columns and rows, as Excel keeps them for columns and rows
    // formatted as a whole: a cell without a format of its own shows its row's default when
    // the row has one, else its column's. New cells start with that format. Nothing is
    // materialised: columns are kept as runs, rows in a map.
    struct ColumnFormatRun {
        int lastColumn = 0;
        int format = 0;
    };
    // The default format of a column; 0 when none.
    int columnFormat(int column) const;
    // Set the default format of columns first..last (clipped to the sheet); 0 removes it.
    void setColumnFormat(int firstColumn, int lastColumn, int format);
    // First column -> run of columns sharing one default format, ordered, not overlapping.
    const std::map<int, ColumnFormatRun>& columnFormats() const { return m_columnFormats; }
    // The default format of a row; 0 when none.
    int rowFormat(int row) const;
    // Set the default format of a row (ignored outside the sheet); 0 removes it.
    void setRowFormat(int row, int format);
    const std::map<int, int>& rowFormats() const { return m_rowFormats; }
    // The format a cell without a format of its own shows at a position.
    int defaultFormatIndex(int row, int column) const;

    // A run of adjacent columns sharing one width (< 0: the default) and one default format.
    struct ColumnSpan {
        int first = 0;
        int last = 0;
        double width = -1;
        int format = 0;
    };
    // The columns with a set width or a default format, as runs of equal settings in column
    // order (what writers store per column run).
    std::vector<ColumnSpan> columnSpans() const;

    // Column widths in Excel character units; columns not listed have the default width.
    double columnWidth(int column) const;
    void setColumnWidth(int column, double width);
    const std::map<int, double>& columnWidths() const { return m_columnWidths; }
    static constexpr double kDefaultColumnWidth = 8.43;

    // Row heights in points; rows not listed have the default height. A height set here is
    // custom (kept as set, as a row sized by hand); a fitted height is what the row's text
    // needs, recomputed when the row's content or columns change. A negative height returns
    // the row to the default.
    double rowHeight(int row) const;
    void setRowHeight(int row, double height);
    void setFittedRowHeight(int row, double height);
    // True when the row has a height set by hand (not fitted, not the default).
    bool hasCustomHeight(int row) const;
    const std::map<int, double>& rowHeights() const { return m_rowHeights; }
    static constexpr double kDefaultRowHeight = 15.0;

    // Merged ranges. Adding a merge removes the merges it overlaps, as Excel does.
    const std::vector<CellRange>& merges() const { return m_merges; }
    void addMerge(const CellRange& range);
    // Remove every merge that overlaps `range`.
    void removeMergesIn(const CellRange& range);

    // Why content meant for this sheet was lost (a paste it could not hold, a copy that
    // failed); empty while nothing was lost. A workbook with such a sheet is not saved.
    const QString& lostContent() const { return m_lostContent; }
    void noteLostContent(const QString& reason) {
        if (m_lostContent.isEmpty()) {
            m_lostContent = reason;
        }
    }
    // Cells whose text was cut to the longest text a cell holds when it was stored (by a
    // paste), as (row, column) pairs in order.
    void noteCutText(int row, int column) { m_cutCells.insert({row, column}); }
    const std::set<std::pair<int, int>>& cutCells() const { return m_cutCells; }
    // Cells of a column split that hold the rest of a row unsplit, because the row had more
    // parts than the sheet has columns to the right, as (row, column) pairs in order.
    void noteUnsplitRest(int row, int column) { m_unsplitCells.insert({row, column}); }
    const std::set<std::pair<int, int>>& unsplitCells() const { return m_unsplitCells; }

    // The range the sheet's filter buttons cover (AutoFilter); hasAutoFilter() false when none.
    bool hasAutoFilter() const { return m_hasAutoFilter; }
    const CellRange& autoFilter() const { return m_autoFilter; }
    void setAutoFilter(const CellRange& range) {
        m_autoFilter = range;
        m_hasAutoFilter = true;
    }
    // Rows above the frozen pane (0: none), which stay in view while the rest scrolls.
    int frozenRows() const { return m_frozenRows; }
    void setFrozenRows(int rows) { m_frozenRows = rows; }

    // The selected range (A1 on a new sheet).
    const CellRange& selection() const { return m_selection; }
    void setSelection(const CellRange& range) { m_selection = range; }

    // The smallest range holding every stored cell (values and formatted empty cells); none
    // on a sheet that stores no cell.
    std::optional<CellRange> usedRange() const;

    // Last row / column with a stored cell inside the given bounds; 0 when none.
    int lastColumnInRows(int firstRow, int lastRow) const;
    int lastRowInColumns(int firstColumn, int lastColumn) const;

    // The rows with stored cells, ordered by row number.
    const std::map<int, Row>& rows() const { return m_rows; }
    // Number of stored cells.
    long long cellCount() const { return m_cellCount; }

    FormatTable& formatTable() { return *m_formats; }
    const FormatTable& formatTable() const { return *m_formats; }
    const std::shared_ptr<FormatTable>& sharedFormatTable() const { return m_formats; }

private:
    Cell* findOrCreate(int row, int column);
    void dropIfBare(int row, int column);

    QString m_name;
    std::shared_ptr<FormatTable> m_formats;
    std::map<int, Row> m_rows;
    std::map<int, double> m_columnWidths;
    std::map<int, ColumnFormatRun> m_columnFormats;
    std::map<int, int> m_rowFormats;
    std::map<int, double> m_rowHeights;
    std::set<int> m_fittedRows;  // rows of m_rowHeights whose height was fitted
    std::vector<CellRange> m_merges;
    std::set<std::pair<int, int>> m_cutCells;
    std::set<std::pair<int, int>> m_unsplitCells;
    CellRange m_selection;
    CellRange m_autoFilter;
    bool m_hasAutoFilter = false;
    int m_frozenRows = 0;
    long long m_cellCount = 0;
    QString m_lostContent;
};
