#pragma once

#include "automation/serverobject.h"
#include "office/word/server/wordsession.h"

#include <memory>
#include <vector>

// A document's Paragraphs collection: the body paragraphs outside tables, in document order
// (paragraphs inside table cells are read through the cells). "Count" and "Item(int)",
// 1-based; an item answers "Range", whose "Text" ends with the paragraph mark "\r".
class WordParagraphsObject : public ServerObject {
public:
    explicit WordParagraphsObject(const std::shared_ptr<WordOpenDocument>& document);

    ServerReply invoke(const ServerCall& call) override;
    bool isAlive() const override;

private:
    std::weak_ptr<WordOpenDocument> m_document;
    std::vector<const WordParagraph*> m_paragraphs;  // into the document's model
};
