#pragma once

#include "automation/serverobject.h"
#include "office/word/server/wordsession.h"

#include <memory>

// The application's Selection: "WholeStory()" spans the active document's main story;
// "Copy()" puts the selected content on the built-in clipboard of the calling thread.
class WordSelectionObject : public ServerObject {
public:
    explicit WordSelectionObject(const std::shared_ptr<WordSession>& session);

    // "Copy" with nothing selected, or a selection too large to lay out, gives failure and
    // empties the clipboard, so that an older copy is never pasted in its place.
    ServerReply invoke(const ServerCall& call) override;
    // False once the application quit or was released.
    bool isAlive() const override;

private:
    ServerReply copy(WordSession& session);

    std::weak_ptr<WordSession> m_session;
};
