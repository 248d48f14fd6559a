#include "office/excel/server/excelsession.h"

#include "automation/serverobject.h"

#include <algorithm>

/* Keep a workbook open and active. */
void ExcelSession::open(std::shared_ptr<Workbook> workbook) {
    m_active = workbook;
    m_workbooks.push_back(std::move(workbook));
}

/* Drop a workbook; the last remaining one becomes active when the active one closes. */
bool ExcelSession::close(const Workbook* workbook) {
    const auto it = std::find_if(m_workbooks.begin(), m_workbooks.end(),
                                 [&](const auto& open) { return open.get() == workbook; });
    if (it == m_workbooks.end()) {
        return false;
    }
    m_workbooks.erase(it);
    if (m_active.expired() && !m_workbooks.empty()) {
        m_active = m_workbooks.back();
    }
    return true;
}

/* Drop every workbook. */
void ExcelSession::closeAll() {
    m_workbooks.clear();
    m_active.reset();
}

/* The active workbook while it is open. */
std::shared_ptr<Workbook> ExcelSession::activeWorkbook() const {
    return m_active.lock();
}

/* Lock a sheet and check that its workbook still holds it. */
std::shared_ptr<Worksheet> ExcelSession::liveSheet(const std::weak_ptr<Workbook>& workbook,
                                                   const std::weak_ptr<Worksheet>& sheet) {
    const auto book = workbook.lock();
    auto locked = sheet.lock();
    if (!book || !locked || book->indexOf(locked.get()) < 0) {
        return nullptr;
    }
    return locked;
}
