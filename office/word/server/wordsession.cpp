#include "office/word/server/wordsession.h"

#include <algorithm>

/* Switch the active document; a new active document starts with a collapsed selection. */
void WordSession::activate(const std::shared_ptr<WordOpenDocument>& document) {
    active = document;
    selection = WordSelectionState();
    selection.document = document;
}

/* Drop one document; nothing else holds it, so its model is freed here. */
void WordSession::close(const std::shared_ptr<WordOpenDocument>& document) {
    if (!document) {
        return;
    }
    documents.erase(std::remove(documents.begin(), documents.end(), document), documents.end());
    if (active.lock() == document) {
        // Like Word, the most recently opened remaining document becomes active.
        activate(documents.empty() ? nullptr : documents.back());
    }
    if (selection.document.lock() == document) {
        selection = WordSelectionState();
    }
}

/* Drop every document. */
void WordSession::closeAll() {
    documents.clear();
    active.reset();
    selection = WordSelectionState();
}
