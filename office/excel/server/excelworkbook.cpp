#include "office/excel/server/excelworkbook.h"

#include "office/excel/server/excelsheets.h"
#include "office/excel/server/excelworksheet.h"
#include "office/excel/workbookfile.h"

#include <QFileInfo>

#include <map>
#include <utility>

ExcelWorkbook::ExcelWorkbook(std::shared_ptr<ExcelSession> session,
                             const std::shared_ptr<Workbook>& workbook)
    : m_session(std::move(session)), m_workbook(workbook) {}

/* The workbook while it is open. */
std::shared_ptr<Workbook> ExcelWorkbook::workbook() const {
    return m_workbook.lock();
}

/* Alive while the workbook is open. */
bool ExcelWorkbook::isAlive() const {
    return !m_workbook.expired();
}

/* Save under a path, remembering the error for diagnostics. */
ServerReply ExcelWorkbook::saveAs(Workbook& workbook, const QString& path) {
    // A workbook that lost content would pass for a complete conversion.
    for (int i = 0; i < workbook.sheetCount(); ++i) {
        const QString& lost = workbook.sheet(i)->lostContent();
        if (!lost.isEmpty()) {
            m_session->lastError = QStringLiteral("content lost on sheet ") +
                                   workbook.sheet(i)->name() + QStringLiteral(": ") + lost;
            return ServerReply::failure(m_session->lastError);
        }
    }
    const WorkbookFileResult result = WorkbookFile::save(workbook, path);
    if (!result) {
        m_session->lastError = result.message;
        return ServerReply::failure(result.message);
    }
    workbook.setPath(path);
    workbook.setSaveWarning(result.warning);
    return ServerReply::ofValue(true);
}

/* "Sheet!A1 (why)" for every cell whose text was cut: a paste cut it to what a cell holds, or
   a column split left the rest of a row in it unsplit; in sheet order, then cell order. Then
   the last save's warning: the one list of a saved workbook's losses that reaches the report. */
QStringList ExcelWorkbook::cutCells(const Workbook& workbook) {
    QStringList cells;
    for (int i = 0; i < workbook.sheetCount(); ++i) {
        const auto sheet = workbook.sheet(i);
        std::map<std::pair<int, int>, QStringList> why;
        for (const auto& cell : sheet->cutCells()) {
            why[cell].append(QStringLiteral("text cut to 32,767 characters"));
        }
        for (const auto& cell : sheet->unsplitCells()) {
            why[cell].append(QStringLiteral("more parts than columns: the rest is here, unsplit"));
        }
        for (const auto& entry : why) {
            cells.append(sheet->name() + QLatin1Char('!') +
                         CellRange::columnName(entry.first.second) +
                         QString::number(entry.first.first) + QStringLiteral(" (") +
                         entry.second.join(QStringLiteral("; ")) + QLatin1Char(')'));
        }
    }
    if (!workbook.saveWarning().isEmpty()) {
        cells.append(workbook.saveWarning());
    }
    return cells;
}

/* Answer the workbook's members. */
ServerReply ExcelWorkbook::invoke(const ServerCall& call) {
    const auto workbook = m_workbook.lock();
    if (!workbook) {
        return ServerReply::failure();
    }
    if (call.is("Sheets") || call.is("Worksheets")) {
        return ServerReply::ofObject(std::make_shared<ExcelSheets>(m_session, workbook));
    }
    if (call.is("ActiveSheet")) {
        return ServerReply::ofObject(std::make_shared<ExcelWorksheet>(
            m_session, workbook, workbook->sheet(workbook->activeSheet())));
    }
    if (call.is("SaveAs")) {
        const QString path = call.arg(0).toString();
        return path.isEmpty() ? ServerReply::failure() : saveAs(*workbook, path);
    }
    if (call.is("Save")) {
        return workbook->path().isEmpty() ? ServerReply::failure()
                                          : saveAs(*workbook, workbook->path());
    }
    if (call.is("Close")) {
        m_session->close(workbook.get());
        return ServerReply::ofValue(true);
    }
    if (call.is("Activate")) {
        m_session->activate(workbook);
        return ServerReply::ofValue(true);
    }
    if (call.is("FullName")) {
        return ServerReply::ofValue(workbook->path());
    }
    if (call.is("Name")) {
        return ServerReply::ofValue(QFileInfo(workbook->path()).fileName());
    }
    if (call.is("CutCells")) {
        return ServerReply::ofValue(cutCells(*workbook));
    }
    return ServerReply::failure();
}
