#pragma once

#include <string>

// Minimal blocking HTTP/1.0 client for the update worker: one form-encoded POST over a plain
// TCP connection, the response body handed back as text. No time-outs, no redirects, no TLS,
// no chunked decoding, no decompression. Called only on the update worker's thread.

// Results of post().
enum HttpPostResult {
    HttpPostOk = 0,                // request sent, header block accepted, body read to close
    HttpPostSocketFailed = -100,   // creating the TCP socket failed
    HttpPostConnectFailed = -101,  // the connection to the server's port failed
    HttpPostNotAccepted = -102,    // the header block never contained "200"; response empty
    HttpPostResolveFailed = -103,  // the host name did not resolve to an IPv4 address
};

// The port of the update servers.
constexpr int HttpPostDefaultPort = 80;

// Send "POST <target> HTTP/1.0" with a fixed header set and the bytes of body before its first
// NUL to host (resolved by name, first IPv4 address) at port, then read the reply.
// The header block is read one byte per call and discarded; the request counts as accepted when
// the text received so far contains "200" anywhere when a line ends. Only then the body is read
// in blocks of up to 1023 bytes until the server closes the connection, each block cut at its
// first NUL byte, and appended to response (which the caller passes empty).
// Returns HttpPostOk (0) or one of the negative codes above; on -102 the response is empty, on
// -100, -101 and -103 nothing was sent. A null host, target or body counts as empty text.
// Limits: a header block ends after 64 KiB as if the server had closed, and the body stops at
// 1 MiB (the rest is not read; the result is still 0).
int post(const char* host, const char* target, const char* body, std::string& response,
         int port = HttpPostDefaultPort);
