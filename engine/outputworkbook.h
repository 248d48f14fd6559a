#pragma once

#include "automation/axhandle.h"
#include "engine/convertoptions.h"

#include <QString>
#include <QStringList>

// The workbook one document is converted into: a new workbook reduced to one sheet (with the
// template's top rows when a template is used), and, after the content transfer, the
// template's column widths and formats on every sheet, the save under the mirrored output
// path, and the close. Every object it obtains is released when it is destroyed.
class OutputWorkbook {
public:
    // `excel` and `workBooks` belong to the caller and must outlive this object.
    OutputWorkbook(AxObject* excel, AxObject* workBooks, const ConvertOptions& options);
    ~OutputWorkbook();

    // Open the template (when used), add the new workbook, delete all its sheets but the
    // first, and paste the template rows into the first sheet. Missing objects are skipped.
    void prepare();

    // The sheet collection, the first sheet and the template rows range; null when the
    // spreadsheet application did not give them (or no template is used).
    AxObject* sheets() const { return m_sheets.get(); }
    AxObject* firstSheet() const { return m_firstSheet.get(); }
    AxObject* templateRows() const { return m_templateRows.get(); }

    // Apply the template's widths and formats, close the template unsaved, save the workbook
    // under the output path of `documentPath`, close it and tell the spreadsheet application
    // to quit. True only when the workbook file was written by this save. A folder or a
    // read-only file of the output's name is left as it is, and the save fails with why.
    bool finish(const QString& documentPath);

    // Why the last finish() could not save, as the spreadsheet application said (for example
    // a limit of the file format); empty when it saved or gave no reason.
    QString saveError() const { return m_saveError; }

    // The cells of the last saved workbook whose text the paste cut to what a cell holds, or
    // a column split left holding a row's rest unsplit, as "Sheet!A1 (why)" texts; empty when
    // nothing was cut or the application does not say.
    QStringList cutCells() const { return m_cutCells; }

    // The output path of a document: `sourcePath` at its start replaced by `savePath`, and
    // ".doc" in the file name's ending turned into ".xls". Creates the output folder; a
    // folder that cannot be created is not reported (the save then fails).
    static QString outputPath(const QString& documentPath, const ConvertOptions& options);

    // The same path without creating anything.
    static QString mirroredPath(const QString& documentPath, const ConvertOptions& options);

    // Why an earlier entry at `path` must not be replaced by a new workbook: a folder of that
    // name, or a file its owner may not write (read-only); empty when a save may go ahead.
    static QString refusalToReplace(const QString& path);

private:
    void openTemplate();
    void reduceToOneSheet();
    void applyTemplateFormats();
    bool save(const QString& path);

    AxObject* m_excel;
    AxObject* m_workBooks;
    const ConvertOptions& m_options;
    AxHandle m_templateBook;
    AxHandle m_templateRows;
    AxHandle m_book;
    AxHandle m_sheets;
    AxHandle m_firstSheet;
    QString m_saveError;
    QStringList m_cutCells;
};
