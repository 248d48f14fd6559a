#include "office/word/server/wordtableobject.h"

/* A handle on one top-level table. */
WordTableObject::WordTableObject(const std::shared_ptr<WordSession>& session,
                                 const std::shared_ptr<WordOpenDocument>& document, int index)
    : m_session(session), m_document(document), m_index(index) {}

/* Alive while its document is open. */
bool WordTableObject::isAlive() const {
    return !m_document.expired() && !m_session.expired();
}

/* Answer "Select". */
ServerReply WordTableObject::invoke(const ServerCall& call) {
    const std::shared_ptr<WordSession> session = m_session.lock();
    const std::shared_ptr<WordOpenDocument> document = m_document.lock();
    if (!session || !document) {
        return ServerReply::failure();
    }
    if (call.is("Select")) {
        if (session->active.lock() != document) {
            session->activate(document);
        }
        session->selection.kind = WordSelectionState::Kind::Table;
        session->selection.document = document;
        session->selection.tableIndex = m_index;
        return ServerReply::done();
    }
    return ServerReply::failure();
}
