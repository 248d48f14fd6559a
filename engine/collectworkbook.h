#pragma once

#include "automation/axhandle.h"
#include "engine/fieldlayout.h"
#include "engine/outputworkbook.h"

#include <QHash>
#include <QStringList>

// The one workbook of collect mode, DEST/汇总.xlsx: sheet "汇总" with a row per document
// (column A its path below the source folder, then one column per field, named in row 1),
// sheet "核对" with what did not fit, and sheet "明细" with the rows of repeating tables, each
// after its document's path and first fields. Rows are written as documents come, so memory
// holds the workbook being built and no document list. Values are entered as typed: numbers
// only when nothing is lost, identity numbers, leading zeros and "1998.10" stay text.
class CollectWorkbook {
public:
    // `excel` and `workBooks` belong to the caller and must outlive this object.
    CollectWorkbook(AxObject* excel, AxObject* workBooks, const ConvertOptions& options,
                    const QStringList& expectedFields);

    // Add the workbook (with the template's rows when one is used) and its sheets.
    void prepare();
    // One document's row, its notes and its detail rows.
    void addDocument(const QString& relativePath, const CollectedValues& values);
    // Note a document in the check sheet only.
    void addNote(const QString& relativePath, const QString& note);
    // Write the header rows, fit the columns, freeze the headers, filter, save and close.
    // True when the workbook was saved.
    bool finish();

    QString saveError() const { return m_book.saveError(); }
    QStringList cutCells() const { return m_book.cutCells(); }

    // The workbook's name in DEST.
    static QString fileName();

private:
    static void writeRow(AxObject* sheet, int row, const QVariantList& values);
    static void finishSheet(AxObject* sheet, const QStringList& header, int lastRow);
    int columnOf(QHash<QString, int>& index, QStringList& columns, const QString& name);
    AxObject* detailSheet();
    AxHandle appendSheet(const QString& name);

    void freezeHeader(AxObject* sheet);

    AxObject* m_excel;
    const ConvertOptions& m_options;
    OutputWorkbook m_book;
    AxHandle m_check;
    AxHandle m_detail;
    QStringList m_columns;  // field names of sheet 1 from column B
    QHash<QString, int> m_columnIndex;
    QStringList m_detailColumns;  // detail sheet's names from column B
    QHash<QString, int> m_detailIndex;
    int m_rows = 1;  // last written row of each sheet
    int m_checkRows = 1;
    int m_detailRows = 1;
};
