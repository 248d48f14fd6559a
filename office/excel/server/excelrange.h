#pragma once

#include "automation/serverobject.h"
#include "office/excel/model/cellrange.h"
#include "office/excel/model/workbook.h"

#include <memory>

// A range of a sheet: "Copy()" (to the thread's clipboard), "PasteSpecial(conts QVariant&)"
// (the clipboard at the range's top-left cell with a paste code: -4104 all, -4163 values,
// 8 column widths, -4122 formats), "TextToColumns(...)" (Excel's ten arguments: Destination,
// DataType (1 delimited), TextQualifier, ConsecutiveDelimiter, Tab, Semicolon, Comma, Space,
// Other, OtherChar), "Value" (read the top-left cell; write every cell of a range up to a
// million cells; an array, one list per row, is entered from the top-left cell as typed),
// "Select()", "Address", "Cells(int, int)" (relative to the range), "ColumnWidth", "RowHeight",
// "AutoFit()" (whole columns: widths to their text; whole rows: heights), "AutoFilter()"
// (filter buttons over the range). Dead once its sheet is deleted or its workbook closed.
class ExcelRange : public ServerObject {
public:
    ExcelRange(const std::shared_ptr<Workbook>& workbook, const std::shared_ptr<Worksheet>& sheet,
               const CellRange& range);

    ServerReply invoke(const ServerCall& call) override;
    bool isAlive() const override { return sheet() != nullptr; }

    // The sheet while alive, or null.
    std::shared_ptr<Worksheet> sheet() const;
    const CellRange& range() const { return m_range; }

private:
    ServerReply textToColumns(Worksheet& sheet, const ServerCall& call);
    ServerReply value(Worksheet& sheet, const ServerCall& call);
    ServerReply size(Worksheet& sheet, const ServerCall& call, bool columns);
    ServerReply autoFit(Worksheet& sheet);

    std::weak_ptr<Workbook> m_workbook;
    std::weak_ptr<Worksheet> m_sheet;
    CellRange m_range;
};
