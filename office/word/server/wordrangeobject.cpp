#include "office/word/server/wordrangeobject.h"

#include "office/word/server/wordcellsobject.h"

/* A range over a document's text. */
WordRangeObject::WordRangeObject(const std::shared_ptr<WordOpenDocument>& document, QString text,
                                 std::shared_ptr<const WordTable> table)
    : m_document(document), m_text(std::move(text)), m_table(std::move(table)) {}

/* Alive while its document is open. */
bool WordRangeObject::isAlive() const {
    return !m_document.expired();
}

/* Answer "Text", "Range" and, for a table's range, "Cells". */
ServerReply WordRangeObject::invoke(const ServerCall& call) {
    const std::shared_ptr<WordOpenDocument> document = m_document.lock();
    if (!document) {
        return ServerReply::failure();
    }
    if (call.is("Text")) {
        return ServerReply::ofValue(m_text);
    }
    if (call.is("Range")) {
        return ServerReply::ofObject(std::make_shared<WordRangeObject>(document, m_text, m_table));
    }
    if (call.is("Cells") && m_table) {
        return ServerReply::ofObject(std::make_shared<WordCellsObject>(document, m_table));
    }
    return ServerReply::failure();
}
