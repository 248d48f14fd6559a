#include "office/excel/server/excelworkbooks.h"

#include "office/excel/server/excelworkbook.h"
#include "office/excel/workbookfile.h"

ExcelWorkbooks::ExcelWorkbooks(std::shared_ptr<ExcelSession> session)
    : m_session(std::move(session)) {}

/* Answer the collection's members. */
ServerReply ExcelWorkbooks::invoke(const ServerCall& call) {
    if (call.is("Add")) {
        auto workbook = Workbook::createNew(3);
        m_session->open(workbook);
        return ServerReply::ofObject(std::make_shared<ExcelWorkbook>(m_session, workbook));
    }
    if (call.is("Open")) {
        const QString path = call.arg(0).toString();
        auto workbook = std::make_shared<Workbook>();
        const WorkbookFileResult result = WorkbookFile::load(path, *workbook);
        if (!result) {
            m_session->lastError = result.message;
            return ServerReply::failure(result.message);
        }
        m_session->open(workbook);
        return ServerReply::ofObject(std::make_shared<ExcelWorkbook>(m_session, workbook));
    }
    if (call.is("Count")) {
        return ServerReply::ofValue(static_cast<int>(m_session->workbooks().size()));
    }
    if (call.is("Item")) {
        const auto& open = m_session->workbooks();
        const int index = call.itemIndex(static_cast<int>(open.size()));
        if (index < 0) {
            return ServerReply::failure();
        }
        return ServerReply::ofObject(
            std::make_shared<ExcelWorkbook>(m_session, open[static_cast<size_t>(index)]));
    }
    return ServerReply::failure();
}
