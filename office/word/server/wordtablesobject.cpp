#include "office/word/server/wordtablesobject.h"

#include "office/word/server/wordtableobject.h"

/* The tables of one open document. */
WordTablesObject::WordTablesObject(const std::shared_ptr<WordSession>& session,
                                   const std::shared_ptr<WordOpenDocument>& document)
    : m_session(session), m_document(document) {}

/* The tables nested in a cell. */
WordTablesObject::WordTablesObject(const std::shared_ptr<WordOpenDocument>& document,
                                   std::vector<std::shared_ptr<WordTable>> nested)
    : m_document(document), m_isNested(true), m_nested(std::move(nested)) {}

/* Alive while its document is open. */
bool WordTablesObject::isAlive() const {
    return !m_document.expired() && (m_isNested || !m_session.expired());
}

/* Answer "Count" and "Item". */
ServerReply WordTablesObject::invoke(const ServerCall& call) {
    const std::shared_ptr<WordSession> session = m_session.lock();
    const std::shared_ptr<WordOpenDocument> document = m_document.lock();
    if ((!session && !m_isNested) || !document || !document->model) {
        return ServerReply::failure();
    }
    const int count = static_cast<int>(m_isNested ? m_nested.size() : document->tables.size());
    if (call.is("Count")) {
        return ServerReply::ofValue(count);
    }
    if (call.is("Item")) {
        const int index = call.itemIndex(count);
        if (index < 0) {
            return ServerReply::failure();
        }
        if (m_isNested) {
            return ServerReply::ofObject(
                std::make_shared<WordTableObject>(document, m_nested[static_cast<size_t>(index)]));
        }
        return ServerReply::ofObject(std::make_shared<WordTableObject>(session, document, index));
    }
    return ServerReply::failure();
}
