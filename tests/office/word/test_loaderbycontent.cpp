// The loader picks the reader by content, whatever the file's name says: a table of named
// first bytes for the content kinds, and files under Word names opened through the loader.

#include "office/word/wordfileloader.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace {

using Kind = WordFileLoader::ContentKind;

struct KindCase {
    const char* name;
    QByteArray head;
    Kind kind;
};

class ContentKindTest : public ::testing::TestWithParam<KindCase> {};

TEST_P(ContentKindTest, IsToldFromTheFirstBytes) {
    EXPECT_EQ(static_cast<int>(WordFileLoader::contentKind(GetParam().head)),
              static_cast<int>(GetParam().kind));
}

INSTANTIATE_TEST_SUITE_P(
    Loader, ContentKindTest,
    ::testing::Values(
        KindCase{"zip", QByteArray("PK\x03\x04rest"), Kind::Package},
        KindCase{"empty_zip", QByteArray("PK\x05\x06"), Kind::Package},
        KindCase{"ole2", QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8), Kind::Binary},
        KindCase{"rtf", QByteArray("{\\rtf1\\ansi"), Kind::Rtf},
        KindCase{"rtf_after_bom_and_space", QByteArray("\xEF\xBB\xBF \r\n{\\rtf1"), Kind::Rtf},
        KindCase{"text", QByteArray("hello"), Kind::Text},
        KindCase{"other_binary_goes_to_the_text_reader", QByteArray("\xDB\xA5\x2D\x00", 4),
                 Kind::Text}),
    [](const ::testing::TestParamInfo<KindCase>& row) { return std::string(row.param.name); });

/* Write bytes to a file under dir; returns its path. */
QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.path() + QLatin1Char('/') + name;
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

TEST(WordFileLoaderByContent, RtfAndTextOpenUnderAnyWordName) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const char* name : {"a.doc", "b.docx", "c.docm"}) {
        const WordLoadResult rtf = WordFileLoader::load(
            writeFile(dir, QLatin1String(name), "{\\rtf1 \\trowd\\cellx900\\intbl x\\cell\\row}"));
        ASSERT_TRUE(rtf) << name << ": " << rtf.message.toStdString();
        EXPECT_EQ(rtf.document->topLevelTables().size(), 1u) << name;
        const WordLoadResult text = WordFileLoader::load(
            writeFile(dir, QStringLiteral("t") + QLatin1String(name), "line one\r\nline two\r\n"));
        ASSERT_TRUE(text) << name << ": " << text.message.toStdString();
        EXPECT_EQ(text.document->blocks.size(), 2u) << name;
    }
    const WordLoadResult binary = WordFileLoader::load(
        writeFile(dir, QStringLiteral("x.doc"), QByteArray("\x01\x02\0\x03", 4)));
    EXPECT_EQ(binary.status, WordLoadResult::Status::WrongFormat);
    EXPECT_FALSE(binary.message.isEmpty());
}

}  // namespace
