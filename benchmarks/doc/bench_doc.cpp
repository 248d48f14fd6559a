// Opening and copying every Word 97-2003 document of the shared corpus with the .doc reader.
//
// Run from anywhere: build/benchmarks/bench_doc (the corpus is found beside the sources).

#include "benchmarks/wordbenchcopy.h"
#include "office/word/doc/docreader.h"

#include <benchmark/benchmark.h>

#include <QDirIterator>
#include <QFile>

#include <vector>

namespace {

/* The bytes of every .doc of the shared corpus that the reader opens. */
std::vector<QByteArray> corpusDocuments() {
    std::vector<QByteArray> documents;
    QDirIterator it(QStringLiteral(SW_SOURCE_DIR "/../shared/corpus"), {QStringLiteral("*.doc")},
                    QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        if (!file.open(QIODevice::ReadOnly)) {
            continue;
        }
        QByteArray bytes = file.readAll();
        if (DocReader::readData(bytes)) {
            documents.push_back(bytes);
        }
    }
    return documents;
}

/* Open (from memory) and copy every corpus .doc; the counter gives the time per document. */
void BM_OpenAndCopyCorpus(benchmark::State& state) {
    const std::vector<QByteArray> documents = corpusDocuments();
    if (documents.empty()) {
        state.SkipWithError("no .doc files in the shared corpus");
        return;
    }
    for (auto _ : state) {
        for (const QByteArray& bytes : documents) {
            const WordLoadResult result = DocReader::readData(bytes);
            if (result) {
                WordBenchCopy::copyAll(*result.document);
            }
        }
    }
    state.counters["documents"] = static_cast<double>(documents.size());
    state.counters["per_document"] = benchmark::Counter(
        static_cast<double>(documents.size()),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_OpenAndCopyCorpus)->Unit(benchmark::kMillisecond);

/* Open only, to separate the reader's share from the copy's. */
void BM_OpenCorpus(benchmark::State& state) {
    const std::vector<QByteArray> documents = corpusDocuments();
    for (auto _ : state) {
        for (const QByteArray& bytes : documents) {
            benchmark::DoNotOptimize(DocReader::readData(bytes).document.get());
        }
    }
    state.counters["per_document"] = benchmark::Counter(
        static_cast<double>(documents.size()),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_OpenCorpus)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
