#include "office/word/doc/mathmlequation.h"

#include "tests/support/paramname.h"

#include <gtest/gtest.h>

namespace {

// MathML (the content of <math>) and the linear text it must give; null: unreadable.
struct MathMlCase {
    const char* name;
    const char* xml;
    const char* text;
};

#define MATH(body) "<math xmlns=\"http://www.w3.org/1998/Math/MathML\">" body "</math>"

const MathMlCase kCases[] = {
    {"semantics keeps the formula and skips its source",
     MATH("<semantics><mrow><msup><mi>a</mi><mi>n</mi></msup><mo>+</mo><msup><mi>b</mi><mi>n</mi>"
          "</msup><mo>=</mo><msup><mi>c</mi><mi>n</mi></msup><mi>;</mi><mi>n</mi><mo>&gt;</mo>"
          "<mn>2</mn></mrow><annotation encoding=\"StarMath 5.0\">a^n + b^n = c^n; n&gt;2"
          "</annotation></semantics>"),
     "a^n+b^n=c^n;n>2"},
    {"fraction of a sum",
     MATH("<mfrac><mrow><mi>a</mi><mo>+</mo><mi>b</mi></mrow><mn>2</mn></mfrac>"), "(a+b)/2"},
    {"square root of a power", MATH("<msqrt><msup><mi>x</mi><mn>2</mn></msup></msqrt>"), "√(x^2)"},
    {"root with a degree", MATH("<mroot><mi>x</mi><mn>3</mn></mroot>"), "√(3&x)"},
    {"sub and superscript", MATH("<msubsup><mi>x</mi><mi>i</mi><mn>2</mn></msubsup>"), "x_i^2"},
    {"sum takes the element after it",
     MATH("<munderover><mo>∑</mo><mrow><mi>i</mi><mo>=</mo><mn>1</mn></mrow><mi>n</mi>"
          "</munderover><mi>i</mi>"),
     "∑_(i=1)^n▒i"},
    {"fenced items", MATH("<mfenced open=\"[\" close=\"]\"><mi>a</mi><mi>b</mi></mfenced>"),
     "[a,b]"},
    {"table",
     MATH("<mtable><mtr><mtd><mi>a</mi></mtd><mtd><mi>b</mi></mtd></mtr><mtr><mtd><mi>c"
          "</mi></mtd><mtd><mi>d</mi></mtd></mtr></mtable>"),
     "■(a&b@c&d)"},
    {"accent over its base", MATH("<mover accent=\"true\"><mi>x</mi><mo>¯</mo></mover>"), "x"},
    {"root is no math", "<p>x</p>", nullptr},
    {"broken markup", MATH("<mfrac><mi>a</mi>"), nullptr},
};

class MathMlTest : public testing::TestWithParam<MathMlCase> {};

TEST_P(MathMlTest, GivesLinearText) {
    const MathMlCase& c = GetParam();
    const MathMlEquation::Reading result = MathMlEquation::fromMathMl(QByteArray(c.xml));
    if (c.text == nullptr) {
        EXPECT_EQ(result.outcome, MathMlEquation::Outcome::NotMath);
        EXPECT_TRUE(result.text.isEmpty());
    } else {
        ASSERT_EQ(result.outcome, MathMlEquation::Outcome::Read);
        EXPECT_EQ(result.text, QString::fromUtf8(c.text));
    }
}

INSTANTIATE_TEST_SUITE_P(Elements, MathMlTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<MathMlCase>& row) {
                             return paramName(row.param.name);
                         });

TEST(MathMlPackage, NoZipArchiveGivesNoTextAndTooMuchMathIsTooLarge) {
    EXPECT_EQ(MathMlEquation::fromOdfPackage(QByteArray("PK\x03\x04 not really")).outcome,
              MathMlEquation::Outcome::NotMath);
    const QByteArray huge =
        "<math>" + QByteArray(MathMlEquation::kMaxContentBytes, 'x') + "</math>";
    const MathMlEquation::Reading tooLarge = MathMlEquation::fromMathMl(huge);
    EXPECT_EQ(tooLarge.outcome, MathMlEquation::Outcome::TooLarge);
    EXPECT_TRUE(tooLarge.text.isEmpty());
}

}  // namespace
