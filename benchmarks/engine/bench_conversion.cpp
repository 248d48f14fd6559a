// The conversion job with the built-in office over a folder of small documents (a heading, a
// paragraph and one 10x5 table each), in both modes; reports documents per second.
//
// The seed document is written with /usr/bin/python3 and python3-docx; every document of the
// tree is a copy of it. scripts/bench-conversion.sh measures the same with the converter
// program, including peak memory for 500 and 5,000 documents.

#include "engine/convertoptions.h"
#include "engine/mergeobject.h"
#include "office/builtinoffice.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace {

const int documentCount = 100;

// The source tree, made once for all benchmarks.
struct Tree {
    QTemporaryDir temp;
    bool ready = false;

    Tree() {
        const QString seed = temp.path() + QStringLiteral("/seed.docx");
        const QString program = QStringLiteral(
            "import sys, docx\n"
            "d = docx.Document()\n"
            "d.add_heading('Quarterly figures', level=1)\n"
            "d.add_paragraph('Figures for the quarter, by region and month.')\n"
            "t = d.add_table(rows=10, cols=5)\n"
            "for r in range(10):\n"
            "    for c in range(5):\n"
            "        t.cell(r, c).text = str(r * 100 + c)\n"
            "d.save(sys.argv[1])\n");
        QProcess python;
        python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), program, seed});
        if (!python.waitForFinished(60000) || python.exitCode() != 0) {
            return;
        }
        QDir().mkpath(source());
        for (int i = 0; i < documentCount; ++i) {
            QFile::copy(seed, source() + QStringLiteral("doc") + QString::number(i) +
                                  QStringLiteral(".docx"));
        }
        ready = true;
    }

    QString source() const { return temp.path() + QStringLiteral("/src/"); }
    QString save() const { return temp.path() + QStringLiteral("/out/"); }
};

/* The tree of the process, made on first use. */
Tree& tree() {
    static Tree instance;
    return instance;
}

/* Convert the whole tree per iteration in one mode. */
void convertTree(benchmark::State& state, bool justTable) {
    Tree& source = tree();
    if (!source.ready) {
        state.SkipWithError("python3-docx could not write the seed document");
        return;
    }
    registerBuiltinOffice();
    QDir().mkpath(source.save());
    ConvertOptions& options = convertOptions();
    options = ConvertOptions();
    options.sourcePath = source.source();
    options.savePath = source.save();
    options.failureReportPath = source.save() + ConvertOptions::failureReportName();
    options.justTable = justTable;
    int converted = 0;
    for (auto _ : state) {
        MergeObject job;
        job.setReportViewer(MergeObject::ReportViewer());
        job.Transform();
        converted += job.lastRun().converted;
    }
    if (converted != documentCount * static_cast<int>(state.iterations())) {
        state.SkipWithError("not every document was converted");
    }
    state.counters["docs/s"] = benchmark::Counter(converted, benchmark::Counter::kIsRate);
}

/* Whole-document mode. */
void BM_WholeDocumentMode(benchmark::State& state) {
    convertTree(state, false);
}

/* Table mode. */
void BM_TableMode(benchmark::State& state) {
    convertTree(state, true);
}

BENCHMARK(BM_WholeDocumentMode)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TableMode)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
