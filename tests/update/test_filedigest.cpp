#include "update/filedigest.h"

#include "tests/update/updatetestdata.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct DigestCase {
    const char* text;
    const char* digest;
};

// Test suite of RFC 1321, appendix A.5.
const DigestCase kRfc1321[] = {
    {"", "d41d8cd98f00b204e9800998ecf8427e"},
    {"a", "0cc175b9c0f1b6a831c399e269772661"},
    {"abc", "900150983cd24fb0d6963f7d28e17f72"},
    {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
    {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
    {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     "57edf4a22be3c955ac49da2e2107b67a"},
};

TEST(Md5HexOfFile, MatchesTheReferenceDigests) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const DigestCase& c : kRfc1321) {
        const QString path = dir.filePath(QStringLiteral("f"));
        ASSERT_TRUE(writeFile(path, QByteArray(c.text)));
        EXPECT_EQ(md5HexOfFile(path), QByteArray(c.digest)) << c.text;
    }
}

TEST(Md5HexOfFile, CoversEveryBlockOfALongFileWithNulBytes) {
    QTemporaryDir dir;
    QByteArray bytes;
    for (int i = 0; i < 1024 * 5 + 17; ++i) {
        bytes.append(static_cast<char>(i % 251));
    }
    const QString path = dir.filePath(QStringLiteral("program"));
    ASSERT_TRUE(writeFile(path, bytes));
    EXPECT_EQ(md5HexOfFile(path), md5Hex(bytes));
    // Exactly one block, and a change in the last byte.
    ASSERT_TRUE(writeFile(path, bytes.left(1024)));
    EXPECT_EQ(md5HexOfFile(path), md5Hex(bytes.left(1024)));
    bytes[bytes.size() - 1] = 'x';
    ASSERT_TRUE(writeFile(path, bytes));
    EXPECT_EQ(md5HexOfFile(path), md5Hex(bytes));
}

TEST(Md5HexOfFile, UnreadablePathsGiveAnEmptyDigest) {
    QTemporaryDir dir;
    EXPECT_TRUE(md5HexOfFile(dir.filePath(QStringLiteral("missing"))).isEmpty());
    EXPECT_TRUE(md5HexOfFile(dir.path()).isEmpty());
    EXPECT_TRUE(md5HexOfFile(QString()).isEmpty());
}

TEST(IsMd5Hex, AcceptsOnlyThirtyTwoHexDigits) {
    EXPECT_TRUE(isMd5Hex("d41d8cd98f00b204e9800998ecf8427e"));
    EXPECT_TRUE(isMd5Hex("D41D8CD98F00B204E9800998ECF8427E"));
    EXPECT_TRUE(isMd5Hex("D41d8cd98f00b204e9800998ecf8427E"));
    EXPECT_FALSE(isMd5Hex(""));
    EXPECT_FALSE(isMd5Hex("d41d8cd98f00b204e9800998ecf8427"));
    EXPECT_FALSE(isMd5Hex("d41d8cd98f00b204e9800998ecf8427e0"));
    EXPECT_FALSE(isMd5Hex("g41d8cd98f00b204e9800998ecf8427e"));
    EXPECT_FALSE(isMd5Hex(" 41d8cd98f00b204e9800998ecf8427e"));
    EXPECT_FALSE(isMd5Hex(QByteArray("d41d8cd98f00b204e9800998ecf8427\0", 32)));
}

TEST(SameDigest, IgnoresLetterCaseButNeverMatchesEmptyText) {
    EXPECT_TRUE(sameDigest("900150983cd24fb0d6963f7d28e17f72", "900150983CD24FB0D6963F7D28E17F72"));
    EXPECT_FALSE(
        sameDigest("900150983cd24fb0d6963f7d28e17f72", "900150983cd24fb0d6963f7d28e17f73"));
    EXPECT_FALSE(sameDigest("", ""));
    EXPECT_FALSE(sameDigest("", "900150983cd24fb0d6963f7d28e17f72"));
    EXPECT_FALSE(sameDigest("900150983cd24fb0d6963f7d28e17f72", ""));
}

}  // namespace
