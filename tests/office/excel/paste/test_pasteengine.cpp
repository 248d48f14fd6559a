#include "office/excel/paste/pasteengine.h"

#include "office/excel/paste/texttocolumns.h"
#include "office/excel/model/workbook.h"
#include "office/excel/workbookfile.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A 2 x 2 fragment as the Word side puts it on the clipboard.
Fragment documentFragment() {
    Fragment fragment = Fragment::sized(2, 2);
    fragment.source = Fragment::Source::Document;
    CellFormat bold;
    bold.bold = true;
    const int boldIndex = fragment.internFormat(bold);
    const char* texts[] = {"Name", "1.50", "00123", "12%"};
    for (int i = 0; i < 4; ++i) {
        FragmentCell& cell = fragment.at(i / 2, i % 2);
        cell.kind = FragmentCell::Kind::Text;
        cell.text = QString::fromLatin1(texts[i]);
    }
    fragment.at(0, 0).format = boldIndex;
    fragment.columnWidths[0] = 20;
    fragment.merges.push_back({0, 0, 0, 1});
    return fragment;
}

class PasteTest : public ::testing::Test {
protected:
    std::shared_ptr<Workbook> m_book = Workbook::createNew(1);
    Worksheet& sheet() { return *m_book->sheet(0); }
};

TEST_F(PasteTest, DocumentPasteTypesTextCarriesFormatsAndSelectsTheArea) {
    const std::optional<CellRange> pasted =
        PasteEngine::paste(sheet(), documentFragment(), 3, 2, PasteType::All);
    ASSERT_TRUE(pasted);
    EXPECT_EQ(*pasted, (CellRange{3, 2, 4, 3}));
    EXPECT_EQ(sheet().selection(), *pasted);
    EXPECT_EQ(sheet().cell(3, 2)->text, QStringLiteral("Name"));
    EXPECT_TRUE(sheet().format(3, 2).bold);
    ASSERT_EQ(sheet().cell(3, 3)->kind, Cell::Kind::Number);
    EXPECT_DOUBLE_EQ(sheet().cell(3, 3)->number, 1.5);
    EXPECT_EQ(sheet().format(3, 3).numberFormat, QStringLiteral("0.00"));
    EXPECT_EQ(sheet().cell(4, 2)->kind, Cell::Kind::Text);  // leading zeros stay text
    EXPECT_DOUBLE_EQ(sheet().cell(4, 3)->number, 0.12);
    EXPECT_EQ(sheet().format(4, 3).numberFormat, QStringLiteral("0%"));
    ASSERT_EQ(sheet().merges().size(), 1u);
    EXPECT_EQ(sheet().merges()[0], (CellRange{3, 2, 3, 3}));
    EXPECT_DOUBLE_EQ(sheet().columnWidth(2), 20);
    EXPECT_DOUBLE_EQ(sheet().columnWidth(3), Worksheet::kDefaultColumnWidth);
}

TEST_F(PasteTest, ValuesPasteKeepsTheTargetFormats) {
    CellFormat red;
    red.fontColor = 0xFF0000;
    red.numberFormat = QStringLiteral("@");
    sheet().setFormat(1, 1, red);
    sheet().setText(2, 2, QStringLiteral("old"));
    ASSERT_TRUE(PasteEngine::paste(sheet(), documentFragment(), 1, 1, PasteType::Values));
    EXPECT_EQ(sheet().cell(1, 1)->text, QStringLiteral("Name"));
    EXPECT_EQ(sheet().format(1, 1), red);  // not bold: the fragment's format did not come
    EXPECT_TRUE(sheet().merges().empty());
    EXPECT_DOUBLE_EQ(sheet().columnWidth(1), Worksheet::kDefaultColumnWidth);
    // A typed number still shows as written where the cell had no number format.
    EXPECT_EQ(sheet().format(1, 2).numberFormat, QStringLiteral("0.00"));
    EXPECT_DOUBLE_EQ(sheet().cell(2, 2)->number, 0.12);
}

TEST_F(PasteTest, FormatsPasteKeepsValuesAndWidthsPasteOnlyWidths) {
    sheet().setText(1, 1, QStringLiteral("keep"));
    ASSERT_TRUE(PasteEngine::paste(sheet(), documentFragment(), 1, 1, PasteType::Formats));
    EXPECT_EQ(sheet().cell(1, 1)->text, QStringLiteral("keep"));
    EXPECT_TRUE(sheet().format(1, 1).bold);
    EXPECT_EQ(sheet().cell(1, 2), nullptr);
    EXPECT_EQ(sheet().merges().size(), 1u);

    Worksheet other(QStringLiteral("o"), nullptr);
    other.setText(1, 1, QStringLiteral("v"));
    other.setColumnWidth(2, 8);
    ASSERT_TRUE(PasteEngine::paste(other, documentFragment(), 1, 1, PasteType::ColumnWidths));
    EXPECT_DOUBLE_EQ(other.columnWidth(1), 20);
    EXPECT_DOUBLE_EQ(other.columnWidth(2), Worksheet::kDefaultColumnWidth);  // unset in source
    EXPECT_EQ(other.cell(1, 1)->text, QStringLiteral("v"));
    EXPECT_FALSE(other.format(1, 1).bold);
}

TEST_F(PasteTest, WholeRowCopyKeepsHeightsWidthsAndFormattedEmptyCells) {
    Worksheet& source = sheet();
    source.setText(1, 1, QStringLiteral("title"));
    CellFormat fill;
    fill.fillColor = 0xDDEEFF;
    source.setFormat(2, 3, fill);  // formatted but empty
    source.setRowHeight(1, 30);
    source.setColumnWidth(5, 40);  // beyond the used columns
    source.setText(200, 1, QStringLiteral("outside"));
    const std::optional<CellRange> rows = CellRange::parse(QStringLiteral("1:100"));
    ASSERT_TRUE(rows);
    const Fragment fragment = PasteEngine::copy(source, *rows);
    EXPECT_TRUE(fragment.wholeRows);
    EXPECT_EQ(fragment.rowCount, 100);
    EXPECT_EQ(fragment.columnCount, 5);
    EXPECT_EQ(fragment.source, Fragment::Source::Workbook);

    auto target = m_book->addSheet();
    ASSERT_TRUE(PasteEngine::paste(*target, fragment, 1, 1, PasteType::All));
    EXPECT_EQ(target->cell(1, 1)->text, QStringLiteral("title"));
    EXPECT_DOUBLE_EQ(target->rowHeight(1), 30);
    EXPECT_EQ(target->format(2, 3).fillColor, 0xDDEEFFu);
    EXPECT_EQ(target->cell(200, 1), nullptr);
    EXPECT_DOUBLE_EQ(target->columnWidth(5), Worksheet::kDefaultColumnWidth);  // "all" keeps widths
    ASSERT_TRUE(PasteEngine::paste(*target, fragment, 1, 1, PasteType::ColumnWidths));
    EXPECT_DOUBLE_EQ(target->columnWidth(5), 40);
}

TEST_F(PasteTest, TemplateSizingAllColumnsTravelsWithoutMillionsOfCells) {
    for (int c = 1; c <= kMaxColumns; ++c) {
        sheet().setColumnWidth(c, c == 2 ? 30 : 12);  // a template sized every column
    }
    sheet().setText(1, 1, QStringLiteral("title"));
    const std::optional<CellRange> rows = CellRange::parse(QStringLiteral("1:100"));
    ASSERT_TRUE(rows);
    const Fragment fragment = PasteEngine::copy(sheet(), *rows);
    EXPECT_EQ(fragment.columnCount, 2);  // up to the last width that differs
    EXPECT_DOUBLE_EQ(fragment.trailingColumnWidth, 12);
    auto target = m_book->addSheet();
    ASSERT_TRUE(PasteEngine::paste(*target, fragment, 1, 1, PasteType::ColumnWidths));
    EXPECT_DOUBLE_EQ(target->columnWidth(1), 12);
    EXPECT_DOUBLE_EQ(target->columnWidth(2), 30);
    EXPECT_DOUBLE_EQ(target->columnWidth(3), 12);
    EXPECT_DOUBLE_EQ(target->columnWidth(kMaxColumns), 12);
    // A values paste carries no widths.
    auto other = m_book->addSheet();
    ASSERT_TRUE(PasteEngine::paste(*other, fragment, 1, 1, PasteType::Values));
    EXPECT_TRUE(other->columnWidths().empty());
}

TEST_F(PasteTest, WorkbookTextStaysTextAndNumbersStayNumbers) {
    sheet().setText(1, 1, QStringLiteral("42"));
    sheet().setNumber(1, 2, 7);
    const Fragment fragment = PasteEngine::copy(sheet(), {1, 1, 1, 2});
    auto target = m_book->addSheet();
    ASSERT_TRUE(PasteEngine::paste(*target, fragment, 1, 1, PasteType::All));
    EXPECT_EQ(target->cell(1, 1)->kind, Cell::Kind::Text);
    EXPECT_EQ(target->cell(1, 2)->kind, Cell::Kind::Number);
}

TEST_F(PasteTest, PasteThatDoesNotFitChangesNothing) {
    EXPECT_FALSE(PasteEngine::paste(sheet(), documentFragment(), kMaxRows, 1, PasteType::All));
    EXPECT_FALSE(PasteEngine::paste(sheet(), documentFragment(), 1, kMaxColumns, PasteType::All));
    EXPECT_EQ(sheet().cellCount(), 0);
    EXPECT_EQ(sheet().selection(), CellRange::cell(1, 1));
    Fragment broken = documentFragment();
    broken.cells.pop_back();
    EXPECT_FALSE(PasteEngine::paste(sheet(), broken, 1, 1, PasteType::All));
    EXPECT_EQ(sheet().cellCount(), 0);
}

TEST_F(PasteTest, MalformedFragmentPartsStayInsideThePastedArea) {
    Fragment fragment = documentFragment();
    fragment.merges.push_back({1, 1, 5, 5});  // reaches outside the 2 x 2 fragment
    fragment.merges.push_back({1, 1, 0, 0});  // inverted
    fragment.columnWidths.assign(10, 33);     // more widths than columns
    fragment.rowHeights.assign(10, 44);       // more heights than rows
    fragment.at(1, 1).format = 99;            // no such format
    ASSERT_TRUE(PasteEngine::paste(sheet(), fragment, 1, 1, PasteType::All));
    ASSERT_EQ(sheet().merges().size(), 1u);
    EXPECT_EQ(sheet().merges()[0], (CellRange{1, 1, 1, 2}));
    EXPECT_DOUBLE_EQ(sheet().columnWidth(2), 33);
    EXPECT_DOUBLE_EQ(sheet().columnWidth(3), Worksheet::kDefaultColumnWidth);
    EXPECT_DOUBLE_EQ(sheet().rowHeight(2), 44);
    EXPECT_DOUBLE_EQ(sheet().rowHeight(3), Worksheet::kDefaultRowHeight);
    EXPECT_EQ(sheet().formatIndex(2, 2), sheet().formatTable().intern([] {
        CellFormat percent;
        percent.numberFormat = QStringLiteral("0%");
        return percent;
    }()));
}

TEST_F(PasteTest, CopyOfAWholeColumnStopsAtTheLastUsedRow) {
    sheet().setText(5000, 1, QStringLiteral("x"));
    const std::optional<CellRange> column = CellRange::parse(QStringLiteral("A:A"));
    ASSERT_TRUE(column);
    const Fragment fragment = PasteEngine::copy(sheet(), *column);
    EXPECT_EQ(fragment.rowCount, 5000);
    EXPECT_EQ(fragment.columnCount, 1);
    EXPECT_TRUE(fragment.wholeColumns);
    const Fragment whole = PasteEngine::copy(sheet(), {1, 1, kMaxRows, kMaxColumns});
    EXPECT_EQ(whole.rowCount, 5000);
    EXPECT_EQ(whole.columnCount, 1);
}

class TextToColumnsTest : public PasteTest {
protected:
    TextToColumns::Options other(const QString& chars) {
        TextToColumns::Options options;
        options.other = true;
        options.otherChar = chars.isEmpty() ? QChar() : chars.at(0);
        return options;
    }
    CellRange columnA() { return CellRange::parse(QStringLiteral("A:A")).value_or(CellRange()); }
};

TEST_F(TextToColumnsTest, SplitsTypesAndOverwritesToTheRight) {
    sheet().setText(1, 1, QStringLiteral("a|1.50|00123|12%"));
    sheet().setText(1, 3, QStringLiteral("overwritten"));
    sheet().setText(1, 6, QStringLiteral("beyond the parts"));
    sheet().setText(2, 1, QStringLiteral("no delimiter"));
    sheet().setNumber(3, 1, 12);
    ASSERT_TRUE(TextToColumns::split(sheet(), columnA(), 1, 1, other(QStringLiteral("|"))));
    EXPECT_EQ(sheet().cell(1, 1)->text, QStringLiteral("a"));
    EXPECT_DOUBLE_EQ(sheet().cell(1, 2)->number, 1.5);
    EXPECT_EQ(sheet().format(1, 2).numberFormat, QStringLiteral("0.00"));
    EXPECT_EQ(sheet().cell(1, 3)->text, QStringLiteral("00123"));
    EXPECT_DOUBLE_EQ(sheet().cell(1, 4)->number, 0.12);
    EXPECT_EQ(sheet().cell(1, 6)->text, QStringLiteral("beyond the parts"));
    EXPECT_EQ(sheet().cell(2, 1)->text, QStringLiteral("no delimiter"));
    EXPECT_EQ(sheet().cell(2, 2), nullptr);
    EXPECT_DOUBLE_EQ(sheet().cell(3, 1)->number, 12);
}

TEST_F(TextToColumnsTest, MultiCharacterOtherCharUsesItsFirstCharacter) {
    sheet().setText(1, 1, QStringLiteral("x--y"));
    ASSERT_TRUE(TextToColumns::split(sheet(), columnA(), 1, 1, other(QStringLiteral("--"))));
    // Consecutive delimiters are not merged: an empty part between them.
    EXPECT_EQ(sheet().cell(1, 1)->text, QStringLiteral("x"));
    EXPECT_EQ(sheet().cell(1, 2), nullptr);
    EXPECT_EQ(sheet().cell(1, 3)->text, QStringLiteral("y"));
}

TEST_F(TextToColumnsTest, EmptyPartsClearExistingValues) {
    sheet().setText(1, 1, QStringLiteral("a,,c"));
    sheet().setText(1, 2, QStringLiteral("old"));
    TextToColumns::Options options;
    options.comma = true;
    ASSERT_TRUE(TextToColumns::split(sheet(), columnA(), 1, 1, options));
    EXPECT_EQ(sheet().cell(1, 2), nullptr);
    EXPECT_EQ(sheet().cell(1, 3)->text, QStringLiteral("c"));
    options.consecutiveDelimiter = true;
    EXPECT_EQ(TextToColumns::parts(QStringLiteral("a,,c"), options).texts,
              QStringList({QStringLiteral("a"), QStringLiteral("c")}));
}

TEST_F(TextToColumnsTest, CellsFarBeyondOtherDataAndOnlyTheGivenColumn) {
    sheet().setText(60000, 1, QStringLiteral("p;q"));
    sheet().setText(1, 2, QStringLiteral("b;not split"));
    TextToColumns::Options options;
    options.semicolon = true;
    ASSERT_TRUE(TextToColumns::split(sheet(), columnA(), 1, 1, options));
    EXPECT_EQ(sheet().cell(60000, 2)->text, QStringLiteral("q"));
    EXPECT_EQ(sheet().cell(1, 2)->text, QStringLiteral("b;not split"));
    // Only the range's rows are split.
    sheet().setText(5, 1, QStringLiteral("r;s"));
    ASSERT_TRUE(TextToColumns::split(sheet(), {1, 1, 4, 1}, 1, 1, options));
    EXPECT_EQ(sheet().cell(5, 1)->text, QStringLiteral("r;s"));
}

TEST_F(TextToColumnsTest, RefusesSeveralColumnsChangingNothing) {
    sheet().setText(1, 1, QStringLiteral("a,b"));
    TextToColumns::Options options;
    options.comma = true;
    const Result split = TextToColumns::split(sheet(), {1, 1, 1, 2}, 1, 1, options);
    EXPECT_FALSE(split);
    EXPECT_FALSE(split.message.isEmpty());
    EXPECT_EQ(sheet().cell(1, 1)->text, QStringLiteral("a,b"));
}

TEST_F(TextToColumnsTest, QuotedPartsKeepDelimiters) {
    TextToColumns::Options options;
    options.comma = true;
    options.qualifier = TextToColumns::DoubleQuote;
    EXPECT_EQ(TextToColumns::parts(QStringLiteral("\"a,b\",c"), options).texts,
              QStringList({QStringLiteral("a,b"), QStringLiteral("c")}));
    options.qualifier = TextToColumns::NoQualifier;
    EXPECT_EQ(TextToColumns::parts(QStringLiteral("\"a,b\""), options).texts.size(), 2);
}

TEST_F(PasteTest, OverLongTextIsCutAndNotedAndTheXlsSaves) {
    Fragment fragment = Fragment::sized(1, 2);
    fragment.at(0, 0).kind = FragmentCell::Kind::Text;
    fragment.at(0, 0).text = QString(40000, QLatin1Char('a'));
    fragment.at(0, 1).kind = FragmentCell::Kind::Text;
    fragment.at(0, 1).text = QString(PasteEngine::kMaxCellText, QLatin1Char('b'));  // fits
    ASSERT_TRUE(PasteEngine::paste(sheet(), fragment, 2, 1, PasteType::Values));
    EXPECT_EQ(sheet().cell(2, 1)->text.size(), PasteEngine::kMaxCellText);
    EXPECT_EQ(sheet().cell(2, 2)->text.size(), PasteEngine::kMaxCellText);
    EXPECT_EQ(sheet().cutCells(), (std::set<std::pair<int, int>>{{2, 1}}));

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("cut.xls"));
    ASSERT_TRUE(WorkbookFile::save(*m_book, path).ok());
    QProcess read;
    read.start(
        QStringLiteral("/usr/bin/python3"),
        {QStringLiteral("-c"),
         QStringLiteral("import xlrd, sys\n"
                        "v = xlrd.open_workbook(sys.argv[1]).sheet_by_index(0).cell_value(1, 0)\n"
                        "print(len(v), set(v))\n"),
         path});
    ASSERT_TRUE(read.waitForFinished(60000));
    EXPECT_EQ(read.readAllStandardOutput(), QByteArray("32767 {'a'}\n"));
}

TEST_F(PasteTest, ACutNeverSplitsASurrogatePair) {
    const QString face = QString::fromUcs4(U"\U0001F600");
    PasteEngine::storeText(sheet(), 1, 1,
                           QString(PasteEngine::kMaxCellText - 1, QLatin1Char('x')) + face);
    EXPECT_EQ(sheet().cell(1, 1)->text, QString(PasteEngine::kMaxCellText - 1, QLatin1Char('x')));
    PasteEngine::storeText(
        sheet(), 1, 2,
        QString(PasteEngine::kMaxCellText - 2, QLatin1Char('x')) + face + QLatin1Char('z'));
    EXPECT_TRUE(sheet().cell(1, 2)->text.endsWith(face));
    EXPECT_EQ(sheet().cell(1, 2)->text.size(), PasteEngine::kMaxCellText);
}

}  // namespace

TEST_F(TextToColumnsTest, ARowOfMorePartsThanColumnsKeepsTheRestInTheLastOne) {
    // 20,000 commas: more parts than the 16,384 columns; the other rows split as usual.
    QString many = QStringLiteral("p");
    for (int i = 1; i <= 20000; ++i) {
        many += QLatin1Char(',') + QString::number(i);
    }
    sheet().setText(1, 1, QStringLiteral("a,b"));
    sheet().setText(2, 1, many);
    sheet().setText(3, 1, QStringLiteral("c,d"));
    TextToColumns::Options comma;
    comma.comma = true;
    ASSERT_TRUE(TextToColumns::split(sheet(), columnA(), 1, 1, comma));
    EXPECT_EQ(sheet().cell(1, 2)->text, QStringLiteral("b"));
    EXPECT_EQ(sheet().cell(3, 2)->text, QStringLiteral("d"));
    EXPECT_EQ(sheet().cell(2, 1)->text, QStringLiteral("p"));
    EXPECT_DOUBLE_EQ(sheet().cell(2, 16383)->number, 16382);
    // Column 16,384 holds everything from the 16,383rd comma on.
    QString rest = QString::number(16383);
    for (int i = 16384; i <= 20000; ++i) {
        rest += QLatin1Char(',') + QString::number(i);
    }
    EXPECT_EQ(sheet().cell(2, 16384)->text, rest);
    EXPECT_EQ(sheet().unsplitCells(), (std::set<std::pair<int, int>>{{2, 16384}}));
}

TEST(TextToColumnsParts, TheLastPartTakesTheRestOnlyWhenAnotherPartWouldFollow) {
    struct Row {
        const char* name;
        const char* text;
        bool consecutive;
        int qualifier;
        std::vector<const char*> parts;
        bool cut;
    };
    const Row rows[] = {
        {"exactly as many parts",
         "a,b,c",
         false,
         TextToColumns::NoQualifier,
         {"a", "b", "c"},
         false},
        {"one part more", "a,b,c,d", false, TextToColumns::NoQualifier, {"a", "b", "c,d"}, true},
        {"consecutive delimiters as one",
         "a,,b,,c",
         true,
         TextToColumns::NoQualifier,
         {"a", "b", "c"},
         false},
        {"delimiters in quotes",
         "a,b,\"c,d\"",
         false,
         TextToColumns::DoubleQuote,
         {"a", "b", "c,d"},
         false},
        {"the rest as it stands",
         "a,b,\"c\",d",
         false,
         TextToColumns::DoubleQuote,
         {"a", "b", "\"c\",d"},
         true},
    };
    for (const Row& row : rows) {
        TextToColumns::Options options;
        options.comma = true;
        options.consecutiveDelimiter = row.consecutive;
        options.qualifier = row.qualifier;
        QStringList expected;
        for (const char* part : row.parts) {
            expected << QString::fromUtf8(part);
        }
        const TextToColumns::TextParts parts =
            TextToColumns::parts(QString::fromUtf8(row.text), options, 3);
        EXPECT_EQ(parts.texts, expected) << row.name;
        EXPECT_EQ(parts.cut, row.cut) << row.name;
    }
}
