#pragma once

#include "office/excel/model/workbook.h"

#include <QString>
#include <QVariant>

#include <memory>
#include <vector>

// The state of one built-in Excel application: its open workbooks (the only owners of the
// workbook models), the active workbook and the application settings. Shared by the
// application object and its collections; workbook and sheet objects hold only weak
// references, so closing a workbook frees it.
class ExcelSession {
public:
    // Add an open workbook and make it active.
    void open(std::shared_ptr<Workbook> workbook);
    // Close a workbook unsaved; its objects read as dead afterwards. False when not open.
    bool close(const Workbook* workbook);
    // Close every workbook (Quit).
    void closeAll();

    // The active workbook (the last opened or activated one still open), or null.
    std::shared_ptr<Workbook> activeWorkbook() const;
    void activate(const std::shared_ptr<Workbook>& workbook) { m_active = workbook; }

    const std::vector<std::shared_ptr<Workbook>>& workbooks() const { return m_workbooks; }

    bool displayAlerts = true;
    bool visible = false;
    // The message of the last failed open or save, for diagnostics.
    QString lastError;

    // The sheet while its workbook is still open and still holds it, else null.
    static std::shared_ptr<Worksheet> liveSheet(const std::weak_ptr<Workbook>& workbook,
                                                const std::weak_ptr<Worksheet>& sheet);

private:
    std::vector<std::shared_ptr<Workbook>> m_workbooks;
    std::weak_ptr<Workbook> m_active;
};
