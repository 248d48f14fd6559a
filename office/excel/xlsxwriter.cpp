#include "office/excel/xlsxwriter.h"

/* Write a package; filled in by the package writer. */
WorkbookFileResult XlsxWriter::write(const Workbook& workbook, const QString& path,
                                     bool macroEnabled) {
    Q_UNUSED(path);
    Q_UNUSED(workbook);
    Q_UNUSED(macroEnabled);
    return WorkbookFileResult::failure(QStringLiteral("Writing .xlsx is not available yet"));
}
