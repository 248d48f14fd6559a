#include "office/word/server/worddocumentsobject.h"

#include "office/word/server/worddocumentobject.h"
#include "office/word/wordfileloader.h"

/* The collection of one application. */
WordDocumentsObject::WordDocumentsObject(const std::shared_ptr<WordSession>& session)
    : m_session(session) {}

/* Alive while the application is. */
bool WordDocumentsObject::isAlive() const {
    const std::shared_ptr<WordSession> session = m_session.lock();
    return session && !session->quit;
}

/* Answer the collection's members. */
ServerReply WordDocumentsObject::invoke(const ServerCall& call) {
    const std::shared_ptr<WordSession> session = m_session.lock();
    if (!session || session->quit) {
        return ServerReply::failure();
    }
    if (call.is("Open")) {
        return open(call.arg(0).toString());
    }
    if (call.is("Count")) {
        return ServerReply::ofValue(static_cast<int>(session->documents().size()));
    }
    if (call.is("Item")) {
        const int index = call.itemIndex(static_cast<int>(session->documents().size()));
        if (index < 0) {
            return ServerReply::failure();
        }
        return ServerReply::ofObject(
            WordDocumentObject::make(session, session->documents()[static_cast<size_t>(index)]));
    }
    if (call.is("Close")) {
        session->closeAll();
        return ServerReply::done();
    }
    return ServerReply::failure();
}

/* Read a document and make it the active one. */
ServerReply WordDocumentsObject::open(const QString& path) {
    const std::shared_ptr<WordSession> session = m_session.lock();
    if (!session) {
        return ServerReply::failure();
    }
    WordLoadResult loaded =
        path.isEmpty() ? WordLoadResult::failure(WordLoadResult::Status::NotFound, QString())
                       : WordFileLoader::load(path);
    if (!loaded) {
        // The job takes a missing active document as "cannot open"; an older document left
        // active would be converted a second time under this document's name.
        session->activate(nullptr);
        return ServerReply::failure(loaded.message);
    }
    auto document = std::make_shared<WordOpenDocument>();
    document->path = path;
    document->tables = loaded.document->topLevelTables();
    document->model = std::move(loaded.document);
    session->open(document);
    return ServerReply::ofObject(WordDocumentObject::make(session, document));
}
