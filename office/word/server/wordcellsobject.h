#pragma once

#include "automation/serverobject.h"
#include "office/word/server/wordsession.h"

#include <memory>
#include <vector>

// The cells of one table (Table.Range.Cells) in reading order: row by row, each row's cells
// left to right. A cell continuing a vertical merge is not listed (the merged cell is the one
// that starts it), as Word's collection skips it. "Count" and "Item(int)", 1-based.
class WordCellsObject : public ServerObject {
public:
    WordCellsObject(const std::shared_ptr<WordOpenDocument>& document,
                    std::shared_ptr<const WordTable> table);

    ServerReply invoke(const ServerCall& call) override;
    bool isAlive() const override;

private:
    std::weak_ptr<WordOpenDocument> m_document;
    std::shared_ptr<const WordTable> m_table;
    std::vector<std::pair<int, int>> m_cells;  // (row, cell in row), both 0-based
};
