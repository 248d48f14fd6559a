#include "update/socketio.h"

#ifndef _WIN32

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace SocketIo {

/* No library start-up is needed here. */
void startup() {}

/* No library release is needed here. */
void cleanup() {}

/* Create an IPv4 stream socket. */
Handle openStream() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    return fd < 0 ? InvalidHandle : static_cast<Handle>(fd);
}

/* Connect the socket to address:port. */
bool connectTo(Handle socket, std::uint32_t address, int port) {
    sockaddr_in peer;
    std::memset(&peer, 0, sizeof peer);
    peer.sin_family = AF_INET;
    peer.sin_port = htons(static_cast<std::uint16_t>(port));
    peer.sin_addr.s_addr = address;
    int result;
    do {
        result = ::connect(static_cast<int>(socket), reinterpret_cast<const sockaddr*>(&peer),
                           sizeof peer);
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

/* Send all bytes; a closed peer must not raise SIGPIPE in the program. */
void sendBytes(Handle socket, const char* data, std::size_t length) {
    while (length > 0) {
        const ssize_t sent = ::send(static_cast<int>(socket), data, length, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        if (sent <= 0) {
            return;
        }
        data += sent;
        length -= static_cast<std::size_t>(sent);
    }
}

/* Receive up to capacity bytes. */
long receive(Handle socket, char* buffer, std::size_t capacity) {
    ssize_t got;
    do {
        got = ::recv(static_cast<int>(socket), buffer, capacity, 0);
    } while (got < 0 && errno == EINTR);
    return got < 0 ? -1 : static_cast<long>(got);
}

/* Close the socket. */
void closeStream(Handle socket) {
    ::close(static_cast<int>(socket));
}

}  // namespace SocketIo

#endif
