#pragma once

#include "office/excel/model/workbook.h"
#include "office/excel/xlsx/xmlsink.h"

// xl/workbook.xml (CT_Workbook, ECMA-376 Part 1, 18.2.27): the book view with the active
// sheet, then the sheets by name, each related as rId1..n.
class XlsxWorkbookPart {
public:
    static void write(XmlSink& out, const Workbook& workbook);
};
