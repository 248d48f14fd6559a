#include "office/excel/paste/numberrule.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct NumberCase {
    const char* name;
    const char* text;
    bool isNumber;
    double value;
    const char* format;
};

class NumberRuleTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(NumberRuleTest, TypesTextLosslessly) {
    const NumberCase& c = GetParam();
    const std::optional<NumberRule::Number> number = NumberRule::parse(QString::fromUtf8(c.text));
    ASSERT_EQ(number.has_value(), c.isNumber) << c.text;
    if (number) {
        EXPECT_DOUBLE_EQ(number->value, c.value) << c.text;
        EXPECT_EQ(number->numberFormat, QString::fromUtf8(c.format)) << c.text;
    }
}

const NumberCase kCases[] = {
    {"integer", "42", true, 42, ""},
    {"zero", "0", true, 0, ""},
    {"negative", "-17", true, -17, ""},
    {"decimal", "3.25", true, 3.25, "0.00"},
    {"trailingZeroKept", "1.50", true, 1.5, "0.00"},
    {"zeroPointFive", "0.5", true, 0.5, "0.0"},
    {"percent", "12%", true, 0.12, "0%"},
    {"decimalPercent", "12.5%", true, 0.125, "0.0%"},
    {"thousands", "1,234", true, 1234, "#,##0"},
    {"thousandsMillions", "-1,234,567.80", true, -1234567.8, "#,##0.00"},
    {"fifteenDigits", "123456789012345", true, 123456789012345.0, "0"},
    {"twelveDigitsNeedFormat", "123456789012", true, 123456789012.0, "0"},
    {"elevenDigitsGeneral", "12345678901", true, 12345678901.0, ""},
    {"leadingZeros", "00123", false, 0, ""},
    {"leadingZeroDecimal", "01.5", false, 0, ""},
    {"sixteenDigits", "1234567890123456", false, 0, ""},
    {"eighteenDigitId", "110101199003071234", false, 0, ""},
    {"idWithX", "11010119900307123X", false, 0, ""},
    {"phone", "138 0013 8000", false, 0, ""},
    {"phoneDashes", "010-12345678", false, 0, ""},
    {"dateDash", "1-2", false, 0, ""},
    {"dateSlash", "3/4", false, 0, ""},
    {"isoDate", "2024-01-02", false, 0, ""},
    {"plusSign", "+5", false, 0, ""},
    {"exponent", "1e5", false, 0, ""},
    {"currency", "$5", false, 0, ""},
    {"spaces", " 12", false, 0, ""},
    {"trailingSpace", "12 ", false, 0, ""},
    {"badGroups", "1,23", false, 0, ""},
    {"badFirstGroup", "1234,567", false, 0, ""},
    {"leadingComma", ",123", false, 0, ""},
    {"bareDot", ".5", false, 0, ""},
    {"dotAtEnd", "5.", false, 0, ""},
    {"negativeZero", "-0", false, 0, ""},
    {"negativeZeroDecimal", "-0.00", false, 0, ""},
    {"doublePercent", "5%%", false, 0, ""},
    {"empty", "", false, 0, ""},
    {"fullwidthDigits", "１２", false, 0, ""},
    {"text", "abc", false, 0, ""},
    {"manyDecimalsTooPrecise", "0.1234567890123456", false, 0, ""},
    {"smallDecimal", "0.000123", true, 0.000123, "0.000000"},
};

INSTANTIATE_TEST_SUITE_P(Cases, NumberRuleTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<NumberCase>& param) {
                             return std::string(param.param.name);
                         });

TEST(NumberRule, PercentIsTheNearestDouble) {
    const std::optional<NumberRule::Number> number = NumberRule::parse(QStringLiteral("7%"));
    ASSERT_TRUE(number);
    EXPECT_EQ(number->value,
              0.07);  // exactly the double nearest to 0.07, not 7 / 100 rounded twice
}

}  // namespace
