#pragma once

// The built-in Word application ("Word.Application") and the objects it hands out.
//
// - WordApplication (here): "SetVisible (bool Visible)", "Visible", "DisplayAlerts",
//   "Documents", "ActiveDocument", "Selection", "Quit(void)".
// - WordDocumentsObject: "Open(const QString&)", "Count", "Item(int)", "Close".
// - WordDocumentObject: "Tables", "Close (Boolean)", "Activate", "Name", "FullName".
// - WordTablesObject / WordTableObject: "Count()", "Item(int)"; "Select()".
// - WordSelectionObject: "WholeStory()", "Copy()".
// All of them share one WordSession (wordsession.h). Only the application holds the session
// strongly: once it quits or is released, every object it handed out reads as "no object",
// and a closed document is freed at once whatever handles remain.

#include "automation/serverobject.h"
#include "office/word/server/wordsession.h"

#include <memory>

// A new built-in Word application, for registration under "Word.Application".
ServerObjectPtr createWordApplication();

class WordApplication : public ServerObject {
public:
    WordApplication();

    ServerReply invoke(const ServerCall& call) override;
    // False once "Quit" was called.
    bool isAlive() const override;

private:
    std::shared_ptr<WordSession> m_session;
};
