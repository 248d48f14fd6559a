#pragma once

#include "automation/serverobject.h"
#include "office/excel/server/excelsession.h"

#include <memory>

// A workbook's "Sheets" collection: "Count" (property or method), "Item(int)" (1-based, or
// a sheet name), "Add(QVariant)" / "Add(conts QVariant)" (a new sheet named as Excel names
// it, before the sheet given, after the sheet given as second argument, or before the
// active sheet without arguments; it becomes the active sheet). Dead once the workbook is
// closed.
class ExcelSheets : public ServerObject {
public:
    ExcelSheets(std::shared_ptr<ExcelSession> session, const std::shared_ptr<Workbook>& workbook);

    ServerReply invoke(const ServerCall& call) override;
    bool isAlive() const override { return !m_workbook.expired(); }

private:
    ServerReply add(const std::shared_ptr<Workbook>& workbook, const ServerCall& call);

    std::shared_ptr<ExcelSession> m_session;
    std::weak_ptr<Workbook> m_workbook;
};
