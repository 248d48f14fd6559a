#include "office/excel/model/workbook.h"

#include <algorithm>

namespace {

const int kMaxSheetNameLength = 31;

/* The N of a name "SheetN" (letter case ignored), or 0. */
int sheetNumberOf(const QString& name) {
    static const QLatin1String prefix("Sheet");
    if (!name.startsWith(prefix, Qt::CaseInsensitive) || name.size() == prefix.size()) {
        return 0;
    }
    bool ok = false;
    const int number = name.mid(prefix.size()).toInt(&ok);
    return ok && number > 0 ? number : 0;
}

}  // namespace

Workbook::Workbook() : m_formats(std::make_shared<FormatTable>()) {}

/* A new workbook with Excel's default sheets. */
std::shared_ptr<Workbook> Workbook::createNew(int sheetCount) {
    auto workbook = std::make_shared<Workbook>();
    for (int i = 0; i < qMax(1, sheetCount); ++i) {
        workbook->addSheet();
    }
    return workbook;
}

/* Sheet by position. */
std::shared_ptr<Worksheet> Workbook::sheet(int index) const {
    if (index < 0 || index >= sheetCount()) {
        return nullptr;
    }
    return m_sheets[static_cast<size_t>(index)];
}

/* Position of a sheet. */
int Workbook::indexOf(const Worksheet* sheet) const {
    return m_positions.value(sheet, -1);
}

/* Note the positions of the sheets from `from` on, after an insert, removal or move. */
void Workbook::renumberFrom(int from) {
    for (int i = qMax(0, from); i < sheetCount(); ++i) {
        m_positions.insert(m_sheets[static_cast<size_t>(i)].get(), i);
    }
}

/* Sheet by name, ignoring case. */
std::shared_ptr<Worksheet> Workbook::sheetByName(const QString& name) const {
    return m_byName.value(name.toCaseFolded());
}

/* The next "SheetN" whose N was never used and whose name is free. */
QString Workbook::nextSheetName() {
    QString name;
    do {
        name = QStringLiteral("Sheet%1").arg(++m_sheetNumber);
    } while (sheetByName(name));
    return name;
}

/* Insert a sheet at a position. */
std::shared_ptr<Worksheet> Workbook::insertSheet(int index, const QString& name) {
    QString sheetName = name;
    if (sheetName.isEmpty()) {
        sheetName = nextSheetName();
    } else if (checkName(sheetName, -1) != NameError::None) {
        return nullptr;
    } else {
        m_sheetNumber = qMax(m_sheetNumber, sheetNumberOf(sheetName));
    }
    index = qBound(0, index, sheetCount());
    auto sheet = std::make_shared<Worksheet>(sheetName, m_formats);
    m_sheets.insert(m_sheets.begin() + index, sheet);
    renumberFrom(index);
    m_byName.insert(sheetName.toCaseFolded(), sheet);
    if (sheetCount() > 1 && index <= m_activeSheet) {
        ++m_activeSheet;
    }
    return sheet;
}

/* Append a sheet. */
std::shared_ptr<Worksheet> Workbook::addSheet(const QString& name) {
    return insertSheet(sheetCount(), name);
}

/* Remove a sheet, keeping at least one. */
bool Workbook::removeSheet(int index) {
    if (index < 0 || index >= sheetCount() || sheetCount() <= 1) {
        return false;
    }
    m_byName.remove(m_sheets[static_cast<size_t>(index)]->name().toCaseFolded());
    m_positions.remove(m_sheets[static_cast<size_t>(index)].get());
    m_sheets.erase(m_sheets.begin() + index);
    renumberFrom(index);
    if (m_activeSheet > index || m_activeSheet >= sheetCount()) {
        m_activeSheet = qMax(0, m_activeSheet - 1);
    }
    return true;
}

/* Move a sheet before another position. */
bool Workbook::moveSheet(int from, int before) {
    if (from < 0 || from >= sheetCount() || before < 0 || before > sheetCount()) {
        return false;
    }
    const Worksheet* active = m_sheets[static_cast<size_t>(m_activeSheet)].get();
    auto sheet = m_sheets[static_cast<size_t>(from)];
    m_sheets.erase(m_sheets.begin() + from);
    if (before > from) {
        --before;
    }
    m_sheets.insert(m_sheets.begin() + before, sheet);
    renumberFrom(qMin(from, before));
    m_activeSheet = qMax(0, indexOf(active));
    return true;
}

/* Validate a name with Excel's rules. */
Workbook::NameError Workbook::checkName(const QString& name, int index) const {
    if (name.isEmpty()) {
        return NameError::Empty;
    }
    if (name.size() > kMaxSheetNameLength) {
        return NameError::TooLong;
    }
    static const QString forbidden = QStringLiteral("[]:*?/\\");
    for (const QChar c : name) {
        if (forbidden.contains(c) || c.unicode() < 0x20) {
            return NameError::BadCharacter;
        }
    }
    if (name.startsWith(QLatin1Char('\'')) || name.endsWith(QLatin1Char('\''))) {
        return NameError::BadCharacter;
    }
    const std::shared_ptr<Worksheet> holder = sheetByName(name);
    if (holder &&
        (index < 0 || index >= sheetCount() || holder != m_sheets[static_cast<size_t>(index)])) {
        return NameError::Clash;
    }
    return NameError::None;
}

/* Rename a sheet if Excel would accept the name. */
Workbook::NameError Workbook::renameSheet(int index, const QString& name) {
    if (index < 0 || index >= sheetCount()) {
        return NameError::NoSheet;
    }
    const NameError error = checkName(name, index);
    if (error == NameError::None) {
        const std::shared_ptr<Worksheet>& sheet = m_sheets[static_cast<size_t>(index)];
        m_byName.remove(sheet->name().toCaseFolded());
        m_byName.insert(name.toCaseFolded(), sheet);
        sheet->setName(name);
        m_sheetNumber = qMax(m_sheetNumber, sheetNumberOf(name));
    }
    return error;
}

/* Make a sheet the active one. */
void Workbook::setActiveSheet(int index) {
    if (index >= 0 && index < sheetCount()) {
        m_activeSheet = index;
    }
}
