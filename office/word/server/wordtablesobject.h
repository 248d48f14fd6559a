#pragma once

#include "automation/serverobject.h"
#include "office/word/server/wordsession.h"

#include <memory>

// A document's Tables collection: its top-level tables in document order, those wrapped in
// block-level content controls included; nested tables are not members. "Count()" (also
// read as a property) and "Item(int)" with a 1-based index.
class WordTablesObject : public ServerObject {
public:
    WordTablesObject(const std::shared_ptr<WordSession>& session,
                     const std::shared_ptr<WordOpenDocument>& document);

    // "Item" with an index outside 1..Count gives failure.
    ServerReply invoke(const ServerCall& call) override;
    // False once the document was closed.
    bool isAlive() const override;

private:
    std::weak_ptr<WordSession> m_session;
    std::weak_ptr<WordOpenDocument> m_document;
};
