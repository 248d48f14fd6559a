#include "office/excel/server/excelrange.h"

#include "office/clipboard/clipboard.h"
#include "office/excel/server/excelsession.h"
#include "office/excel/server/excelworksheet.h"
#include "office/excel/paste/columnfit.h"
#include "office/excel/paste/pasteengine.h"
#include "office/excel/paste/rowlayout.h"
#include "office/excel/paste/texttocolumns.h"

namespace {

// Writing "Value" into more cells than this is refused (a whole column would be a million).
const long long kMaxValueCells = 1024LL * 1024;

/* A cell's value as a variant. */
QVariant cellValue(const Cell* cell) {
    if (cell == nullptr) {
        return QVariant();
    }
    switch (cell->kind) {
        case Cell::Kind::Number:
            return cell->number;
        case Cell::Kind::Text:
            return cell->text;
        case Cell::Kind::Boolean:
            return cell->number != 0;
        case Cell::Kind::Empty:
            break;
    }
    return QVariant();
}

}  // namespace

ExcelRange::ExcelRange(const std::shared_ptr<Workbook>& workbook,
                       const std::shared_ptr<Worksheet>& sheet, const CellRange& range)
    : m_workbook(workbook), m_sheet(sheet), m_range(range) {}

/* The sheet while its workbook still holds it. */
std::shared_ptr<Worksheet> ExcelRange::sheet() const {
    return ExcelSession::liveSheet(m_workbook, m_sheet);
}

/* Split the range's column with Excel's arguments. */
ServerReply ExcelRange::textToColumns(Worksheet& sheet, const ServerCall& call) {
    CellRange destination = m_range;
    if (call.arg(0).isValid() && !call.arg(0).isNull()) {
        const auto target =
            std::dynamic_pointer_cast<ExcelRange>(serverObjectFromVariant(call.arg(0)));
        if (!target || target->sheet().get() != &sheet) {
            return ServerReply::failure();
        }
        destination = target->range();
    }
    if (call.arg(1).isValid() && call.intArg(1) != 1) {
        return ServerReply::failure();  // only delimited data is supported
    }
    TextToColumns::Options options;
    options.qualifier = TextToColumns::DoubleQuote;
    if (call.arg(2).isValid()) {
        const std::optional<int> qualifier = call.intArg(2);
        if (!qualifier) {
            return ServerReply::failure();
        }
        options.qualifier = *qualifier;
    }
    options.consecutiveDelimiter = call.boolArg(3, false);
    options.tab = call.boolArg(4, false);
    options.semicolon = call.boolArg(5, false);
    options.comma = call.boolArg(6, false);
    options.space = call.boolArg(7, false);
    options.other = call.boolArg(8, false);
    const QString otherChar = call.arg(9).toString();
    if (!otherChar.isEmpty()) {
        options.otherChar = otherChar.at(0);  // Excel uses the first character only
    }
    return TextToColumns::split(sheet, m_range, destination.firstRow, destination.firstColumn,
                                options)
               ? ServerReply::ofValue(true)
               : ServerReply::failure();
}

/* Read or write "Value". */
ServerReply ExcelRange::value(Worksheet& sheet, const ServerCall& call) {
    if (call.kind != CallKind::PropertySet && call.args.isEmpty()) {
        return ServerReply::ofValue(cellValue(sheet.cell(m_range.firstRow, m_range.firstColumn)));
    }
    const QVariant value = call.arg(call.args.size() - 1);
    if (value.type() == QVariant::List) {
        // An array: one list per row from the top-left cell, entered as typed.
        return ColumnFit::writeBlock(sheet, m_range.firstRow, m_range.firstColumn, value.toList())
                   ? ServerReply::ofValue(true)
                   : ServerReply::failure();
    }
    if (static_cast<long long>(m_range.rowCount()) * m_range.columnCount() > kMaxValueCells) {
        return ServerReply::failure();
    }
    for (int r = m_range.firstRow; r <= m_range.lastRow; ++r) {
        for (int c = m_range.firstColumn; c <= m_range.lastColumn; ++c) {
            if (!value.isValid() || value.isNull()) {
                sheet.clearValue(r, c);
            } else if (value.type() == QVariant::Bool) {
                sheet.setBoolean(r, c, value.toBool());
            } else if (value.type() == QVariant::String) {
                sheet.setText(r, c, value.toString());
            } else {
                sheet.setNumber(r, c, value.toDouble());
            }
        }
    }
    return ServerReply::ofValue(true);
}

/* Read or write the width of the range's columns or the height of its rows. */
ServerReply ExcelRange::size(Worksheet& sheet, const ServerCall& call, bool columns) {
    if (call.kind != CallKind::PropertySet) {
        return ServerReply::ofValue(columns ? sheet.columnWidth(m_range.firstColumn)
                                            : sheet.rowHeight(m_range.firstRow));
    }
    bool ok = false;
    const double size = call.arg(0).toDouble(&ok);
    if (!ok || size < 0) {
        return ServerReply::failure();
    }
    const int first = columns ? m_range.firstColumn : m_range.firstRow;
    const int last = columns ? m_range.lastColumn : m_range.lastRow;
    if (last - first >= 65536) {
        return ServerReply::failure();
    }
    for (int i = first; i <= last; ++i) {
        if (columns) {
            sheet.setColumnWidth(i, size);
        } else {
            sheet.setRowHeight(i, size);
        }
    }
    return ServerReply::ofValue(true);
}

/* Fit whole columns to their text, or whole rows to theirs. */
ServerReply ExcelRange::autoFit(Worksheet& sheet) {
    if (m_range.isWholeColumns()) {
        ColumnFit::fitColumns(sheet, m_range.firstColumn, m_range.lastColumn);
        return ServerReply::ofValue(true);
    }
    if (m_range.isWholeRows()) {
        RowLayout::fitRows(sheet, m_range.firstRow, std::min(m_range.lastRow, kMaxRows));
        return ServerReply::ofValue(true);
    }
    return ServerReply::failure();
}

/* Answer the range's members. */
ServerReply ExcelRange::invoke(const ServerCall& call) {
    const auto sheet = this->sheet();
    if (!sheet) {
        return ServerReply::failure();
    }
    if (call.is("Copy")) {
        Clipboard::current().setFragment(PasteEngine::copy(*sheet, m_range));
        return ServerReply::ofValue(true);
    }
    if (call.is("PasteSpecial")) {
        return ExcelWorksheet::pasteSpecial(*sheet, m_range.firstRow, m_range.firstColumn,
                                            call.arg(0));
    }
    if (call.is("TextToColumns")) {
        return textToColumns(*sheet, call);
    }
    if (call.is("Value") || call.is("Value2")) {
        return value(*sheet, call);
    }
    if (call.is("Select")) {
        sheet->setSelection(m_range);
        return ServerReply::ofValue(true);
    }
    if (call.is("Address")) {
        return ServerReply::ofValue(m_range.toString());
    }
    if (call.is("ColumnWidth") || call.is("RowHeight")) {
        return size(*sheet, call, call.is("ColumnWidth"));
    }
    if (call.is("AutoFit")) {
        return autoFit(*sheet);
    }
    if (call.is("AutoFilter")) {
        sheet->setAutoFilter(m_range);
        return ServerReply::ofValue(true);
    }
    if (call.is("Cells")) {
        const std::optional<int> rowInRange = call.intArg(0);
        const std::optional<int> columnInRange = call.intArg(1);
        if (!rowInRange || !columnInRange) {
            return ServerReply::failure();
        }
        const int row = *rowInRange + m_range.firstRow - 1;
        const int column = *columnInRange + m_range.firstColumn - 1;
        if (row < 1 || row > kMaxRows || column < 1 || column > kMaxColumns) {
            return ServerReply::failure();
        }
        return ServerReply::ofObject(
            std::make_shared<ExcelRange>(m_workbook.lock(), sheet, CellRange::cell(row, column)));
    }
    return ServerReply::failure();
}
