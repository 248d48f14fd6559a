#include "office/word/model/eqfieldtext.h"

#include "tests/support/paramname.h"

#include <gtest/gtest.h>

namespace {

// An EQ field instruction and the linear text it must give.
struct EqCase {
    const char* name;
    const char* code;
    const char* text;
};

const EqCase kCases[] = {
    {"fraction", R"( EQ \f(1,2) )", "1/2"},
    {"fraction of a sum, lower case", R"(eq \f(a+b,c))", "(a+b)/c"},
    {"semicolon separates arguments", R"(EQ \f(1;2))", "1/2"},
    {"nested fraction", R"(EQ \f(\f(1,2),3))", "(1/2)/3"},
    {"square root", R"(EQ \r(x))", "√(x)"},
    {"root with a degree", R"(EQ \r(3,x))", "√(3&x)"},
    {"raised text is a superscript", R"(EQ x\s\up8(2))", "x^2"},
    {"lowered text is a subscript", R"(EQ x\s\do4(i)+1)", "x_i+1"},
    {"bracket pair", R"(EQ \b\bc\[(a))", "[a]"},
    {"default brackets", R"(EQ \b(a))", "(a)"},
    {"own left and right", R"(EQ \b \lc\{ \rc\) (a))", "{a)"},
    {"summation", R"(EQ \i\su(i=1,n,i))", "∑_(i=1)^n▒i"},
    {"integral", R"(EQ \i(0,1,x))", "∫_0^1▒x"},
    {"array of two columns", R"(EQ \a\al\co2\vs3\hs3(a,b,c,d))", "■(a&b@c&d)"},
    {"list", R"(EQ \l(a,b))", "a,b"},
    {"box gives its content", R"(EQ \x\to(a))", "a"},
    {"escaped comma", R"(EQ a\,b)", "a,b"},
    {"displacement gives nothing", R"(EQ a\d\fo10()b)", "ab"},
    {"phonetic guide: format switches skipped, reading then base",
     R"(EQ \* jc2 \* "Font:宋体" \* hps10 \o\ad(\s\up 9(pīn),拼))", "pīn拼"},
    {"enclosed character", R"(EQ \o\ac(○,1))", "○1"},
    {"not an EQ field", R"( PAGE )", ""},
    {"a word starting with EQ", R"(EQUALS 1)", ""},
};

class EqFieldTest : public testing::TestWithParam<EqCase> {};

TEST_P(EqFieldTest, GivesLinearText) {
    EXPECT_EQ(EqFieldText::linear(QString::fromUtf8(GetParam().code)),
              QString::fromUtf8(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(Switches, EqFieldTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<EqCase>& row) {
                             return paramName(row.param.name);
                         });

TEST(EqFieldBounds, TooDeepOrTooLongGivesNoText) {
    QString deep = QStringLiteral("EQ ");
    for (int i = 0; i < EqFieldText::kMaxDepth + 2; ++i) {
        deep += QStringLiteral("\\f(");
    }
    EXPECT_EQ(EqFieldText::linear(deep), QString());
    EXPECT_EQ(EqFieldText::linear(QStringLiteral("EQ \\f(1,2)") +
                                  QString(EqFieldText::kMaxLength, QLatin1Char(' '))),
              QString());
}

}  // namespace
