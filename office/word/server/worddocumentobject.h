#pragma once

#include "automation/serverobject.h"
#include "office/word/server/wordsession.h"

#include <memory>

// One open document: "Tables", "Paragraphs", "Close (Boolean)" (never saves), "Activate", "Name",
// "FullName". Holds the document weakly: after Close it answers isAlive() false.
class WordDocumentObject : public ServerObject {
public:
    WordDocumentObject(const std::shared_ptr<WordSession>& session,
                       const std::shared_ptr<WordOpenDocument>& document);

    // An object for `document`, or null when there is no document.
    static ServerObjectPtr make(const std::shared_ptr<WordSession>& session,
                                const std::shared_ptr<WordOpenDocument>& document);

    ServerReply invoke(const ServerCall& call) override;
    bool isAlive() const override;

private:
    std::weak_ptr<WordSession> m_session;
    std::weak_ptr<WordOpenDocument> m_document;
};
