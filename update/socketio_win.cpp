#include "update/socketio.h"

#ifdef _WIN32

#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstring>

namespace SocketIo {

/* Start Winsock, version 1.1; the result is not examined. */
void startup() {
    WSADATA data;
    WSAStartup(0x0101, &data);
}

/* Release Winsock. */
void cleanup() {
    WSACleanup();
}

/* Create an IPv4 stream socket. */
Handle openStream() {
    const SOCKET s = ::socket(AF_INET, SOCK_STREAM, 0);
    return s == INVALID_SOCKET ? InvalidHandle : static_cast<Handle>(s);
}

/* Connect the socket to address:port. */
bool connectTo(Handle socket, std::uint32_t address, int port) {
    sockaddr_in peer;
    std::memset(&peer, 0, sizeof peer);
    peer.sin_family = AF_INET;
    peer.sin_port = htons(static_cast<u_short>(port));
    peer.sin_addr.s_addr = address;
    return ::connect(static_cast<SOCKET>(socket), reinterpret_cast<const sockaddr*>(&peer),
                     sizeof peer) == 0;
}

/* Send all bytes. */
void sendBytes(Handle socket, const char* data, std::size_t length) {
    while (length > 0) {
        const int piece = length > 65536 ? 65536 : static_cast<int>(length);
        const int sent = ::send(static_cast<SOCKET>(socket), data, piece, 0);
        if (sent <= 0) {
            return;
        }
        data += sent;
        length -= static_cast<std::size_t>(sent);
    }
}

/* Receive up to capacity bytes. */
long receive(Handle socket, char* buffer, std::size_t capacity) {
    const int want = capacity > 65536 ? 65536 : static_cast<int>(capacity);
    const int got = ::recv(static_cast<SOCKET>(socket), buffer, want, 0);
    return got < 0 ? -1 : static_cast<long>(got);
}

/* Close the socket. */
void closeStream(Handle socket) {
    closesocket(static_cast<SOCKET>(socket));
}

}  // namespace SocketIo

#endif
