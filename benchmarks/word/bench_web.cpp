// Opening and copying web pages with the built-in Word: a generated page with one table of
// 50,000 cells (5,000 rows x 10 columns) as Word writes its web pages, about 5 MB, with
// style rules, inline styles and a span in every cell. The bytes-per-second figure is the
// open-and-copy throughput.
//
// Run from anywhere: build/benchmarks/bench_web

#include "benchmarks/wordbenchcopy.h"
#include "office/word/html/htmlreader.h"

#include <benchmark/benchmark.h>

namespace {

/* A page with one table of `rows` x `columns` cells in Word's web-page markup. */
QByteArray bigTablePage(int rows, int columns) {
    QByteArray html =
        "<html xmlns:o=\"urn:schemas-microsoft-com:office:office\" "
        "xmlns:w=\"urn:schemas-microsoft-com:office:word\"><head><meta http-equiv=Content-Type "
        "content=\"text/html; charset=utf-8\"><style><!-- p.MsoNormal {margin:0cm; "
        "font-size:10.5pt; font-family:\"Calibri\",sans-serif;} td.xl65 {border:.5pt solid "
        "windowtext;} --></style></head><body lang=ZH-CN><div class=WordSection1>"
        "<table class=MsoTableGrid border=1 cellspacing=0 cellpadding=0>\n";
    for (int r = 0; r < rows; ++r) {
        html += "<tr style='height:15.0pt'>\n";
        for (int c = 0; c < columns; ++c) {
            html +=
                "<td width=64 valign=top class=xl65 style='width:48.0pt'><p "
                "class=MsoNormal><span lang=EN-US>r" +
                QByteArray::number(r) + "c" + QByteArray::number(c) +
                "<o:p></o:p></span></p></td>\n";
        }
        html += "</tr>\n";
    }
    html += "</table><p class=MsoNormal><o:p>&nbsp;</o:p></p></div></body></html>";
    return html;
}

/* Read the page and copy it, as the conversion does. */
void BM_HtmlOpenAndCopyTable(benchmark::State& state) {
    const QByteArray page = bigTablePage(5000, 10);
    for (auto _ : state) {
        const WordLoadResult result = HtmlReader::readData(page);
        if (!result) {
            state.SkipWithError("the page did not open");
            return;
        }
        WordBenchCopy::copyAll(*result.document);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * page.size());
    state.counters["page_MB"] = page.size() / 1e6;
}
BENCHMARK(BM_HtmlOpenAndCopyTable)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
