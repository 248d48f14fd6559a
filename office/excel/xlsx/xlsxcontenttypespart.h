#pragma once

#include "office/excel/xlsx/xmlsink.h"

// [Content_Types].xml (ECMA-376 Part 2, 10.1.2): the content type of every part the writer
// puts into a package.
class XlsxContentTypesPart {
public:
    // Write the part for a workbook of `sheetCount` sheets; `macroEnabled` gives the .xlsm
    // workbook content type.
    static void write(XmlSink& out, int sheetCount, bool macroEnabled);
};
