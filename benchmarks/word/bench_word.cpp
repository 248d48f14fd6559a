// Opening and copying with the built-in Word: the shared corpus of real .docx/.docm files,
// and a generated document with one 5,000-row x 10-column table.
//
// Run from anywhere: build/benchmarks/bench_word (the corpus is found beside the sources).

#include "benchmarks/wordbenchcopy.h"
#include "office/word/docx/docxreader.h"
#include "office/word/wordfileloader.h"
#include "office/word/server/wordfragmentbuilder.h"

#include <benchmark/benchmark.h>

#include <quazip.h>
#include <quazipfile.h>

#include <QBuffer>
#include <QDirIterator>

#include <malloc.h>

namespace {

/* Every .docx and .docm of the shared corpus. */
QStringList corpusFiles() {
    QStringList files;
    QDirIterator it(QStringLiteral(SW_SOURCE_DIR "/../shared/corpus/docx"),
                    {QStringLiteral("*.docx"), QStringLiteral("*.docm")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        files << it.next();
    }
    files.sort();
    return files;
}

/* The main part of a document with one table of `rows` x `columns` short texts. */
QByteArray bigTableXml(int rows, int columns) {
    QByteArray xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?><w:document "
        "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body><w:tbl>"
        "<w:tblPr><w:tblStyle w:val=\"TableGrid\"/><w:tblW w:w=\"0\" w:type=\"auto\"/></w:tblPr>"
        "<w:tblGrid>";
    for (int c = 0; c < columns; ++c) {
        xml += "<w:gridCol w:w=\"864\"/>";
    }
    xml += "</w:tblGrid>";
    for (int r = 0; r < rows; ++r) {
        xml += "<w:tr>";
        for (int c = 0; c < columns; ++c) {
            xml += "<w:tc><w:tcPr><w:tcW w:w=\"864\" w:type=\"dxa\"/></w:tcPr><w:p><w:r><w:t>r" +
                   QByteArray::number(r) + "c" + QByteArray::number(c) +
                   "</w:t></w:r></w:p></w:tc>";
        }
        xml += "</w:tr>";
    }
    xml += "</w:tbl><w:p/></w:body></w:document>";
    return xml;
}

/* Zip a main part into a minimal package. */
QByteArray packageOf(const QByteArray& documentXml) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QuaZip zip(&buffer);
    zip.open(QuaZip::mdCreate);
    const std::pair<const char*, QByteArray> parts[] = {
        {"_rels/.rels",
         "<?xml version=\"1.0\"?><Relationships "
         "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship "
         "Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
         "officeDocument\" Target=\"word/document.xml\"/></Relationships>"},
        {"word/document.xml", documentXml}};
    for (const auto& part : parts) {
        QuaZipFile file(&zip);
        file.open(QIODevice::WriteOnly, QuaZipNewInfo(QString::fromLatin1(part.first)));
        file.write(part.second);
        file.close();
    }
    zip.close();
    return bytes;
}

/* Open and copy every corpus document; the time per iteration covers the whole corpus. */
void BM_CorpusOpenAndCopy(benchmark::State& state) {
    const QStringList files = corpusFiles();
    for (auto _ : state) {
        for (const QString& file : files) {
            const WordLoadResult result = WordFileLoader::load(file);
            if (result) {
                WordBenchCopy::copyAll(*result.document);
            }
        }
    }
    state.counters["documents"] = files.size();
    // CPU seconds per document (shown with an SI prefix: "5m" is 5 ms).
    state.counters["seconds_per_document"] = benchmark::Counter(
        static_cast<double>(files.size()),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_CorpusOpenAndCopy)->Unit(benchmark::kMillisecond);

/* Open and copy each corpus document on its own, for the median and the slowest. */
void BM_CorpusDocument(benchmark::State& state) {
    const QStringList files = corpusFiles();
    const QString file = files.value(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        const WordLoadResult result = WordFileLoader::load(file);
        if (result) {
            WordBenchCopy::copyAll(*result.document);
        }
    }
    state.SetLabel(file.section(QLatin1Char('/'), -1).toStdString());
}
BENCHMARK(BM_CorpusDocument)->DenseRange(0, 45)->Unit(benchmark::kMillisecond);

/* Open and copy a document with one 5,000 x 10 table; also the model's memory. */
void BM_BigTableOpenAndCopy(benchmark::State& state) {
    const QByteArray xml = bigTableXml(5000, 10);
    const QByteArray package = packageOf(xml);
    size_t modelBytes = 0;
    for (auto _ : state) {
        const size_t before = mallinfo2().uordblks;
        const WordLoadResult result = DocxReader::readData(package);
        modelBytes = mallinfo2().uordblks - before;
        if (!result) {
            state.SkipWithError("the generated document did not open");
            break;
        }
        Fragment fragment;
        WordFragmentBuilder::table(*result.document->topLevelTables().front(), fragment);
        benchmark::DoNotOptimize(fragment.cells.data());
    }
    state.counters["document_xml_MB"] = xml.size() / 1e6;
    state.counters["model_per_xml_byte"] = static_cast<double>(modelBytes) / xml.size();
}
BENCHMARK(BM_BigTableOpenAndCopy)->Unit(benchmark::kMillisecond);

/* The copy alone: laying the 5,000 x 10 table out as a fragment. */
void BM_BigTableCopy(benchmark::State& state) {
    const WordLoadResult result = DocxReader::readData(packageOf(bigTableXml(5000, 10)));
    if (!result) {
        state.SkipWithError("the generated document did not open");
        return;
    }
    for (auto _ : state) {
        Fragment fragment;
        WordFragmentBuilder::table(*result.document->topLevelTables().front(), fragment);
        benchmark::DoNotOptimize(fragment.cells.data());
    }
}
BENCHMARK(BM_BigTableCopy)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
