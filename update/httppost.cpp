#include "update/httppost.h"

#include "update/socketio.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

const char kCrLf[] = "\r\n";

// A server that never ends its header block or its body must not exhaust the program's memory;
// real answers are a few hundred bytes.
const std::size_t kMaxHeaderBlock = 64 * 1024;
const std::size_t kMaxBody = 1024 * 1024;

/* Hand one piece of the request to the socket. */
void sendPiece(SocketIo::Handle socket, const char* text) {
    SocketIo::sendBytes(socket, text, std::strlen(text));
}

/* Write the request line, the fixed header set, the empty line and the body. */
void sendRequest(SocketIo::Handle socket, const char* host, const char* target, const char* body) {
    sendPiece(socket, "POST ");
    sendPiece(socket, target);
    sendPiece(socket, " HTTP/1.0\r\n");
    sendPiece(socket, "Accept: */*\r\n");
    sendPiece(socket, "User-Agent: Mozilla/4.0\r\n");
    char contentLength[100];
    std::snprintf(contentLength, sizeof contentLength, "Content-Length: %d\r\n",
                  static_cast<int>(std::strlen(body)));
    sendPiece(socket, contentLength);
    sendPiece(socket, "Accept-Encoding: gzip, deflate\r\n");
    sendPiece(socket, "Host: ");
    sendPiece(socket, host);
    sendPiece(socket, kCrLf);
    sendPiece(socket, "Content-Type: application/x-www-form-urlencoded\r\n");
    sendPiece(socket, "Connection: Keep-Alive\r\n");
    sendPiece(socket, kCrLf);
    if (body[0] != '\0') {
        sendPiece(socket, body);
    }
}

// What the header phase found.
struct HeaderBlock {
    bool accepted = false;  // "200" was seen when some line ended
    bool complete = false;  // the empty line arrived; the body follows
};

/* Read the header block byte by byte and discard it. */
HeaderBlock readHeaderBlock(SocketIo::Handle socket, std::string& response) {
    HeaderBlock block;
    int lineLength = 0;
    char byte = 0;
    while (response.size() < kMaxHeaderBlock && SocketIo::receive(socket, &byte, 1) == 1) {
        response.push_back(byte);
        if (byte == '\r') {
            continue;
        }
        if (byte != '\n') {
            ++lineLength;
            continue;
        }
        // The test looks at everything received so far, not only the status code field.
        if (!block.accepted && response.find("200") != std::string::npos) {
            block.accepted = true;
        }
        if (lineLength == 0) {
            block.complete = true;
            break;
        }
        lineLength = 0;
    }
    response.clear();
    return block;
}

/* Append the body until the server closes; each block is cut at its first NUL byte. */
void readBody(SocketIo::Handle socket, std::string& response) {
    char block[1024];
    while (response.size() < kMaxBody) {
        const long got = SocketIo::receive(socket, block, sizeof block - 1);
        if (got <= 0) {
            return;
        }
        block[got] = '\0';
        response.append(block, std::min(std::strlen(block), kMaxBody - response.size()));
    }
}

/* Connect, send the request and read the reply; socket library already started. */
int exchange(const char* host, const char* target, const char* body, std::string& response,
             int port) {
    const SocketIo::Handle socket = SocketIo::openStream();
    if (socket == SocketIo::InvalidHandle) {
        return HttpPostSocketFailed;
    }
    std::uint32_t address = 0;
    if (host[0] == '\0' || !SocketIo::resolveIpv4(host, &address)) {
        SocketIo::closeStream(socket);
        return HttpPostResolveFailed;
    }
    if (!SocketIo::connectTo(socket, address, port)) {
        SocketIo::closeStream(socket);
        return HttpPostConnectFailed;
    }
    sendRequest(socket, host, target, body);
    const HeaderBlock header = readHeaderBlock(socket, response);
    // After a closed or cut header block there is no body to read.
    if (header.accepted && header.complete) {
        readBody(socket, response);
    }
    SocketIo::closeStream(socket);
    return header.accepted ? HttpPostOk : HttpPostNotAccepted;
}

}  // namespace

/* Send one POST request and read the reply body. */
int post(const char* host, const char* target, const char* body, std::string& response, int port) {
    SocketIo::startup();
    const int result =
        exchange(host ? host : "", target ? target : "", body ? body : "", response, port);
    SocketIo::cleanup();
    return result;
}
