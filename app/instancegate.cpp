#include "app/instancegate.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>

#include <utility>

namespace {

const char showRequest[] = "show\n";
const char shownAnswer[] = "shown\n";

/* Read one line from the socket before the deadline; empty when none arrived. */
QByteArray readLine(QLocalSocket& socket, const QDeadlineTimer& deadline) {
    while (!socket.canReadLine()) {
        const int left = static_cast<int>(deadline.remainingTime());
        if (left <= 0 || !socket.waitForReadyRead(left)) {
            return QByteArray();
        }
    }
    return socket.readLine();
}

}  // namespace

/* The program's name, not its file's: renamed and moved copies are the same program. */
QString InstanceGate::programIdentity() {
    return QStringLiteral("Sheetweaver");
}

/* A digest of identity and user, cut to 16 hex digits. */
QString InstanceGate::serverName(const QString& identity, const QString& userName) {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(identity.toUtf8());
    hash.addData("\n", 1);
    hash.addData(userName.toUtf8());
    return QStringLiteral("sheetweaver-") + QString::fromLatin1(hash.result().toHex().left(16));
}

/* The program and the user running it. */
QString InstanceGate::serverNameForThisUser() {
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty()) {
        user = qEnvironmentVariable("USERNAME");
    }
    return serverName(programIdentity(), user);
}

/* Connect, ask, and wait for the answer, all within the time limit. */
bool InstanceGate::askRunningCopyToShow(const QString& name, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(timeoutMs)) {
        return false;
    }
    socket.write(showRequest);
    if (!socket.waitForBytesWritten(static_cast<int>(qMax<qint64>(1, deadline.remainingTime())))) {
        return false;
    }
    return readLine(socket, deadline) == shownAnswer;
}

/* A gate that does not listen yet. */
InstanceGate::InstanceGate(QObject* parent) : QObject(parent), m_server(new QLocalServer(this)) {
    connect(m_server, &QLocalServer::newConnection, this, &InstanceGate::answer);
}

/* Clear a stale socket, then listen; only this user may connect. */
bool InstanceGate::listen(const QString& name, std::function<void()> show) {
    m_show = std::move(show);
    QLocalServer::removeServer(name);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    return m_server->listen(name);
}

/* Answer each waiting copy once its request line arrived. */
void InstanceGate::answer() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) {
                return;
            }
            if (socket->readLine() == showRequest) {
                if (m_show) {
                    m_show();
                }
                socket->write(shownAnswer);
                socket->flush();
            }
            socket->disconnectFromServer();
        });
    }
}
