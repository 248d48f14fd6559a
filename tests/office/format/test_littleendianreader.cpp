#include "office/format/littleendianreader.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

// Nine bytes, so that every width has a last fitting offset and a first failing one.
const QByteArray kBytes = QByteArray::fromHex("0102030405060708ff");

struct ReadCase {
    const char* name;
    int width;
    qint64 offset;
    quint64 expected;  // 0 where the read must fail
    bool fails;
};

class LittleEndianReaderTest : public ::testing::TestWithParam<ReadCase> {};

// Reads the case's value at its offset and then at the cursor, which must agree.
TEST_P(LittleEndianReaderTest, ReadsAtOffsetAndAtCursorAlike) {
    const ReadCase& c = GetParam();
    const LittleEndianReader at(kBytes);
    LittleEndianReader cursor(kBytes);
    quint64 byOffset = 0;
    quint64 byCursor = 0;
    const bool placed = cursor.seek(c.offset);
    switch (c.width) {
        case 1:
            byOffset = at.u8(c.offset);
            byCursor = cursor.readU8();
            break;
        case 2:
            byOffset = at.u16(c.offset);
            byCursor = cursor.readU16();
            break;
        case 4:
            byOffset = at.u32(c.offset);
            byCursor = cursor.readU32();
            break;
        default:
            byOffset = at.u64(c.offset);
            byCursor = cursor.readU64();
            break;
    }
    EXPECT_EQ(byOffset, c.expected);
    EXPECT_EQ(at.failed(), c.fails);
    if (placed) {
        EXPECT_EQ(byCursor, c.expected);
        EXPECT_EQ(cursor.failed(), c.fails);
        // The cursor moves past a value read, and stays where it was after a failure.
        EXPECT_EQ(cursor.position(), c.fails ? c.offset : c.offset + c.width);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Widths, LittleEndianReaderTest,
    ::testing::Values(ReadCase{"u8First", 1, 0, 0x01, false}, ReadCase{"u8Last", 1, 8, 0xff, false},
                      ReadCase{"u8PastEnd", 1, 9, 0, true}, ReadCase{"u8Negative", 1, -1, 0, true},
                      ReadCase{"u16Middle", 2, 3, 0x0504, false},
                      ReadCase{"u16Last", 2, 7, 0xff08, false},
                      ReadCase{"u16HalfOutside", 2, 8, 0, true},
                      ReadCase{"u32Last", 4, 5, 0xff080706u, false},
                      ReadCase{"u32HalfOutside", 4, 6, 0, true},
                      ReadCase{"u64First", 8, 0, 0x0807060504030201ull, false},
                      ReadCase{"u64Last", 8, 1, 0xff08070605040302ull, false},
                      ReadCase{"u64OneOutside", 8, 2, 0, true},
                      ReadCase{"u64HugeOffset", 8, std::numeric_limits<qint64>::max(), 0, true}),
    [](const ::testing::TestParamInfo<ReadCase>& row) { return std::string(row.param.name); });

TEST(LittleEndianReaderFailure, StaysSetAfterLaterGoodReads) {
    LittleEndianReader in(kBytes);
    EXPECT_EQ(in.readU64(), 0x0807060504030201ull);
    EXPECT_EQ(in.readU16(), 0u);
    EXPECT_TRUE(in.failed());
    EXPECT_EQ(in.readU8(), 0xffu);  // still in range: read, but the failure is remembered
    EXPECT_TRUE(in.failed());
    EXPECT_TRUE(in.atEnd());
}

TEST(LittleEndianReaderFailure, SubViewsSeeksAndSkipsOutsideFail) {
    const LittleEndianReader in(kBytes);
    const LittleEndianReader tail = in.mid(7, 2);
    EXPECT_EQ(tail.u16(0), 0xff08u);
    EXPECT_FALSE(in.failed());
    EXPECT_EQ(in.mid(8, 2).size(), 0);
    EXPECT_TRUE(in.failed());

    LittleEndianReader cursor(kBytes);
    EXPECT_TRUE(cursor.seek(9));  // the end itself is a place to stand
    EXPECT_FALSE(cursor.skip(1));
    EXPECT_EQ(cursor.position(), 9);
    EXPECT_TRUE(cursor.failed());
    EXPECT_FALSE(LittleEndianReader(static_cast<const char*>(nullptr), 5)
                     .contains(0, 1));  // no bytes, no size
}

TEST(LittleEndianReaderFailure, DoublesAreLittleEndianIeee) {
    const QByteArray one = QByteArray::fromHex("000000000000f03f");
    LittleEndianReader in(one);
    EXPECT_EQ(in.f64(0), 1.0);
    EXPECT_EQ(in.readF64(), 1.0);
    EXPECT_EQ(in.readF64(), 0.0);
    EXPECT_TRUE(in.failed());
}

}  // namespace
