// Writing and reading workbooks with the built-in Excel's own .xlsx writer and reader.
//
// Each writing case saves a 4,000 x 50 sheet (200,000 cells); items per second are cells
// per second of the whole save (shared strings, styles, sheet XML, compression, rename).

#include "office/excel/workbookfile.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include <malloc.h>

namespace {

const int kRows = 4000;
const int kColumns = 50;

/* A sheet of text cells, as a pasted document gives them. */
std::shared_ptr<Workbook> textWorkbook() {
    auto book = Workbook::createNew(1);
    Worksheet& sheet = *book->sheet(0);
    for (int r = 1; r <= kRows; ++r) {
        for (int c = 1; c <= kColumns; ++c) {
            sheet.setText(r, c, QStringLiteral("Row %1 column %2").arg(r).arg(c));
        }
    }
    return book;
}

/* A sheet of numbers. */
std::shared_ptr<Workbook> numberWorkbook() {
    auto book = Workbook::createNew(1);
    Worksheet& sheet = *book->sheet(0);
    for (int r = 1; r <= kRows; ++r) {
        for (int c = 1; c <= kColumns; ++c) {
            sheet.setNumber(r, c, r * 1000.25 + c);
        }
    }
    return book;
}

/* Save the workbook again and again. */
void saveRepeatedly(benchmark::State& state, const Workbook& book) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.xlsx"));
    for (auto _ : state) {
        const WorkbookFileResult result = WorkbookFile::save(book, path);
        if (!result) {
            state.SkipWithError(result.message.toUtf8().constData());
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * kRows * kColumns);
}

/* 200,000 text cells. */
void BM_WriteText(benchmark::State& state) {
    const auto book = textWorkbook();
    saveRepeatedly(state, *book);
}
BENCHMARK(BM_WriteText)->Unit(benchmark::kMillisecond);

/* 200,000 numbers. */
void BM_WriteNumbers(benchmark::State& state) {
    const auto book = numberWorkbook();
    saveRepeatedly(state, *book);
}
BENCHMARK(BM_WriteNumbers)->Unit(benchmark::kMillisecond);

/* Building the model and saving it: what a conversion pays per workbook. */
void BM_BuildAndWriteText(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.xlsx"));
    for (auto _ : state) {
        const auto book = textWorkbook();
        WorkbookFile::save(*book, path);
    }
    state.SetItemsProcessed(state.iterations() * kRows * kColumns);
}
BENCHMARK(BM_BuildAndWriteText)->Unit(benchmark::kMillisecond);

/* Reading a 100,000-cell template (2,000 x 50, half text, half numbers). */
void BM_Read100kTemplate(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("template.xlsx"));
    auto book = Workbook::createNew(1);
    Worksheet& sheet = *book->sheet(0);
    for (int r = 1; r <= 2000; ++r) {
        for (int c = 1; c <= kColumns; ++c) {
            if (c % 2 == 0) {
                sheet.setNumber(r, c, r + c / 100.0);
            } else {
                sheet.setText(r, c, QStringLiteral("T%1-%2").arg(r).arg(c));
            }
        }
    }
    if (!WorkbookFile::save(*book, path)) {
        state.SkipWithError("cannot write the template");
        return;
    }
    for (auto _ : state) {
        Workbook read;
        const WorkbookFileResult result = WorkbookFile::load(path, read);
        if (!result || read.sheet(0)->cellCount() != 100000) {
            state.SkipWithError("read failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * 100000);
}
BENCHMARK(BM_Read100kTemplate)->Unit(benchmark::kMillisecond);

/* Heap bytes per stored cell for sheets of growing size: flat when memory is linear. */
void BM_ModelBytesPerCell(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    double bytesPerCell = 0;
    for (auto _ : state) {
        const size_t before = mallinfo2().uordblks;
        auto book = Workbook::createNew(1);
        Worksheet& sheet = *book->sheet(0);
        for (int r = 1; r <= rows; ++r) {
            for (int c = 1; c <= kColumns; ++c) {
                sheet.setText(r, c, QStringLiteral("Row %1 column %2").arg(r).arg(c));
            }
        }
        const size_t after = mallinfo2().uordblks;
        bytesPerCell = static_cast<double>(after - before) / (static_cast<double>(rows) * kColumns);
    }
    state.counters["bytes_per_cell"] = bytesPerCell;
}
BENCHMARK(BM_ModelBytesPerCell)->Arg(400)->Arg(4000)->Arg(20000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
