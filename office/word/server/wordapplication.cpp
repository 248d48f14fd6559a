#include "office/word/server/wordapplication.h"

#include "office/word/server/worddocumentobject.h"
#include "office/word/server/worddocumentsobject.h"
#include "office/word/server/wordselectionobject.h"

/* Create an application object with an empty session. */
ServerObjectPtr createWordApplication() {
    return std::make_shared<WordApplication>();
}

/* A running application with no documents. */
WordApplication::WordApplication() : m_session(std::make_shared<WordSession>()) {}

/* An application that quit is gone. */
bool WordApplication::isAlive() const {
    return !m_session->quit;
}

/* Answer the application's members. */
ServerReply WordApplication::invoke(const ServerCall& call) {
    if (m_session->quit) {
        return ServerReply::failure();
    }
    if (call.is("SetVisible") || (call.is("Visible") && call.kind == CallKind::PropertySet)) {
        // "SetVisible (bool Visible)" is called with the text "false"; a variant converts it.
        m_session->visible = call.boolArg(0, false);
        return ServerReply::done();
    }
    if (call.is("Visible")) {
        return ServerReply::ofValue(m_session->visible);
    }
    if (call.is("DisplayAlerts")) {
        if (call.kind == CallKind::PropertyGet) {
            return ServerReply::ofValue(m_session->displayAlerts);
        }
        m_session->displayAlerts = call.boolArg(0, false);
        return ServerReply::done();
    }
    if (call.is("Documents")) {
        return ServerReply::ofObject(std::make_shared<WordDocumentsObject>(m_session));
    }
    if (call.is("ActiveDocument")) {
        return ServerReply::ofObject(
            WordDocumentObject::make(m_session, m_session->activeDocument()));
    }
    if (call.is("Selection")) {
        if (!m_session->activeDocument()) {
            return ServerReply::failure();
        }
        return ServerReply::ofObject(std::make_shared<WordSelectionObject>(m_session));
    }
    if (call.is("Quit")) {
        m_session->closeAll();
        m_session->quit = true;
        return ServerReply::done();
    }
    return ServerReply::failure();
}
