#pragma once

#include "automation/serverobject.h"
#include "office/excel/server/excelsession.h"

#include <memory>

// The "WorkBooks" collection: "Add" (a new workbook with three sheets, made active),
// "Open(const QString&)" (a workbook file by its extension; failure when it cannot be read),
// "Count", "Item(int)".
class ExcelWorkbooks : public ServerObject {
public:
    explicit ExcelWorkbooks(std::shared_ptr<ExcelSession> session);

    ServerReply invoke(const ServerCall& call) override;

private:
    std::shared_ptr<ExcelSession> m_session;
};
