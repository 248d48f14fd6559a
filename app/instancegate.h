#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QLocalServer;

// One running copy of the program per user session, wherever its executable lies, without
// losing a running copy's work: a starting copy first asks a running copy, through a local
// socket named after the program and the user, to show its window. Only when no copy answers
// in time does start-up fall back to ending a copy by process name, and never one that is
// converting (RunMarker tells).
//
// The exchange: the starting copy connects, sends "show\n" and waits for "shown\n". The
// running copy answers every connection this way after it has called its show function.
class InstanceGate : public QObject {
    Q_OBJECT
public:
    // How long a starting copy waits for a running copy to connect and answer.
    static constexpr int answerTimeoutMs = 1500;

    // The program's identity in the socket name: the same for every copy and version of the
    // program, whatever its executable's name or folder.
    static QString programIdentity();

    // The socket name for a program identity and a user name: "sheetweaver-" and 16 hex
    // digits of a digest of both, so the copies of other users never meet.
    static QString serverName(const QString& identity, const QString& userName);

    // The socket name for this process: programIdentity() and the user from the environment
    // (USER, else USERNAME).
    static QString serverNameForThisUser();

    // True when a copy listening on `name` answered within `timeoutMs`; false when none
    // listens, the connection fails or the answer does not come in time. Blocks the caller.
    static bool askRunningCopyToShow(const QString& name, int timeoutMs = answerTimeoutMs);

    explicit InstanceGate(QObject* parent = nullptr);

    // Listen on `name` and call `show` for every copy that asks. A socket left by a copy that
    // ended without closing it is removed first. False when listening failed (the program
    // then runs without answering later copies).
    bool listen(const QString& name, std::function<void()> show);

private:
    void answer();

    QLocalServer* m_server;
    std::function<void()> m_show;
};
