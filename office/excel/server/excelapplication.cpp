#include "office/excel/server/excelapplication.h"

#include "office/excel/server/excelsession.h"
#include "office/excel/server/excelworkbook.h"
#include "office/excel/server/excelworkbooks.h"
#include "office/excel/server/excelwindow.h"
#include "office/excel/server/excelworksheet.h"

namespace {

// The application object: settings, the workbooks collection, Quit.
class ExcelApplication : public ServerObject {
public:
    ExcelApplication() : m_session(std::make_shared<ExcelSession>()) {}

    /* Answer the application's members. */
    ServerReply invoke(const ServerCall& call) override {
        if (call.is("SetVisible") || (call.is("Visible") && call.kind == CallKind::PropertySet)) {
            m_session->visible = call.boolArg(0, false);
            return ServerReply::ofValue(true);
        }
        if (call.is("Visible")) {
            return ServerReply::ofValue(m_session->visible);
        }
        if (call.is("DisplayAlerts")) {
            if (call.kind == CallKind::PropertyGet) {
                return ServerReply::ofValue(m_session->displayAlerts);
            }
            m_session->displayAlerts = call.boolArg(0, true);
            return ServerReply::ofValue(true);
        }
        if (call.is("ScreenUpdating")) {
            return ServerReply::ofValue(true);
        }
        if (call.is("WorkBooks")) {
            return ServerReply::ofObject(std::make_shared<ExcelWorkbooks>(m_session));
        }
        if (call.is("ActiveWorkBook")) {
            const auto workbook = m_session->activeWorkbook();
            return workbook
                       ? ServerReply::ofObject(std::make_shared<ExcelWorkbook>(m_session, workbook))
                       : ServerReply::failure();
        }
        if (call.is("ActiveSheet")) {
            const auto workbook = m_session->activeWorkbook();
            const auto sheet = workbook ? workbook->sheet(workbook->activeSheet()) : nullptr;
            return sheet ? ServerReply::ofObject(
                               std::make_shared<ExcelWorksheet>(m_session, workbook, sheet))
                         : ServerReply::failure();
        }
        if (call.is("ActiveWindow")) {
            const auto workbook = m_session->activeWorkbook();
            return workbook ? ServerReply::ofObject(std::make_shared<ExcelWindow>(workbook))
                            : ServerReply::failure();
        }
        if (call.is("Quit")) {
            // Workbooks close unsaved (alerts are the caller's business); the object stays
            // usable, since the job binds it again for the next document.
            m_session->closeAll();
            return ServerReply::ofValue(true);
        }
        return ServerReply::failure();
    }

private:
    std::shared_ptr<ExcelSession> m_session;
};

}  // namespace

/* Make a new application with no workbooks. */
ServerObjectPtr createExcelApplication() {
    return std::make_shared<ExcelApplication>();
}
