#pragma once

#include "automation/serverobject.h"
#include "office/word/server/wordsession.h"

#include <memory>

// One table cell: "RowIndex" and "ColumnIndex" (1-based; the column counts the row's cells,
// as Word's does, so a cell spanning grid columns counts once), "Range" (its text, paragraphs
// ending "\r", the whole ending "\r\a"; a nested table gives its rows there too) and "Tables"
// (the tables nested in the cell). Alive while its document is open.
class WordCellObject : public ServerObject {
public:
    WordCellObject(const std::shared_ptr<WordOpenDocument>& document,
                   std::shared_ptr<const WordTable> table, int row, int cell);

    ServerReply invoke(const ServerCall& call) override;
    bool isAlive() const override;

private:
    const WordCell& cell() const;

    std::weak_ptr<WordOpenDocument> m_document;
    std::shared_ptr<const WordTable> m_table;
    int m_row;
    int m_cell;
};
