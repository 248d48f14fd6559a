#include "office/word/server/wordcellsobject.h"

#include "office/word/server/wordcellobject.h"

/* List the cells a reader of the table meets. */
WordCellsObject::WordCellsObject(const std::shared_ptr<WordOpenDocument>& document,
                                 std::shared_ptr<const WordTable> table)
    : m_document(document), m_table(std::move(table)) {
    for (size_t r = 0; r < m_table->rows.size(); ++r) {
        const std::vector<WordCell>& cells = m_table->rows[r].cells;
        for (size_t c = 0; c < cells.size(); ++c) {
            if (cells[c].verticalMerge != WordCell::VerticalMerge::Continue) {
                m_cells.emplace_back(static_cast<int>(r), static_cast<int>(c));
            }
        }
    }
}

/* Alive while its document is open. */
bool WordCellsObject::isAlive() const {
    return !m_document.expired();
}

/* Answer "Count" and "Item". */
ServerReply WordCellsObject::invoke(const ServerCall& call) {
    const std::shared_ptr<WordOpenDocument> document = m_document.lock();
    if (!document) {
        return ServerReply::failure();
    }
    const int count = static_cast<int>(m_cells.size());
    if (call.is("Count")) {
        return ServerReply::ofValue(count);
    }
    if (call.is("Item")) {
        const int index = call.itemIndex(count);
        if (index < 0) {
            return ServerReply::failure();
        }
        const std::pair<int, int>& at = m_cells[static_cast<size_t>(index)];
        return ServerReply::ofObject(
            std::make_shared<WordCellObject>(document, m_table, at.first, at.second));
    }
    return ServerReply::failure();
}
