#include "office/word/server/worddocumentobject.h"

#include "office/word/server/wordparagraphsobject.h"
#include "office/word/server/wordtablesobject.h"

#include <QFileInfo>

/* A handle on one open document. */
WordDocumentObject::WordDocumentObject(const std::shared_ptr<WordSession>& session,
                                       const std::shared_ptr<WordOpenDocument>& document)
    : m_session(session), m_document(document) {}

/* Wrap a document, or give null for none. */
ServerObjectPtr WordDocumentObject::make(const std::shared_ptr<WordSession>& session,
                                         const std::shared_ptr<WordOpenDocument>& document) {
    if (!session || !document) {
        return nullptr;
    }
    return std::make_shared<WordDocumentObject>(session, document);
}

/* Alive until the document is closed (the session holds the only strong reference). */
bool WordDocumentObject::isAlive() const {
    return !m_document.expired() && !m_session.expired();
}

/* Answer the document's members. */
ServerReply WordDocumentObject::invoke(const ServerCall& call) {
    const std::shared_ptr<WordSession> session = m_session.lock();
    const std::shared_ptr<WordOpenDocument> document = m_document.lock();
    if (!session || !document) {
        return ServerReply::failure();
    }
    if (call.is("Tables")) {
        return ServerReply::ofObject(std::make_shared<WordTablesObject>(session, document));
    }
    if (call.is("Paragraphs")) {
        return ServerReply::ofObject(std::make_shared<WordParagraphsObject>(document));
    }
    if (call.is("Close")) {
        // Documents are only read; closing never writes, whatever SaveChanges says.
        session->close(document);
        return ServerReply::done();
    }
    if (call.is("Activate")) {
        session->activate(document);
        return ServerReply::done();
    }
    if (call.is("FullName")) {
        return ServerReply::ofValue(document->path);
    }
    if (call.is("Name")) {
        return ServerReply::ofValue(QFileInfo(document->path).fileName());
    }
    if (call.is("Losses")) {
        return ServerReply::ofValue(document->model->losses);
    }
    return ServerReply::failure();
}
