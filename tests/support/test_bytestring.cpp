#include "support/bytestring.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

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

TEST(CopyRange, CopiesHalfOpenRange) {
    std::string out = kUntouched;
    copyRange(out, "abcdef", 1, 4);
    EXPECT_EQ(out, "bcd");
    copyRange(out, "abcdef", 0, 6);
    EXPECT_EQ(out, "abcdef");
}

TEST(CopyRange, EndIsLimitedToLengthAndMinusOneMeansToTheEnd) {
    std::string out;
    copyRange(out, "abcdef", 2, 100);
    EXPECT_EQ(out, "cdef");
    copyRange(out, "abcdef", 3, static_cast<std::size_t>(-1));
    EXPECT_EQ(out, "def");
    copyRange(out, "abcdef", 4);
    EXPECT_EQ(out, "ef");
}

TEST(CopyRange, StartAtOrAfterEndGivesEmpty) {
    std::string out = kUntouched;
    copyRange(out, "abcdef", 3, 3);
    EXPECT_EQ(out, "");
    out = kUntouched;
    copyRange(out, "abcdef", 4, 2);
    EXPECT_EQ(out, "");
    out = kUntouched;
    copyRange(out, "abcdef", 6, 10);
    EXPECT_EQ(out, "");
}

TEST(CopyRange, StartBeyondLengthWritesNothing) {
    std::string out = kUntouched;
    copyRange(out, "abcdef", 7, 10);
    EXPECT_EQ(out, kUntouched);
    copyRange(out, "", 1);
    EXPECT_EQ(out, kUntouched);
}

TEST(CopyRange, SourceMayBeTheOutputItself) {
    std::string text = "abcdef";
    copyRange(text, text, 2, 5);
    EXPECT_EQ(text, "cde");
}

TEST(ReplaceFirst, ReplacesOnlyTheFirstOccurrence) {
    std::string text = "a.b.c";
    replaceFirst(text, ".", "::");
    EXPECT_EQ(text, "a::b.c");
}

TEST(ReplaceFirst, AbsentOrEmptyPatternChangesNothing) {
    std::string text = "abc";
    replaceFirst(text, "x", "y");
    EXPECT_EQ(text, "abc");
    replaceFirst(text, "", "y");
    EXPECT_EQ(text, "abc");
}

TEST(ReplaceAll, TurnsEverySlashIntoBackslash) {
    std::string text = "C:/Out/A/B/";
    replaceAll(text, "/", "\\");
    EXPECT_EQ(text, "C:\\Out\\A\\B\\");
}

TEST(ReplaceAll, ReplacementHoldingThePatternDoesNotLoop) {
    std::string text = "a-a";
    replaceAll(text, "a", "aa");
    EXPECT_EQ(text, "aa-aa");
}

TEST(ReplaceAll, LongerPatternsAndEmptyPattern) {
    std::string text = "xyxyzxy";
    replaceAll(text, "xy", "1");
    EXPECT_EQ(text, "11z1");
    replaceAll(text, "", "0");
    EXPECT_EQ(text, "11z1");
    std::string none = "abc";
    replaceAll(none, "q", "r");
    EXPECT_EQ(none, "abc");
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

TEST(ReplaceLast, ChangesOnlyTheFinalOccurrence) {
    std::string path = "C:\\a.exe.dir\\b.exe";
    replaceLast(path, ".exe", "_old");
    EXPECT_EQ(path, "C:\\a.exe.dir\\b_old");
}

TEST(ReplaceLast, KeepsTheTailAfterTheMatch) {
    std::string text = "a.exe.exe.bak";
    replaceLast(text, ".exe", "_old");
    EXPECT_EQ(text, "a.exe_old.bak");
    std::string none = "abc";
    replaceLast(none, ".exe", "_old");
    EXPECT_EQ(none, "abc");
}

TEST(TextBefore, DirectoryOfExecutableWithTrailingSeparator) {
    std::string out;
    EXPECT_EQ(textBefore(out, "C:\\Tools\\app.exe", "\\", 1, 1), 1);
    EXPECT_EQ(out, "C:\\Tools\\");
}

TEST(TextBefore, FirstOrLastMarkerWithOrWithoutIt) {
    std::string out;
    EXPECT_EQ(textBefore(out, "a=b=c", "=", 0, 0), 1);
    EXPECT_EQ(out, "a");
    EXPECT_EQ(textBefore(out, "a=b=c", "=", 1, 0), 1);
    EXPECT_EQ(out, "a=");
    EXPECT_EQ(textBefore(out, "a=b=c", "=", 0, 1), 1);
    EXPECT_EQ(out, "a=b");
    EXPECT_EQ(textBefore(out, "a=b=c", "=", 1, 1), 1);
    EXPECT_EQ(out, "a=b=");
}

TEST(TextBefore, MarkerAtStartOrEndOfSource) {
    std::string out = kUntouched;
    EXPECT_EQ(textBefore(out, "=abc", "=", 0, 0), 1);
    EXPECT_EQ(out, "");
    EXPECT_EQ(textBefore(out, "abc=", "=", 0, 1), 1);
    EXPECT_EQ(out, "abc");
}

TEST(TextBefore, MissingMarkerClearsOutput) {
    std::string out = kUntouched;
    EXPECT_EQ(textBefore(out, "abc", "=", 0, 0), -1);
    EXPECT_EQ(out, "");
    out = kUntouched;
    EXPECT_EQ(textBefore(out, "abc", "=", 1, 1), -1);
    EXPECT_EQ(out, "");
}

TEST(TextAfter, FirstOrLastMarkerWithOrWithoutIt) {
    std::string out;
    EXPECT_EQ(textAfter(out, "a=b=c", "=", 0, 0), 1);
    EXPECT_EQ(out, "b=c");
    EXPECT_EQ(textAfter(out, "a=b=c", "=", 1, 0), 1);
    EXPECT_EQ(out, "=b=c");
    EXPECT_EQ(textAfter(out, "a=b=c", "=", 0, 1), 1);
    EXPECT_EQ(out, "c");
    EXPECT_EQ(textAfter(out, "a=b=c", "=", 1, 1), 1);
    EXPECT_EQ(out, "=c");
}

TEST(TextAfter, MarkerAtStartOrEndOfSource) {
    std::string out = kUntouched;
    EXPECT_EQ(textAfter(out, "abc=", "=", 0, 0), 1);
    EXPECT_EQ(out, "");
    EXPECT_EQ(textAfter(out, "=abc", "=", 0, 0), 1);
    EXPECT_EQ(out, "abc");
    EXPECT_EQ(textAfter(out, "abc", "abc", 1, 0), 1);
    EXPECT_EQ(out, "abc");
}

TEST(TextAfter, MissingMarkerClearsOutput) {
    std::string out = kUntouched;
    EXPECT_EQ(textAfter(out, "abc", "x", 0, 0), -1);
    EXPECT_EQ(out, "");
    out = kUntouched;
    EXPECT_EQ(textAfter(out, "abc", "abcd", 0, 1), -1);
    EXPECT_EQ(out, "");
}

TEST(MarkerFlags, KeepIsSetOnlyAboveZeroFromLastWheneverNonZero) {
    std::string out;
    // -1 is the byte 0xFF: not a kept marker, but a search from the last occurrence.
    EXPECT_EQ(textAfter(out, "a=b=c", "=", -1, 0), 1);
    EXPECT_EQ(out, "b=c");
    EXPECT_EQ(textAfter(out, "a=b=c", "=", 0, -1), 1);
    EXPECT_EQ(out, "c");
    EXPECT_EQ(textBefore(out, "a=b=c", "=", static_cast<signed char>(0x80), 2), 1);
    EXPECT_EQ(out, "a=b");
}

TEST(MarkerExtraction, OutputMayViewItsOwnSource) {
    std::string text = "key=value";
    EXPECT_EQ(textAfter(text, text, "=", 0, 0), 1);
    EXPECT_EQ(text, "value");
    EXPECT_EQ(textBefore(text, text, "l", 0, 0), 1);
    EXPECT_EQ(text, "va");
}

TEST(TextBetween, CutsBetweenMarkers) {
    std::string out;
    EXPECT_EQ(textBetween(out, "x[abc]y", "[", "]", 0, 0, 0, 0), 1);
    EXPECT_EQ(out, "abc");
    EXPECT_EQ(textBetween(out, "x[abc]y", "[", "]", 1, 1, 0, 0), 1);
    EXPECT_EQ(out, "[abc]");
    EXPECT_EQ(textBetween(out, "x[a]b[c]y", "[", "]", 0, 0, 1, 0), 1);
    EXPECT_EQ(out, "c");
    EXPECT_EQ(textBetween(out, "x[a]b]y", "[", "]", 0, 0, 0, 1), 1);
    EXPECT_EQ(out, "a]b");
}

TEST(TextBetween, ClosingMarkerIsSearchedOnlyAfterTheOpeningOne) {
    std::string out;
    EXPECT_EQ(textBetween(out, "]x[abc]", "[", "]", 0, 0, 0, 0), 1);
    EXPECT_EQ(out, "abc");
    // A kept opening marker is searched too: "b" is found inside "ab".
    EXPECT_EQ(textBetween(out, "xaby", "ab", "b", 1, 0, 0, 0), 1);
    EXPECT_EQ(out, "a");
}

TEST(TextBetween, MissingClosingMarkerClearsOutput) {
    std::string out = kUntouched;
    EXPECT_EQ(textBetween(out, "]x[abc", "[", "]", 0, 0, 0, 0), -1);
    EXPECT_EQ(out, "");
    out = kUntouched;
    EXPECT_EQ(textBetween(out, "abc]", "[", "]", 0, 0, 0, 0), -1);
    EXPECT_EQ(out, "");
}

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

TEST(IntToDecimal, SignAndZero) {
    std::string out;
    intToDecimal(-305, out);
    EXPECT_EQ(out, "-305");
    intToDecimal(0, out);
    EXPECT_EQ(out, "0");
    intToDecimal(7, out);
    EXPECT_EQ(out, "7");
    intToDecimal(1700000000, out);
    EXPECT_EQ(out, "1700000000");
}

TEST(IntToDecimal, WholeIntRange) {
    std::string out;
    intToDecimal(INT_MIN + 1, out);
    EXPECT_EQ(out, "-2147483647");
    intToDecimal(INT_MAX, out);
    EXPECT_EQ(out, "2147483647");
    intToDecimal(INT_MIN, out);
    EXPECT_EQ(out, "-2147483648");
}

TEST(IntToDecimal, TextMustFitScratchWithItsTerminator) {
    std::string out = kUntouched;
    intToDecimal(-305, out, 5);
    EXPECT_EQ(out, "-305");
    intToDecimal(-305, out, 4);
    EXPECT_EQ(out, "");
    intToDecimal(0, out, 1);
    EXPECT_EQ(out, "");
}

TEST(JsonFieldValue, LastFieldReadsUpToClosingBrace) {
    std::string out;
    jsonFieldValue(out, "{\"Sheetweaver\":\"0123abcd\"}", "Sheetweaver");
    EXPECT_EQ(out, "0123abcd");
    jsonFieldValue(out, "{\"a\":1, \"n\" : 42 }", "n");
    EXPECT_EQ(out, "42");
}

TEST(JsonFieldValue, FieldFollowedByOthersReadsUpToComma) {
    std::string out;
    jsonFieldValue(out, "{\"Sheetweaver\": \"abc\" ,\"Other\":\"x\"}", "Sheetweaver");
    EXPECT_EQ(out, "abc");
    // A quoted value that holds a comma is cut there.
    jsonFieldValue(out, "{\"name\":\"a,b\",\"n\":1}", "name");
    EXPECT_EQ(out, "a");
}

TEST(JsonFieldValue, ACommaAnywhereAfterTheFieldChoosesTheCommaAsEnd) {
    std::string out;
    // The last field of the first object: a comma later in the reply wins over its brace.
    jsonFieldValue(out, "{\"v\":\"1\"} {\"w\":2,\"x\":3}", "v");
    EXPECT_EQ(out, "1\"} {\"w\":2");
}

TEST(JsonFieldValue, BlanksInsideQuotesAreKept) {
    std::string out;
    jsonFieldValue(out, "{\"v\":  \" padded \"\t}", "v");
    EXPECT_EQ(out, " padded ");
}

TEST(JsonFieldValue, AbsentFieldGivesEmpty) {
    std::string out = kUntouched;
    jsonFieldValue(out, "{\"Sheetweaver\":\"abc\"}", "Sheet");
    EXPECT_EQ(out, "");
    out = kUntouched;
    jsonFieldValue(out, "", "Sheetweaver");
    EXPECT_EQ(out, "");
    out = kUntouched;
    jsonFieldValue(out, "{\"v\"}", "v");
    EXPECT_EQ(out, "");
}
