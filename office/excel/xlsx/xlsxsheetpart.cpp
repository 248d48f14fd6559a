#include "office/excel/xlsx/xlsxsheetpart.h"

#include <cmath>

namespace {

/* The sheet's view (CT_SheetView, 18.3.1.87): tab selection, frozen rows and the selection. */
void writeSheetView(XmlSink& out, const Worksheet& sheet, bool selected) {
    const CellRange& selection = sheet.selection();
    out << "<sheetViews><sheetView " << (selected ? "tabSelected=\"1\" " : "")
        << "workbookViewId=\"0\">";
    if (sheet.frozenRows() > 0) {
        // CT_Pane (18.3.1.66): the rows above the split stay in view.
        const QByteArray topLeft = CellRange::cellName(sheet.frozenRows() + 1, 1).toLatin1();
        out << "<pane ySplit=\"";
        out.number(sheet.frozenRows())
            << "\" topLeftCell=\"" << topLeft << "\" activePane=\"bottomLeft\" state=\"frozen\"/>";
    }
    out << "<selection " << (sheet.frozenRows() > 0 ? "pane=\"bottomLeft\" " : "")
        << "activeCell=\""
        << CellRange::cellName(selection.firstRow, selection.firstColumn).toLatin1()
        << "\" sqref=\"" << selection.toString().toLatin1() << "\"/></sheetView></sheetViews>";
}

/* One <c> element (CT_Cell, 18.3.1.4). */
void writeCell(XmlSink& out, const QByteArray& column, const QByteArray& rowText, const Cell& cell,
               const int*& stringIndex, const XlsxStyleMap& styles) {
    out << "<c r=\"" << column << rowText << "\"";
    if (cell.format != 0) {
        out << " s=\"";
        out.number(styles(cell.format)) << "\"";
    }
    switch (cell.kind) {
        case Cell::Kind::Empty:
            out << "/>";
            return;
        case Cell::Kind::Text:
            out << " t=\"s\"><v>";
            out.number(*stringIndex++) << "</v></c>";
            return;
        case Cell::Kind::Boolean:
            out << " t=\"b\"><v>" << (cell.number != 0 ? "1" : "0") << "</v></c>";
            return;
        case Cell::Kind::Number:
            if (!std::isfinite(cell.number)) {
                out << " t=\"e\"><v>#NUM!</v></c>";
                return;
            }
            out << "><v>";
            out.real(cell.number) << "</v></c>";
            return;
    }
}

}  // namespace

XlsxSheetPart::XlsxSheetPart(const XlsxStyleMap& styles, const std::vector<int>& stringIndices)
    : m_styles(styles),
      m_stringIndex(stringIndices.data()),
      m_columnNames(static_cast<size_t>(kMaxColumns) + 1) {}

/* Every merged range within the sheet's bounds. */
WorkbookFileResult XlsxSheetPart::checkMerges(const Workbook& workbook) {
    for (int s = 0; s < workbook.sheetCount(); ++s) {
        const auto sheet = workbook.sheet(s);
        for (const CellRange& merge : sheet->merges()) {
            if (merge.firstRow < 1 || merge.firstColumn < 1 || merge.lastRow > kMaxRows ||
                merge.lastColumn > kMaxColumns) {
                return WorkbookFileResult::failure(
                    QStringLiteral("Sheet \"%1\": a merged range reaches beyond the %2 rows and "
                                   "%3 columns a sheet can hold")
                        .arg(sheet->name())
                        .arg(kMaxRows)
                        .arg(kMaxColumns));
            }
        }
    }
    return WorkbookFileResult::success();
}

/* The whole part. */
void XlsxSheetPart::write(XmlSink& out, const Worksheet& sheet, bool selected) {
    writeHead(out, sheet, selected);
    out << "<sheetData>";
    writeRows(out, sheet);
    out << "</sheetData>";
    writeTail(out, sheet);
}

/* "<?xml ...?><worksheet ...>" through the dimension, views, format and columns. */
void XlsxSheetPart::writeHead(XmlSink& out, const Worksheet& sheet, bool selected) const {
    out << XmlSink::kDeclaration
        << "\n<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
           "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">";
    out << "<dimension ref=\""
        << sheet.usedRange().value_or(CellRange::cell(1, 1)).toString().toLatin1() << "\"/>";
    writeSheetView(out, sheet, selected);
    out << "<sheetFormatPr defaultRowHeight=\"15\"/>";
    writeColumns(out, sheet);
}

/* <cols>: one <col> (CT_Col, 18.3.1.13) per run of equal columns, when any differs. */
void XlsxSheetPart::writeColumns(XmlSink& out, const Worksheet& sheet) const {
    const std::vector<Worksheet::ColumnSpan> spans = sheet.columnSpans();
    if (spans.empty()) {
        return;
    }
    out << "<cols>";
    for (const Worksheet::ColumnSpan& span : spans) {
        out << "<col min=\"";
        out.number(span.first) << "\" max=\"";
        out.number(span.last) << "\" width=\"";
        if (span.width >= 0) {
            out.real(span.width) << "\" customWidth=\"1\"";
        } else {
            out.real(Worksheet::kDefaultColumnWidth) << "\"";
        }
        if (span.format != 0) {
            out << " style=\"";
            out.number(m_styles(span.format)) << "\"";
        }
        out << "/>";
    }
    out << "</cols>";
}

/* Rows with cells and rows with only a height or a default format, in row order. */
void XlsxSheetPart::writeRows(XmlSink& out, const Worksheet& sheet) {
    auto cells = sheet.rows().begin();
    auto heights = sheet.rowHeights().begin();
    auto formats = sheet.rowFormats().begin();
    for (;;) {
        const int cellRow = cells != sheet.rows().end() ? cells->first : kMaxRows + 1;
        const int heightRow = heights != sheet.rowHeights().end() ? heights->first : kMaxRows + 1;
        const int formatRow = formats != sheet.rowFormats().end() ? formats->first : kMaxRows + 1;
        const int row = qMin(qMin(cellRow, heightRow), formatRow);
        if (row > kMaxRows) {
            break;
        }
        const QByteArray rowText = QByteArray::number(row);
        out << "<row r=\"" << rowText << "\"";
        if (heightRow == row) {
            out << " ht=\"";
            out.real(heights->second) << "\"";
            // A height fitted to the row's text is what a reader's autofit gives too.
            if (sheet.hasCustomHeight(row)) {
                out << " customHeight=\"1\"";
            }
            ++heights;
        }
        if (formatRow == row) {
            out << " s=\"";
            out.number(m_styles(formats->second)) << "\" customFormat=\"1\"";
            ++formats;
        }
        if (cellRow == row) {
            writeCells(out, cells->second.cells, rowText);
            ++cells;
        } else {
            out << "/>";
        }
        out.flushIfFull();
    }
}

/* The rest of a <row> holding cells. */
void XlsxSheetPart::writeCells(XmlSink& out, const std::vector<Cell>& cells,
                               const QByteArray& rowText) {
    out << ">";
    // The hot loop: the next string index kept in a local, not read through `this`.
    const int* stringIndex = m_stringIndex;
    for (const Cell& cell : cells) {
        QByteArray& column = m_columnNames[static_cast<size_t>(cell.column)];
        if (column.isEmpty()) {
            column = CellRange::columnName(cell.column).toLatin1();
        }
        writeCell(out, column, rowText, cell, stringIndex, m_styles);
    }
    m_stringIndex = stringIndex;
    out << "</row>";
}

/* After the cells: auto filter (CT_AutoFilter, 18.3.1.2) before merged cells, then margins. */
void XlsxSheetPart::writeTail(XmlSink& out, const Worksheet& sheet) const {
    if (sheet.hasAutoFilter()) {
        out << "<autoFilter ref=\"" << sheet.autoFilter().toString().toLatin1() << "\"/>";
    }
    if (!sheet.merges().empty()) {
        out << "<mergeCells count=\"";
        out.number(static_cast<long long>(sheet.merges().size())) << "\">";
        for (const CellRange& merge : sheet.merges()) {
            out << "<mergeCell ref=\"" << merge.toString().toLatin1() << "\"/>";
        }
        out << "</mergeCells>";
    }
    out << "<pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" header=\"0.3\" "
           "footer=\"0.3\"/></worksheet>";
}
