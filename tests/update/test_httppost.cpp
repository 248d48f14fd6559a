#include "update/httppost.h"

#include "tests/update/loopbackserver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char kHeaderAfterLine[] =
    "Accept: */*\r\n"
    "User-Agent: Mozilla/4.0\r\n";

/* The request bytes post() must write for target, host and body. */
std::string expectedRequest(const std::string& target, const std::string& host,
                            const std::string& body) {
    return "POST " + target + " HTTP/1.0\r\n" + kHeaderAfterLine +
           "Content-Length: " + std::to_string(body.size()) +
           "\r\n"
           "Accept-Encoding: gzip, deflate\r\n"
           "Host: " +
           host +
           "\r\n"
           "Content-Type: application/x-www-form-urlencoded\r\n"
           "Connection: Keep-Alive\r\n"
           "\r\n" +
           body;
}

// One exchange against a server that answers every request with fixed bytes.
struct Exchange {
    int result = 1;
    std::string response;
    std::vector<std::string> requests;
};

/* Post to a loopback server answering with reply. */
Exchange postTo(const std::string& reply, const char* target = "/version", const char* body = "",
                const char* host = "127.0.0.1") {
    LoopbackServer server([reply](const std::string&) { return reply; });
    Exchange exchange;
    if (!server.start()) {
        ADD_FAILURE() << "loopback server did not start";
        return exchange;
    }
    exchange.result = post(host, target, body, exchange.response, server.port());
    exchange.requests = server.requests();
    return exchange;
}

// One post() call's arguments and the target, host and body its request must carry.
struct RequestCase {
    const char* name;
    const char* target;
    const char* body;
    const char* host;
    std::string sentTarget;
    std::string sentBody;
};

TEST(HttpPostRequest, ArgumentsAreSentVerbatimWithTheBodyLengthAndTheReplyIsRead) {
    const RequestCase rows[] = {
        {"EmptyBodyZeroLength", "/version", "", "127.0.0.1", "/version", ""},
        {"BodyAfterTheEmptyLine", "/v", "a=1&b=two", "127.0.0.1", "/v", "a=1&b=two"},
        {"TargetAndHostVerbatim", "/a b?x=%20&y=\xe4", "", "localhost", "/a b?x=%20&y=\xe4", ""},
        {"NullArgumentsAreEmpty", nullptr, nullptr, "127.0.0.1", "", ""},
    };
    for (const RequestCase& row : rows) {
        SCOPED_TRACE(row.name);
        const Exchange e = postTo(LoopbackServer::okResponse("{\"Sheetweaver\":\"ab\"}"),
                                  row.target, row.body, row.host);
        EXPECT_EQ(e.result, HttpPostOk);
        EXPECT_EQ(e.response, "{\"Sheetweaver\":\"ab\"}");
        EXPECT_EQ(e.requests, std::vector<std::string>{
                                  expectedRequest(row.sentTarget, row.host, row.sentBody)});
    }
}

// One reply the server sends, and the result and response post() must give for it.
struct ReplyCase {
    const char* name;
    std::string reply;
    int result;
    std::string response;
};

TEST(HttpPostReply, StatusHeaderAndBodyAreReadAsTheClientDoes) {
    const char nulReply[] = "HTTP/1.0 200 OK\r\n\r\nabc\0def";
    std::string longBody;
    for (int i = 0; i < 5000; ++i) {
        longBody.push_back(static_cast<char>('a' + i % 26));
    }
    const ReplyCase rows[] = {
        // Acceptance: any "200" in the header block counts, one only in the body does not.
        {"TwoHundredInAHeaderLine", "HTTP/1.0 404 Not Found\r\nContent-Length: 1200\r\n\r\nbody",
         HttpPostOk, "body"},
        {"NoTwoHundredInTheHeader", "HTTP/1.0 404 Not Found\r\nContent-Length: 4\r\n\r\nbody",
         HttpPostNotAccepted, ""},
        {"TwoHundredOnlyInTheBody", "HTTP/1.0 500 Error\r\nX-A: b\r\n\r\n200 200 200",
         HttpPostNotAccepted, ""},
        {"BareLineFeedsEndTheHeader", "HTTP/1.0 200 OK\nX-A: b\n\nline one\r\nline two", HttpPostOk,
         "line one\r\nline two"},
        // Body: a NUL byte cuts the rest of its block; a long body arrives over many blocks.
        {"NulByteCutsItsBlock", std::string(nulReply, sizeof nulReply - 1), HttpPostOk, "abc"},
        {"LongBodyArrivesWhole", LoopbackServer::okResponse(longBody), HttpPostOk, longBody},
        {"CloseRightAfterTheHeaders", "HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n", HttpPostOk,
         ""},
        {"CloseInsideHeaderAfterAcceptedLine", "HTTP/1.0 200 OK\r\nX-Half: va", HttpPostOk, ""},
        // The "200" test runs only when a line ends.
        {"CloseInsideTheStatusLine", "HTTP/1.0 200 OK", HttpPostNotAccepted, ""},
        // Limits: an endless header is cut, and so is a body beyond one MiB.
        {"EndlessHeaderIsCut", "HTTP/1.0 200 OK\r\nX-Long: " + std::string(100000, 'h'), HttpPostOk,
         ""},
        {"EndlessBodyIsCutAtOneMiB", "HTTP/1.0 200 OK\r\n\r\n" + std::string(3 * 1024 * 1024, 'b'),
         HttpPostOk, std::string(1024 * 1024, 'b')},
    };
    for (const ReplyCase& row : rows) {
        SCOPED_TRACE(row.name);
        const Exchange e = postTo(row.reply);
        EXPECT_EQ(e.result, row.result);
        EXPECT_TRUE(e.response == row.response) << "response of " << e.response.size()
                                                << " bytes starts \"" << e.response.substr(0, 80);
    }
}

TEST(HttpPostFailure, UnresolvableHostGivesResolveFailure) {
    std::string response;
    EXPECT_EQ(post("sheetweaver-update.invalid", "/version", "", response, 80),
              HttpPostResolveFailed);
    EXPECT_TRUE(response.empty());
    EXPECT_EQ(post("", "/version", "", response), HttpPostResolveFailed);
    EXPECT_EQ(post(nullptr, "/version", "", response), HttpPostResolveFailed);
}

TEST(HttpPostFailure, RefusedConnectionGivesConnectFailure) {
    RefusingPort refusing;
    ASSERT_NE(refusing.port(), 0);
    std::string response;
    EXPECT_EQ(post("127.0.0.1", "/version", "", response, refusing.port()), HttpPostConnectFailed);
    EXPECT_TRUE(response.empty());
}

}  // namespace
