#pragma once

#include "automation/serverobject.h"
#include "office/word/server/wordsession.h"

#include <memory>

// One table of a document: "Select()" makes the application's Selection span a top-level
// table (and its document the active one); "Range" gives the table's range, whose "Cells"
// lead to its cells. A nested table answers "Range" only.
class WordTableObject : public ServerObject {
public:
    // `index` is 0-based among the document's top-level tables.
    WordTableObject(const std::shared_ptr<WordSession>& session,
                    const std::shared_ptr<WordOpenDocument>& document, int index);
    // A table nested in a cell of `document`.
    WordTableObject(const std::shared_ptr<WordOpenDocument>& document,
                    std::shared_ptr<WordTable> nested);

    ServerReply invoke(const ServerCall& call) override;
    // False once the document was closed.
    bool isAlive() const override;

private:
    ServerReply range(const std::shared_ptr<WordOpenDocument>& document) const;

    std::weak_ptr<WordSession> m_session;
    std::weak_ptr<WordOpenDocument> m_document;
    int m_index = -1;
    std::shared_ptr<WordTable> m_nested;  // null for a top-level table
};
