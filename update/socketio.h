#pragma once

#include <cstddef>
#include <cstdint>

// The few socket operations the HTTP client needs, one implementation per platform
// (socketio_posix.cpp: BSD sockets; socketio_win.cpp: Winsock; name resolution, the same on
// both, in socketio.cpp). Blocking, no time-outs.
namespace SocketIo {

using Handle = std::intptr_t;
constexpr Handle InvalidHandle = -1;

// Start the socket library where the platform needs it (Winsock 1.1); never fails visibly.
void startup();
// Release the socket library again; pairs with every startup().
void cleanup();
// A new IPv4 stream socket, or InvalidHandle.
Handle openStream();
// The first IPv4 address of host in network byte order into *address; false when the name
// does not resolve (or resolves to no IPv4 address).
bool resolveIpv4(const char* host, std::uint32_t* address);
// Connect to address (network byte order) at port; false on failure.
bool connectTo(Handle socket, std::uint32_t address, int port);
// Send length bytes of data; failures are not reported (they show up as a short reply).
void sendBytes(Handle socket, const char* data, std::size_t length);
// Receive up to capacity bytes: the count received, 0 when the peer closed, -1 on error.
long receive(Handle socket, char* buffer, std::size_t capacity);
// Close the socket.
void closeStream(Handle socket);

}  // namespace SocketIo
