#include "office/excel/xlsx/xlsxwriter.h"

#include "office/excel/workbookfile.h"
#include "office/excel/xlsx/xlsxstyles.h"
#include "tests/office/excel/openpyxlreader.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QProcess>
#include <QTemporaryDir>

#ifdef Q_OS_LINUX
#include <sys/inotify.h>
#include <unistd.h>
#endif

namespace {

/* One field of one cell as openpyxl read it. */
QJsonValue cellField(const QJsonObject& book, int sheet, const char* cell, const char* field) {
    return openpyxlCell(book, sheet, QLatin1String(cell)).value(QLatin1String(field));
}

/* Style (part 0) or colour (part 1) of one side of a border as openpyxl read it. */
QString borderPart(const QJsonObject& border, const char* side, int part) {
    return border.value(QLatin1String(side)).toArray().at(part).toString();
}

// A workbook exercising every format the writer carries.
std::shared_ptr<Workbook> formattedWorkbook() {
    auto book = Workbook::createNew(2);
    book->renameSheet(1, QStringLiteral("数据 Data"));
    Worksheet& sheet = *book->sheet(0);
    sheet.setText(1, 1, QStringLiteral("Header"));
    sheet.setNumber(1, 2, 1.5);
    sheet.setBoolean(1, 3, true);
    sheet.setText(2, 1, QStringLiteral("line one\nline two"));
    sheet.setNumber(2, 2, 0.12);
    sheet.setNumber(3, 2, 123456789012345.0);

    CellFormat bold;
    bold.bold = true;
    bold.italic = true;
    bold.underline = CellFormat::Underline::Single;
    bold.strike = true;
    bold.fontName = QStringLiteral("Arial");
    bold.fontSize = 14;
    bold.fontColor = 0xFF0000;
    bold.fillColor = 0x00FF00;
    bold.left = {BorderLine::Thin, 0x0000FF};
    bold.right = {BorderLine::Medium, kAutoColor};
    bold.top = {BorderLine::Double, 0x123456};
    bold.bottom = {BorderLine::Dashed, kAutoColor};
    bold.hAlign = CellFormat::HAlign::Center;
    bold.vAlign = CellFormat::VAlign::Top;
    sheet.setFormat(1, 1, bold);

    CellFormat wrap;
    wrap.wrap = true;
    sheet.setFormat(2, 1, wrap);

    CellFormat twoDecimals;
    twoDecimals.numberFormat = QStringLiteral("0.00");
    sheet.setFormat(1, 2, twoDecimals);
    CellFormat percent;
    percent.numberFormat = QStringLiteral("0%");
    sheet.setFormat(2, 2, percent);
    CellFormat custom;
    custom.numberFormat = QStringLiteral("#,##0.000");
    sheet.setFormat(3, 2, custom);

    sheet.addMerge({4, 1, 5, 3});
    sheet.setText(4, 1, QStringLiteral("merged"));
    sheet.setColumnWidth(1, 30.5);
    sheet.setColumnWidth(3, 12);
    sheet.setRowHeight(2, 33);
    sheet.setRowHeight(10, 20);  // a row with a height and no cells
    book->sheet(1)->setText(1, 1, QStringLiteral("second"));
    book->setActiveSheet(1);
    return book;
}

class XlsxWriterTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return m_dir.filePath(name); }

    // Save and read back with openpyxl; fails the test on any error.
    QJsonObject saveAndRead(const Workbook& book, const QString& name) {
        const WorkbookFileResult saved = WorkbookFile::save(book, path(name));
        EXPECT_TRUE(saved.ok()) << saved.message.toStdString();
        QString error;
        const QJsonObject read = readWithOpenpyxl(path(name), &error);
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        return read;
    }

    QTemporaryDir m_dir;
};

TEST_F(XlsxWriterTest, ValuesAndSheetNamesReadBackWithOpenpyxl) {
    const QJsonObject book = saveAndRead(*formattedWorkbook(), QStringLiteral("v.xlsx"));
    const QJsonArray sheets = book.value(QStringLiteral("sheets")).toArray();
    ASSERT_EQ(sheets.size(), 2);
    EXPECT_EQ(sheets[0].toObject().value(QStringLiteral("name")).toString(),
              QStringLiteral("Sheet1"));
    EXPECT_EQ(sheets[1].toObject().value(QStringLiteral("name")).toString(),
              QStringLiteral("数据 Data"));
    EXPECT_EQ(book.value(QStringLiteral("active")).toInt(), 1);
    EXPECT_EQ(cellField(book, 0, "A1", "value").toString(), QStringLiteral("Header"));
    EXPECT_DOUBLE_EQ(cellField(book, 0, "B1", "value").toDouble(), 1.5);
    EXPECT_EQ(cellField(book, 0, "C1", "value").toBool(), true);
    EXPECT_EQ(cellField(book, 0, "C1", "type").toString(), QStringLiteral("b"));
    EXPECT_EQ(cellField(book, 0, "A2", "value").toString(), QStringLiteral("line one\nline two"));
    EXPECT_DOUBLE_EQ(cellField(book, 0, "B2", "value").toDouble(), 0.12);
    EXPECT_DOUBLE_EQ(cellField(book, 0, "B3", "value").toDouble(), 123456789012345.0);
    EXPECT_EQ(cellField(book, 1, "A1", "value").toString(), QStringLiteral("second"));
}

TEST_F(XlsxWriterTest, FormatsReadBackWithOpenpyxl) {
    const QJsonObject book = saveAndRead(*formattedWorkbook(), QStringLiteral("f.xlsx"));
    const QJsonObject a1 = openpyxlCell(book, 0, QStringLiteral("A1"));
    const QJsonObject font = a1.value(QStringLiteral("font")).toObject();
    EXPECT_EQ(font.value(QStringLiteral("name")).toString(), QStringLiteral("Arial"));
    EXPECT_DOUBLE_EQ(font.value(QStringLiteral("size")).toDouble(), 14);
    EXPECT_TRUE(font.value(QStringLiteral("bold")).toBool());
    EXPECT_TRUE(font.value(QStringLiteral("italic")).toBool());
    EXPECT_TRUE(font.value(QStringLiteral("strike")).toBool());
    EXPECT_EQ(font.value(QStringLiteral("underline")).toString(), QStringLiteral("single"));
    EXPECT_EQ(font.value(QStringLiteral("color")).toString(), QStringLiteral("FF0000"));
    EXPECT_EQ(a1.value(QStringLiteral("fill")).toString(), QStringLiteral("00FF00"));
    const QJsonObject border = a1.value(QStringLiteral("border")).toObject();
    EXPECT_EQ(borderPart(border, "left", 0), QStringLiteral("thin"));
    EXPECT_EQ(borderPart(border, "left", 1), QStringLiteral("0000FF"));
    EXPECT_EQ(borderPart(border, "right", 0), QStringLiteral("medium"));
    EXPECT_EQ(borderPart(border, "top", 0), QStringLiteral("double"));
    EXPECT_EQ(borderPart(border, "top", 1), QStringLiteral("123456"));
    EXPECT_EQ(borderPart(border, "bottom", 0), QStringLiteral("dashed"));
    EXPECT_EQ(a1.value(QStringLiteral("horizontal")).toString(), QStringLiteral("center"));
    EXPECT_EQ(a1.value(QStringLiteral("vertical")).toString(), QStringLiteral("top"));
    EXPECT_TRUE(cellField(book, 0, "A2", "wrap").toBool());
    EXPECT_FALSE(cellField(book, 0, "B1", "wrap").toBool());
    // The default font of unformatted cells.
    const QJsonObject c1Font = cellField(book, 0, "C1", "font").toObject();
    EXPECT_EQ(c1Font.value(QStringLiteral("name")).toString(), QStringLiteral("Calibri"));
    EXPECT_DOUBLE_EQ(c1Font.value(QStringLiteral("size")).toDouble(), 11);
}

TEST_F(XlsxWriterTest, NumberFormatsMergesWidthsHeights) {
    const QJsonObject book = saveAndRead(*formattedWorkbook(), QStringLiteral("n.xlsx"));
    EXPECT_EQ(cellField(book, 0, "B1", "format").toString(), QStringLiteral("0.00"));
    EXPECT_EQ(cellField(book, 0, "B2", "format").toString(), QStringLiteral("0%"));
    EXPECT_EQ(cellField(book, 0, "B3", "format").toString(), QStringLiteral("#,##0.000"));
    EXPECT_EQ(cellField(book, 0, "C1", "format").toString(), QStringLiteral("General"));
    const QJsonObject sheet = openpyxlSheet(book, 0);
    EXPECT_EQ(sheet.value(QStringLiteral("merges")).toArray(),
              QJsonArray({QStringLiteral("A4:C5")}));
    const QJsonObject widths = sheet.value(QStringLiteral("widths")).toObject();
    EXPECT_DOUBLE_EQ(widths.value(QStringLiteral("A")).toDouble(), 30.5);
    EXPECT_DOUBLE_EQ(widths.value(QStringLiteral("C")).toDouble(), 12);
    EXPECT_FALSE(widths.contains(QStringLiteral("B")));
    const QJsonObject heights = sheet.value(QStringLiteral("heights")).toObject();
    EXPECT_DOUBLE_EQ(heights.value(QStringLiteral("2")).toDouble(), 33);
    EXPECT_DOUBLE_EQ(heights.value(QStringLiteral("10")).toDouble(), 20);
}

TEST_F(XlsxWriterTest, PartsFollowTheSchemaElementOrder) {
    const QString file = path(QStringLiteral("order.xlsx"));
    ASSERT_TRUE(WorkbookFile::save(*formattedWorkbook(), file).ok());
    QProcess check;
    check.start(QStringLiteral("/usr/bin/python3"),
                {QStringLiteral(SW_SOURCE_DIR "/tests/office/excel/xlsx/check_order.py"), file});
    ASSERT_TRUE(check.waitForFinished(60000));
    EXPECT_EQ(check.exitCode(), 0) << check.readAllStandardOutput().toStdString()
                                   << check.readAllStandardError().toStdString();
}

TEST_F(XlsxWriterTest, ControlCharactersAndEscapeLookalikesSurvive) {
    auto book = Workbook::createNew(1);
    const QString control = QStringLiteral("a") + QChar(0x01) + QStringLiteral("b\rc\td");
    const QString lookalike = QStringLiteral("_x0041_ stays literal");
    const QString edges = QStringLiteral("  padded  ");
    book->sheet(0)->setText(1, 1, control);
    book->sheet(0)->setText(2, 1, lookalike);
    book->sheet(0)->setText(3, 1, edges);
    const QJsonObject read = saveAndRead(*book, QStringLiteral("esc.xlsx"));
    // openpyxl does not decode "_xHHHH_" (it only drops "x005F_"), so it shows the escapes
    // themselves: the control characters travelled escaped, not raw and not dropped.
    EXPECT_EQ(cellField(read, 0, "A1", "value").toString(), QStringLiteral("a_x0001_b_x000D_c\td"));
    EXPECT_EQ(cellField(read, 0, "A2", "value").toString(), lookalike);
    EXPECT_EQ(cellField(read, 0, "A3", "value").toString(), edges);
}

TEST_F(XlsxWriterTest, XlsmGetsTheMacroEnabledContentType) {
    auto book = Workbook::createNew(1);
    book->sheet(0)->setNumber(1, 1, 7);
    const QJsonObject read = saveAndRead(*book, QStringLiteral("m.xlsm"));
    EXPECT_DOUBLE_EQ(cellField(read, 0, "A1", "value").toDouble(), 7);
    QProcess unzip;
    unzip.start(QStringLiteral("/usr/bin/python3"),
                {QStringLiteral("-c"),
                 QStringLiteral("import "
                                "zipfile,sys;print(zipfile.ZipFile(sys.argv[1]).read('[Content_"
                                "Types].xml').decode())"),
                 path(QStringLiteral("m.xlsm"))});
    ASSERT_TRUE(unzip.waitForFinished(60000));
    const QString types = QString::fromUtf8(unzip.readAllStandardOutput());
    EXPECT_TRUE(
        types.contains(QStringLiteral("application/vnd.ms-excel.sheet.macroEnabled.main+xml")));
}

TEST_F(XlsxWriterTest, TooLongTextFailsAndLeavesNoFile) {
    auto book = Workbook::createNew(1);
    book->sheet(0)->setText(3, 2, QString(32767, QLatin1Char('x')));
    EXPECT_TRUE(WorkbookFile::save(*book, path(QStringLiteral("max.xlsx"))).ok());
    book->sheet(0)->setText(3, 2, QString(32768, QLatin1Char('x')));
    const WorkbookFileResult result = WorkbookFile::save(*book, path(QStringLiteral("long.xlsx")));
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.message.contains(QStringLiteral("B3"))) << result.message.toStdString();
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("long.xlsx"))));
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST_F(XlsxWriterTest, FormatsBeyondTheLimitTakeTheNearestKept) {
    // Format i: fill i % 40000, left-aligned from 40,000 on. The 100 formats past 64,000 find
    // their fill (with general alignment) among the kept ones: format i - 40000.
    auto book = Workbook::createNew(1);
    Worksheet& sheet = *book->sheet(0);
    const int count = XlsxStyles::kMaxCellFormats + 100;
    for (int i = 1; i < count; ++i) {
        CellFormat format;
        format.fillColor = static_cast<std::uint32_t>(i % 40000);
        format.hAlign = i < 40000 ? CellFormat::HAlign::General : CellFormat::HAlign::Left;
        sheet.setFormat(i, 1, format);
    }
    ASSERT_EQ(book->formatTable().size(), count);
    const QString file = path(QStringLiteral("formats.xlsx"));
    const WorkbookFileResult saved = WorkbookFile::save(*book, file);
    ASSERT_TRUE(saved.ok()) << saved.message.toStdString();
    EXPECT_TRUE(saved.warning.startsWith(QStringLiteral("100 cell formats")))
        << saved.warning.toStdString();
    EXPECT_TRUE(saved.warning.contains(QStringLiteral("64000"))) << saved.warning.toStdString();
    // Kept formats, then each replaced cell's fill and alignment against its expected nearest.
    const QString check = QStringLiteral(
        "import sys, openpyxl\n"
        "ws = openpyxl.load_workbook(sys.argv[1]).active\n"
        "ok = 0\n"
        "for i in range(64000, 64100):\n"
        "    c, n = ws.cell(i, 1), ws.cell(i - 40000, 1)\n"
        "    ok += c.fill.fgColor.rgb == n.fill.fgColor.rgb and c.alignment.horizontal is None\n"
        "print(len(ws.parent._cell_styles), ok, ws.cell(39999, 1).fill.fgColor.rgb)\n");
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), check, file});
    ASSERT_TRUE(python.waitForFinished(120000));
    EXPECT_EQ(QString::fromUtf8(python.readAllStandardOutput()).trimmed(),
              QStringLiteral("64000 100 FF009C3F"))
        << python.readAllStandardError().toStdString();
}

TEST_F(XlsxWriterTest, SavedFilesAreReadableLikeOrdinaryFiles) {
    auto book = Workbook::createNew(1);
    const QString file = path(QStringLiteral("perm.xlsx"));
    ASSERT_TRUE(WorkbookFile::save(*book, file).ok());
    EXPECT_TRUE(QFile::permissions(file).testFlag(QFileDevice::ReadGroup));
    EXPECT_TRUE(QFile::permissions(file).testFlag(QFileDevice::ReadOther));
    QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    ASSERT_TRUE(WorkbookFile::save(*book, file).ok());  // replacing keeps the old permissions
    EXPECT_FALSE(QFile::permissions(file).testFlag(QFileDevice::ReadOther));
}

TEST_F(XlsxWriterTest, FailedSaveKeepsExistingFileAndLeavesNoTemporary) {
    auto book = Workbook::createNew(1);
    book->sheet(0)->setText(1, 1, QStringLiteral("first"));
    ASSERT_TRUE(WorkbookFile::save(*book, path(QStringLiteral("keep.xlsx"))).ok());
    const qint64 size = QFileInfo(path(QStringLiteral("keep.xlsx"))).size();
    book->sheet(0)->setText(1, 1, QString(40000, QLatin1Char('y')));
    EXPECT_FALSE(WorkbookFile::save(*book, path(QStringLiteral("keep.xlsx"))).ok());
    EXPECT_EQ(QFileInfo(path(QStringLiteral("keep.xlsx"))).size(), size);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

#ifdef Q_OS_LINUX
/* The folder's own record of a save over a workbook: the old file is never deleted, the new
   one is renamed over it, so its name is never without a workbook. */
TEST_F(XlsxWriterTest, ReplacingAWorkbookNeverLeavesItsNameEmpty) {
    auto book = Workbook::createNew(1);
    const QString file = path(QStringLiteral("replaced.xlsx"));
    ASSERT_TRUE(WorkbookFile::save(*book, file).ok());
    const int events = inotify_init1(IN_NONBLOCK);
    ASSERT_GE(events, 0);
    ASSERT_GE(inotify_add_watch(events, QFile::encodeName(m_dir.path()).constData(),
                                IN_DELETE | IN_MOVED_TO),
              0);
    book->sheet(0)->setText(1, 1, QStringLiteral("second"));
    ASSERT_TRUE(WorkbookFile::save(*book, file).ok());
    alignas(inotify_event) char buffer[4096];
    const ssize_t size = read(events, buffer, sizeof buffer);
    close(events);
    QStringList seen;
    for (ssize_t at = 0; at < size;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        seen << QStringLiteral("%1 %2")
                    .arg(QLatin1String(event->mask & IN_DELETE ? "deleted" : "moved in"))
                    .arg(QString::fromUtf8(event->name));
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
    EXPECT_EQ(seen.join(QStringLiteral("; ")).toStdString(), "moved in replaced.xlsx");
    Workbook read;
    ASSERT_TRUE(WorkbookFile::load(file, read).ok());
    EXPECT_EQ(read.sheet(0)->cell(1, 1)->text, QStringLiteral("second"));
}
#endif

TEST_F(XlsxWriterTest, MissingFolderUnwritablePlaceAndXlsFail) {
    auto book = Workbook::createNew(1);
    const QString missing = path(QStringLiteral("no/such/folder/out.xlsx"));
    const WorkbookFileResult result = WorkbookFile::save(*book, missing);
    EXPECT_FALSE(result.ok());
    EXPECT_FALSE(result.message.isEmpty());
    EXPECT_FALSE(QFile::exists(missing));

    QDir(m_dir.path()).mkdir(QStringLiteral("locked"));
    QFile::setPermissions(path(QStringLiteral("locked")), QFile::ReadOwner | QFile::ExeOwner);
    const QString locked = path(QStringLiteral("locked/out.xlsx"));
    if (!QFileInfo(path(QStringLiteral("locked"))).isWritable()) {  // root ignores permissions
        EXPECT_FALSE(WorkbookFile::save(*book, locked).ok());
        EXPECT_FALSE(QFile::exists(locked));
    }
    QFile::setPermissions(path(QStringLiteral("locked")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    EXPECT_FALSE(WorkbookFile::save(*book, path(QStringLiteral("dir"))).ok());
    EXPECT_FALSE(WorkbookFile::save(*book, path(QStringLiteral("out.txt"))).ok());
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("out.txt"))));
}

}  // namespace
