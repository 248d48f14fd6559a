#pragma once

// The workbook model of the built-in Excel.
//
// - Workbook (here): ordered sheets, the shared format table, the active sheet, sheet naming
//   with Excel's rules.
// - Worksheet (worksheet.h): sparse cells, widths, heights, merges, selection.
// - Cell (cell.h), CellRange (cellrange.h), FormatTable (formattable.h).
// - WorkbookFile (workbookfile.h): save and load by file extension.
//
// Workbooks and sheets are held by shared_ptr; the automation objects keep weak_ptrs, so a
// closed workbook or a deleted sheet is freed at once and its handles read as dead.

#include "office/excel/model/formattable.h"
#include "office/excel/model/worksheet.h"

#include <QHash>
#include <QString>

#include <memory>
#include <vector>

class Workbook {
public:
    // Why a sheet rename was refused.
    enum class NameError { None, Empty, TooLong, BadCharacter, Clash, NoSheet };

    // An empty workbook (no sheets); readers fill it with addSheet().
    Workbook();
    // A new workbook as Excel makes it: sheets "Sheet1".."Sheet<count>".
    static std::shared_ptr<Workbook> createNew(int sheetCount = 3);

    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;

    int sheetCount() const { return static_cast<int>(m_sheets.size()); }
    // The sheet at a 0-based position, or null when out of range.
    std::shared_ptr<Worksheet> sheet(int index) const;
    // 0-based position of a sheet of this workbook, or -1.
    int indexOf(const Worksheet* sheet) const;
    // The sheet with that name (letter case ignored), or null.
    std::shared_ptr<Worksheet> sheetByName(const QString& name) const;

    // Insert a new sheet at a 0-based position (clamped to 0..sheetCount()). An empty name
    // gives the next "SheetN" never used in this workbook; a given name must pass
    // checkName(), else null is returned and nothing changes.
    std::shared_ptr<Worksheet> insertSheet(int index, const QString& name = QString());
    // Append a sheet (readers); same naming as insertSheet.
    std::shared_ptr<Worksheet> addSheet(const QString& name = QString());

    // Remove the sheet at `index`. Refused (false) for the last remaining sheet, as Excel
    // keeps at least one sheet.
    bool removeSheet(int index);
    // Move the sheet at `from` so that it stands before the sheet now at `before`
    // (before == sheetCount() moves it to the end). False for bad positions.
    bool moveSheet(int from, int before);

    // Rename the sheet at `index` by Excel's rules: 1 to 31 characters, none of []:*?/\ ,
    // not starting or ending with an apostrophe, unique regardless of letter case among the
    // other sheets. Returns NameError::None on success; the name is unchanged otherwise.
    NameError renameSheet(int index, const QString& name);
    // Check a name for the sheet at `index` (-1: a new sheet) without renaming.
    NameError checkName(const QString& name, int index) const;

    // The active sheet's position (0 when the workbook is new).
    int activeSheet() const { return m_activeSheet; }
    void setActiveSheet(int index);

    FormatTable& formatTable() { return *m_formats; }
    const FormatTable& formatTable() const { return *m_formats; }
    const std::shared_ptr<FormatTable>& sharedFormatTable() const { return m_formats; }

    // The file the workbook was opened from or last saved to (empty for a new one).
    const QString& path() const { return m_path; }
    void setPath(const QString& path) { m_path = path; }

    // What the last save told the user although it succeeded (cell formats that took the
    // nearest kept one); empty when it had nothing to say.
    const QString& saveWarning() const { return m_saveWarning; }
    void setSaveWarning(const QString& warning) { m_saveWarning = warning; }

private:
    QString nextSheetName();
    void renumberFrom(int from);

    std::vector<std::shared_ptr<Worksheet>> m_sheets;
    // The sheets by case-folded name, so that name checks and lookups do not scan every
    // sheet (a document of many tables makes many sheets).
    QHash<QString, std::shared_ptr<Worksheet>> m_byName;
    QHash<const Worksheet*, int> m_positions;  // each sheet's index in m_sheets
    std::shared_ptr<FormatTable> m_formats;
    int m_activeSheet = 0;
    int m_sheetNumber = 0;  // highest N of any "SheetN" this workbook ever named
    QString m_path;
    QString m_saveWarning;
};
