// Word's single-file XML formats: Word 2003 XML through the .docx body reader, and flat OPC
// through the .docx package reader.

#include "office/word/xml/wordxmlreader.h"

#include "office/word/wordfileloader.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const char kWord2003[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><?mso-application progid=\"Word.Document\"?>"
    "<w:wordDocument xmlns:w=\"http://schemas.microsoft.com/office/word/2003/wordml\" "
    "xmlns:wx=\"http://schemas.microsoft.com/office/word/2003/auxHint\">"
    "<w:styles><w:style w:type=\"paragraph\" w:default=\"on\" w:styleId=\"Normal\">"
    "<w:rPr><w:rFonts w:ascii=\"Arial\" w:fareast=\"SimSun\"/><w:sz w:val=\"21\"/></w:rPr>"
    "</w:style><w:style w:type=\"character\" w:styleId=\"Strong\"><w:rPr><w:b/></w:rPr>"
    "</w:style></w:styles><w:body><wx:sect><wx:sub-section>"
    "<w:p><w:r><w:rPr><w:rStyle w:val=\"Strong\"/></w:rPr><w:t>Title</w:t></w:r>"
    "<w:r><w:pict><w:binData w:name=\"wordml://1.png\">iVBORw0KGgo=</w:binData></w:pict></w:r>"
    "<w:hlink w:dest=\"http://example.com\"><w:r><w:t> link</w:t></w:r></w:hlink></w:p>"
    "<w:tbl><w:tblGrid><w:gridCol w:w=\"1000\"/><w:gridCol w:w=\"1000\"/></w:tblGrid>"
    "<w:tr><w:tc><w:tcPr><w:vmerge w:val=\"restart\"/><w:shd w:val=\"clear\" w:fill=\"FFFF00\"/>"
    "</w:tcPr><w:p><w:r><w:t>A</w:t></w:r></w:p></w:tc><w:tc><w:p><w:r><w:t>B</w:t></w:r>"
    "</w:p></w:tc></w:tr><w:tr><w:tc><w:tcPr><w:vmerge/></w:tcPr><w:p/></w:tc><w:tc><w:p>"
    "<w:r><w:t>C</w:t></w:r></w:p></w:tc></w:tr><w:tr><w:tc><w:tcPr><w:gridSpan w:val=\"2\"/>"
    "</w:tcPr><w:p><w:r><w:t>D</w:t></w:r></w:p></w:tc></w:tr></w:tbl>"
    "</wx:sub-section></wx:sect></w:body></w:wordDocument>";

TEST(Word2003XmlTest, BodyStylesAndTablesReadAsFromADocx) {
    const WordLoadResult result = WordXmlReader::readData(kWord2003);
    ASSERT_TRUE(result) << result.message.toStdString();
    const std::vector<WordBlock>& blocks = result.document->blocks;
    ASSERT_EQ(blocks.size(), 2u);
    const WordParagraph& title = blocks[0].paragraph;
    EXPECT_EQ(title.text(), QStringLiteral("Title link"));
    ASSERT_EQ(title.runs.size(), 2u);
    EXPECT_TRUE(title.runs[0].format.bold);
    EXPECT_FALSE(title.runs[1].format.bold);
    EXPECT_EQ(title.runs[0].format.fontName, QStringLiteral("Arial"));
    EXPECT_EQ(title.runs[0].format.eastAsiaFontName, QStringLiteral("SimSun"));
    EXPECT_DOUBLE_EQ(title.runs[0].format.fontSize, 10.5);
    const WordTable& table = *blocks[1].table;
    ASSERT_EQ(table.rows.size(), 3u);
    EXPECT_EQ(table.rows[0].cells[0].verticalMerge, WordCell::VerticalMerge::Restart);
    EXPECT_EQ(table.rows[0].cells[0].shading, 0xFFFF00u);
    EXPECT_EQ(table.rows[1].cells[0].verticalMerge, WordCell::VerticalMerge::Continue);
    EXPECT_EQ(table.rows[1].cells[1].text(), QStringLiteral("C"));
    EXPECT_EQ(table.rows[2].cells[0].gridSpan, 2);
}

/* Tracked changes as Word shows them: inserted text kept, in a paragraph or as whole
   paragraphs, deleted text and comments left out. */
TEST(Word2003XmlTest, TrackedInsertionsShowAndDeletionsDoNot) {
    const QByteArray body =
        "<w:p><w:r><w:t>kept </w:t></w:r>"
        "<aml:annotation aml:id=\"1\" w:type=\"Word.Insertion\" aml:author=\"A\"><aml:content>"
        "<w:r><w:t>inserted</w:t></w:r></aml:content></aml:annotation>"
        "<aml:annotation aml:id=\"2\" w:type=\"Word.Deletion\"><aml:content><w:r>"
        "<w:delText>deleted</w:delText></w:r></aml:content></aml:annotation>"
        "<aml:annotation aml:id=\"3\" w:type=\"Word.Comment\"><aml:content><w:p><w:r>"
        "<w:t>comment</w:t></w:r></w:p></aml:content></aml:annotation></w:p>"
        "<aml:annotation aml:id=\"4\" w:type=\"Word.Insertion\"><aml:content><w:p><w:r>"
        "<w:t>new paragraph</w:t></w:r></w:p></aml:content></aml:annotation>";
    const QByteArray xml =
        QByteArray(kWord2003)
            .replace("xmlns:wx=",
                     "xmlns:aml=\"http://schemas.microsoft.com/aml/2001/core\" xmlns:wx=")
            .replace("<wx:sub-section>", "<wx:sub-section>" + body);
    const WordLoadResult result = WordXmlReader::readData(xml);
    ASSERT_TRUE(result) << result.message.toStdString();
    const std::vector<WordBlock>& blocks = result.document->blocks;
    ASSERT_EQ(blocks.size(), 4u);
    EXPECT_EQ(blocks[0].paragraph.text(), QStringLiteral("kept inserted"));
    EXPECT_EQ(blocks[1].paragraph.text(), QStringLiteral("new paragraph"));
}

/* A flat package around a main part; `mainPart` is the pkg:part for word/document.xml. */
QByteArray flatPackage(const QByteArray& mainPart) {
    return "<?xml version=\"1.0\"?><pkg:package "
           "xmlns:pkg=\"http://schemas.microsoft.com/office/2006/xmlPackage\" "
           "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
           "<pkg:part pkg:name=\"/_rels/.rels\"><pkg:xmlData><Relationships "
           "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
           "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/"
           "2006/relationships/officeDocument\" Target=\"word/document.xml\"/></Relationships>"
           "</pkg:xmlData></pkg:part>"
           "<pkg:part pkg:name=\"/word/media/image1.png\"><pkg:binaryData>iVBORw0KGgo="
           "</pkg:binaryData></pkg:part>" +
           mainPart + "</pkg:package>";
}

TEST(FlatOpcTest, PartsReadThroughThePackageInterface) {
    // The main part uses the w: prefix declared only on pkg:package.
    const WordLoadResult result = WordXmlReader::readData(flatPackage(
        "<pkg:part pkg:name=\"/word/document.xml\"><pkg:xmlData><w:document><w:body><w:p><w:r>"
        "<w:t>flat &amp; fine</w:t></w:r></w:p></w:body></w:document></pkg:xmlData></pkg:part>"));
    ASSERT_TRUE(result) << result.message.toStdString();
    ASSERT_EQ(result.document->blocks.size(), 1u);
    EXPECT_EQ(result.document->blocks[0].paragraph.text(), QStringLiteral("flat & fine"));
}

TEST(FlatOpcTest, MissingMainPartAndBrokenXmlFail) {
    EXPECT_EQ(WordXmlReader::readData(flatPackage(QByteArray())).status,
              WordLoadResult::Status::WrongFormat);
    EXPECT_FALSE(WordXmlReader::readData(flatPackage("<pkg:part")));
    // An entity defined in the file is never expanded into a part.
    EXPECT_FALSE(
        WordXmlReader::readData("<!DOCTYPE p [<!ENTITY e SYSTEM \"file:///etc/passwd\">]>"
                                "<pkg:package xmlns:pkg=\"http://schemas.microsoft.com/"
                                "office/2006/xmlPackage\">&e;</pkg:package>"));
}

TEST(FlatOpcTest, TwoPartsOfOneNameAreRefused) {
    const QByteArray part =
        "<pkg:part pkg:name=\"/word/document.xml\"><pkg:xmlData><w:document><w:body><w:p>"
        "<w:r><w:t>x</w:t></w:r></w:p></w:body></w:document></pkg:xmlData></pkg:part>";
    const QByteArray sameNameOtherCase = QByteArray(part).replace("/word/", "/WORD/");
    const WordLoadResult result = WordXmlReader::readData(flatPackage(part + sameNameOtherCase));
    EXPECT_EQ(result.status, WordLoadResult::Status::WrongFormat);
    EXPECT_TRUE(result.message.contains(QStringLiteral("two parts of one name")));
}

/* Both XML formats behind a document type declaration whose internal subset holds "]" and
   ">" of its own: recognised by their content, the subset skipped, its entity never used. */
TEST(WordXmlLoaderTest, InternalSubsetIsSkippedAndEntitiesNeverExpanded) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray subset = "[ <!ENTITY e \"expanded]>\"> <!-- a ] > comment --> <?pi ]>?> ]>";
    const QByteArray word2003 = QByteArray(kWord2003).replace(
        "<w:wordDocument ", "<!DOCTYPE w:wordDocument " + subset + "\n<w:wordDocument ");
    const QByteArray flat =
        "<?xml version=\"1.0\"?><!DOCTYPE pkg:package " + subset +
        flatPackage(
            "<pkg:part pkg:name=\"/word/document.xml\"><pkg:xmlData><w:document>"
            "<w:body><w:p><w:r><w:t>Title link</w:t></w:r></w:p></w:body></w:document>"
            "</pkg:xmlData></pkg:part>")
            .mid(21);
    // A subset longer than the first bytes the loader looks at.
    const QByteArray longSubset = QByteArray(word2003).replace(
        "<!DOCTYPE w:wordDocument [",
        "<!DOCTYPE w:wordDocument [<!--" + QByteArray(9000, 'x') + "-->");
    for (const QByteArray& bytes :
         {word2003, QByteArray(word2003).replace("Title", "Title&e;"), flat, longSubset}) {
        const QString path = dir.filePath(QStringLiteral("subset.doc"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();
        const WordLoadResult result = WordFileLoader::load(path);
        ASSERT_TRUE(result) << result.message.toStdString();
        EXPECT_EQ(result.document->blocks[0].paragraph.text(), QStringLiteral("Title link"));
    }
}

}  // namespace
