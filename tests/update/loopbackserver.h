#pragma once

#include <QByteArray>
#include <QList>

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

// A tiny HTTP server on 127.0.0.1 for the update tests: it accepts connections one after the
// other on its own thread, reads one request (header block plus Content-Length bytes), hands
// it to the responder, writes the responder's bytes back verbatim and closes the connection.
class LoopbackServer {
public:
    using Responder = std::function<QByteArray(const QByteArray& request)>;

    explicit LoopbackServer(Responder responder);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    // Listen on an ephemeral port of 127.0.0.1; false when that fails.
    bool start();
    // The port listened on (0 before start()).
    int port() const { return m_port; }
    // Every request received so far, complete, in arrival order.
    QList<QByteArray> requests() const;

    // "HTTP/1.0 200 OK" with a Content-Length header and body.
    static QByteArray okResponse(const QByteArray& body);
    // The path of a request's first line ("/version" of "POST /version HTTP/1.0").
    static QByteArray requestPath(const QByteArray& request);

private:
    void serve();
    void handle(int connection);

    Responder m_responder;
    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
    mutable std::mutex m_mutex;
    QList<QByteArray> m_requests;
};

// A port on 127.0.0.1 that is bound but not listening, so connecting to it is refused.
class RefusingPort {
public:
    RefusingPort();
    ~RefusingPort();
    RefusingPort(const RefusingPort&) = delete;
    RefusingPort& operator=(const RefusingPort&) = delete;
    // The port, or 0 when none could be bound.
    int port() const { return m_port; }

private:
    int m_socket = -1;
    int m_port = 0;
};
