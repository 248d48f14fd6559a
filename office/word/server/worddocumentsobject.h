#pragma once

#include "automation/serverobject.h"
#include "office/word/server/wordsession.h"

#include <memory>

// The application's Documents collection: "Open(const QString&)", "Count", "Item(int)" and
// "Close" (all documents, unsaved).
class WordDocumentsObject : public ServerObject {
public:
    explicit WordDocumentsObject(const std::shared_ptr<WordSession>& session);

    // "Open" answers the opened document, or failure for a file Word cannot open; a failed
    // open leaves no active document.
    ServerReply invoke(const ServerCall& call) override;
    // False once the application quit or was released.
    bool isAlive() const override;

private:
    ServerReply open(const QString& path);

    std::weak_ptr<WordSession> m_session;
};
