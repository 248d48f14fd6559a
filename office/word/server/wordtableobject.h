#pragma once

#include "automation/serverobject.h"
#include "office/word/server/wordsession.h"

#include <memory>

// One top-level table of a document: "Select()" makes the application's Selection span it
// (and its document the active one).
class WordTableObject : public ServerObject {
public:
    // `index` is 0-based among the document's top-level tables.
    WordTableObject(const std::shared_ptr<WordSession>& session,
                    const std::shared_ptr<WordOpenDocument>& document, int index);

    ServerReply invoke(const ServerCall& call) override;
    // False once the document was closed.
    bool isAlive() const override;

private:
    std::weak_ptr<WordSession> m_session;
    std::weak_ptr<WordOpenDocument> m_document;
    int m_index;
};
