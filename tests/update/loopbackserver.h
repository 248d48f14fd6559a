#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

// A tiny HTTP server on 127.0.0.1 for the update tests: it accepts connections one after the
// other on its own thread, reads one request (header block plus Content-Length bytes), hands
// it to the responder, writes the responder's bytes back verbatim and closes the connection.
// Plain C++ over BSD sockets or Winsock, so the Windows build tests the HTTP client with it.
class LoopbackServer {
public:
    using Responder = std::function<std::string(const std::string& request)>;
    using Socket = std::intptr_t;

    explicit LoopbackServer(Responder responder);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    // Listen on an ephemeral port of 127.0.0.1; false when that fails.
    bool start();
    // The port listened on (0 before start()).
    int port() const { return m_port; }
    // Every request received so far, complete, in arrival order.
    std::vector<std::string> requests() const;

    // "HTTP/1.0 200 OK" with a Content-Length header and body.
    static std::string okResponse(std::string_view body);
    // The path of a request's first line ("/version" of "POST /version HTTP/1.0").
    static std::string requestPath(std::string_view request);

private:
    void serve();
    void handle(Socket connection);

    Responder m_responder;
    Socket m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::vector<std::string> m_requests;
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
    LoopbackServer::Socket m_socket = -1;
    int m_port = 0;
};
