#pragma once

#include "automation/serverobject.h"
#include "office/word/server/wordsession.h"

#include <memory>

// A stretch of a document as Word's Range shows it: "Text" reads the text (paragraphs end
// with "\r", a cell's text with "\r\a", as Word gives them), "Range" answers the range itself
// (so Paragraph.Range and Cell.Range lead here). A table's range also answers "Cells": the
// table's cells in reading order. Alive while its document is open.
class WordRangeObject : public ServerObject {
public:
    WordRangeObject(const std::shared_ptr<WordOpenDocument>& document, QString text,
                    std::shared_ptr<const WordTable> table = nullptr);

    ServerReply invoke(const ServerCall& call) override;
    bool isAlive() const override;

private:
    std::weak_ptr<WordOpenDocument> m_document;
    QString m_text;
    std::shared_ptr<const WordTable> m_table;  // null unless the range spans a table
};
