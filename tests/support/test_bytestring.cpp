#include "support/bytestring.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

// A value an output starts with, so a test sees whether a helper cleared or kept it.
static const std::string kUntouched = "untouched";

TEST(IndexOfNthChar, CountsOccurrencesFromOne) {
    EXPECT_EQ(indexOfNthChar("\\a\\b", '\\', 1), 0);
    EXPECT_EQ(indexOfNthChar("\\a\\b", '\\', 2), 2);
    EXPECT_EQ(indexOfNthChar("C:\\a\\", '\\', 2), 4);
}

TEST(IndexOfNthChar, MissingOccurrenceOrBadCountGivesMinusOne) {
    EXPECT_EQ(indexOfNthChar("C:\\a\\b", '\\', 3), -1);
    EXPECT_EQ(indexOfNthChar("C:\\a\\b", '\\', 0), -1);
    EXPECT_EQ(indexOfNthChar("C:\\a\\b", '\\', -1), -1);
    EXPECT_EQ(indexOfNthChar("", '\\', 1), -1);
}

// One copyRange call on "abcdef" and the output it must leave.
struct CopyCase {
    const char* name;
    std::size_t start;
    std::size_t end;
    std::string out;
};

TEST(CopyRange, CopiesTheHalfOpenRangeWithinTheSource) {
    const CopyCase rows[] = {
        {"Middle", 1, 4, "bcd"},
        {"Whole", 0, 6, "abcdef"},
        {"EndLimitedToLength", 2, 100, "cdef"},
        {"MinusOneMeansToTheEnd", 3, static_cast<std::size_t>(-1), "def"},
        // A start at or after the end gives empty; a start beyond the length writes nothing.
        {"StartAtEnd", 3, 3, ""},
        {"StartAfterEnd", 4, 2, ""},
        {"StartAtLength", 6, 10, ""},
        {"StartBeyondLength", 7, 10, kUntouched},
    };
    for (const CopyCase& row : rows) {
        SCOPED_TRACE(row.name);
        std::string out = kUntouched;
        copyRange(out, "abcdef", row.start, row.end);
        EXPECT_EQ(out, row.out);
    }
}

TEST(CopyRange, EndDefaultsToTheEndOfTheSource) {
    std::string out = kUntouched;
    copyRange(out, "abcdef", 4);
    EXPECT_EQ(out, "ef");
    out = kUntouched;
    copyRange(out, "", 1);
    EXPECT_EQ(out, kUntouched);
}

TEST(CopyRange, SourceMayBeTheOutputItself) {
    std::string text = "abcdef";
    copyRange(text, text, 2, 5);
    EXPECT_EQ(text, "cde");
}

// One replaceFirst, replaceAll or replaceLast call and the text it must leave.
struct ReplaceCase {
    const char* name;
    void (*replace)(std::string&, std::string_view, std::string_view);
    const char* text;
    const char* pattern;
    const char* replacement;
    const char* result;
};

TEST(Replace, FirstAllOrLastOccurrenceAndNothingWithoutOne) {
    const ReplaceCase rows[] = {
        {"FirstOnly", replaceFirst, "a.b.c", ".", "::", "a::b.c"},
        {"FirstAbsent", replaceFirst, "abc", "x", "y", "abc"},
        {"FirstEmptyPattern", replaceFirst, "abc", "", "y", "abc"},
        {"AllSlashesToBackslashes", replaceAll, "C:/Out/A/B/", "/", "\\", "C:\\Out\\A\\B\\"},
        // A replacement holding the pattern is not searched again, so it cannot loop.
        {"AllReplacementHoldsPattern", replaceAll, "a-a", "a", "aa", "aa-aa"},
        {"AllLongerPattern", replaceAll, "xyxyzxy", "xy", "1", "11z1"},
        {"AllEmptyPattern", replaceAll, "11z1", "", "0", "11z1"},
        {"AllAbsent", replaceAll, "abc", "q", "r", "abc"},
        {"LastOnly", replaceLast, "C:\\a.exe.dir\\b.exe", ".exe", "_old", "C:\\a.exe.dir\\b_old"},
        {"LastKeepsTheTail", replaceLast, "a.exe.exe.bak", ".exe", "_old", "a.exe_old.bak"},
        {"LastAbsent", replaceLast, "abc", ".exe", "_old", "abc"},
    };
    for (const ReplaceCase& row : rows) {
        SCOPED_TRACE(row.name);
        std::string text = row.text;
        row.replace(text, row.pattern, row.replacement);
        EXPECT_EQ(text, row.result);
    }
}

TEST(LastIndexOfText, MatchesDoNotOverlap) {
    EXPECT_EQ(lastIndexOfText("aaa", "aa"), 0);
    EXPECT_EQ(lastIndexOfText("aaaa", "aa"), 2);
    EXPECT_EQ(lastIndexOfText("aaaaa", "aa"), 2);
}

TEST(LastIndexOfText, FindsLastOrNothing) {
    EXPECT_EQ(lastIndexOfText("C:\\a\\b.exe", "\\"), 4);
    EXPECT_EQ(lastIndexOfText("abc", "c"), 2);
    EXPECT_EQ(lastIndexOfText("abc", "x"), -1);
    EXPECT_EQ(lastIndexOfText("abc", ""), -1);
    EXPECT_EQ(lastIndexOfText("", "a"), -1);
}

// The name of a table row, as the name of its parameterized test.
template <class Row>
std::string rowName(const ::testing::TestParamInfo<Row>& row) {
    return row.param.name;
}

// One cut at a marker: textBefore or textAfter on a source, and what it must give.
struct MarkerCase {
    const char* name;
    bool before;
    const char* source;
    const char* marker;
    signed char keep;
    signed char fromLast;
    int result;
    const char* out;
};

// Every row starts from kUntouched, so a row also shows that the output is replaced whole.
const MarkerCase kMarkerCases[] = {
    {"BeforeDirectoryOfExecutable", true, "C:\\Tools\\app.exe", "\\", 1, 1, 1, "C:\\Tools\\"},
    {"BeforeFirst", true, "a=b=c", "=", 0, 0, 1, "a"},
    {"BeforeFirstKept", true, "a=b=c", "=", 1, 0, 1, "a="},
    {"BeforeLast", true, "a=b=c", "=", 0, 1, 1, "a=b"},
    {"BeforeLastKept", true, "a=b=c", "=", 1, 1, 1, "a=b="},
    {"BeforeMarkerAtStart", true, "=abc", "=", 0, 0, 1, ""},
    {"BeforeMarkerAtEnd", true, "abc=", "=", 0, 1, 1, "abc"},
    {"BeforeMissingClears", true, "abc", "=", 0, 0, -1, ""},
    {"BeforeMissingKeptLastClears", true, "abc", "=", 1, 1, -1, ""},
    {"AfterFirst", false, "a=b=c", "=", 0, 0, 1, "b=c"},
    {"AfterFirstKept", false, "a=b=c", "=", 1, 0, 1, "=b=c"},
    {"AfterLast", false, "a=b=c", "=", 0, 1, 1, "c"},
    {"AfterLastKept", false, "a=b=c", "=", 1, 1, 1, "=c"},
    {"AfterMarkerAtEnd", false, "abc=", "=", 0, 0, 1, ""},
    {"AfterMarkerAtStart", false, "=abc", "=", 0, 0, 1, "abc"},
    {"AfterMarkerIsWholeSourceKept", false, "abc", "abc", 1, 0, 1, "abc"},
    {"AfterMissingClears", false, "abc", "x", 0, 0, -1, ""},
    {"AfterMarkerLongerThanSourceClears", false, "abc", "abcd", 0, 1, -1, ""},
    // Flags: keep is set only above zero; from-last whenever non-zero. -1 is the byte 0xFF.
    {"NegativeKeepIsNotKept", false, "a=b=c", "=", -1, 0, 1, "b=c"},
    {"NegativeFromLastIsLast", false, "a=b=c", "=", 0, -1, 1, "c"},
    {"HighBitKeepIsNotKept", true, "a=b=c", "=", static_cast<signed char>(0x80), 2, 1, "a=b"},
};

class MarkerCut : public ::testing::TestWithParam<MarkerCase> {};

TEST_P(MarkerCut, GivesResultAndOutput) {
    const MarkerCase& row = GetParam();
    std::string out = kUntouched;
    const int result = row.before ? textBefore(out, row.source, row.marker, row.keep, row.fromLast)
                                  : textAfter(out, row.source, row.marker, row.keep, row.fromLast);
    EXPECT_EQ(result, row.result);
    EXPECT_EQ(out, row.out);
}

INSTANTIATE_TEST_SUITE_P(Rows, MarkerCut, ::testing::ValuesIn(kMarkerCases),
                         rowName<MarkerCut::ParamType>);

TEST(MarkerExtraction, OutputMayViewItsOwnSource) {
    std::string text = "key=value";
    EXPECT_EQ(textAfter(text, text, "=", 0, 0), 1);
    EXPECT_EQ(text, "value");
    EXPECT_EQ(textBefore(text, text, "l", 0, 0), 1);
    EXPECT_EQ(text, "va");
}

// One textBetween call on a source, and what it must give.
struct BetweenCase {
    const char* name;
    const char* source;
    const char* opening;
    const char* closing;
    signed char keepOpening;
    signed char keepClosing;
    signed char lastOpening;
    signed char lastClosing;
    int result;
    const char* out;
};

const BetweenCase kBetweenCases[] = {
    {"Inner", "x[abc]y", "[", "]", 0, 0, 0, 0, 1, "abc"},
    {"BothMarkersKept", "x[abc]y", "[", "]", 1, 1, 0, 0, 1, "[abc]"},
    {"LastOpening", "x[a]b[c]y", "[", "]", 0, 0, 1, 0, 1, "c"},
    {"LastClosing", "x[a]b]y", "[", "]", 0, 0, 0, 1, 1, "a]b"},
    // The closing marker is searched only after the opening one.
    {"ClosingBeforeOpeningIsSkipped", "]x[abc]", "[", "]", 0, 0, 0, 0, 1, "abc"},
    // A kept opening marker is searched too: "b" is found inside "ab".
    {"KeptOpeningIsSearched", "xaby", "ab", "b", 1, 0, 0, 0, 1, "a"},
    {"MissingClosingClears", "]x[abc", "[", "]", 0, 0, 0, 0, -1, ""},
    {"MissingOpeningClears", "abc]", "[", "]", 0, 0, 0, 0, -1, ""},
};

class BetweenCut : public ::testing::TestWithParam<BetweenCase> {};

TEST_P(BetweenCut, GivesResultAndOutput) {
    const BetweenCase& row = GetParam();
    std::string out = kUntouched;
    EXPECT_EQ(textBetween(out, row.source, row.opening, row.closing, row.keepOpening,
                          row.keepClosing, row.lastOpening, row.lastClosing),
              row.result);
    EXPECT_EQ(out, row.out);
}

INSTANTIATE_TEST_SUITE_P(Rows, BetweenCut, ::testing::ValuesIn(kBetweenCases),
                         rowName<BetweenCut::ParamType>);

TEST(StripChar, RemovesRunsAtOneEndOnly) {
    std::string text = "\"\"a\"b\"\"";
    stripLeadingChar(text, '"');
    EXPECT_EQ(text, "a\"b\"\"");
    stripTrailingChar(text, '"');
    EXPECT_EQ(text, "a\"b");
}

TEST(StripChar, StringOfOnlyThatByteBecomesEmpty) {
    std::string leading = "xxx";
    stripLeadingChar(leading, 'x');
    EXPECT_EQ(leading, "");
    std::string trailing = "xxx";
    stripTrailingChar(trailing, 'x');
    EXPECT_EQ(trailing, "");
    std::string empty;
    stripTrailingChar(empty, 'x');
    EXPECT_EQ(empty, "");
}

TEST(TrimBlanks, SpacesAndTabsOnlyNotLineBreaks) {
    std::string text = " \t a b \t ";
    trimLeftBlanks(text);
    EXPECT_EQ(text, "a b \t ");
    trimRightBlanks(text);
    EXPECT_EQ(text, "a b");
    std::string lines = "\r\n a \r\n";
    trimLeftBlanks(lines);
    trimRightBlanks(lines);
    EXPECT_EQ(lines, "\r\n a \r\n");
    std::string blanks = " \t\t ";
    trimRightBlanks(blanks);
    EXPECT_EQ(blanks, "");
}

// One number written into a scratch buffer of a given size, and the text it must give.
struct DecimalCase {
    const char* name;
    int value;
    std::size_t scratchSize;
    const char* out;
};

const DecimalCase kDecimalCases[] = {
    {"Negative", -305, 32, "-305"},
    {"Zero", 0, 32, "0"},
    {"OneDigit", 7, 32, "7"},
    {"TenDigits", 1700000000, 32, "1700000000"},
    {"AboveIntMin", INT_MIN + 1, 32, "-2147483647"},
    {"IntMax", INT_MAX, 32, "2147483647"},
    {"IntMin", INT_MIN, 32, "-2147483648"},
    // The text must fit the scratch buffer with its terminator, or nothing is written.
    {"FitsWithTerminator", -305, 5, "-305"},
    {"NoRoomForTerminator", -305, 4, ""},
    {"ZeroWithoutTerminator", 0, 1, ""},
};

TEST(IntToDecimal, WritesTheWholeIntRangeWhenItFits) {
    for (const DecimalCase& row : kDecimalCases) {
        SCOPED_TRACE(row.name);
        std::string out = kUntouched;
        intToDecimal(row.value, out, row.scratchSize);
        EXPECT_EQ(out, row.out);
    }
}

// One field looked up in a JSON reply, and the value it must give.
struct JsonCase {
    const char* name;
    const char* reply;
    const char* field;
    const char* out;
};

const JsonCase kJsonCases[] = {
    {"LastFieldUpToBrace", "{\"Sheetweaver\":\"0123abcd\"}", "Sheetweaver", "0123abcd"},
    {"SpacedNumberUpToBrace", "{\"a\":1, \"n\" : 42 }", "n", "42"},
    {"FieldBeforeOthersUpToComma", "{\"Sheetweaver\": \"abc\" ,\"Other\":\"x\"}", "Sheetweaver",
     "abc"},
    // A quoted value that holds a comma is cut there.
    {"QuotedCommaCuts", "{\"name\":\"a,b\",\"n\":1}", "name", "a"},
    // The last field of the first object: a comma later in the reply wins over its brace.
    {"LaterCommaWinsOverBrace", "{\"v\":\"1\"} {\"w\":2,\"x\":3}", "v", "1\"} {\"w\":2"},
    {"BlanksInsideQuotesKept", "{\"v\":  \" padded \"\t}", "v", " padded "},
    {"PrefixOfAFieldIsAbsent", "{\"Sheetweaver\":\"abc\"}", "Sheet", ""},
    {"EmptyReply", "", "Sheetweaver", ""},
    {"FieldWithoutValue", "{\"v\"}", "v", ""},
};

TEST(JsonFieldValue, ReadsTheValueOrGivesEmpty) {
    for (const JsonCase& row : kJsonCases) {
        SCOPED_TRACE(row.name);
        std::string out = kUntouched;
        jsonFieldValue(out, row.reply, row.field);
        EXPECT_EQ(out, row.out);
    }
}

}  // namespace
