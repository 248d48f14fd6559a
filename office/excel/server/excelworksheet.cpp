#include "office/excel/server/excelworksheet.h"

#include "office/clipboard/clipboard.h"
#include "office/excel/server/excelrange.h"

ExcelWorksheet::ExcelWorksheet(std::shared_ptr<ExcelSession> session,
                               const std::shared_ptr<Workbook>& workbook,
                               const std::shared_ptr<Worksheet>& sheet)
    : m_session(std::move(session)), m_workbook(workbook), m_sheet(sheet) {}

/* The sheet while its workbook is open and still holds it. */
std::shared_ptr<Worksheet> ExcelWorksheet::sheet() const {
    return ExcelSession::liveSheet(m_workbook, m_sheet);
}

/* Alive while the sheet exists. */
bool ExcelWorksheet::isAlive() const {
    return sheet() != nullptr;
}

/* Paste the current clipboard. */
ServerReply ExcelWorksheet::pasteClipboard(Worksheet& sheet, int row, int column, PasteType type) {
    const Fragment* fragment = Clipboard::current().fragment();
    if (fragment == nullptr) {
        // The copy before this paste failed (for example a table too wide to copy).
        sheet.noteLostContent(QStringLiteral("the content could not be copied"));
        return ServerReply::failure();
    }
    if (!PasteEngine::paste(sheet, *fragment, row, column, type)) {
        sheet.noteLostContent(QStringLiteral("the content does not fit the sheet (%1 rows, %2 "
                                             "columns at row %3, column %4)")
                                  .arg(fragment->rowCount)
                                  .arg(fragment->columnCount)
                                  .arg(row)
                                  .arg(column));
        return ServerReply::failure();
    }
    return ServerReply::ofValue(true);
}

/* Paste the clipboard at a cell with an optional paste code. */
ServerReply ExcelWorksheet::pasteSpecial(Worksheet& sheet, int row, int column,
                                         const QVariant& code) {
    if (!code.isValid()) {
        return pasteClipboard(sheet, row, column, PasteType::All);
    }
    const std::optional<int> value = ServerCall::toInt(code);
    const std::optional<PasteType> type =
        value ? PasteEngine::pasteTypeFromCode(*value) : std::nullopt;
    if (!type) {
        return ServerReply::failure();
    }
    return pasteClipboard(sheet, row, column, *type);
}

/* Move the sheet before (or after) another sheet of the same workbook. */
ServerReply ExcelWorksheet::move(Workbook& workbook, Worksheet& sheet, const ServerCall& call) {
    const bool after = !call.arg(0).isValid() || call.arg(0).isNull();
    const auto anchorObject =
        std::dynamic_pointer_cast<ExcelWorksheet>(serverObjectFromVariant(call.arg(after ? 1 : 0)));
    const auto anchor = anchorObject ? anchorObject->sheet() : nullptr;
    const int anchorIndex = anchor ? workbook.indexOf(anchor.get()) : -1;
    if (anchorIndex < 0) {
        return ServerReply::failure();  // moving into a new workbook is not supported
    }
    const int from = workbook.indexOf(&sheet);
    return workbook.moveSheet(from, after ? anchorIndex + 1 : anchorIndex)
               ? ServerReply::ofValue(true)
               : ServerReply::failure();
}

/* Make a range object from "Range", "Cells" or "UsedRange". */
ServerReply ExcelWorksheet::range(const std::shared_ptr<Workbook>& workbook,
                                  const std::shared_ptr<Worksheet>& sheet, const ServerCall& call) {
    CellRange area;
    if (call.is("UsedRange")) {
        area = sheet->usedRange().value_or(CellRange::cell(1, 1));  // A1 on an empty sheet
    } else if (call.is("Cells")) {
        const std::optional<int> row = call.intArg(0);
        const std::optional<int> column = call.intArg(1);
        if (call.args.isEmpty()) {
            area = {1, 1, kMaxRows, kMaxColumns};
        } else if (!row || !column || *row < 1 || *row > kMaxRows || *column < 1 ||
                   *column > kMaxColumns) {
            return ServerReply::failure();
        } else {
            area = CellRange::cell(*row, *column);
        }
    } else {
        QString text = call.arg(0).toString();
        if (call.arg(1).isValid()) {
            text += QLatin1Char(':') + call.arg(1).toString();
        }
        const std::optional<CellRange> parsed = CellRange::parse(text);
        if (!parsed) {
            return ServerReply::failure();
        }
        area = *parsed;
    }
    return ServerReply::ofObject(std::make_shared<ExcelRange>(workbook, sheet, area));
}

/* Answer the sheet's members. */
ServerReply ExcelWorksheet::invoke(const ServerCall& call) {
    const auto workbook = m_workbook.lock();
    const auto sheet = this->sheet();
    if (!workbook || !sheet) {
        return ServerReply::failure();
    }
    if (call.is("Name")) {
        if (call.kind != CallKind::PropertySet) {
            return ServerReply::ofValue(sheet->name());
        }
        const QString name = call.arg(0).toString();
        return workbook->renameSheet(workbook->indexOf(sheet.get()), name) ==
                       Workbook::NameError::None
                   ? ServerReply::ofValue(true)
                   : ServerReply::failure();
    }
    if (call.is("Index")) {
        return ServerReply::ofValue(workbook->indexOf(sheet.get()) + 1);
    }
    if (call.is("Select") || call.is("Activate")) {
        workbook->setActiveSheet(workbook->indexOf(sheet.get()));
        return ServerReply::ofValue(true);
    }
    if (call.is("Delete")) {
        return workbook->removeSheet(workbook->indexOf(sheet.get())) ? ServerReply::ofValue(true)
                                                                     : ServerReply::failure();
    }
    if (call.is("Move")) {
        return move(*workbook, *sheet, call);
    }
    if (call.is("Range") || call.is("Cells") || call.is("UsedRange")) {
        return range(workbook, sheet, call);
    }
    if (call.is("Paste")) {
        CellRange target = sheet->selection();
        const auto destination =
            std::dynamic_pointer_cast<ExcelRange>(serverObjectFromVariant(call.arg(0)));
        if (destination) {
            if (destination->sheet() != sheet) {
                return ServerReply::failure();
            }
            target = destination->range();
        }
        return pasteClipboard(*sheet, target.firstRow, target.firstColumn, PasteType::All);
    }
    if (call.is("PasteSpecial")) {
        return pasteSpecial(*sheet, sheet->selection().firstRow, sheet->selection().firstColumn,
                            call.arg(0));
    }
    return ServerReply::failure();
}
