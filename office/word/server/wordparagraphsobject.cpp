#include "office/word/server/wordparagraphsobject.h"

#include "office/word/server/wordrangeobject.h"

/* List the body paragraphs once. */
WordParagraphsObject::WordParagraphsObject(const std::shared_ptr<WordOpenDocument>& document)
    : m_document(document) {
    if (!document->model) {
        return;
    }
    for (const WordBlock& block : document->model->blocks) {
        if (block.kind == WordBlock::Kind::Paragraph) {
            m_paragraphs.push_back(&block.paragraph);
        }
    }
}

/* Alive while its document is open (the model, and so the paragraphs, live as long). */
bool WordParagraphsObject::isAlive() const {
    return !m_document.expired();
}

/* Answer "Count" and "Item". */
ServerReply WordParagraphsObject::invoke(const ServerCall& call) {
    const std::shared_ptr<WordOpenDocument> document = m_document.lock();
    if (!document) {
        return ServerReply::failure();
    }
    const int count = static_cast<int>(m_paragraphs.size());
    if (call.is("Count")) {
        return ServerReply::ofValue(count);
    }
    if (call.is("Item")) {
        const int index = call.itemIndex(count);
        if (index < 0) {
            return ServerReply::failure();
        }
        const WordParagraph* paragraph = m_paragraphs[static_cast<size_t>(index)];
        return ServerReply::ofObject(
            std::make_shared<WordRangeObject>(document, paragraph->text() + QLatin1Char('\r')));
    }
    return ServerReply::failure();
}
