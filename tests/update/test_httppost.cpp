#include "update/httppost.h"

#include "tests/update/loopbackserver.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char kHeaderAfterLine[] =
    "Accept: */*\r\n"
    "User-Agent: Mozilla/4.0\r\n";

/* The request bytes post() must write for target, host and body. */
QByteArray expectedRequest(const QByteArray& target, const QByteArray& host,
                           const QByteArray& body) {
    return "POST " + target + " HTTP/1.0\r\n" + kHeaderAfterLine +
           "Content-Length: " + QByteArray::number(body.size()) +
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
    QList<QByteArray> requests;
};

/* Post to a loopback server answering with reply. */
Exchange postTo(const QByteArray& reply, const char* target = "/version", const char* body = "",
                const char* host = "127.0.0.1") {
    LoopbackServer server([reply](const QByteArray&) { return reply; });
    Exchange exchange;
    if (!server.start()) {
        ADD_FAILURE() << "loopback server did not start";
        return exchange;
    }
    exchange.result = post(host, target, body, exchange.response, server.port());
    exchange.requests = server.requests();
    return exchange;
}

TEST(HttpPostRequest, EmptyBodySendsExactBytesAndZeroLength) {
    const Exchange e = postTo(LoopbackServer::okResponse("{\"Sheetweaver\":\"ab\"}"));
    EXPECT_EQ(e.result, HttpPostOk);
    EXPECT_EQ(e.response, "{\"Sheetweaver\":\"ab\"}");
    ASSERT_EQ(e.requests.size(), 1);
    EXPECT_EQ(e.requests.at(0), expectedRequest("/version", "127.0.0.1", ""));
}

TEST(HttpPostRequest, BodyIsSentAfterTheEmptyLineWithItsLength) {
    const Exchange e = postTo(LoopbackServer::okResponse("ok"), "/v", "a=1&b=two");
    EXPECT_EQ(e.result, HttpPostOk);
    ASSERT_EQ(e.requests.size(), 1);
    EXPECT_EQ(e.requests.at(0), expectedRequest("/v", "127.0.0.1", "a=1&b=two"));
}

TEST(HttpPostRequest, TargetAndHostAreWrittenVerbatim) {
    const Exchange e =
        postTo(LoopbackServer::okResponse("ok"), "/a b?x=%20&y=\xe4", "", "localhost");
    EXPECT_EQ(e.result, HttpPostOk);
    ASSERT_EQ(e.requests.size(), 1);
    EXPECT_EQ(e.requests.at(0), expectedRequest("/a b?x=%20&y=\xe4", "localhost", ""));
}

TEST(HttpPostRequest, NullArgumentsCountAsEmptyText) {
    const Exchange e = postTo(LoopbackServer::okResponse("ok"), nullptr, nullptr);
    EXPECT_EQ(e.result, HttpPostOk);
    ASSERT_EQ(e.requests.size(), 1);
    EXPECT_EQ(e.requests.at(0), expectedRequest("", "127.0.0.1", ""));
}

TEST(HttpPostAcceptance, TwoHundredInAHeaderButNotTheStatusIsAccepted) {
    const Exchange e = postTo("HTTP/1.0 404 Not Found\r\nContent-Length: 1200\r\n\r\nbody");
    EXPECT_EQ(e.result, HttpPostOk);
    EXPECT_EQ(e.response, "body");
}

TEST(HttpPostAcceptance, NoTwoHundredInTheHeaderIsRejectedWithEmptyResponse) {
    const Exchange e = postTo("HTTP/1.0 404 Not Found\r\nContent-Length: 4\r\n\r\nbody");
    EXPECT_EQ(e.result, HttpPostNotAccepted);
    EXPECT_TRUE(e.response.empty());
}

TEST(HttpPostAcceptance, TwoHundredOnlyInTheBodyDoesNotCount) {
    const Exchange e = postTo("HTTP/1.0 500 Error\r\nX-A: b\r\n\r\n200 200 200");
    EXPECT_EQ(e.result, HttpPostNotAccepted);
    EXPECT_TRUE(e.response.empty());
}

TEST(HttpPostAcceptance, BareLineFeedsEndTheHeaderBlock) {
    const Exchange e = postTo("HTTP/1.0 200 OK\nX-A: b\n\nline one\r\nline two");
    EXPECT_EQ(e.result, HttpPostOk);
    EXPECT_EQ(e.response, "line one\r\nline two");
}

TEST(HttpPostBody, NulByteCutsTheRestOfItsBlock) {
    const char reply[] = "HTTP/1.0 200 OK\r\n\r\nabc\0def";
    const Exchange e = postTo(QByteArray(reply, sizeof reply - 1));
    EXPECT_EQ(e.result, HttpPostOk);
    EXPECT_EQ(e.response, "abc");
}

TEST(HttpPostBody, LongBodyArrivesWholeOverManyBlocks) {
    QByteArray body;
    for (int i = 0; i < 5000; ++i) {
        body.append(static_cast<char>('a' + i % 26));
    }
    const Exchange e = postTo(LoopbackServer::okResponse(body));
    EXPECT_EQ(e.result, HttpPostOk);
    EXPECT_EQ(e.response, body.toStdString());
}

TEST(HttpPostBody, CloseRightAfterTheHeadersGivesEmptySuccess) {
    const Exchange e = postTo("HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n");
    EXPECT_EQ(e.result, HttpPostOk);
    EXPECT_TRUE(e.response.empty());
}

TEST(HttpPostBody, CloseInsideTheHeaderBlockAfterAnAcceptedLine) {
    const Exchange accepted = postTo("HTTP/1.0 200 OK\r\nX-Half: va");
    EXPECT_EQ(accepted.result, HttpPostOk);
    EXPECT_TRUE(accepted.response.empty());
    // The "200" test runs only when a line ends.
    const Exchange unfinished = postTo("HTTP/1.0 200 OK");
    EXPECT_EQ(unfinished.result, HttpPostNotAccepted);
    EXPECT_TRUE(unfinished.response.empty());
}

TEST(HttpPostLimits, EndlessHeaderAndBodyAreCut) {
    const Exchange header = postTo("HTTP/1.0 200 OK\r\nX-Long: " + QByteArray(100000, 'h'));
    EXPECT_EQ(header.result, HttpPostOk);
    EXPECT_TRUE(header.response.empty());
    const Exchange body = postTo("HTTP/1.0 200 OK\r\n\r\n" + QByteArray(3 * 1024 * 1024, 'b'));
    EXPECT_EQ(body.result, HttpPostOk);
    EXPECT_EQ(body.response.size(), 1024u * 1024u);
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
