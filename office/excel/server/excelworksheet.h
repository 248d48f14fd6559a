#pragma once

#include "automation/serverobject.h"
#include "office/excel/server/excelsession.h"
#include "office/excel/paste/pasteengine.h"

#include <memory>

// One sheet: "Name" (read; set by Excel's naming rules, a refused name is a failure),
// "Index", "Select()"/"Activate()", "Delete()" (no prompt; the last sheet cannot be deleted),
// "Move(conts QVariant)" (before the given sheet, or after the second argument),
// "Range(const QString&)", "UsedRange", "Cells(int, int)" (and "Cells" for the whole sheet),
// "Paste()" (the clipboard at the top-left cell of the selection, or at a destination range
// given as argument), "PasteSpecial(conts QVariant&)" (a paste code at the selection).
// Dead once the sheet is deleted or its workbook closed.
class ExcelWorksheet : public ServerObject {
public:
    ExcelWorksheet(std::shared_ptr<ExcelSession> session, const std::shared_ptr<Workbook>& workbook,
                   const std::shared_ptr<Worksheet>& sheet);

    ServerReply invoke(const ServerCall& call) override;
    bool isAlive() const override;

    // The sheet while alive, or null.
    std::shared_ptr<Worksheet> sheet() const;

    // Paste the clipboard at a cell of `sheet` with a paste type; failure when the
    // clipboard is empty or the content does not fit.
    static ServerReply pasteClipboard(Worksheet& sheet, int row, int column, PasteType type);
    // "PasteSpecial" at a cell of `sheet`: paste the clipboard with the paste code `code`
    // (All when `code` is missing); failure for a code that names no supported paste type,
    // otherwise as pasteClipboard.
    static ServerReply pasteSpecial(Worksheet& sheet, int row, int column, const QVariant& code);

private:
    ServerReply move(Workbook& workbook, Worksheet& sheet, const ServerCall& call);
    ServerReply range(const std::shared_ptr<Workbook>& workbook,
                      const std::shared_ptr<Worksheet>& sheet, const ServerCall& call);

    std::shared_ptr<ExcelSession> m_session;
    std::weak_ptr<Workbook> m_workbook;
    std::weak_ptr<Worksheet> m_sheet;
};
