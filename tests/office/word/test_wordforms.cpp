// Forms read as Word shows them: legacy form fields, content controls and symbol-font boxes in
// the .docx body reader (which also reads Word 2003 XML and flat OPC's main part).

#include "office/word/docx/docxreader.h"
#include "office/word/html/htmlreader.h"
#include "office/word/model/symbolfonts.h"
#include "office/word/rtf/rtfreader.h"
#include "office/word/wordfileloader.h"
#include "office/word/xml/wordxmlreader.h"

#include "tests/office/word/docx/docxtestpackage.h"

#include <gtest/gtest.h>

namespace {

const char kW14[] = "xmlns:w14=\"http://schemas.microsoft.com/office/word/2010/wordml\"";

/* A legacy form field: begin mark with `ffData`, instruction, then `result` runs if any. */
QByteArray legacyField(const QByteArray& ffData, const char* instruction,
                       const QByteArray& result = QByteArray()) {
    QByteArray xml = "<w:r><w:fldChar w:fldCharType=\"begin\"><w:ffData>" + ffData +
                     "</w:ffData></w:fldChar></w:r><w:r><w:instrText> " + instruction +
                     " </w:instrText></w:r>";
    if (!result.isNull()) {
        xml += "<w:r><w:fldChar w:fldCharType=\"separate\"/></w:r>" + result;
    }
    return xml + "<w:r><w:fldChar w:fldCharType=\"end\"/></w:r>";
}

QByteArray checkBox(const QByteArray& state) {
    return legacyField("<w:name w:val=\"Box\"/><w:checkBox><w:sizeAuto/>" + state + "</w:checkBox>",
                       "FORMCHECKBOX");
}

QByteArray textRun(const QByteArray& text) {
    return "<w:r><w:t xml:space=\"preserve\">" + text + "</w:t></w:r>";
}

/* An inline content control with the given properties around `content`. */
QByteArray control(const QByteArray& properties, const QByteArray& content) {
    return "<w:sdt " + QByteArray(kW14) + "><w:sdtPr>" + properties + "</w:sdtPr><w:sdtContent>" +
           content + "</w:sdtContent></w:sdt>";
}

std::shared_ptr<WordDocument> read(const QByteArray& body) {
    WordLoadResult result = DocxReader::readData(docxtest::package(body));
    EXPECT_TRUE(result) << result.message.toStdString();
    return result.document ? result.document : std::make_shared<WordDocument>();
}

struct FormCase {
    const char* name;
    QByteArray paragraph;  // paragraph content
    const char* expected;
};

class FormTextTest : public ::testing::TestWithParam<FormCase> {};

TEST_P(FormTextTest, ReadsAsWordShowsIt) {
    const auto document = read("<w:p>" + GetParam().paragraph + "</w:p>");
    ASSERT_EQ(document->blocks.size(), 1u);
    EXPECT_EQ(document->blocks[0].paragraph.text(), QString::fromUtf8(GetParam().expected));
}

const QByteArray kEnSpaces = "\u2002\u2002\u2002\u2002\u2002";

INSTANTIATE_TEST_SUITE_P(
    Docx, FormTextTest,
    ::testing::Values(
        FormCase{"checked_without_value", checkBox("<w:checked/>"), "☑"},
        FormCase{"checked_true_any_case", checkBox("<w:checked w:val=\"TRUE\"/>"), "☑"},
        FormCase{"checked_on", checkBox("<w:checked w:val=\"on\"/>"), "☑"},
        FormCase{"checked_false_over_default",
                 checkBox("<w:default w:val=\"1\"/><w:checked w:val=\"false\"/>"), "☐"},
        FormCase{"default_when_no_state", checkBox("<w:default w:val=\"1\"/>"), "☑"},
        FormCase{"nothing_stated_is_empty", checkBox(""), "☐"},
        FormCase{
            "check_box_result_hidden",
            legacyField("<w:checkBox><w:checked/></w:checkBox>", "FORMCHECKBOX", textRun("junk")) +
                textRun(" yes"),
            "☑ yes"},
        FormCase{"drop_down_result",
                 legacyField("<w:ddList><w:result w:val=\"2\"/><w:listEntry w:val=\"a\"/>"
                             "<w:listEntry w:val=\"b\"/><w:listEntry w:val=\"c\"/></w:ddList>",
                             "FORMDROPDOWN", ""),
                 "c"},
        FormCase{"drop_down_default_then_first",
                 legacyField("<w:ddList><w:default w:val=\"1\"/><w:listEntry w:val=\"a\"/>"
                             "<w:listEntry w:val=\"b\"/></w:ddList>",
                             "FORMDROPDOWN") +
                     legacyField("<w:ddList><w:result w:val=\"9\"/><w:listEntry w:val=\"x\"/>"
                                 "</w:ddList>",
                                 "FORMDROPDOWN"),
                 "bx"},
        FormCase{"text_field_result",
                 textRun("Name: ") + legacyField("<w:textInput/>", "FORMTEXT", textRun("Ann")),
                 "Name: Ann"},
        FormCase{"text_field_placeholder_is_empty",
                 textRun("Name:") + legacyField("<w:textInput/>", "FORMTEXT", textRun(kEnSpaces)) +
                     textRun("!"),
                 "Name:!"},
        FormCase{"text_field_blanks_are_empty",
                 legacyField("<w:textInput/>", "FORMTEXT",
                             textRun("\u3000 ") + "<w:r><w:rPr><w:b/></w:rPr><w:t>\u2002</w:t>"
                                                  "</w:r>"),
                 ""},
        FormCase{
            "check_box_control_any_glyph",
            control("<w14:checkbox><w14:checked w14:val=\"1\"/></w14:checkbox>", textRun("☒")) +
                control("<w14:checkbox><w14:checked w14:val=\"0\"/></w14:checkbox>",
                        "<w:r><w:sym w:font=\"Wingdings\" w:char=\"F0FE\"/></w:r>"),
            "☑☐"},
        FormCase{"drop_down_control_shows_its_text",
                 control("<w:tag w:val=\"t\"/><w:dropDownList><w:listItem w:displayText=\"Yes\" "
                         "w:value=\"1\"/></w:dropDownList>",
                         textRun("Yes")),
                 "Yes"},
        FormCase{"placeholder_control_is_empty",
                 textRun("a") +
                     control("<w:showingPlcHdr/>", textRun("Click here to enter text.")) +
                     textRun("b"),
                 "ab"},
        FormCase{"symbol_font_codes",
                 "<w:r><w:sym w:font=\"Wingdings\" w:char=\"F0E0\"/><w:sym w:font=\"Wingdings\" "
                 "w:char=\"00FC\"/><w:sym w:font=\"Symbol\" w:char=\"F061\"/><w:sym "
                 "w:font=\"Symbol\" w:char=\"B7\"/><w:sym w:font=\"Wingdings 2\" "
                 "w:char=\"F052\"/><w:sym w:font=\"Wingdings 2\" w:char=\"F0A3\"/><w:sym "
                 "w:font=\"Wingdings\" w:char=\"F0A8\"/><w:sym w:font=\"Wingdings\" "
                 "w:char=\"F078\"/><w:sym w:font=\"Wingdings\" w:char=\"F0FF\"/></w:r>",
                 "→✔α•☑☐☐☑\uF0FF"},
        FormCase{"symbol_font_runs",
                 "<w:r><w:rPr><w:rFonts w:ascii=\"WINGDINGS\" w:hAnsi=\"Wingdings\"/></w:rPr>"
                 "<w:t>\xc3\xbe\xc2\xa8</w:t></w:r><w:r><w:rPr><w:rFonts w:ascii=\"Symbol\"/>"
                 "</w:rPr><w:t>p(r)</w:t></w:r>",
                 "☑☐π(ρ)"},
        FormCase{"typed_boxes_stay", textRun("☐☑☒□■√"), "☐☑☒□■√"}),
    [](const ::testing::TestParamInfo<FormCase>& param) { return std::string(param.param.name); });

TEST(DocxForms, MappedSymbolsTakeTheParagraphFont) {
    const auto document = read(
        "<w:p><w:r><w:rPr><w:rFonts w:ascii=\"Wingdings\"/></w:rPr><w:t>\xc3\xbe"
        "K</w:t></w:r></w:p>");
    const std::vector<WordRun>& runs = document->blocks.at(0).paragraph.runs;
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_TRUE(runs[0].format.fontName.isEmpty());
    EXPECT_EQ(runs[1].format.fontName, QStringLiteral("Wingdings"));
    EXPECT_EQ(runs[1].text, QStringLiteral("K"));
}

/* The cells of every row of the only table, as text. */
std::vector<std::vector<QString>> tableText(const WordDocument& document) {
    std::vector<std::vector<QString>> rows;
    const auto tables = document.topLevelTables();
    if (tables.size() != 1) {
        ADD_FAILURE() << "expected one table, got " << tables.size();
        return rows;
    }
    for (const WordRow& row : tables[0]->rows) {
        rows.emplace_back();
        for (const WordCell& cell : row.cells) {
            rows.back().push_back(cell.text());
        }
    }
    return rows;
}

QByteArray cell(const QByteArray& content) {
    return "<w:tc><w:p>" + content + "</w:p></w:tc>";
}

TEST(DocxForms, ContentControlsInEveryShapeKeepTheirPlace) {
    const QByteArray placeholder = "<w:sdtPr><w:showingPlcHdr/></w:sdtPr>";
    const auto document = read(
        "<w:sdt><w:sdtPr><w:tag w:val=\"intro\"/></w:sdtPr><w:sdtContent><w:p>" + textRun("body") +
        "</w:p></w:sdtContent></w:sdt><w:p>" + control("<w:alias w:val=\"who\"/>", textRun("in")) +
        "</w:p><w:sdt><w:sdtContent><w:tbl><w:tr>" + cell(textRun("a")) + "<w:sdt>" + placeholder +
        "<w:sdtContent>" + cell(textRun("Enter")) + "</w:sdtContent></w:sdt>" + cell(textRun("c")) +
        "</w:tr><w:sdt><w:sdtContent><w:tr>" + cell(textRun("d")) + "<w:sdt><w:sdtContent>" +
        cell(textRun("e")) + "</w:sdtContent></w:sdt>" + cell(textRun("f")) +
        "</w:tr></w:sdtContent></w:sdt><w:sdt>" + placeholder + "<w:sdtContent><w:tr>" +
        cell(textRun("g")) + cell(textRun("h")) + cell("") +
        "</w:tr></w:sdtContent></w:sdt></w:tbl></w:sdtContent></w:sdt>");
    ASSERT_EQ(document->blocks.size(), 3u);
    EXPECT_EQ(document->blocks[0].paragraph.text(), QStringLiteral("body"));
    EXPECT_EQ(document->blocks[1].paragraph.text(), QStringLiteral("in"));
    const auto text = [](const char* cell) { return QString::fromUtf8(cell); };
    const std::vector<std::vector<QString>> expected = {{text("a"), QString(), text("c")},
                                                        {text("d"), text("e"), text("f")},
                                                        {QString(), QString(), QString()}};
    EXPECT_EQ(tableText(*document), expected);
    ASSERT_EQ(document->blocks[0].paragraph.formFields.size(), 1u);
    EXPECT_EQ(document->blocks[0].paragraph.formFields[0].name, QStringLiteral("intro"));
    ASSERT_EQ(document->blocks[1].paragraph.formFields.size(), 1u);
    EXPECT_EQ(document->blocks[1].paragraph.formFields[0].name, QStringLiteral("who"));
}

TEST(DocxForms, FieldsAreNotedWithLabelPlaceAndDate) {
    const auto document = read(
        "<w:p>" + textRun("Due: ") +
        control("<w:tag w:val=\"due\"/><w:alias w:val=\"Due date\"/><w:date "
                "w:fullDate=\"2024-03-01T00:00:00Z\"><w:dateFormat w:val=\"d MMM yyyy\"/></w:date>",
                textRun("1 Mar 2024")) +
        textRun(" ") + checkBox("<w:checked/>") +
        legacyField("<w:name w:val=\"Town\"/><w:textInput/>", "FORMTEXT", textRun("Oslo")) +
        "</w:p>");
    const WordParagraph& paragraph = document->blocks.at(0).paragraph;
    EXPECT_EQ(paragraph.text(), QStringLiteral("Due: 1 Mar 2024 ☑Oslo"));
    ASSERT_EQ(paragraph.formFields.size(), 3u);
    const WordFormField& date = paragraph.formFields[0];
    EXPECT_EQ(date.kind, WordFormField::Kind::Date);
    EXPECT_EQ(date.name, QStringLiteral("due"));
    EXPECT_EQ(date.date, QStringLiteral("2024-03-01T00:00:00Z"));
    EXPECT_EQ(paragraph.text().mid(date.position, date.length), QStringLiteral("1 Mar 2024"));
    EXPECT_EQ(paragraph.formFields[1].kind, WordFormField::Kind::CheckBox);
    EXPECT_EQ(paragraph.formFields[1].name, QStringLiteral("Box"));
    const WordFormField& town = paragraph.formFields[2];
    EXPECT_EQ(town.name, QStringLiteral("Town"));
    EXPECT_EQ(paragraph.text().mid(town.position, town.length), QStringLiteral("Oslo"));
}

TEST(WordXmlForms, Word2003CheckBoxesAndDropDownsReadAlike) {
    const WordLoadResult result = WordXmlReader::readData(
        "<?xml version=\"1.0\"?><?mso-application progid=\"Word.Document\"?><w:wordDocument "
        "xmlns:w=\"http://schemas.microsoft.com/office/word/2003/wordml\"><w:body><w:p><w:r>"
        "<w:fldChar w:fldCharType=\"begin\"><w:ffData><w:name w:val=\"Check1\"/><w:checkBox>"
        "<w:sizeAuto/><w:default w:val=\"off\"/><w:checked w:val=\"on\"/></w:checkBox></w:ffData>"
        "</w:fldChar></w:r><w:r><w:instrText> FORMCHECKBOX </w:instrText></w:r><w:r><w:fldChar "
        "w:fldCharType=\"end\"/></w:r><w:r><w:sym w:font=\"Wingdings\" w:char=\"F0A8\"/></w:r>"
        "</w:p></w:body></w:wordDocument>");
    ASSERT_TRUE(result) << result.message.toStdString();
    EXPECT_EQ(result.document->blocks.at(0).paragraph.text(), QStringLiteral("☑☐"));
}

}  // namespace

namespace {

// The saves of tests/data/forms/forms.docx (see make_forms.py there): each row a label and a
// form field, read the same in every format.
struct FixtureCase {
    const char* file;
    std::vector<const char*> expected;  // the second column, row by row
};

class FormFixtureTest : public ::testing::TestWithParam<FixtureCase> {};

TEST_P(FormFixtureTest, EveryReaderShowsTheFormAlike) {
    const WordLoadResult result = WordFileLoader::load(QStringLiteral("tests/data/forms/") +
                                                       QString::fromUtf8(GetParam().file));
    ASSERT_TRUE(result) << result.message.toStdString();
    const auto tables = result.document->topLevelTables();
    ASSERT_EQ(tables.size(), 1u);
    std::vector<QString> cells;
    for (const WordRow& row : tables[0]->rows) {
        cells.push_back(row.cells.size() == 2 ? row.cells[1].text() : QStringLiteral("?"));
    }
    std::vector<QString> expected;
    for (const char* text : GetParam().expected) {
        expected.push_back(QString::fromUtf8(text));
    }
    EXPECT_EQ(cells, expected);
}

const std::vector<const char*> kShown = {"☑", "☐", "green", "Oslo", "", "→✔α☑☐"};

INSTANTIATE_TEST_SUITE_P(Saves, FormFixtureTest,
                         ::testing::Values(FixtureCase{"forms.docx", kShown},
                                           FixtureCase{"forms.doc", kShown}),
                         [](const ::testing::TestParamInfo<FixtureCase>& param) {
                             return QString::fromLatin1(param.param.file)
                                 .replace(QLatin1Char('.'), QLatin1Char('_'))
                                 .toStdString();
                         });

}  // namespace

namespace {

struct RtfCase {
    const char* name;
    const char* body;  // paragraph content
    const char* expected;
};

class RtfFormTest : public ::testing::TestWithParam<RtfCase> {};

TEST_P(RtfFormTest, ReadsAsWordShowsIt) {
    const WordLoadResult result = RtfReader::readData(
        QByteArray("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset2 Wingdings;}{\\f2 "
                   "Symbol;}}\\pard ") +
        GetParam().body + "\\par}");
    ASSERT_TRUE(result) << result.message.toStdString();
    ASSERT_FALSE(result.document->blocks.empty());
    EXPECT_EQ(result.document->blocks[0].paragraph.text(), QString::fromUtf8(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Rtf, RtfFormTest,
    ::testing::Values(
        RtfCase{"check_box_result_over_default",
                "{\\field{\\*\\fldinst {FORMCHECKBOX {\\*\\formfield{\\fftype1\\ffres1\\ffdefres0"
                "{\\*\\ffname Box}}}}}{\\fldrslt junk}}{\\field{\\*\\fldinst {FORMCHECKBOX "
                "{\\*\\formfield{\\fftype1\\ffres0\\ffdefres1}}}}{\\fldrslt }}",
                "☑☐"},
        RtfCase{"check_box_default",
                "{\\field{\\*\\fldinst {FORMCHECKBOX {\\*\\formfield{\\fftype1\\ffres25"
                "\\ffdefres1}}}}{\\fldrslt }}",
                "☑"},
        RtfCase{"drop_down_entry",
                "{\\field{\\*\\fldinst {FORMDROPDOWN {\\*\\formfield{\\fftype2\\ffres1{\\*\\ffl "
                "red}{\\*\\ffl green}}}}}{\\fldrslt }}",
                "green"},
        RtfCase{"text_field_placeholder",
                "a{\\field{\\*\\fldinst {FORMTEXT {\\*\\formfield{\\fftype0}}}}{\\fldrslt "
                "\\u8194?\\u8194?\\u8194?\\u8194?\\u8194?}}b{\\field{\\*\\fldinst {FORMTEXT "
                "{\\*\\formfield{\\fftype0}}}}{\\fldrslt Ann}}",
                "abAnn"},
        RtfCase{"symbol_fonts",
                "{\\f1 \\'e0\\'fc\\'fe}{\\field{\\*\\fldinst SYMBOL 183 \\\\f \"Symbol\"}"
                "{\\fldrslt {\\f2 \\'b7}}}",
                "→✔☑•"}),
    [](const ::testing::TestParamInfo<RtfCase>& param) { return std::string(param.param.name); });

}  // namespace

TEST(HtmlForms, CheckBoxInputsAndSymbolFontTextReadAsDrawn) {
    const WordLoadResult result = HtmlReader::readData(
        "<html><body><p>a<input type=checkbox checked><INPUT TYPE=\"CheckBox\"><input "
        "type=text value=x><span style=\"font-family:Wingdings\">&#xFC;&#xE0;</span><span "
        "style=\"font-family:Wingdings\">&#x4B;</span></p></body></html>");
    ASSERT_TRUE(result) << result.message.toStdString();
    EXPECT_EQ(result.document->blocks.at(0).paragraph.text(), QStringLiteral("a☑☐✔→K"));
}
