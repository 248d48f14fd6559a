#pragma once

#include "automation/serverobject.h"
#include "office/excel/model/workbook.h"

#include <memory>

// The window of a workbook (Application.ActiveWindow), showing its active sheet: "SplitRow"
// (rows above the split) and "FreezePanes" (true freezes the rows above the split, false
// unfreezes). Dead once its workbook is closed.
class ExcelWindow : public ServerObject {
public:
    explicit ExcelWindow(const std::shared_ptr<Workbook>& workbook);

    ServerReply invoke(const ServerCall& call) override;
    bool isAlive() const override { return !m_workbook.expired(); }

private:
    std::weak_ptr<Workbook> m_workbook;
    int m_splitRow = 0;  // rows above the split; frozen by FreezePanes
};
