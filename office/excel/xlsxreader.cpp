#include "office/excel/xlsxreader.h"

/* Read a package; filled in by the package reader. */
WorkbookFileResult XlsxReader::read(const QString& path, Workbook& workbook) {
    Q_UNUSED(path);
    Q_UNUSED(workbook);
    return WorkbookFileResult::failure(QStringLiteral("Reading .xlsx is not available yet"));
}
