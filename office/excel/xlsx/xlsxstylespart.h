#pragma once

#include "office/excel/model/formattable.h"
#include "office/excel/xlsx/xmlsink.h"

// xl/styles.xml (CT_Stylesheet, ECMA-376 Part 1, 18.8.39): the workbook's format table as
// number formats, fonts, fills, borders and cell formats (xf), each font, fill, border and
// custom number format written once however many formats share it. Cell format i of the
// format table is written as cellXfs entry i, so a cell's style index is its format index.
class XlsxStylesPart {
public:
    // Write the part for the first `count` formats of `formats` (all when it holds fewer).
    static void write(XmlSink& out, const FormatTable& formats, int count);
};
