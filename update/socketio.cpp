#include "update/socketio.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#endif

#include <cstring>

namespace SocketIo {

/* Resolve host to its first IPv4 address (the same call on every platform). */
bool resolveIpv4(const char* host, std::uint32_t* address) {
    addrinfo hints;
    std::memset(&hints, 0, sizeof hints);
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host, nullptr, &hints, &found) != 0 || found == nullptr) {
        return false;
    }
    bool ok = false;
    if (found->ai_family == AF_INET && found->ai_addrlen >= sizeof(sockaddr_in)) {
        sockaddr_in first;
        std::memcpy(&first, found->ai_addr, sizeof first);
        *address = first.sin_addr.s_addr;
        ok = true;
    }
    freeaddrinfo(found);
    return ok;
}

}  // namespace SocketIo
