#pragma once

#include "automation/serverobject.h"
#include "office/excel/server/excelsession.h"

#include <QStringList>

#include <memory>

// One open workbook: "Sheets"/"Worksheets", "ActiveSheet", "SaveAs(const QString&)" (by the
// path's extension; failure, and no file, when it cannot be saved), "Save", "Close (Boolean)"
// (always unsaved), "Activate", "Name", "FullName", and "CutCells": the cells whose pasted
// text was cut to the longest text a cell holds, or that a column split left holding the rest
// of a row unsplit, as "Sheet!A1 (why)" texts in sheet order (a member of the built-in office
// only; other applications cut silently). Dead once closed.
class ExcelWorkbook : public ServerObject {
public:
    ExcelWorkbook(std::shared_ptr<ExcelSession> session, const std::shared_ptr<Workbook>& workbook);

    ServerReply invoke(const ServerCall& call) override;
    bool isAlive() const override;

    // The workbook, or null once it was closed.
    std::shared_ptr<Workbook> workbook() const;

private:
    ServerReply saveAs(Workbook& workbook, const QString& path);
    static QStringList cutCells(const Workbook& workbook);

    std::shared_ptr<ExcelSession> m_session;
    std::weak_ptr<Workbook> m_workbook;
};
