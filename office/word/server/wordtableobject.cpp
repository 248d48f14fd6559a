#include "office/word/server/wordtableobject.h"

#include "office/word/server/wordrangeobject.h"

/* A handle on one top-level table. */
WordTableObject::WordTableObject(const std::shared_ptr<WordSession>& session,
                                 const std::shared_ptr<WordOpenDocument>& document, int index)
    : m_session(session), m_document(document), m_index(index) {}

/* A handle on a table nested in a cell. */
WordTableObject::WordTableObject(const std::shared_ptr<WordOpenDocument>& document,
                                 std::shared_ptr<WordTable> nested)
    : m_document(document), m_nested(std::move(nested)) {}

/* Alive while its document is open. */
bool WordTableObject::isAlive() const {
    return !m_document.expired() && (m_nested || !m_session.expired());
}

/* The table's range: its cells' text, each cell and each row ending "\r\a" as in Word. */
ServerReply WordTableObject::range(const std::shared_ptr<WordOpenDocument>& document) const {
    std::shared_ptr<const WordTable> table = m_nested;
    if (!table) {
        if (m_index < 0 || static_cast<size_t>(m_index) >= document->tables.size()) {
            return ServerReply::failure();
        }
        table = document->tables[static_cast<size_t>(m_index)];
    }
    QString text;
    for (const WordRow& row : table->rows) {
        for (const WordCell& cell : row.cells) {
            text +=
                cell.text().replace(QLatin1Char('\n'), QLatin1Char('\r')) + QStringLiteral("\r\a");
        }
        text += QStringLiteral("\r\a");
    }
    return ServerReply::ofObject(std::make_shared<WordRangeObject>(document, text, table));
}

/* Answer "Select" and "Range". */
ServerReply WordTableObject::invoke(const ServerCall& call) {
    const std::shared_ptr<WordSession> session = m_session.lock();
    const std::shared_ptr<WordOpenDocument> document = m_document.lock();
    if (!document || (!session && !m_nested)) {
        return ServerReply::failure();
    }
    if (call.is("Range")) {
        return range(document);
    }
    if (call.is("Select") && session) {
        if (session->activeDocument() != document) {
            session->activate(document);
        }
        session->selection.kind = WordSelectionState::Kind::Table;
        session->selection.document = document;
        session->selection.tableIndex = m_index;
        return ServerReply::done();
    }
    return ServerReply::failure();
}
