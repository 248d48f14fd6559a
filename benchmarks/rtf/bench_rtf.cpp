// Opening and copying RTF with the RTF reader: a generated 10 MB document of tables written the
// way Word writes rows (row definition with borders and shading, then the cells), and the
// LibreOffice fixtures. Throughput is reported as bytes per second of RTF.
//
// Run from anywhere: build/benchmarks/bench_rtf (the fixtures are found beside the sources).

#include "benchmarks/wordbenchcopy.h"
#include "office/word/rtf/rtfreader.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>

#include <vector>

namespace {

/* One table row as Word writes it: \trowd with borders, five cells, Chinese and Latin text. */
QByteArray tableRow(int index) {
    QByteArray row = "\\trowd\\trgaph108\\trleft-108\\trrh300";
    for (int c = 1; c <= 5; ++c) {
        row +=
            "\\clvertalc\\clbrdrt\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10"
            "\\clbrdrb\\brdrs\\brdrw10\\clbrdrr\\brdrs\\brdrw10\\clcbpat2\\cellx" +
            QByteArray::number(c * 1800);
    }
    row += "\\pard\\plain\\intbl\\f1\\fs21 ";
    row += "{\\b \\'d0\\'f2\\'ba\\'c5}\\cell " + QByteArray::number(index) + "\\cell ";
    row += "\\u24352?\\u19977?\\cell 110101199001011234\\cell Room 1204, Building B\\cell\\row\n";
    return row;
}

/* A document of tables of about `bytes` bytes, with a paragraph between every 50 rows. */
QByteArray generatedTables(int bytes) {
    QByteArray rtf =
        "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\fcharset134 "
        "\\'cb\\'ce\\'cc\\'e5;}}{\\colortbl;\\red0\\green0\\blue0;\\red230\\green230\\blue230;}\n";
    for (int i = 0; rtf.size() < bytes; ++i) {
        if (i % 50 == 0) {
            rtf += "\\pard\\plain\\qc\\b Table " + QByteArray::number(i / 50) + "\\par\n";
        }
        rtf += tableRow(i);
    }
    return rtf + "}";
}

/* Open and copy a 10 MB RTF of tables. */
void BM_OpenAndCopyTables10MB(benchmark::State& state) {
    const QByteArray rtf = generatedTables(10 * 1024 * 1024);
    for (auto _ : state) {
        const WordLoadResult result = RtfReader::readData(rtf);
        if (!result) {
            state.SkipWithError(result.message.toUtf8().constData());
            return;
        }
        WordBenchCopy::copyAll(*result.document);
    }
    state.SetBytesProcessed(static_cast<qint64>(state.iterations()) * rtf.size());
}
BENCHMARK(BM_OpenAndCopyTables10MB)->Unit(benchmark::kMillisecond);

/* Open only, to separate the reader's share from the copy's. */
void BM_OpenTables10MB(benchmark::State& state) {
    const QByteArray rtf = generatedTables(10 * 1024 * 1024);
    for (auto _ : state) {
        benchmark::DoNotOptimize(RtfReader::readData(rtf).document.get());
    }
    state.SetBytesProcessed(static_cast<qint64>(state.iterations()) * rtf.size());
}
BENCHMARK(BM_OpenTables10MB)->Unit(benchmark::kMillisecond);

/* Open and copy every LibreOffice fixture. */
void BM_OpenAndCopyLibreOfficeFixtures(benchmark::State& state) {
    std::vector<QByteArray> documents;
    QDir folder(QStringLiteral(SW_SOURCE_DIR "/tests/data/rtf/libreoffice"));
    qint64 total = 0;
    for (const QString& name : folder.entryList({QStringLiteral("*.rtf")}, QDir::Files)) {
        QFile file(folder.filePath(name));
        if (!file.open(QIODevice::ReadOnly)) {
            continue;
        }
        documents.push_back(file.readAll());
        total += documents.back().size();
    }
    for (auto _ : state) {
        for (const QByteArray& rtf : documents) {
            const WordLoadResult result = RtfReader::readData(rtf);
            if (result) {
                WordBenchCopy::copyAll(*result.document);
            }
        }
    }
    state.SetBytesProcessed(static_cast<qint64>(state.iterations()) * total);
}
BENCHMARK(BM_OpenAndCopyLibreOfficeFixtures)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
