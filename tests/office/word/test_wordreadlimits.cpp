// One set of read limits for every Word reader: each reader opens a document within the
// default limits and refuses it as too large once the limit its format reaches is tightened.

#include "office/word/doc/docreader.h"
#include "office/word/docx/docxreader.h"
#include "office/word/rtf/rtfreader.h"
#include "office/word/text/plaintextreader.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

const QString kCorpus = QStringLiteral("../shared/corpus/");

struct LimitCase {
    const char* name;
    std::function<WordLoadResult(const WordReadLimits&)> read;
    std::function<void(WordReadLimits&)> tighten;
};

class WordReadLimitsTest : public ::testing::TestWithParam<LimitCase> {};

TEST_P(WordReadLimitsTest, WithinOpensBeyondIsTooLarge) {
    const LimitCase& c = GetParam();
    WordReadLimits limits;
    const WordLoadResult within = c.read(limits);
    ASSERT_TRUE(within) << within.message.toStdString();
    c.tighten(limits);
    EXPECT_EQ(c.read(limits).status, WordLoadResult::Status::TooLarge);
}

const LimitCase kCases[] = {
    {"DocParagraphs",
     [](const WordReadLimits& l) {
         return DocReader::readFile(kCorpus + QStringLiteral("doc/tables/53379.doc"), l);
     },
     [](WordReadLimits& l) { l.maxParagraphs = 1; }},
    {"Word95Paragraphs",
     [](const WordReadLimits& l) {
         return DocReader::readFile(kCorpus + QStringLiteral("doc/legacy/Word95.doc"), l);
     },
     [](WordReadLimits& l) { l.maxParagraphs = 1; }},
    {"DocFileBytes",
     [](const WordReadLimits& l) {
         return DocReader::readFile(kCorpus + QStringLiteral("doc/legacy/Word95.doc"), l);
     },
     [](WordReadLimits& l) { l.maxFileBytes = 102399; }},
    {"DocxPartBytes",
     [](const WordReadLimits& l) {
         return DocxReader::readFile(kCorpus + QStringLiteral("docx/delins.docx"), l);
     },
     [](WordReadLimits& l) { l.maxPartBytes = 1000; }},
    {"RtfFileBytes",
     [](const WordReadLimits& l) {
         return RtfReader::readFile(QStringLiteral("tests/data/rtf/encodings/big5.rtf"), l);
     },
     [](WordReadLimits& l) { l.maxTextFileBytes = 16; }},
    {"TextLines", [](const WordReadLimits& l) { return PlainTextReader::readData("a\nb\nc\n", l); },
     [](WordReadLimits& l) { l.maxParagraphs = 2; }},
};

INSTANTIATE_TEST_SUITE_P(Readers, WordReadLimitsTest, ::testing::ValuesIn(kCases),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(WordReadLimitsTest, MissingFileIsNotFound) {
    const QString missing = QStringLiteral("tests/data/no such document.doc");
    EXPECT_EQ(DocReader::readFile(missing).status, WordLoadResult::Status::NotFound);
    EXPECT_EQ(RtfReader::readFile(missing).status, WordLoadResult::Status::NotFound);
    EXPECT_EQ(PlainTextReader::readFile(missing).status, WordLoadResult::Status::NotFound);
}

}  // namespace
