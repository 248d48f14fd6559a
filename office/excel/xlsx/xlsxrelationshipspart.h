#pragma once

#include "office/excel/xlsx/xmlsink.h"

// The relationship parts (ECMA-376 Part 2, 9.3): the package's own (_rels/.rels: the
// workbook and the document properties) and the workbook's (xl/_rels/workbook.xml.rels:
// sheets rId1..n, then styles and shared strings).
class XlsxRelationshipsPart {
public:
    static void writePackageRels(XmlSink& out);
    static void writeWorkbookRels(XmlSink& out, int sheetCount);
};
