#include "tests/update/loopbackserver.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

namespace {

/* Bind a fresh IPv4 socket to an ephemeral port of 127.0.0.1; returns the port or 0. */
int bindLoopback(int fd) {
    sockaddr_in address;
    std::memset(&address, 0, sizeof address);
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        return 0;
    }
    socklen_t length = sizeof address;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        return 0;
    }
    return ntohs(address.sin_port);
}

/* The Content-Length value of a header block, or 0. */
int contentLength(const QByteArray& header) {
    for (const QByteArray& line : header.split('\n')) {
        const int colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().toLower() == "content-length") {
            bool ok = false;
            const int value = line.mid(colon + 1).trimmed().toInt(&ok);
            return ok ? value : 0;
        }
    }
    return 0;
}

/* Write all bytes, ignoring a peer that went away. */
void writeAll(int fd, const QByteArray& bytes) {
    const char* data = bytes.constData();
    size_t left = static_cast<size_t>(bytes.size());
    while (left > 0) {
        const ssize_t sent = ::send(fd, data, left, MSG_NOSIGNAL);
        if (sent <= 0) {
            return;
        }
        data += sent;
        left -= static_cast<size_t>(sent);
    }
}

}  // namespace

/* Create a server that answers with responder. */
LoopbackServer::LoopbackServer(Responder responder) : m_responder(std::move(responder)) {}

/* Stop the serving thread and close the listener. */
LoopbackServer::~LoopbackServer() {
    m_stop = true;
    if (m_thread.joinable()) {
        m_thread.join();
    }
    if (m_listener >= 0) {
        ::close(m_listener);
    }
}

/* Bind, listen and start the serving thread. */
bool LoopbackServer::start() {
    m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
    if (m_listener < 0) {
        return false;
    }
    const int reuse = 1;
    ::setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
    m_port = bindLoopback(m_listener);
    if (m_port == 0 || ::listen(m_listener, 8) != 0) {
        return false;
    }
    m_thread = std::thread([this] { serve(); });
    return true;
}

/* Copy of the requests received so far. */
QList<QByteArray> LoopbackServer::requests() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
}

/* A complete 200 response around body. */
QByteArray LoopbackServer::okResponse(const QByteArray& body) {
    return "HTTP/1.0 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) +
           "\r\nContent-Type: application/octet-stream\r\n\r\n" + body;
}

/* The second word of the request line. */
QByteArray LoopbackServer::requestPath(const QByteArray& request) {
    const QList<QByteArray> words = request.left(request.indexOf('\r')).split(' ');
    return words.size() >= 2 ? words.at(1) : QByteArray();
}

/* Accept and answer connections until the server is destroyed. */
void LoopbackServer::serve() {
    while (!m_stop) {
        pollfd waiting{m_listener, POLLIN, 0};
        if (::poll(&waiting, 1, 50) <= 0) {
            continue;
        }
        const int connection = ::accept(m_listener, nullptr, nullptr);
        if (connection >= 0) {
            handle(connection);
            ::close(connection);
        }
    }
}

/* Read one request from connection, record it and write the answer. */
void LoopbackServer::handle(int connection) {
    QByteArray request;
    int wanted = -1;
    char buffer[4096];
    while (wanted < 0 || request.size() < wanted) {
        pollfd waiting{connection, POLLIN, 0};
        if (::poll(&waiting, 1, 5000) <= 0) {
            break;
        }
        const ssize_t got = ::recv(connection, buffer, sizeof buffer, 0);
        if (got <= 0) {
            break;
        }
        request.append(buffer, static_cast<int>(got));
        const int end = request.indexOf("\r\n\r\n");
        if (wanted < 0 && end >= 0) {
            wanted = end + 4 + contentLength(request.left(end));
        }
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_requests.append(request);
    }
    writeAll(connection, m_responder(request));
    ::shutdown(connection, SHUT_WR);
}

/* Bind a loopback port without listening on it. */
RefusingPort::RefusingPort() {
    m_socket = ::socket(AF_INET, SOCK_STREAM, 0);
    if (m_socket >= 0) {
        m_port = bindLoopback(m_socket);
    }
}

/* Release the port. */
RefusingPort::~RefusingPort() {
    if (m_socket >= 0) {
        ::close(m_socket);
    }
}
