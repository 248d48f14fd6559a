// The building blocks of the .xls writer and reader: record stream, byte cursor, shared
// string table, palette and style table.

#include "office/excel/model/builtinnumberformats.h"
#include "office/excel/xls/xlsbytecursor.h"
#include "office/excel/xls/xlspalette.h"
#include "office/excel/xls/xlsrecordreader.h"
#include "office/excel/xls/xlsrecordwriter.h"
#include "office/excel/xls/xlssharedstrings.h"
#include "office/excel/xls/xlsstyletable.h"

#include <QtEndian>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <vector>

namespace {

/* All records of a stream. */
std::vector<XlsRecord> recordsOf(const QByteArray& stream) {
    XlsRecordReader reader(stream);
    std::vector<XlsRecord> records;
    while (const std::optional<XlsRecord> record = reader.next()) {
        records.push_back(*record);
    }
    EXPECT_FALSE(reader.truncated());
    return records;
}

TEST(XlsRecordWriter, OversizedRecordsContinueInContinueRecords) {
    XlsRecordWriter out;
    out.beginRecord(0x1234);
    for (int i = 0; i < 20000; ++i) {
        out.putU8(static_cast<std::uint8_t>(i));
    }
    out.endRecord();
    out.emptyRecord(0x000A);
    const std::vector<XlsRecord> records = recordsOf(out.data());
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0].id, 0x1234);
    EXPECT_EQ(records[0].size, 8224);
    EXPECT_EQ(records[1].id, 0x003C);
    EXPECT_EQ(records[1].size, 8224);
    EXPECT_EQ(records[2].id, 0x003C);
    EXPECT_EQ(records[2].size, 20000 - 2 * 8224);
    EXPECT_EQ(records[3].id, 0x000A);
    // The data runs on unchanged across the parts.
    EXPECT_EQ(static_cast<std::uint8_t>(records[1].data[0]), static_cast<std::uint8_t>(8224));
    EXPECT_EQ(static_cast<std::uint8_t>(records[2].data[0]), static_cast<std::uint8_t>(16448));
}

TEST(XlsRecordWriter, FieldsAreLittleEndianAndStringsPickTheirWidth) {
    XlsRecordWriter out;
    out.beginRecord(0x0001);
    out.putU16(0x0201);
    out.putU32(0x06050403);
    out.putF64(1.5);
    out.putShortString(QStringLiteral("ab"));
    out.putString(QStringLiteral("中"));
    out.endRecord();
    const QByteArray expected = QByteArray::fromHex(
        "0100"
        "1700"
        "0102"
        "03040506"
        "000000000000f83f"
        "020061 62"
        "010001 2d4e");
    EXPECT_EQ(out.data().toHex().toStdString(), expected.toHex().toStdString());
}

TEST(XlsRecordReader, TruncatedRecordsStopTheWalk) {
    const QByteArray stream = QByteArray::fromHex("0900 0200 0102 3c00 0400 0a0b");
    XlsRecordReader reader(stream);
    const std::optional<XlsRecord> record = reader.next();
    ASSERT_TRUE(record);
    EXPECT_EQ(record->size, 2);
    EXPECT_FALSE(reader.next());
    EXPECT_TRUE(reader.truncated());
    EXPECT_FALSE(reader.seek(stream.size() + 1));
    EXPECT_TRUE(reader.seek(0));
    ASSERT_TRUE(reader.next());
    EXPECT_TRUE(reader.takeContinues().empty());  // the CONTINUE is truncated
}

TEST(XlsByteCursor, ReadsPastTheEndFailAndStayFailed) {
    const QByteArray data = QByteArray::fromHex("0102030405");
    XlsByteCursor in(data.constData(), data.size());
    EXPECT_EQ(in.u32(), 0x04030201u);
    EXPECT_EQ(in.u16(), 0u);
    EXPECT_TRUE(in.failed());
    EXPECT_EQ(in.u8(), 0u);  // nothing more after a failure, even the byte that is left
    const QByteArray tooShort = QByteArray::fromHex("0500616263");
    XlsByteCursor shortString(tooShort.constData(), tooShort.size());
    EXPECT_TRUE(shortString.shortString().isEmpty());
    EXPECT_TRUE(shortString.failed());
}

TEST(XlsByteCursor, ContinuedStringsRestartWithTheirWidthFlag) {
    // "ab" compressed in the first chunk, then "中文" wide after a flag byte of 1.
    const QByteArray first = QByteArray::fromHex("0400 00 6162");
    const QByteArray second = QByteArray::fromHex("01 2d4e 8765");
    XlsByteCursor in(first.constData(), first.size());
    in.appendChunk(second.constData(), second.size());
    EXPECT_EQ(in.string(), QStringLiteral("ab中文"));
    EXPECT_FALSE(in.failed());
    EXPECT_TRUE(in.atEnd());
}

TEST(XlsByteCursor, RichStringsSkipRunsAndPhoneticData) {
    // cch 2, flags: runs and ExtRst; 1 run, 3 bytes ExtRst.
    const QByteArray data =
        QByteArray::fromHex("0200 0c 0100 03000000 6869 00000000 aabbcc 0100 00 7a");
    XlsByteCursor in(data.constData(), data.size());
    EXPECT_EQ(in.richString(), QStringLiteral("hi"));
    EXPECT_EQ(in.richString(), QStringLiteral("z"));
    EXPECT_FALSE(in.failed());
}

TEST(XlsByteCursor, HalfAWideCharacterBeforeABoundaryFails) {
    const QByteArray first = QByteArray::fromHex("0200 01 2d");
    const QByteArray second = QByteArray::fromHex("01 4e00 2d4e");
    XlsByteCursor in(first.constData(), first.size());
    in.appendChunk(second.constData(), second.size());
    in.string();
    EXPECT_TRUE(in.failed());
}

// An SST read back: its strings and the count of unique strings it states.
struct ReadBack {
    QStringList strings;
    std::uint32_t unique = 0;
};

/* The strings of an SST written by `strings`, read back through the record reader. */
ReadBack readBack(const QByteArray& stream) {
    XlsRecordReader reader(stream);
    const XlsRecord record = reader.next().value_or(XlsRecord());
    EXPECT_EQ(record.id, 0x00FC);
    XlsByteCursor in(record.data, record.size);
    for (const XlsRecord& part : reader.takeContinues()) {
        in.appendChunk(part.data, part.size);
    }
    in.skip(4);
    ReadBack back;
    back.unique = in.u32();
    while (!in.atEnd() && !in.failed()) {
        back.strings << in.richString();
    }
    EXPECT_FALSE(in.failed());
    return back;
}

TEST(XlsSharedStrings, SplitsOnlyBetweenCharactersAndIndexesBuckets) {
    XlsSharedStrings strings;
    QStringList expected;
    for (int i = 0; i < 3000; ++i) {
        QString text = QStringLiteral("string %1 ").arg(i);
        if (i % 3 == 0) {
            text += QStringLiteral("宽字符");
        }
        text += QString(i % 50, QLatin1Char('.'));
        expected << text;
        EXPECT_EQ(strings.add(text), static_cast<std::uint32_t>(i));
    }
    expected << QString(30000, QChar(0x4E2D)) << QString() << QString(20000, QLatin1Char('a'));
    for (int i = 3000; i < expected.size(); ++i) {
        strings.add(expected[i]);
    }
    EXPECT_EQ(strings.add(expected[5]), 5u);  // a repeat counts, is not added
    EXPECT_EQ(strings.uniqueCount(), expected.size());
    EXPECT_EQ(strings.referenceCount(), static_cast<std::uint32_t>(expected.size() + 1));

    XlsRecordWriter out;
    out.putZeros(100);  // the table does not start at stream position 0
    const int start = out.position();
    strings.write(out);
    const QByteArray stream = out.data().mid(start);

    const ReadBack back = readBack(stream);
    EXPECT_EQ(back.strings, expected);
    EXPECT_EQ(back.unique, static_cast<std::uint32_t>(expected.size()));

    // Every record within the limit; EXTSST points at the header of each bucket's first
    // string, by stream position and by offset within its record.
    const std::vector<XlsRecord> records = recordsOf(stream);
    ASSERT_GT(records.size(), 10u);
    for (const XlsRecord& record : records) {
        EXPECT_LE(record.size, 8224);
    }
    const XlsRecord& ext = records.back();
    ASSERT_EQ(ext.id, 0x00FF);
    XlsByteCursor in(ext.data, ext.size);
    const int perBucket = in.u16();
    EXPECT_EQ(perBucket, XlsSharedStrings::bucketSize(expected.size()));
    EXPECT_EQ((ext.size - 2) / 8, (expected.size() + perBucket - 1) / perBucket);
    for (int bucket = 0; !in.atEnd(); ++bucket) {
        const int position = static_cast<int>(in.u32());
        const int offset = in.u16();
        in.skip(2);
        const QString& text = expected[bucket * perBucket];
        const char* at = out.data().constData() + position;
        EXPECT_EQ(qFromLittleEndian<quint16>(at), text.size()) << bucket;
        const int recordStart = position - offset;
        const quint16 id = qFromLittleEndian<quint16>(out.data().constData() + recordStart);
        EXPECT_TRUE(id == 0x00FC || id == 0x003C) << bucket;
    }
    EXPECT_EQ(XlsSharedStrings::bucketSize(100), 8);
    EXPECT_EQ(XlsSharedStrings::bucketSize(2000), 16);
}

TEST(XlsPalette, ExactColoursNearestColoursAndCustomEntries) {
    XlsPalette palette;
    EXPECT_TRUE(palette.isDefault());
    EXPECT_EQ(palette.indexOf(0x000000), 8);
    EXPECT_EQ(palette.indexOf(0xFF0000), 10);
    EXPECT_EQ(palette.indexOf(0xFE0101), 10);  // nearest
    EXPECT_EQ(palette.color(10), 0xFF0000u);
    EXPECT_EQ(palette.color(2), 0xFF0000u);  // the fixed EGA colours below 8
    EXPECT_EQ(palette.color(64), kAutoColor);
    EXPECT_EQ(palette.color(0x7FFF), kAutoColor);

    palette.use(0xFF0000);
    palette.use(0x123456);
    palette.use(kAutoColor);
    palette.assign();
    EXPECT_FALSE(palette.isDefault());
    EXPECT_EQ(palette.indexOf(0xFF0000), 10);
    const std::uint16_t custom = palette.indexOf(0x123456);
    EXPECT_EQ(palette.color(custom), 0x123456u);
    XlsRecordWriter out;
    palette.write(out);
    EXPECT_EQ(out.data().size(), 4 + 2 + 56 * 4);

    // More colours than entries: the rest map to the nearest entry, exact ones stay exact.
    XlsPalette crowded;
    for (std::uint32_t i = 0; i < 100; ++i) {
        crowded.use(0x010203 * i + 0x000100);
    }
    crowded.use(0xFFFFFF);
    crowded.assign();
    EXPECT_EQ(crowded.color(crowded.indexOf(0xFFFFFF)), 0xFFFFFFu);
    EXPECT_EQ(crowded.color(crowded.indexOf(0x000100)), 0x000100u);
    const std::uint16_t last = crowded.indexOf(0x010203 * 99 + 0x000100);
    EXPECT_GE(last, 8);
    EXPECT_LT(last, 64);
}

/* FONT records written by a style table, decoded: (height, flags, weight, name). */
std::vector<XlsRecord> fontRecords(const XlsStyleTable& table, XlsRecordWriter& out) {
    table.write(out);
    std::vector<XlsRecord> fonts;
    for (const XlsRecord& record : recordsOf(out.data())) {
        if (record.id == 0x0031) {
            fonts.push_back(record);
        }
    }
    return fonts;
}

/* The font index each XF record of a style table names, in XF order. */
std::vector<int> xfFonts(const QByteArray& stream) {
    std::vector<int> fonts;
    for (const XlsRecord& record : recordsOf(stream)) {
        if (record.id == 0x00E0) {
            fonts.push_back(qFromLittleEndian<quint16>(record.data));
        }
    }
    return fonts;
}

TEST(XlsStyleTable, FontIndexFourIsSkippedAndBoldIsWeightAndFlag) {
    XlsStyleTable table(QStringLiteral("Calibri"), 11);
    table.assignColors();
    CellFormat bold;
    bold.bold = true;
    CellFormat large;
    large.bold = true;
    large.fontSize = 14;
    CellFormat italicRed;
    italicRed.italic = true;
    italicRed.fontColor = 0xFF0000;
    EXPECT_EQ(table.xfFor(bold), 16);
    EXPECT_EQ(table.xfFor(large), 17);
    EXPECT_EQ(table.xfFor(italicRed), 18);
    EXPECT_EQ(table.xfFor(bold), 16);
    EXPECT_EQ(table.xfFor(CellFormat()), XlsStyleTable::kDefaultXf);

    XlsRecordWriter out;
    const std::vector<XlsRecord> fonts = fontRecords(table, out);
    // Default plain, bold, italic, bold italic; then fonts 5 and 6.
    ASSERT_EQ(fonts.size(), 6u);
    const int weights[] = {400, 700, 400, 700, 700, 400};
    for (size_t i = 0; i < fonts.size(); ++i) {
        XlsByteCursor font(fonts[i].data, fonts[i].size);
        const int height = font.u16();
        const int flags = font.u16();
        font.skip(2);
        EXPECT_EQ(font.u16(), weights[i]) << i;
        EXPECT_EQ(flags & 0x0001, weights[i] == 700 ? 1 : 0) << i;  // the old bold bit too
        EXPECT_EQ(height, i == 4 ? 280 : 220) << i;
    }
    const std::vector<int> xfs = xfFonts(out.data());
    ASSERT_EQ(xfs.size(), 19u);
    EXPECT_EQ(xfs[16], 1);
    EXPECT_EQ(xfs[17], 5);
    EXPECT_EQ(xfs[18], 6);
    EXPECT_EQ(std::count(xfs.begin(), xfs.end(), 4), 0);
}

TEST(XlsStyleTable, FontAndNumberFormatLimits) {
    XlsStyleTable fonts(QStringLiteral("Calibri"), 11);
    fonts.assignColors();
    for (int i = 0; i < XlsStyleTable::kMaxFonts && fonts.result().ok(); ++i) {
        CellFormat format;
        format.fontSize = 1 + i * 0.5;
        fonts.xfFor(format);
    }
    EXPECT_TRUE(fonts.result().message.contains(QStringLiteral("510")))
        << fonts.result().message.toStdString();
    EXPECT_EQ(fonts.fontCount(), XlsStyleTable::kMaxFonts);

    XlsStyleTable formats(QStringLiteral("Calibri"), 11);
    formats.assignColors();
    for (int i = 0; i <= XlsStyleTable::kMaxCustomFormats + 5; ++i) {  // "0.00" is built in
        CellFormat format;
        format.numberFormat = QStringLiteral("0.0") + QString(i % 15, QLatin1Char('0')) +
                              QString(i / 15, QLatin1Char(' '));
        formats.xfFor(format);
    }
    EXPECT_TRUE(formats.result().message.contains(QStringLiteral("210")))
        << formats.result().message.toStdString();
}

TEST(XlsStyleTable, ColoursMappedToOneEntryShareAnXfAndLongFormatsFail) {
    XlsStyleTable table(QStringLiteral("Calibri"), 11);
    CellFormat red;
    red.fillColor = 0xFF0000;
    CellFormat almostRed;
    almostRed.fillColor = 0xFE0000;
    table.noteColors(red);
    table.assignColors();  // 0xFE0000 was not noted: it maps to the nearest entry
    EXPECT_EQ(table.xfFor(red), table.xfFor(almostRed));
    EXPECT_EQ(table.cellXfCount(), 2);

    CellFormat general;
    general.numberFormat = QStringLiteral("General");
    EXPECT_EQ(table.xfFor(general), XlsStyleTable::kDefaultXf);
    CellFormat tooLong;
    tooLong.numberFormat = QString(256, QLatin1Char('0'));
    EXPECT_EQ(table.xfFor(tooLong), XlsStyleTable::kDefaultXf);
    EXPECT_TRUE(table.result().message.contains(QStringLiteral("255")));

    EXPECT_EQ(BuiltinNumberFormats::idOf(QStringLiteral("0.00")), 2);
    EXPECT_EQ(BuiltinNumberFormats::idOf(QStringLiteral("0.000")), -1);
    EXPECT_EQ(BuiltinNumberFormats::idOf(QStringLiteral("general")), 0);
    EXPECT_EQ(BuiltinNumberFormats::codeOf(49), QStringLiteral("@"));
    EXPECT_EQ(BuiltinNumberFormats::codeOf(13), QStringLiteral("# ?\?/?\?"));
    EXPECT_TRUE(BuiltinNumberFormats::codeOf(0).isEmpty());
    EXPECT_TRUE(BuiltinNumberFormats::codeOf(300).isEmpty());
}

}  // namespace
