#include "office/excel/xlsx/xlsxwriter.h"

#include "office/excel/model/formatfallback.h"
#include "office/excel/xlsx/xlsxcontenttypespart.h"
#include "office/excel/xlsx/xlsxdocpropspart.h"
#include "office/excel/xlsx/xlsxpackage.h"
#include "office/excel/xlsx/xlsxrelationshipspart.h"
#include "office/excel/xlsx/xlsxsharedstringspart.h"
#include "office/excel/xlsx/xlsxsheetpart.h"
#include "office/excel/xlsx/xlsxstyles.h"
#include "office/excel/xlsx/xlsxstylespart.h"
#include "office/excel/xlsx/xlsxworkbookpart.h"

#include <QBuffer>

namespace {

using PartSize = XlsxPackage::PartSize;

/* The parts every package has besides its sheets, in the order they are zipped. */
bool addFixedParts(XlsxPackage& package, const Workbook& workbook, bool macroEnabled,
                   const XlsxSharedStringsPart& strings) {
    const int sheets = workbook.sheetCount();
    return package.addPart(
               QStringLiteral("[Content_Types].xml"), PartSize::Small,
               [&](XmlSink& out) { XlsxContentTypesPart::write(out, sheets, macroEnabled); }) &&
           package.addPart(QStringLiteral("_rels/.rels"), PartSize::Small,
                           XlsxRelationshipsPart::writePackageRels) &&
           package.addPart(QStringLiteral("docProps/core.xml"), PartSize::Small,
                           XlsxDocPropsPart::writeCore) &&
           package.addPart(QStringLiteral("docProps/app.xml"), PartSize::Small,
                           XlsxDocPropsPart::writeApp) &&
           package.addPart(QStringLiteral("xl/workbook.xml"), PartSize::Small,
                           [&](XmlSink& out) { XlsxWorkbookPart::write(out, workbook); }) &&
           package.addPart(
               QStringLiteral("xl/_rels/workbook.xml.rels"), PartSize::Small,
               [&](XmlSink& out) { XlsxRelationshipsPart::writeWorkbookRels(out, sheets); }) &&
           package.addPart(QStringLiteral("xl/styles.xml"), PartSize::Small,
                           [&](XmlSink& out) {
                               XlsxStylesPart::write(out, workbook.formatTable(),
                                                     XlsxStyles::kMaxCellFormats);
                           }) &&
           package.addPart(QStringLiteral("xl/sharedStrings.xml"), PartSize::Large,
                           [&](XmlSink& out) { strings.write(out); });
}

/* One part per sheet, their text cells taking the shared string indices in turn. */
bool addSheetParts(XlsxPackage& package, const Workbook& workbook,
                   const XlsxSharedStringsPart& strings, const XlsxStyleMap& styles) {
    XlsxSheetPart sheetPart(styles, strings.cellIndices());
    for (int i = 0; i < workbook.sheetCount(); ++i) {
        const bool added = package.addPart(QStringLiteral("xl/worksheets/sheet%1.xml").arg(i + 1),
                                           PartSize::Large, [&](XmlSink& out) {
                                               sheetPart.write(out, *workbook.sheet(i),
                                                               i == workbook.activeSheet());
                                           });
        if (!added) {
            return false;
        }
    }
    return true;
}

/* Check the workbook, then zip every part into `device`; `label` names it in errors. */
WorkbookFileResult writePackage(const Workbook& workbook, QIODevice* device, bool macroEnabled,
                                const QString& label) {
    if (workbook.sheetCount() == 0) {
        return WorkbookFileResult::failure(QStringLiteral("A workbook needs at least one sheet"));
    }
    XlsxSharedStringsPart strings;
    WorkbookFileResult checked = XlsxSheetPart::checkMerges(workbook);
    if (!checked || !(checked = strings.collect(workbook))) {
        return checked;
    }
    XlsxPackage package(device);
    if (!package.open()) {
        return WorkbookFileResult::failure(QStringLiteral("Cannot create %1").arg(label));
    }
    const XlsxStyleMap styles(workbook.formatTable());
    const bool added = addFixedParts(package, workbook, macroEnabled, strings) &&
                       addSheetParts(package, workbook, strings, styles);
    if (!package.close() || !added) {
        return WorkbookFileResult::failure(QStringLiteral("Writing %1 failed").arg(label));
    }
    if (styles.replaced() > 0) {
        return WorkbookFileResult::success(
            FormatFallback::warning(styles.replaced(), XlsxStyles::kMaxCellFormats));
    }
    return WorkbookFileResult::success();
}

}  // namespace

/* Write the whole package into memory. */
WorkbookFileResult XlsxWriter::writeBytes(const Workbook& workbook, bool macroEnabled,
                                          QByteArray& out) {
    out.clear();
    QBuffer buffer(&out);
    return writePackage(workbook, &buffer, macroEnabled, QStringLiteral("the workbook"));
}
