// What the writers of both file formats must carry: every character a cell can hold, read
// back by a reader we did not write (openpyxl for .xlsx, xlrd for .xls) and by our own; and
// the sheet's edge, which a merged range must not cross even by columns alone.

#include "office/excel/workbookfile.h"
#include "tests/office/excel/openpyxlreader.h"
#include "tests/office/excel/xls/xlsoracle.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace {

struct CharacterRow {
    const char* name;
    QString text;
    // What openpyxl shows: it leaves the "_xHHHH_" escapes of control characters undecoded.
    QString openpyxlShows;
    // What every reader reads back, when not `text` itself.
    QString written = QString();
};

/* Texts that break a writer that forgets to escape or encode them. */
std::vector<CharacterRow> characterRows() {
    const QString markup = QStringLiteral("<b>&amp; \"double\" 'single' a > b</b>");
    const QString cdataEnd = QStringLiteral("]]> after <![CDATA[ x");
    const QString controls =
        QStringLiteral("a") + QChar(0x01) + QStringLiteral("b") + QChar(0x1F) + QStringLiteral("c");
    const QString carriageReturn = QStringLiteral("one\rtwo");
    const QString tabAndNewline = QStringLiteral("a\tb\nc");
    const QString surrogates = QString::fromUtf8("clef \xF0\x9D\x84\x9E smile \xF0\x9F\x98\x80");
    // Halves of pairs without their other half, at either end and inside; U+FFFD stands in.
    const QString lone =
        QChar(0xDC00) + QStringLiteral("a") + QChar(0xD800) + QStringLiteral("b") + QChar(0xD83D);
    const QString replaced = QString(QChar(0xFFFD)) + QStringLiteral("a") + QChar(0xFFFD) +
                             QStringLiteral("b") + QChar(0xFFFD);
    return {
        {"markup", markup, markup},
        {"cdataEnd", cdataEnd, cdataEnd},
        {"controls", controls, QStringLiteral("a_x0001_b_x001F_c")},
        {"carriageReturn", carriageReturn, QStringLiteral("one_x000D_two")},
        {"tabAndNewline", tabAndNewline, tabAndNewline},
        {"surrogatePairs", surrogates, surrogates},
        {"loneSurrogates", lone, replaced, replaced},
    };
}

class CellCharactersTest : public ::testing::TestWithParam<const char*> {
protected:
    QString path(const char* base) const {
        return m_dir.filePath(QLatin1String(base) + QLatin1String(GetParam()));
    }
    bool isXls() const { return QLatin1String(GetParam()) == QLatin1String(".xls"); }

    /* The text the foreign reader shows in column A of a 1-based row of the first sheet. */
    QString foreignText(const QString& file, int row, QString* error) const {
        if (isXls()) {
            const QJsonObject sheet = xlsoracle::sheet(xlsoracle::dump(file, error), 0);
            return xlsoracle::cell(sheet, row - 1, 0).value(QStringLiteral("value")).toString();
        }
        const QJsonObject book = readWithOpenpyxl(file, error);
        return openpyxlCell(book, 0, QStringLiteral("A%1").arg(row))
            .value(QStringLiteral("value"))
            .toString();
    }

    QTemporaryDir m_dir;
};

TEST_P(CellCharactersTest, EveryCharacterReadsBackByTheirReaderAndOurs) {
    const std::vector<CharacterRow> rows = characterRows();
    auto book = Workbook::createNew(1);
    for (size_t i = 0; i < rows.size(); ++i) {
        book->sheet(0)->setText(static_cast<int>(i) + 1, 1, rows[i].text);
    }
    const QString file = path("chars");
    const WorkbookFileResult saved = WorkbookFile::save(*book, file);
    ASSERT_TRUE(saved.ok()) << saved.message.toStdString();

    Workbook ours;
    const WorkbookFileResult loaded = WorkbookFile::load(file, ours);
    ASSERT_TRUE(loaded.ok()) << loaded.message.toStdString();
    for (size_t i = 0; i < rows.size(); ++i) {
        const int row = static_cast<int>(i) + 1;
        QString error;
        const QString theirs = foreignText(file, row, &error);
        ASSERT_TRUE(error.isEmpty()) << rows[i].name << ": " << error.toStdString();
        const QString written = rows[i].written.isNull() ? rows[i].text : rows[i].written;
        EXPECT_EQ(theirs, isXls() ? written : rows[i].openpyxlShows) << rows[i].name;
        const Cell* cell = ours.sheet(0)->cell(row, 1);
        ASSERT_NE(cell, nullptr) << rows[i].name;
        EXPECT_EQ(cell->text, written) << rows[i].name;
    }
}

TEST_P(CellCharactersTest, AMergeBeyondTheLastColumnFailsTheSaveAndWritesNothing) {
    // Rows well inside the sheet; only the columns cross its edge (256 in .xls, 16,384 in
    // .xlsx).
    const int lastColumn = isXls() ? 256 : kMaxColumns;
    auto book = Workbook::createNew(1);
    book->sheet(0)->setText(1, 1, QStringLiteral("kept"));
    book->sheet(0)->addMerge({2, lastColumn - 1, 3, lastColumn + 1});
    const QString file = path("merge");
    const WorkbookFileResult saved = WorkbookFile::save(*book, file);
    EXPECT_FALSE(saved.ok());
    EXPECT_TRUE(saved.message.contains(book->sheet(0)->name())) << saved.message.toStdString();
    EXPECT_FALSE(QFile::exists(file));

    auto inside = Workbook::createNew(1);
    inside->sheet(0)->addMerge({2, lastColumn - 1, 3, lastColumn});
    EXPECT_TRUE(WorkbookFile::save(*inside, file).ok());
}

INSTANTIATE_TEST_SUITE_P(BothFormats, CellCharactersTest, ::testing::Values(".xlsx", ".xls"),
                         [](const ::testing::TestParamInfo<const char*>& extension) {
                             return std::string(extension.param + 1);
                         });

}  // namespace
