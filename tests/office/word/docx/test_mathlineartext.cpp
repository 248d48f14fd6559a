#include "office/word/docx/mathlineartext.h"

#include <gtest/gtest.h>

namespace {

// One equation as Word stores it and the linear text it must give.
struct EquationCase {
    const char* name;
    const char* xml;  // content of m:oMath
    const char* text;
};

/* An m:r with a text. */
#define R(t) "<m:r><m:t>" t "</m:t></m:r>"

const EquationCase kCases[] = {
    {"plain run", R("x+1"), "x+1"},
    {"simple fraction", "<m:f><m:num>" R("a") "</m:num><m:den>" R("b") "</m:den></m:f>", "a/b"},
    {"fraction of sums gets brackets",
     "<m:f><m:fPr><m:type m:val=\"bar\"/></m:fPr><m:num>" R("a+b") "</m:num><m:den>" R(
         "2c") "</m:den></m:f>",
     "(a+b)/2c"},
    {"superscript", "<m:sSup><m:e>" R("x") "</m:e><m:sup>" R("2") "</m:sup></m:sSup>", "x^2"},
    {"subscript", "<m:sSub><m:e>" R("x") "</m:e><m:sub>" R("i") "</m:sub></m:sSub>", "x_i"},
    {"sub and superscript of a sum",
     "<m:sSubSup><m:e>" R("x") "</m:e><m:sub>" R("i") "</m:sub><m:sup>" R(
         "n+1") "</m:sup></m:sSubSup>",
     "x_i^(n+1)"},
    {"square root",
     "<m:rad><m:radPr><m:degHide m:val=\"1\"/></m:radPr><m:deg/><m:e>" R("x+1") "</m:e></m:rad>",
     "√(x+1)"},
    {"cube root", "<m:rad><m:deg>" R("3") "</m:deg><m:e>" R("x") "</m:e></m:rad>", "√(3&x)"},
    {"sum with limits",
     "<m:nary><m:naryPr><m:chr m:val=\"∑\"/></m:naryPr><m:sub>" R("i=1") "</m:sub><m:sup>" R(
         "n") "</m:sup><m:e>" R("i") "</m:e></m:nary>",
     "∑_(i=1)^n▒i"},
    {"integral without limits",
     "<m:nary><m:naryPr><m:subHide m:val=\"1\"/><m:supHide m:val=\"1\"/></m:naryPr><m:sub/>"
     "<m:sup/><m:e>" R("f") "</m:e></m:nary>",
     "∫▒f"},
    {"delimiters as written",
     "<m:d><m:dPr><m:begChr m:val=\"[\"/><m:endChr m:val=\"]\"/><m:sepChr m:val=\",\"/></m:dPr>"
     "<m:e>" R("a") "</m:e><m:e>" R("b") "</m:e></m:d>",
     "[a,b]"},
    {"nested: fraction in a superscript",
     "<m:sSup><m:e>" R("e") "</m:e><m:sup><m:f><m:num>" R("1") "</m:num><m:den>" R(
         "2") "</m:den></m:f></m:sup></m:sSup>",
     "e^(1/2)"},
};

/* The linear text of a document fragment holding one equation. */
QString linearText(const QByteArray& inner, const char* element = "oMath") {
    const QByteArray xml =
        "<m:" + QByteArray(element) +
        " xmlns:m=\"http://schemas.openxmlformats.org/officeDocument/2006/math\">" + inner +
        "</m:" + element + ">";
    XmlReader reader(xml);
    EXPECT_TRUE(reader.readNextStartElement());
    EXPECT_TRUE(MathLinearText::isMath(reader));
    const QString text = MathLinearText::read(reader);
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
    return text;
}

TEST(MathLinearTextTest, GivesWordsLinearFormat) {
    for (const EquationCase& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(linearText(c.xml), QString::fromUtf8(c.text));
    }
}

TEST(MathLinearTextTest, EquationsOfAParagraphGoOnLinesOfTheirOwn) {
    EXPECT_EQ(
        linearText("<m:oMath>" R("a=1") "</m:oMath><m:oMathParaPr/><m:oMath>" R("b=2") "</m:oMath>",
                   "oMathPara"),
        QStringLiteral("a=1\nb=2"));
}

}  // namespace
