#include "engine/formlabels.h"

#include <gtest/gtest.h>

namespace {

// One text of a form and what collect mode makes of it.
struct LabelRow {
    const char* name;
    const char* text;
    const char* label;  // normalise()
    bool placeholder;   // isPlaceholder()
    const char* value;  // value()
};

const LabelRow labelRows[] = {
    {"IdeographicSpace", "姓\u3000名", "姓名", false, "姓\u3000名"},
    {"LineFeedsAndSpaces", "外 语\n能 力", "外语能力", false, "外 语\n能 力"},
    {"FullWidthColon", "姓名：", "姓名", false, "姓名："},
    {"AsciiColonAfterSpace", "Name :", "Name", false, "Name :"},
    {"EnSpacesAndUnderscores", "\u2002__\u3000 ", "__", true, ""},
    {"EmptyBoxes", "□ ☐", "□☐", true, ""},
    {"OneTickedOfTwo", "☑男 ☐女", "☑男☐女", false, "男"},
    {"TwoTicked", "☑英语 ☐日语 ☑法语", "☑英语☐日语☑法语", false, "英语、法语"},
    {"NoneTicked", "☐是 ☐否", "☐是☐否", false, ""},
    {"LoneTickedBox", "☑", "☑", false, "☑"},
    {"TrimmedValue", "  1998.10 ", "1998.10", false, "1998.10"},
};

class FormLabelsTest : public ::testing::TestWithParam<LabelRow> {};

TEST_P(FormLabelsTest, LabelPlaceholderAndValue) {
    const LabelRow& row = GetParam();
    const QString text = QString::fromUtf8(row.text);
    EXPECT_EQ(FormLabels::normalise(text), QString::fromUtf8(row.label));
    EXPECT_EQ(FormLabels::isPlaceholder(text), row.placeholder);
    EXPECT_EQ(FormLabels::value(text), QString::fromUtf8(row.value));
}

INSTANTIATE_TEST_SUITE_P(Texts, FormLabelsTest, ::testing::ValuesIn(labelRows),
                         [](const ::testing::TestParamInfo<LabelRow>& row) {
                             return std::string(row.param.name);
                         });

}  // namespace
