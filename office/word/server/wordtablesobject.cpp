#include "office/word/server/wordtablesobject.h"

#include "office/word/server/wordtableobject.h"

/* The tables of one open document. */
WordTablesObject::WordTablesObject(const std::shared_ptr<WordSession>& session,
                                   const std::shared_ptr<WordOpenDocument>& document)
    : m_session(session), m_document(document) {}

/* Alive while its document is open. */
bool WordTablesObject::isAlive() const {
    return !m_document.expired() && !m_session.expired();
}

/* Answer "Count" and "Item". */
ServerReply WordTablesObject::invoke(const ServerCall& call) {
    const std::shared_ptr<WordSession> session = m_session.lock();
    const std::shared_ptr<WordOpenDocument> document = m_document.lock();
    if (!session || !document || !document->model) {
        return ServerReply::failure();
    }
    const int count = static_cast<int>(document->model->topLevelTables().size());
    if (call.is("Count")) {
        return ServerReply::ofValue(count);
    }
    if (call.is("Item")) {
        bool ok = false;
        const int index = call.arg(0).toInt(&ok);
        if (!ok || index < 1 || index > count) {
            return ServerReply::failure();
        }
        return ServerReply::ofObject(
            std::make_shared<WordTableObject>(session, document, index - 1));
    }
    return ServerReply::failure();
}
