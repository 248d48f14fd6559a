// The binary structures of the .doc reader on hand-made bytes: bounds-checked reads, sprm
// operand sizes, the piece table, FKP pages, property sprms, the file header and the style
// sheet.

#include "office/word/doc/docbytes.h"
#include "office/word/doc/docfib.h"
#include "office/word/doc/docfkptable.h"
#include "office/word/doc/docformatter.h"
#include "office/word/doc/docpiecetable.h"
#include "office/word/doc/docsprm.h"
#include "office/word/doc/docstoryreader.h"
#include "office/word/doc/docstylesheet.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace {

/* Little-endian byte writers for building structures. */
void put16(QByteArray& out, int value) {
    out.append(static_cast<char>(value & 0xFF));
    out.append(static_cast<char>((value >> 8) & 0xFF));
}

void put32(QByteArray& out, quint32 value) {
    put16(out, static_cast<int>(value & 0xFFFF));
    put16(out, static_cast<int>(value >> 16));
}

/* The values as consecutive little-endian 16-bit words. */
QByteArray le16(std::initializer_list<int> values) {
    QByteArray out;
    for (int value : values) {
        put16(out, value);
    }
    return out;
}

/* The values as consecutive little-endian 32-bit words. */
QByteArray le32(std::initializer_list<quint32> values) {
    QByteArray out;
    for (quint32 value : values) {
        put32(out, value);
    }
    return out;
}

}  // namespace

TEST(DocBytesTest, ReadsOutsideTheViewYieldZero) {
    const QByteArray raw("\x01\x02\x03\x04\x05", 5);
    const DocBytes bytes(raw);
    EXPECT_EQ(bytes.u16(0), 0x0201);
    EXPECT_EQ(bytes.u32(1), 0x05040302u);
    EXPECT_EQ(bytes.u32(2), 0u);  // would end past the view
    EXPECT_EQ(bytes.u8(-1), 0);
    EXPECT_EQ(bytes.i16(4), 0);
    EXPECT_TRUE(bytes.contains(5, 0));
    EXPECT_FALSE(bytes.contains(4, 2));
    EXPECT_FALSE(bytes.contains(1, std::numeric_limits<qint64>::max()));
    EXPECT_EQ(bytes.mid(3, 5).size(), 0);
    EXPECT_EQ(bytes.mid(3, 2).u16(0), 0x0504);
}

TEST(DocSprmTest, OperandSizesFollowSpraAndTheSpecialCases) {
    const QByteArray raw(16, '\x05');
    const DocBytes rest(raw);
    EXPECT_EQ(DocSprm::operandSize(DocSprm::CFBold, rest), 1);
    EXPECT_EQ(DocSprm::operandSize(DocSprm::PIstd, rest), 2);
    EXPECT_EQ(DocSprm::operandSize(DocSprm::PItap, rest), 4);
    EXPECT_EQ(DocSprm::operandSize(0xE800, rest), 3);
    EXPECT_EQ(DocSprm::operandSize(DocSprm::TVertMerge, rest), 6);  // size byte 5
    // sprmTDefTable: a 16-bit size that counts one more than the rest.
    QByteArray table = le16({10});
    table.append(QByteArray(9, '\0'));
    EXPECT_EQ(DocSprm::operandSize(DocSprm::TDefTable, DocBytes(table)), 11);
    // sprmPChgTabs with 255: sizes from the delete and add counts.
    QByteArray tabs("\xFF\x01\0\0\0\0\x02\0\0\0\0\0\0", 13);
    EXPECT_EQ(DocSprm::operandSize(DocSprm::PChgTabs, DocBytes(tabs)), 2 + 4 + 1 + 6);
    EXPECT_EQ(DocSprm::operandSize(DocSprm::TVertMerge, DocBytes()), -1);
}

TEST(DocSprmTest, WalkStopsAtATruncatedEntry) {
    QByteArray grpprl = le16({DocSprm::CFBold});
    grpprl.append('\x01');
    put16(grpprl, DocSprm::CHps);
    grpprl.append('\x18');  // one byte of two
    DocSprm sprms{DocBytes(grpprl)};
    ASSERT_TRUE(sprms.next());
    EXPECT_EQ(sprms.sprm(), DocSprm::CFBold);
    EXPECT_EQ(sprms.operand().u8(0), 1);
    EXPECT_FALSE(sprms.next());
    EXPECT_FALSE(sprms.next());
}

TEST(DocPieceTableTest, CompressedAndUnicodePiecesWithPrcs) {
    // Stream: "Hi\x80\r" as 8-bit at 0x100, then UTF-16 "中\r" at 0x200.
    QByteArray stream(0x300, '\0');
    stream.replace(0x100, 4, QByteArray("Hi\x80\r", 4));
    stream[0x200] = static_cast<char>(0x2D);
    stream[0x201] = static_cast<char>(0x4E);
    stream[0x202] = '\r';
    QByteArray clx;
    clx.append('\x01');  // Prc with a 3-byte grpprl
    put16(clx, 3);
    clx.append("\x35\x08\x01", 3);
    clx.append('\x02');
    clx += le32({4 * 3 + 8 * 2, 0, 4, 6});
    put16(clx, 0);
    put32(clx, 0x40000000u | (0x100 * 2));
    put16(clx, 1);  // Prm: fComplex, igrpprl 0
    put16(clx, 0);
    put32(clx, 0x200);
    put16(clx, 0);
    DocPieceTable table;
    ASSERT_TRUE(table.parse(DocBytes(clx), stream.size()));
    ASSERT_EQ(table.pieces().size(), 2);
    const DocBytes word(stream);
    EXPECT_EQ(DocPieceTable::text(table.pieces()[0], word, 0, 4), QString::fromUtf8("Hi\u20AC\r"));
    EXPECT_EQ(DocPieceTable::text(table.pieces()[1], word, 4, 6), QString::fromUtf8("中\r"));
    EXPECT_EQ(DocPieceTable::text(table.pieces()[1], word, 5, 99), QStringLiteral("\r"));
    EXPECT_EQ(table.prcGrpprl(0).size(), 3);
    EXPECT_EQ(table.prcGrpprl(1).size(), 0);
    // The same table over a stream that ends inside the second piece cuts that piece.
    ASSERT_TRUE(table.parse(DocBytes(clx), 0x202));
    ASSERT_EQ(table.pieces().size(), 2);
    EXPECT_EQ(table.pieces()[1].cpEnd, 5);
}

TEST(DocPieceTableTest, MalformedTablesAreRefused) {
    DocPieceTable table;
    EXPECT_FALSE(table.parse(DocBytes(), 100));
    QByteArray clx("\x02", 1);
    clx += le32({4 + 12 * 2, 0, 10});
    put32(clx, 5);  // out of order
    clx.append(QByteArray(16, '\0'));
    EXPECT_FALSE(table.parse(DocBytes(clx), 1000));
    QByteArray shortClx("\x02", 1);
    put32(shortClx, 1000);  // lcb beyond the data
    EXPECT_FALSE(table.parse(DocBytes(shortClx), 1000));
    QByteArray badPrc("\x01\xFF\x7F", 3);  // Prc larger than the Clx
    EXPECT_FALSE(table.parse(DocBytes(badPrc), 1000));
}

TEST(DocFkpTableTest, CharacterAndParagraphPages) {
    QByteArray stream(1024 + 512 * 2, '\0');
    // Character page at pn 2: runs [0x400,0x410) with bold, [0x410,0x420) without.
    QByteArray chp(512, '\0');
    QByteArray head = le32({0x400, 0x410, 0x420});
    chp.replace(0, 12, head);
    chp[12] = static_cast<char>(0x80);  // Chpx at byte 0x100
    chp[13] = 0;
    chp.replace(0x100, 4, QByteArray("\x03\x35\x08\x01", 4));
    chp[511] = 2;
    stream.replace(1024, 512, chp);
    // Paragraph page at pn 3: one run with the cb == 0 form, istd 7.
    QByteArray pap(512, '\0');
    QByteArray phead = le32({0x400, 0x420});
    pap.replace(0, 8, phead);
    pap[8] = static_cast<char>(0x90);  // PapxInFkp at byte 0x120
    pap.replace(0x120, 6, QByteArray("\x00\x02\x07\x00\x16\x24", 6));
    pap[511] = 1;
    stream.replace(1536, 512, pap);
    QByteArray chpxPlc = le32({0x400, 0x420, 2});
    QByteArray papxPlc = le32({0x400, 0x420, 3});
    DocFkpTable chpx;
    DocFkpTable papx;
    ASSERT_TRUE(chpx.parse(DocFkpTable::Kind::Character, DocBytes(chpxPlc), DocBytes(stream)));
    ASSERT_TRUE(papx.parse(DocFkpTable::Kind::Paragraph, DocBytes(papxPlc), DocBytes(stream)));
    ASSERT_EQ(chpx.runs().size(), 2);
    const DocFkpTable::Run* bold = chpx.find(0x405);
    ASSERT_NE(bold, nullptr);
    EXPECT_EQ(bold->grpprl.size(), 3);
    EXPECT_EQ(chpx.find(0x415)->grpprl.size(), 0);
    EXPECT_EQ(chpx.find(0x420), nullptr);
    EXPECT_EQ(chpx.find(0x3FF), nullptr);
    const DocFkpTable::Run* run = papx.find(0x41F);
    ASSERT_NE(run, nullptr);
    EXPECT_EQ(run->istd, 7);
    EXPECT_EQ(run->grpprl.size(), 2);
    // A page number past the stream is skipped, a plc of the wrong size refused.
    QByteArray farPlc = chpxPlc;
    farPlc.replace(8, 4, QByteArray("\xFF\xFF\x3F\x00", 4));
    EXPECT_TRUE(chpx.parse(DocFkpTable::Kind::Character, DocBytes(farPlc), DocBytes(stream)));
    EXPECT_TRUE(chpx.runs().empty());
    EXPECT_FALSE(
        chpx.parse(DocFkpTable::Kind::Character, DocBytes(farPlc.left(10)), DocBytes(stream)));
}

TEST(DocFormatterTest, ToggleOperandsFollowTheStyle) {
    StoryCharFormat style;
    style.bold = true;
    StoryCharFormat format = style;
    const QByteArray opposite("\x35\x08\x81\x36\x08\x80", 6);
    DocFormatter::applyChar(DocBytes(opposite), style, format);
    EXPECT_FALSE(format.bold);
    EXPECT_FALSE(format.italic);
    QByteArray colours("\x42\x2A\x06", 3);  // ico red
    DocFormatter::applyChar(DocBytes(colours), style, format);
    EXPECT_TRUE(format.hasColor);
    EXPECT_EQ(format.color, 0xFF0000u);
    const QByteArray cv("\x70\x68\x12\x34\x56\x00\x43\x4A\x1C\x00", 10);
    DocFormatter::applyChar(DocBytes(cv), style, format);
    EXPECT_EQ(format.color, 0x123456u);
    EXPECT_EQ(format.halfPoints, 28);
    const QByteArray autoCv("\x70\x68\x00\x00\x00\xFF", 6);
    DocFormatter::applyChar(DocBytes(autoCv), style, format);
    EXPECT_FALSE(format.hasColor);
}

TEST(DocFormatterTest, RowDefinitionMergesShadingAndBorders) {
    QByteArray grpprl = le16({DocSprm::TDefTable});
    QByteArray def;
    def.append(static_cast<char>(2));
    def += le16({0, 1000, 2500});
    QByteArray tc1(20, '\0');
    tc1[0] = static_cast<char>(3 << 5);  // vertMerge restart
    QByteArray tc2(20, '\0');
    tc2[0] = static_cast<char>(1 << 7);                     // vertAlign centre
    tc2.replace(12, 4, QByteArray("\x08\x03\x02\x00", 4));  // bottom: double, blue
    def.append(tc1);
    def.append(tc2);
    put16(grpprl, def.size() + 1);
    grpprl.append(def);
    grpprl.append(QByteArray("\x09\xD6\x04\x00\x00\xE0\x00", 7));  // Shd80: cell 1 back yellow
    grpprl.append(QByteArray("\x2B\xD6\x02\x00\x01", 5));          // TVertMerge: cell 0 continues
    grpprl.append(QByteArray("\x07\x94\x58\xFD", 4));              // height -680: exact
    StoryRowFormat row;
    DocFormatter::applyRow(DocBytes(grpprl), DocBytes(), row);
    ASSERT_TRUE(row.defined);
    EXPECT_EQ(row.boundaries, (std::vector<int>{0, 1000, 2500}));
    ASSERT_EQ(row.cells.size(), 2);
    EXPECT_EQ(row.cells[0].verticalMerge, StoryCellFormat::Continue);
    EXPECT_EQ(row.cells[1].verticalAlign, 1);
    EXPECT_TRUE(row.cells[1].bottom.visible());
    EXPECT_EQ(row.cells[1].bottom.type, 3);
    EXPECT_EQ(row.cells[1].bottom.color, 0x0000FFu);
    EXPECT_FALSE(row.cells[0].hasShading);
    EXPECT_TRUE(row.cells[1].hasShading);
    EXPECT_EQ(row.cells[1].shading, 0xFFFF00u);
    EXPECT_EQ(row.heightTwips, -680);
    // A definition claiming more cells than its bytes hold is ignored.
    QByteArray bad = le16({DocSprm::TDefTable, 5});
    bad.append(QByteArray("\x3F\x00\x00\x00", 4));
    StoryRowFormat badRow;
    DocFormatter::applyRow(DocBytes(bad), DocBytes(), badRow);
    EXPECT_FALSE(badRow.defined);
}

TEST(DocFormatterTest, TableDepthAndHugePapx) {
    QByteArray data(64, '\0');
    data.replace(16, 2, QByteArray("\x07\x00", 2));
    data.replace(18, 7, QByteArray("\x16\x24\x01\x49\x66\x02\x00", 7));
    QByteArray grpprl("\x46\x66", 2);
    put32(grpprl, 16);
    StoryParaFormat format;
    DocFormatter::applyPara(DocBytes(grpprl), DocBytes(data), format);
    EXPECT_TRUE(format.inTable);
    EXPECT_EQ(format.itap, -1);  // the itap operand was cut short: four bytes needed
    EXPECT_EQ(format.depth(), 1);
    StoryParaFormat deep;
    const QByteArray itap("\x49\x66\x00\x00\x00\x70", 6);  // absurd depth is bounded
    DocFormatter::applyPara(DocBytes(itap), DocBytes(), deep);
    EXPECT_EQ(deep.depth(), 64);
}

TEST(DocFibTest, HeaderStatuses) {
    EXPECT_EQ(DocFib::parse(DocBytes()).status, DocFib::Status::NotWord);
    QByteArray fib(0x200, '\0');
    fib[0] = static_cast<char>(0xDC);
    fib[1] = static_cast<char>(0xA5);
    fib[2] = 101;  // Word 6.0 to Word 95 (105) have their own reader; Word 2.0 (45) none
    EXPECT_EQ(DocFib::parse(DocBytes(fib)).status, DocFib::Status::Word6);
    fib[2] = 105;
    EXPECT_EQ(DocFib::parse(DocBytes(fib)).status, DocFib::Status::Word6);
    fib[2] = 45;
    EXPECT_EQ(DocFib::parse(DocBytes(fib)).status, DocFib::Status::Legacy);
    fib[2] = 106;
    EXPECT_EQ(DocFib::parse(DocBytes(fib)).status, DocFib::Status::Legacy);
    fib[0] = static_cast<char>(0xEC);
    fib[2] = static_cast<char>(0xC1);
    EXPECT_EQ(DocFib::parse(DocBytes(fib)).status, DocFib::Status::Truncated);
    fib[0x0B] = 0x01;
    EXPECT_EQ(DocFib::parse(DocBytes(fib)).status, DocFib::Status::Encrypted);
    fib[0x0B] = 0x02;  // fWhichTblStm
    fib[32] = 14;
    fib[62] = 22;
    fib[76] = 42;  // ccpText
    fib[152] = 93;
    fib[0x1A2] = 0x10;  // fcClx
    fib[0x1A6] = 0x20;  // lcbClx
    const DocFib parsed = DocFib::parse(DocBytes(fib));
    EXPECT_EQ(parsed.status, DocFib::Status::Ok);
    EXPECT_EQ(parsed.tableStream, 1);
    EXPECT_EQ(parsed.ccpText, 42);
    EXPECT_EQ(parsed.clx.fc, 0x10u);
    EXPECT_EQ(parsed.clx.lcb, 0x20u);
}

TEST(DocStyleSheetTest, BaseChainsResolveAndCyclesEnd) {
    QByteArray stsh;
    QByteArray stshi(18, '\0');
    stshi[0] = 3;   // cstd
    stshi[2] = 10;  // cbSTDBaseInFile
    put16(stsh, stshi.size());
    stsh.append(stshi);
    // Style 0: paragraph style, no base, bold.  Style 1: based on 0, italic.  Style 2: based on
    // itself (a cycle), character style.
    auto addStyle = [&stsh](int kind, int base, const QByteArray& chpx) {
        QByteArray std = le16({0, kind | (base << 4), kind == 1 ? 2 : 1, 0, 0});
        put16(std, 1);  // name: one character
        std += le16({'S', 0});
        if (kind == 1) {
            put16(std, 2);  // UpxPapx: istd only
            put16(std, 0);
        }
        put16(std, chpx.size());
        std.append(chpx);
        if (std.size() & 1) {
            std.append('\0');
        }
        put16(stsh, std.size());
        stsh.append(std);
    };
    addStyle(1, 0x0FFF, QByteArray("\x35\x08\x01", 3));
    addStyle(1, 0, QByteArray("\x36\x08\x01", 3));
    addStyle(2, 2, QByteArray("\x43\x4A\x30\x00", 4));
    DocStyleSheet styles;
    ASSERT_TRUE(styles.parse(DocBytes(stsh)));
    EXPECT_TRUE(styles.charFormat(0).bold);
    EXPECT_FALSE(styles.charFormat(0).italic);
    EXPECT_TRUE(styles.charFormat(1).bold);
    EXPECT_TRUE(styles.charFormat(1).italic);
    EXPECT_TRUE(styles.isCharacterStyle(2));
    EXPECT_EQ(styles.charFormat(2).halfPoints, 48);
    EXPECT_EQ(styles.charFormat(99).halfPoints, 20);
    EXPECT_FALSE(styles.parse(DocBytes(QByteArray("\xFF\x7F", 2))));
}

/* One compressed piece of text without formatting pages (every character takes the
   defaults), with what the story reader reads it from. */
struct OnePieceStory {
    explicit OnePieceStory(const QByteArray& text) : stream(0x100, '\0') {
        stream.append(text);
        QByteArray clx("\x02", 1);
        clx += le32({4 * 2 + 8, 0, static_cast<quint32>(text.size())});
        put16(clx, 0);
        put32(clx, 0x40000000u | (0x100 * 2));
        put16(clx, 0);
        EXPECT_TRUE(pieces.parse(DocBytes(clx), stream.size()));
        EXPECT_TRUE(chpx.parse(DocFkpTable::Kind::Character, DocBytes(), DocBytes(stream)));
        EXPECT_TRUE(papx.parse(DocFkpTable::Kind::Paragraph, DocBytes(), DocBytes(stream)));
        sources.wordDocument = DocBytes(stream);
        sources.pieces = &pieces;
        sources.chpx = &chpx;
        sources.papx = &papx;
        sources.styles = &styles;
    }
    QByteArray stream;
    DocPieceTable pieces;
    DocFkpTable chpx;
    DocFkpTable papx;
    DocStyleSheet styles;
    DocStoryReader::Sources sources;
};

TEST(DocStoryReaderTest, FieldsSpecialCharactersAndTextWithoutFormatting) {
    const QByteArray text(
        "a\x13 PAGE \x14"
        "5\x15|\x13 IF \x13 X \x14"
        "1\x15 \x14ok\x15|\x13 NOSEP \x15|\x1E\x1F\x0B\x0C\x01\tz\r"
        "last",
        52);
    OnePieceStory input(text);
    DocStoryReader reader(input.sources);
    const std::vector<StoryParagraph> story = reader.read(text.size());
    ASSERT_EQ(story.size(), 2);
    // Field results, nested results hidden inside an instruction, a field without result.
    EXPECT_EQ(story[0].text(), QStringLiteral("a5|ok||-\n\tz"));
    EXPECT_EQ(story[0].runs.size(), 1);
    EXPECT_EQ(story[0].runs[0].format.halfPoints, 20);
    EXPECT_EQ(story[1].text(), QStringLiteral("last"));
    EXPECT_FALSE(reader.tooLarge());
    // A story cut short by ccpText ends where it says.
    EXPECT_EQ(reader.read(3).size(), 1);
}

/* Every reference to an equation writes its text again: the characters count against the
   document's budget, and a story past it is refused with the reason. */
TEST(DocStoryReaderTest, EquationsRepeatedPastTheBudgetAreRefused) {
    const QByteArray text = QByteArray("\x13 EQ \\f(abc,de) \x15\r").repeated(50);
    OnePieceStory input(text);
    const qint64 written = 50 * 6;  // "abc/de" each time
    input.sources.maxEquationChars = written;
    DocStoryReader within(input.sources);
    const std::vector<StoryParagraph> story = within.read(text.size());
    ASSERT_EQ(story.size(), 50);
    EXPECT_EQ(story[49].text(), QStringLiteral("abc/de"));
    EXPECT_FALSE(within.tooLarge());
    input.sources.maxEquationChars = written - 1;
    DocStoryReader beyond(input.sources);
    beyond.read(text.size());
    EXPECT_TRUE(beyond.tooLarge());
    EXPECT_TRUE(beyond.tooLargeReason().contains(QStringLiteral("equations")));
}
