#include "office/excel/server/excelwindow.h"

#include "office/excel/server/excelsession.h"

/* The window over a workbook. */
ExcelWindow::ExcelWindow(const std::shared_ptr<Workbook>& workbook) : m_workbook(workbook) {}

/* Answer "SplitRow" and "FreezePanes". */
ServerReply ExcelWindow::invoke(const ServerCall& call) {
    const std::shared_ptr<Workbook> workbook = m_workbook.lock();
    const auto sheet = workbook ? workbook->sheet(workbook->activeSheet()) : nullptr;
    if (!sheet) {
        return ServerReply::failure();
    }
    if (call.is("SplitRow")) {
        if (call.kind == CallKind::PropertyGet) {
            return ServerReply::ofValue(m_splitRow);
        }
        const std::optional<int> rows = call.intArg(0);
        if (!rows || *rows < 0 || *rows >= kMaxRows) {
            return ServerReply::failure();
        }
        m_splitRow = *rows;
        return ServerReply::ofValue(true);
    }
    if (call.is("FreezePanes")) {
        if (call.kind == CallKind::PropertyGet) {
            return ServerReply::ofValue(sheet->frozenRows() > 0);
        }
        sheet->setFrozenRows(call.boolArg(0, false) ? m_splitRow : 0);
        return ServerReply::ofValue(true);
    }
    return ServerReply::failure();
}
