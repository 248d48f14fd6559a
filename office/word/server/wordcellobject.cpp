#include "office/word/server/wordcellobject.h"

#include "office/word/server/wordrangeobject.h"
#include "office/word/server/wordtablesobject.h"

/* A handle on one cell of a table. */
WordCellObject::WordCellObject(const std::shared_ptr<WordOpenDocument>& document,
                               std::shared_ptr<const WordTable> table, int row, int cell)
    : m_document(document), m_table(std::move(table)), m_row(row), m_cell(cell) {}

/* Alive while its document is open. */
bool WordCellObject::isAlive() const {
    return !m_document.expired();
}

/* The model's cell. */
const WordCell& WordCellObject::cell() const {
    return m_table->rows[static_cast<size_t>(m_row)].cells[static_cast<size_t>(m_cell)];
}

/* Answer the cell's members. */
ServerReply WordCellObject::invoke(const ServerCall& call) {
    const std::shared_ptr<WordOpenDocument> document = m_document.lock();
    if (!document) {
        return ServerReply::failure();
    }
    if (call.is("RowIndex")) {
        return ServerReply::ofValue(m_row + 1);
    }
    if (call.is("ColumnIndex")) {
        return ServerReply::ofValue(m_cell + 1);
    }
    if (call.is("Range")) {
        QString text = cell().text();
        text.replace(QLatin1Char('\n'), QLatin1Char('\r'));
        return ServerReply::ofObject(
            std::make_shared<WordRangeObject>(document, text + QStringLiteral("\r\a")));
    }
    if (call.is("Tables")) {
        std::vector<std::shared_ptr<WordTable>> nested;
        for (const WordBlock& block : cell().blocks) {
            if (block.kind == WordBlock::Kind::Table && block.table) {
                nested.push_back(block.table);
            }
        }
        return ServerReply::ofObject(std::make_shared<WordTablesObject>(document, nested));
    }
    return ServerReply::failure();
}
