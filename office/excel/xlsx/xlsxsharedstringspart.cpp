#include "office/excel/xlsx/xlsxsharedstringspart.h"

namespace {

/* The number of text cells in the workbook. */
long long countTexts(const Workbook& workbook) {
    long long texts = 0;
    for (int s = 0; s < workbook.sheetCount(); ++s) {
        for (const auto& row : workbook.sheet(s)->rows()) {
            for (const Cell& cell : row.second.cells) {
                texts += cell.kind == Cell::Kind::Text ? 1 : 0;
            }
        }
    }
    return texts;
}

/* True when a text needs xml:space="preserve" to keep its edges. */
bool needsPreserve(const QString& text) {
    return !text.isEmpty() &&
           (text.front().isSpace() || text.back().isSpace() || text.contains(QLatin1Char('\n')));
}

}  // namespace

/* Collect every cell text, failing on one longer than a cell can hold. */
WorkbookFileResult XlsxSharedStringsPart::collect(const Workbook& workbook) {
    const long long texts = countTexts(workbook);
    // Sized once for the worst case (every text distinct), so the table never rehashes.
    m_index.reserve(static_cast<int>(qMin<long long>(texts, 1 << 24)));
    m_cellIndices.reserve(static_cast<size_t>(texts));
    for (int s = 0; s < workbook.sheetCount(); ++s) {
        const auto sheet = workbook.sheet(s);
        for (const auto& row : sheet->rows()) {
            for (const Cell& cell : row.second.cells) {
                if (cell.kind != Cell::Kind::Text) {
                    continue;
                }
                if (cell.text.size() > kMaxCellText) {
                    return WorkbookFileResult::failure(
                        QStringLiteral("Cell %1!%2 holds %3 characters; a cell holds at most %4")
                            .arg(sheet->name(), CellRange::cellName(row.first, cell.column))
                            .arg(cell.text.size())
                            .arg(kMaxCellText));
                }
                add(cell.text);
            }
        }
    }
    return WorkbookFileResult::success();
}

/* Count one reference to `text`, giving it the next index when it is new. */
void XlsxSharedStringsPart::add(const QString& text) {
    ++m_references;
    const int next = static_cast<int>(m_strings.size());
    auto found = m_index.find(text);
    if (found == m_index.end()) {
        found = m_index.insert(text, next);
        m_strings.push_back(&found.key());
    }
    m_cellIndices.push_back(found.value());
}

/* <sst> with one <si> per distinct text. */
void XlsxSharedStringsPart::write(XmlSink& out) const {
    out << XmlSink::kDeclaration
        << "\n<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" count=\"";
    out.number(m_references) << "\" uniqueCount=\"";
    out.number(static_cast<long long>(m_strings.size())) << "\">";
    for (const QString* text : m_strings) {
        out << (needsPreserve(*text) ? "<si><t xml:space=\"preserve\">" : "<si><t>");
        out.cellText(*text) << "</t></si>";
        out.flushIfFull();
    }
    out << "</sst>";
}
