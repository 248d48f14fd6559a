#include "tests/update/loopbackserver.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

namespace {

#ifdef _WIN32
using Native = SOCKET;
using SocketLength = int;
constexpr int kNoSignal = 0;
constexpr int kShutWrite = SD_SEND;

/* Start Winsock for the server's sockets; pairs with stopSockets(). */
void startSockets() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
}
/* Release Winsock again. */
void stopSockets() {
    WSACleanup();
}
/* Close a socket. */
void closeSocket(Native s) {
    ::closesocket(s);
}
/* Wait up to milliseconds for s to become readable. */
bool waitReadable(Native s, int milliseconds) {
    WSAPOLLFD waiting{s, POLLRDNORM, 0};
    return WSAPoll(&waiting, 1, milliseconds) > 0;
}
#else
using Native = int;
using SocketLength = socklen_t;
constexpr int kNoSignal = MSG_NOSIGNAL;
constexpr int kShutWrite = SHUT_WR;

/* Nothing to start on POSIX systems. */
void startSockets() {}
/* Nothing to release on POSIX systems. */
void stopSockets() {}
/* Close a socket. */
void closeSocket(Native s) {
    ::close(s);
}
/* Wait up to milliseconds for s to become readable. */
bool waitReadable(Native s, int milliseconds) {
    pollfd waiting{s, POLLIN, 0};
    return ::poll(&waiting, 1, milliseconds) > 0;
}
#endif

/* The native socket a handle carries. */
Native native(LoopbackServer::Socket s) {
    return static_cast<Native>(s);
}

/* A new IPv4 stream socket as a handle, -1 on failure. */
LoopbackServer::Socket openSocket() {
    const Native s = ::socket(AF_INET, SOCK_STREAM, 0);
#ifdef _WIN32
    return s == INVALID_SOCKET ? -1 : static_cast<LoopbackServer::Socket>(s);
#else
    return s;
#endif
}

/* Bind a fresh IPv4 socket to an ephemeral port of 127.0.0.1; returns the port or 0. */
int bindLoopback(LoopbackServer::Socket fd) {
    sockaddr_in address;
    std::memset(&address, 0, sizeof address);
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (::bind(native(fd), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        return 0;
    }
    SocketLength length = sizeof address;
    if (::getsockname(native(fd), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        return 0;
    }
    return ntohs(address.sin_port);
}

/* The text in lower case. */
std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

/* The Content-Length value of a header block, or 0. */
std::size_t contentLength(std::string_view header) {
    const std::string lower = lowered(std::string(header));
    const std::size_t name = lower.find("content-length:");
    if (name == std::string::npos) {
        return 0;
    }
    const long value = std::strtol(lower.c_str() + name + 15, nullptr, 10);
    return value > 0 ? static_cast<std::size_t>(value) : 0;
}

/* Write all bytes, ignoring a peer that went away. */
void writeAll(LoopbackServer::Socket fd, const std::string& bytes) {
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const int chunk = static_cast<int>(std::min<std::size_t>(left, 1 << 20));
        const auto sent = ::send(native(fd), data, chunk, kNoSignal);
        if (sent <= 0) {
            return;
        }
        data += sent;
        left -= static_cast<std::size_t>(sent);
    }
}

}  // namespace

/* Create a server that answers with responder. */
LoopbackServer::LoopbackServer(Responder responder) : m_responder(std::move(responder)) {
    startSockets();
}

/* Stop the serving thread and close the listener. */
LoopbackServer::~LoopbackServer() {
    m_stop = true;
    if (m_thread.joinable()) {
        m_thread.join();
    }
    if (m_listener >= 0) {
        closeSocket(native(m_listener));
    }
    stopSockets();
}

/* Bind, listen and start the serving thread. */
bool LoopbackServer::start() {
    m_listener = openSocket();
    if (m_listener < 0) {
        return false;
    }
#ifndef _WIN32
    // On Windows the same option would let another program take the port over.
    const int reuse = 1;
    ::setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
#endif
    m_port = bindLoopback(m_listener);
    if (m_port == 0 || ::listen(native(m_listener), 8) != 0) {
        return false;
    }
    m_thread = std::thread([this] { serve(); });
    return true;
}

/* Copy of the requests received so far. */
std::vector<std::string> LoopbackServer::requests() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
}

/* A complete 200 response around body. */
std::string LoopbackServer::okResponse(std::string_view body) {
    return "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nContent-Type: application/octet-stream\r\n\r\n" + std::string(body);
}

/* The second word of the request line. */
std::string LoopbackServer::requestPath(std::string_view request) {
    const std::string_view line = request.substr(0, request.find('\r'));
    const std::size_t first = line.find(' ');
    if (first == std::string_view::npos) {
        return std::string();
    }
    const std::size_t second = line.find(' ', first + 1);
    return std::string(line.substr(
        first + 1, second == std::string_view::npos ? std::string_view::npos : second - first - 1));
}

/* Accept and answer connections until the server is destroyed. */
void LoopbackServer::serve() {
    while (!m_stop) {
        if (!waitReadable(native(m_listener), 50)) {
            continue;
        }
        const Native connection = ::accept(native(m_listener), nullptr, nullptr);
#ifdef _WIN32
        const bool accepted = connection != INVALID_SOCKET;
#else
        const bool accepted = connection >= 0;
#endif
        if (accepted) {
            handle(static_cast<Socket>(connection));
            closeSocket(connection);
        }
    }
}

/* Read one request from connection, record it and write the answer. */
void LoopbackServer::handle(Socket connection) {
    std::string request;
    std::size_t wanted = std::string::npos;
    char buffer[4096];
    while (wanted == std::string::npos || request.size() < wanted) {
        if (!waitReadable(native(connection), 5000)) {
            break;
        }
        const auto got = ::recv(native(connection), buffer, sizeof buffer, 0);
        if (got <= 0) {
            break;
        }
        request.append(buffer, static_cast<std::size_t>(got));
        const std::size_t end = request.find("\r\n\r\n");
        if (wanted == std::string::npos && end != std::string::npos) {
            wanted = end + 4 + contentLength(std::string_view(request).substr(0, end));
        }
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_requests.push_back(request);
    }
    writeAll(connection, m_responder(request));
    ::shutdown(native(connection), kShutWrite);
}

/* Bind a loopback port without listening on it. */
RefusingPort::RefusingPort() {
    startSockets();
    m_socket = openSocket();
    if (m_socket >= 0) {
        m_port = bindLoopback(m_socket);
    }
}

/* Release the port. */
RefusingPort::~RefusingPort() {
    if (m_socket >= 0) {
        closeSocket(native(m_socket));
    }
    stopSockets();
}
