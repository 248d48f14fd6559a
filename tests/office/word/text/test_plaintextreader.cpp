// The plain-text reader: encoding detection as a table of named byte strings, then lines.

#include "office/word/text/plaintextreader.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace {

using Encoding = PlainTextReader::Encoding;

struct EncodingCase {
    const char* name;
    QByteArray bytes;
    bool text;
    Encoding encoding;
    const char* decoded;  // UTF-8
};

class EncodingTest : public ::testing::TestWithParam<EncodingCase> {};

TEST_P(EncodingTest, IsDetectedAndDecoded) {
    const EncodingCase& c = GetParam();
    const std::optional<Encoding> encoding = PlainTextReader::detectEncoding(c.bytes);
    ASSERT_EQ(encoding.has_value(), c.text);
    if (!c.text) {
        return;
    }
    EXPECT_EQ(static_cast<int>(*encoding), static_cast<int>(c.encoding));
    EXPECT_EQ(PlainTextReader::decode(c.bytes, *encoding).toStdString(), std::string(c.decoded));
}

/* Bytes of a literal that may hold NULs. */
template <std::size_t N>
QByteArray bytes(const char (&literal)[N]) {
    return QByteArray(literal, static_cast<int>(N - 1));
}

INSTANTIATE_TEST_SUITE_P(
    Text, EncodingTest,
    ::testing::Values(
        EncodingCase{"ascii", bytes("plain\ttext\r\n"), true, Encoding::Utf8, "plain\ttext\r\n"},
        EncodingCase{"utf8", bytes("\xE4\xB8\xAD\xE6\x96\x87 ok"), true, Encoding::Utf8,
                     "\xE4\xB8\xAD\xE6\x96\x87 ok"},
        EncodingCase{"utf8_bom",
                     bytes("\xEF\xBB\xBF"
                           "a"),
                     true, Encoding::Utf8, "a"},
        EncodingCase{"utf16le_bom", bytes("\xFF\xFE-N\x87\x65"), true, Encoding::Utf16LittleEndian,
                     "\xE4\xB8\xAD\xE6\x96\x87"},
        EncodingCase{"utf16be_bom", bytes("\xFE\xFFN-e\x87"), true, Encoding::Utf16BigEndian,
                     "\xE4\xB8\xAD\xE6\x96\x87"},
        EncodingCase{"gbk", bytes("\xD6\xD0\xCE\xC4 abc"), true, Encoding::Gbk,
                     "\xE4\xB8\xAD\xE6\x96\x87 abc"},
        EncodingCase{"gbk_with_rare_pair_and_common_one", bytes("\xFC\x6C\xD6\xD0"), true,
                     Encoding::Gbk, "\xE9\xBB\xAE\xE4\xB8\xAD"},
        EncodingCase{"latin_accents", bytes("M\xFCller caf\xE9 \x96 na\xEFve"), true,
                     Encoding::Windows1252, "M\xC3\xBCller caf\xC3\xA9 \xE2\x80\x93 na\xC3\xAFve"},
        EncodingCase{"latin_symbol_not_a_letter", bytes("x \xA4 \xB5"), true, Encoding::Gbk,
                     "x \xEF\xBF\xBD \xEF\xBF\xBD"},
        EncodingCase{"utf16_bom_on_binary", bytes("\xFF\xFE\x01\x00\x02\x00\x00\x00"), false,
                     Encoding::Utf8, ""},
        EncodingCase{"nul_is_binary", bytes("ab\0cd"), false, Encoding::Utf8, ""},
        EncodingCase{"controls_are_binary", bytes("\x01\x02\x03\x04 a"), false, Encoding::Utf8, ""},
        EncodingCase{"few_controls_still_text", bytes("abcdefghijklmnopqrst\x01"), true,
                     Encoding::Utf8, "abcdefghijklmnopqrst\x01"}),
    [](const ::testing::TestParamInfo<EncodingCase>& row) { return std::string(row.param.name); });

/* The paragraphs' texts of a document read from bytes. */
QStringList lines(const QByteArray& data) {
    const WordLoadResult result = PlainTextReader::readData(data);
    EXPECT_TRUE(result) << result.message.toStdString();
    QStringList out;
    if (result) {
        for (const WordBlock& block : result.document->blocks) {
            out << block.paragraph.text();
        }
    }
    return out;
}

TEST(PlainTextReader, OneParagraphPerLine) {
    EXPECT_EQ(lines("a\r\nb\nc\rd"), (QStringList{QStringLiteral("a"), QStringLiteral("b"),
                                                  QStringLiteral("c"), QStringLiteral("d")}));
    EXPECT_EQ(lines("a\tb\n\nc\n"),
              (QStringList{QStringLiteral("a\tb"), QString(), QStringLiteral("c")}));
    EXPECT_EQ(lines("\n"), (QStringList{QString()}));
    EXPECT_TRUE(lines("").isEmpty());
}

TEST(PlainTextReader, BinaryIsNotAWordDocument) {
    const WordLoadResult result = PlainTextReader::readData(QByteArray("\xDB\xA5-\0\x31@", 6));
    EXPECT_EQ(result.status, WordLoadResult::Status::WrongFormat);
    EXPECT_FALSE(result.message.isEmpty());
}

}  // namespace
