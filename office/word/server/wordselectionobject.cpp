#include "office/word/server/wordselectionobject.h"

#include "office/clipboard/clipboard.h"
#include "office/word/server/wordfragmentbuilder.h"

/* The selection of one application. */
WordSelectionObject::WordSelectionObject(const std::shared_ptr<WordSession>& session)
    : m_session(session) {}

/* Alive while the application is. */
bool WordSelectionObject::isAlive() const {
    const std::shared_ptr<WordSession> session = m_session.lock();
    return session && !session->quit;
}

/* Answer "WholeStory" and "Copy". */
ServerReply WordSelectionObject::invoke(const ServerCall& call) {
    const std::shared_ptr<WordSession> session = m_session.lock();
    if (!session || session->quit) {
        return ServerReply::failure();
    }
    if (call.is("WholeStory")) {
        const std::shared_ptr<WordOpenDocument> active = session->activeDocument();
        if (!active) {
            return ServerReply::failure();
        }
        session->selection.kind = WordSelectionState::Kind::WholeStory;
        session->selection.document = active;
        session->selection.tableIndex = -1;
        return ServerReply::done();
    }
    if (call.is("Copy")) {
        return copy(*session);
    }
    return ServerReply::failure();
}

/* Lay the selection out as a fragment and put it on this thread's clipboard. */
ServerReply WordSelectionObject::copy(WordSession& session) {
    Clipboard& clipboard = Clipboard::current();
    const WordSelectionState& selection = session.selection;
    const std::shared_ptr<WordOpenDocument> document = selection.document.lock();
    Fragment fragment;
    bool copied = false;
    if (document && document->model) {
        if (selection.kind == WordSelectionState::Kind::WholeStory) {
            copied = WordFragmentBuilder::wholeStory(*document->model, fragment);
        } else if (selection.kind == WordSelectionState::Kind::Table) {
            const auto& tables = document->tables;
            if (selection.tableIndex >= 0 &&
                selection.tableIndex < static_cast<int>(tables.size())) {
                copied = WordFragmentBuilder::table(
                    *tables[static_cast<size_t>(selection.tableIndex)], fragment);
            }
        }
    }
    if (!copied) {
        clipboard.clear();
        return ServerReply::failure();
    }
    clipboard.setFragment(std::move(fragment));
    return ServerReply::done();
}
