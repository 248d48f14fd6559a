#include "office/word/server/wordsession.h"

#include <algorithm>

/* Keep the document and make it the active one. */
void WordSession::open(std::shared_ptr<WordOpenDocument> document) {
    m_documents.push_back(document);
    activate(document);
}

/* Switch the active document; a new active document starts with a collapsed selection. */
void WordSession::activate(const std::shared_ptr<WordOpenDocument>& document) {
    m_active = document;
    selection = WordSelectionState();
    selection.document = document;
}

/* Drop one document; nothing else holds it, so its model is freed here. */
void WordSession::close(const std::shared_ptr<WordOpenDocument>& document) {
    if (!document) {
        return;
    }
    m_documents.erase(std::remove(m_documents.begin(), m_documents.end(), document),
                      m_documents.end());
    if (m_active.lock() == document) {
        // Like Word, the most recently opened remaining document becomes active.
        activate(m_documents.empty() ? nullptr : m_documents.back());
    }
    if (selection.document.lock() == document) {
        selection = WordSelectionState();
    }
}

/* Drop every document. */
void WordSession::closeAll() {
    m_documents.clear();
    m_active.reset();
    selection = WordSelectionState();
}
