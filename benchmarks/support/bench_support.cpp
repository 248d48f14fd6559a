#include "support/bytestring.h"
#include "support/processlist.h"
#include "support/settingsfile.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

/* A settings text of about `bytes` bytes whose wanted key comes last. */
std::string settingsText(std::size_t bytes) {
    std::string text;
    for (int i = 0; text.size() < bytes; ++i) {
        text += "Key" + std::to_string(i) + "=D:\\Some\\Folder\\Path\r\n";
    }
    return text + "SavePath=D:\\Out\r\n";
}

/* Read the last key of a full-size settings text. */
void BM_GetKeyValue(benchmark::State& state) {
    const std::string text = settingsText(static_cast<std::size_t>(state.range(0)));
    std::string value;
    for (auto _ : state) {
        getKeyValue(value, text, "SavePath");
        benchmark::DoNotOptimize(value);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_GetKeyValue)->Arg(1024)->Arg(10240);

/* Rewrite the last key of a full-size settings text. */
void BM_SetKeyValueInText(benchmark::State& state) {
    const std::string text = settingsText(static_cast<std::size_t>(state.range(0)));
    std::string out;
    for (auto _ : state) {
        setKeyValueInText(out, text, "SavePath", "E:\\New");
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_SetKeyValueInText)->Arg(1024)->Arg(10240);

/* Turn every "/" of a long path into a backslash. */
void BM_ReplaceAllSeparators(benchmark::State& state) {
    std::string path;
    while (path.size() < static_cast<std::size_t>(state.range(0))) {
        path += "/folder";
    }
    for (auto _ : state) {
        std::string work = path;
        replaceAll(work, "/", "\\");
        benchmark::DoNotOptimize(work);
    }
}
BENCHMARK(BM_ReplaceAllSeparators)->Arg(256)->Arg(1022);

/* One look at the process list, as the conversion job takes before each document. */
void BM_CountProcessesByName(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(countProcessesByName("et.exe"));
    }
}
BENCHMARK(BM_CountProcessesByName);

}  // namespace

BENCHMARK_MAIN();
