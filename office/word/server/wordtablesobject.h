#pragma once

#include "automation/serverobject.h"
#include "office/word/server/wordsession.h"

#include <memory>
#include <vector>

// A document's Tables collection: its top-level tables in document order, those wrapped in
// block-level content controls included; nested tables are not members. "Count()" (also
// read as a property) and "Item(int)" with a 1-based index. A cell's Tables collection holds
// the tables nested in that cell.
class WordTablesObject : public ServerObject {
public:
    WordTablesObject(const std::shared_ptr<WordSession>& session,
                     const std::shared_ptr<WordOpenDocument>& document);
    // The tables nested in one cell of `document`.
    WordTablesObject(const std::shared_ptr<WordOpenDocument>& document,
                     std::vector<std::shared_ptr<WordTable>> nested);

    // "Item" with an index outside 1..Count gives failure.
    ServerReply invoke(const ServerCall& call) override;
    // False once the document was closed.
    bool isAlive() const override;

private:
    std::weak_ptr<WordSession> m_session;
    std::weak_ptr<WordOpenDocument> m_document;
    bool m_isNested = false;
    std::vector<std::shared_ptr<WordTable>> m_nested;
};
