#include "office/word/doc/mtefequation.h"

#include "tests/support/paramname.h"

#include <gtest/gtest.h>

namespace {

// MTEF bytes (hex) and the linear text they must give; a null text: unreadable.
struct MtefCase {
    const char* name;
    const char* hex;
    const char* text;
};

// Version 3 rows are Equation Editor 3 objects as LibreOffice writes them (tests/data/doc/
// equations.doc); version 5 rows are assembled record by record from the MTEF 5 layout.
#define V3 "0301010300"
#define V5         \
    "0501000609"   \
    "44534D543600" \
    "01"  // header, application key "DSMT6", options

const MtefCase kCases[] = {
    {"fraction of a sum", V3 "0a010a01030e00000a010283610002832b0002836200000a01028132000000000000",
     "(a+b)/2"},
    {"cube root", V3 "0a010a01030d0100010283780002832b00028131000001028133000000000000",
     "√(3&x+1)"},
    {"scripts attach to the character before them",
     V3 "0a010a0102837800030f02000b010283690000010281320000000a02832b0002837900030f00000b1101"
        "0281330000000a000000",
     "x_i^2+y^3"},
    {"sum with limits, operator after the slots",
     V3 "0a010a01031d01000102836900000b010283690002833d0002813100000102836e00000d02861122000a"
        "000000",
     "∑_(i=1)^n▒i"},
    {"matrix in stretched parentheses",
     V3 "0a010a01030100000105000000020200000102836100000102836200000102836300000102836400000000"
        "029628000296290000000000",
     "(■(a&b@c&d))"},
    {"version 5 with definitions, preferences, fence, prime and function name",
     V5 "110154696d657300"  // FONT_DEF 1 "Times"
        "120001212f000100"  // EQN_PREFS: one size (12pt), no spaces, one empty style
        "0100"              // LINE
        "020083780003001c00000101"
        "0100020088320000"
        "00"          // x, tmSUP (null sub, sup 2)
        "0200862b00"  // +
        "03000b0000"
        "0100020088310000"
        "01000200836e0000"
        "00"  // tmFRACT 1/n
        "0300010300"
        "0100020083610000"
        "0200962800"
        "0200962900"
        "00"  // tmPAREN (a)
        "0201836600"
        "06000500"  // f with a prime
        "0200827300"
        "0200826900"
        "0200826e00"
        "0200837800"  // sin x
        "00"
        "00",
     "x^2+1/n(a)f′sin x"},
    {"a superscript template with its one slot",
     V3 "0a0102837800030f0000010281320000"
        "0000",
     "x^2"},
    {"unknown version",
     "0401010300"
     "0a00",
     nullptr},
    {"truncated template", V3 "0a010a01030e00000a0102836100", nullptr},
    {"unknown record type", V3 "0f00", nullptr},
};

class MtefTest : public testing::TestWithParam<MtefCase> {};

TEST_P(MtefTest, GivesLinearText) {
    const MtefCase& c = GetParam();
    const std::optional<QString> text = MtefEquation::fromMtef(QByteArray::fromHex(c.hex));
    if (c.text == nullptr) {
        EXPECT_FALSE(text.has_value());
    } else {
        ASSERT_TRUE(text.has_value());
        EXPECT_EQ(*text, QString::fromUtf8(c.text));
    }
}

INSTANTIATE_TEST_SUITE_P(Records, MtefTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<MtefCase>& row) {
                             return paramName(row.param.name);
                         });

/* The 28-byte OLE header (cbHdr, version, format, cbObject, reserved) before the MTEF. */
QByteArray equationNative(const QByteArray& mtef, quint16 headerSize) {
    QByteArray header =
        QByteArray::fromHex("1c00000002009b0c00000000000000000000000000000000000000");
    header.append(static_cast<char>(0));
    header[0] = static_cast<char>(headerSize & 0xFF);
    header[1] = static_cast<char>(headerSize >> 8);
    const int size = mtef.size();
    for (int i = 0; i < 4; ++i) {
        header[8 + i] = static_cast<char>((size >> (8 * i)) & 0xFF);
    }
    return header + mtef;
}

TEST(MtefEquationNative, SkipsTheOleHeaderAndRefusesOneBeyondTheStream) {
    const QByteArray mtef = QByteArray::fromHex(V3 "0a01028178000000");
    EXPECT_EQ(MtefEquation::fromEquationNative(equationNative(mtef, 28)), QStringLiteral("x"));
    EXPECT_FALSE(MtefEquation::fromEquationNative(equationNative(mtef, 60000)).has_value());
    EXPECT_FALSE(MtefEquation::fromEquationNative(QByteArray(10, '\0')).has_value());
}

TEST(MtefBounds, NestingAndRecordCountAreBounded) {
    // Lines nested deeper than kMaxDepth.
    const QByteArray deep = QByteArray::fromHex(V3) + QByteArray(MtefEquation::kMaxDepth + 8, 1);
    EXPECT_FALSE(MtefEquation::fromMtef(deep).has_value());
    // More records (size records, which carry nothing) than kMaxRecords.
    const QByteArray many =
        QByteArray::fromHex(V3) + QByteArray(MtefEquation::kMaxRecords + 1, '\x0a');
    EXPECT_FALSE(MtefEquation::fromMtef(many).has_value());
    const QByteArray enough = QByteArray::fromHex(V3) + QByteArray(1000, '\x0a');
    EXPECT_TRUE(MtefEquation::fromMtef(enough).has_value());
}

}  // namespace
