#pragma once

#include "office/clipboard/fragment.h"
#include "office/word/model/worddocument.h"
#include "office/word/server/wordfragmentbuilder.h"

#include <benchmark/benchmark.h>

// What the Word benchmarks do with a loaded document: copy it the way the conversion does.
class WordBenchCopy {
public:
    /* Copy the whole story and each table, as both conversion modes do. */
    static void copyAll(const WordDocument& document) {
        Fragment fragment;
        WordFragmentBuilder::wholeStory(document, fragment);
        benchmark::DoNotOptimize(fragment.cells.data());
        for (const auto& table : document.topLevelTables()) {
            WordFragmentBuilder::table(*table, fragment);
            benchmark::DoNotOptimize(fragment.cells.data());
        }
    }
};
