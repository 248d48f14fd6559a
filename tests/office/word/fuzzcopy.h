#pragma once

// What the fuzz targets of the Word readers do with every document that opens: copy the whole
// story and every table, as the conversion job does.

#include "office/word/model/wordloadresult.h"
#include "office/word/server/wordfragmentbuilder.h"

/* Copy the document of a result that opened; nothing for one that did not. */
inline void copyAsTheJobDoes(const WordLoadResult& result) {
    if (!result) {
        return;
    }
    Fragment fragment;
    WordFragmentBuilder::wholeStory(*result.document, fragment);
    for (const auto& table : result.document->topLevelTables()) {
        WordFragmentBuilder::table(*table, fragment);
    }
}
