#pragma once

// The state one built-in Word application shares with the objects it hands out: the open
// documents, the active one and the selection.
//
// The session owns the documents; every server object refers to them weakly, so that a
// closed document is freed at once and its handles answer "no object".

#include "office/word/model/worddocument.h"

#include <QString>

#include <memory>
#include <vector>

// One document open in the application.
struct WordOpenDocument {
    QString path;
    std::shared_ptr<const WordDocument> model;
    // The model's top-level tables, listed once when the document opens: a document of many
    // tables is walked once, not once per table.
    std::vector<std::shared_ptr<WordTable>> tables;
};

// What the application's Selection spans.
struct WordSelectionState {
    enum class Kind : std::uint8_t { Collapsed, WholeStory, Table };

    Kind kind = Kind::Collapsed;
    std::weak_ptr<WordOpenDocument> document;
    int tableIndex = -1;  // Kind::Table: 0-based among the document's top-level tables
};

class WordSession {
public:
    // Add an open document and make it active.
    void open(std::shared_ptr<WordOpenDocument> document);
    // Close `document`: forget it, and the selection and activation that pointed at it.
    void close(const std::shared_ptr<WordOpenDocument>& document);
    // Close every document (Quit, Documents.Close).
    void closeAll();

    // The active document (the last opened or activated one still open), or null.
    std::shared_ptr<WordOpenDocument> activeDocument() const { return m_active.lock(); }
    // Make `document` active and collapse the selection to its start (null: no document).
    void activate(const std::shared_ptr<WordOpenDocument>& document);

    // The open documents, oldest first.
    const std::vector<std::shared_ptr<WordOpenDocument>>& documents() const { return m_documents; }

    WordSelectionState selection;
    bool visible = false;
    bool displayAlerts = true;
    bool quit = false;

private:
    std::vector<std::shared_ptr<WordOpenDocument>> m_documents;
    std::weak_ptr<WordOpenDocument> m_active;
};
