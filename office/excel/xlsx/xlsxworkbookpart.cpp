#include "office/excel/xlsx/xlsxworkbookpart.h"

/* bookViews, then sheets. */
void XlsxWorkbookPart::write(XmlSink& out, const Workbook& workbook) {
    out << XmlSink::kDeclaration
        << "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
           "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
           "<bookViews><workbookView";
    if (workbook.activeSheet() > 0) {
        out << " activeTab=\"";
        out.number(workbook.activeSheet()) << "\"";
    }
    out << "/></bookViews><sheets>";
    for (int i = 0; i < workbook.sheetCount(); ++i) {
        out << "<sheet";
        out.attribute("name", workbook.sheet(i)->name()) << " sheetId=\"";
        out.number(i + 1) << "\" r:id=\"rId";
        out.number(i + 1) << "\"/>";
    }
    out << "</sheets></workbook>\n";
}
