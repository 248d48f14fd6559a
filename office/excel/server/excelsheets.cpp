#include "office/excel/server/excelsheets.h"

#include "office/excel/server/excelworksheet.h"

ExcelSheets::ExcelSheets(std::shared_ptr<ExcelSession> session,
                         const std::shared_ptr<Workbook>& workbook)
    : m_session(std::move(session)), m_workbook(workbook) {}

/* Insert a new sheet where the arguments say. */
ServerReply ExcelSheets::add(const std::shared_ptr<Workbook>& workbook, const ServerCall& call) {
    int position = workbook->activeSheet();
    const bool hasBefore = call.arg(0).isValid() && !call.arg(0).isNull();
    const bool hasAfter = call.arg(1).isValid() && !call.arg(1).isNull();
    if (hasBefore || hasAfter) {
        const auto object = serverObjectFromVariant(call.arg(hasBefore ? 0 : 1));
        const auto sheetObject = std::dynamic_pointer_cast<ExcelWorksheet>(object);
        const auto anchor = sheetObject ? sheetObject->sheet() : nullptr;
        const int index = anchor ? workbook->indexOf(anchor.get()) : -1;
        if (index < 0) {
            return ServerReply::failure();  // not a sheet of this workbook
        }
        position = hasBefore ? index : index + 1;
    }
    const auto sheet = workbook->insertSheet(position);
    if (!sheet) {
        return ServerReply::failure();
    }
    workbook->setActiveSheet(workbook->indexOf(sheet.get()));
    return ServerReply::ofObject(std::make_shared<ExcelWorksheet>(m_session, workbook, sheet));
}

/* Answer the collection's members. */
ServerReply ExcelSheets::invoke(const ServerCall& call) {
    const auto workbook = m_workbook.lock();
    if (!workbook) {
        return ServerReply::failure();
    }
    if (call.is("Count")) {
        return ServerReply::ofValue(workbook->sheetCount());
    }
    if (call.is("Item")) {
        std::shared_ptr<Worksheet> sheet;
        if (const std::optional<int> index = call.intArg(0)) {
            sheet = workbook->sheet(*index - 1);
        } else if (call.arg(0).type() == QVariant::String) {
            sheet = workbook->sheetByName(call.arg(0).toString());
        }
        return sheet ? ServerReply::ofObject(
                           std::make_shared<ExcelWorksheet>(m_session, workbook, sheet))
                     : ServerReply::failure();
    }
    if (call.is("Add")) {
        return add(workbook, call);
    }
    return ServerReply::failure();
}
