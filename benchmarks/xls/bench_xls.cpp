// Speed of the .xls writer and reader: 200,000 cells (4,000 rows x 50 columns) of text or
// numbers written, and a 100,000-cell workbook read back.

#include "office/excel/xls/xlsreader.h"
#include "office/excel/workbookfile.h"
#include "office/excel/xls/xlswriter.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kRows = 4000;
constexpr int kColumns = 50;

/* A workbook of kRows x kColumns text cells (mostly distinct) or numbers. */
std::shared_ptr<Workbook> makeWorkbook(bool text, int rows = kRows) {
    auto workbook = std::make_shared<Workbook>();
    Worksheet& sheet = *workbook->addSheet();
    for (int row = 1; row <= rows; ++row) {
        for (int column = 1; column <= kColumns; ++column) {
            if (text) {
                sheet.setText(row, column, QStringLiteral("Cell %1-%2").arg(row).arg(column));
            } else {
                sheet.setNumber(row, column, row * 1.25 + column / 3.0);
            }
        }
    }
    CellFormat bold;
    bold.bold = true;
    for (int column = 1; column <= kColumns; ++column) {
        sheet.setFormat(1, column, bold);
    }
    return workbook;
}

/* Write the file, compound file included. */
void writeFile(benchmark::State& state, bool text) {
    const auto workbook = makeWorkbook(text);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.xls"));
    for (auto _ : state) {
        const WorkbookFileResult result = WorkbookFile::save(*workbook, path);
        if (!result.ok()) {
            state.SkipWithError("write failed");
        }
    }
    state.SetItemsProcessed(state.iterations() * kRows * kColumns);
}

/* 200,000 text cells to an .xls file. */
void BM_WriteTextCells(benchmark::State& state) {
    writeFile(state, true);
}
BENCHMARK(BM_WriteTextCells)->Unit(benchmark::kMillisecond);

/* 200,000 numbers to an .xls file. */
void BM_WriteNumberCells(benchmark::State& state) {
    writeFile(state, false);
}
BENCHMARK(BM_WriteNumberCells)->Unit(benchmark::kMillisecond);

/* 200,000 text cells to the BIFF8 stream only, without the compound file. */
void BM_BuildTextStream(benchmark::State& state) {
    const auto workbook = makeWorkbook(true);
    for (auto _ : state) {
        QByteArray stream;
        XlsWriter::buildStream(*workbook, stream);
        benchmark::DoNotOptimize(stream.data());
    }
    state.SetItemsProcessed(state.iterations() * kRows * kColumns);
}
BENCHMARK(BM_BuildTextStream)->Unit(benchmark::kMillisecond);

/* Read back a 100,000-cell workbook (half text, half numbers). */
void BM_Read100kCells(benchmark::State& state) {
    auto workbook = makeWorkbook(true, kRows / 4);
    Worksheet& sheet = *workbook->addSheet();
    for (int row = 1; row <= kRows / 4; ++row) {
        for (int column = 1; column <= kColumns; ++column) {
            sheet.setNumber(row, column, row + column * 0.5);
        }
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("read.xls"));
    WorkbookFile::save(*workbook, path);
    for (auto _ : state) {
        Workbook read;
        const WorkbookFileResult result = XlsReader::read(path, read);
        if (!result.ok()) {
            state.SkipWithError("read failed");
        }
    }
    state.SetItemsProcessed(state.iterations() * kRows / 2 * kColumns);
}
BENCHMARK(BM_Read100kCells)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
