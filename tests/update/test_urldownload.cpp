#include "update/urldownload.h"

#include "tests/update/loopbackserver.h"
#include "tests/update/updatetestdata.h"
#include "update/httppost.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

const char kArchiveBytes[] = "PK\x03\x04 archive bytes \0 with a NUL";
const QByteArray kArchive(kArchiveBytes, sizeof kArchiveBytes - 1);

// A loopback server answering "/file" with a settable reply and "/moved" with a redirect.
class UrlDownloadTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ensureCoreApplication(); }

    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_server = std::make_unique<LoopbackServer>([this](const std::string& request) {
            const std::string path = LoopbackServer::requestPath(request);
            if (path == "/moved") {
                return std::string(
                    "HTTP/1.0 302 Found\r\nLocation: /file\r\nContent-Length: 0\r\n\r\n");
            }
            return path.rfind("/file", 0) == 0 ? m_reply.toStdString()
                                               : std::string("HTTP/1.0 404 Not Found\r\n\r\n");
        });
        ASSERT_TRUE(m_server->start());
    }

    QByteArray url(const char* path) const {
        return "http://127.0.0.1:" + QByteArray::number(m_server->port()) + path;
    }
    QString target() const { return m_dir.filePath(QStringLiteral("Sheetweaver.zip")); }
    QStringList entries() const {
        return QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    QTemporaryDir m_dir;
    QByteArray m_reply = okResponse(kArchive);
    std::unique_ptr<LoopbackServer> m_server;
};

TEST_F(UrlDownloadTest, CompleteResponseIsWrittenWhole) {
    EXPECT_TRUE(downloadUrlToFile(url("/file?t=17"), target()));
    EXPECT_EQ(readFile(target()), kArchive);
    EXPECT_EQ(entries(), QStringList({QStringLiteral("Sheetweaver.zip")}));
    ASSERT_EQ(m_server->requests().size(), 1);
    EXPECT_EQ(m_server->requests().at(0).rfind("GET /file?t=17 HTTP/1.1\r\n", 0), 0u);
}

TEST_F(UrlDownloadTest, ResponseEndedByCloseWithoutLengthIsComplete) {
    m_reply = "HTTP/1.0 200 OK\r\n\r\n" + kArchive;
    EXPECT_TRUE(downloadUrlToFile(url("/file"), target()));
    EXPECT_EQ(readFile(target()), kArchive);
}

TEST_F(UrlDownloadTest, ChunkedResponseIsDecoded) {
    m_reply =
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nConnection: close\r\n\r\n"
        "5\r\nhello\r\n6\r\n world\r\n0\r\n\r\n";
    EXPECT_TRUE(downloadUrlToFile(url("/file"), target()));
    EXPECT_EQ(readFile(target()), "hello world");
}

TEST_F(UrlDownloadTest, RedirectIsFollowed) {
    EXPECT_TRUE(downloadUrlToFile(url("/moved"), target()));
    EXPECT_EQ(readFile(target()), kArchive);
}

TEST_F(UrlDownloadTest, OtherStatusesFailAndWriteNothing) {
    for (const QByteArray& reply :
         {QByteArray("HTTP/1.0 404 Not Found\r\nContent-Length: 4\r\n\r\ngone"),
          QByteArray("HTTP/1.0 500 Error\r\nContent-Length: 1200\r\n\r\n"),
          QByteArray("HTTP/1.0 204 No Content\r\n\r\n"), QByteArray("not http at all")}) {
        m_reply = reply;
        EXPECT_FALSE(downloadUrlToFile(url("/file"), target())) << reply.constData();
        EXPECT_TRUE(entries().isEmpty()) << reply.constData();
    }
}

TEST_F(UrlDownloadTest, TruncatedResponseFailsAndKeepsTheEarlierFile) {
    ASSERT_TRUE(writeFile(target(), "earlier"));
    m_reply = "HTTP/1.0 200 OK\r\nContent-Length: 1000\r\n\r\n" + kArchive;
    EXPECT_FALSE(downloadUrlToFile(url("/file"), target()));
    EXPECT_EQ(readFile(target()), "earlier");
    EXPECT_EQ(entries(), QStringList({QStringLiteral("Sheetweaver.zip")}));
}

TEST_F(UrlDownloadTest, UnreachableServersFail) {
    RefusingPort refusing;
    EXPECT_FALSE(downloadUrlToFile(
        "http://127.0.0.1:" + QByteArray::number(refusing.port()) + "/file", target()));
    EXPECT_FALSE(downloadUrlToFile("http://sheetweaver-update.invalid/file", target()));
    EXPECT_TRUE(entries().isEmpty());
}

TEST_F(UrlDownloadTest, OnlyHttpUrlsAreFetched) {
    const QString local = m_dir.filePath(QStringLiteral("local.zip"));
    ASSERT_TRUE(writeFile(local, kArchive));
    EXPECT_FALSE(downloadUrlToFile("file://" + local.toUtf8(), target()));
    EXPECT_FALSE(downloadUrlToFile("", target()));
    EXPECT_FALSE(downloadUrlToFile("Sheetweaver.zip?t=1", target()));
    EXPECT_FALSE(QFile::exists(target()));
}

TEST_F(UrlDownloadTest, UnwritableTargetFails) {
    EXPECT_FALSE(downloadUrlToFile(url("/file"), m_dir.filePath(QStringLiteral("no/such.zip"))));
    EXPECT_TRUE(entries().isEmpty());
}

}  // namespace
