#include "office/excel/xlsx/xlsxwriter.h"

#include "office/excel/model/formatfallback.h"
#include "office/excel/xlsx/xlsxstyles.h"
#include "office/excel/xlsx/xlsxtext.h"

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>

#include <QBuffer>
#include <QDateTime>
#include <QFile>
#include <QHash>
#include <QXmlStreamWriter>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>
#include <set>
#include <vector>

namespace {

// The style index each cell format is written with: its own while the styles part holds it,
// else that of the nearest format it holds.
class StyleMap {
public:
    /* Keep the first kMaxCellFormats formats; map the rest onto their nearest. */
    explicit StyleMap(const FormatTable& formats) {
        const int kept = qMin(formats.size(), XlsxStyles::kMaxCellFormats);
        if (kept == formats.size()) {
            return;
        }
        FormatFallback fallback;
        for (int i = 0; i < kept; ++i) {
            fallback.keep(formats.at(i), i);
        }
        for (int i = kept; i < formats.size(); ++i) {
            m_beyond.push_back(qMax(0, fallback.nearest(formats.at(i))));
        }
    }

    /* The style index of format `format`. */
    int operator()(int format) const {
        const int beyond = format - XlsxStyles::kMaxCellFormats;
        return beyond < 0 || beyond >= static_cast<int>(m_beyond.size())
                   ? format
                   : m_beyond[static_cast<size_t>(beyond)];
    }

    int replaced() const { return static_cast<int>(m_beyond.size()); }

private:
    std::vector<int> m_beyond;  // style of format kMaxCellFormats + i
};

const int kMaxCellText = 32767;
// Level 1 keeps the writer fast; the parts are repetitive XML and still compress well.
const int kCompressionLevel = 1;

// zlib's memory levels: its default for the sheets and shared strings; for small parts a
// 4 KB hash table instead of 64 KB.
const int kMemLevel = 8;
const int kSmallPartMemLevel = 4;

/* Now as a local date and time, asked of Qt at most once a second on each thread: every such
   question makes the C library look at the time-zone file again. */
QDateTime localNow() {
    thread_local qint64 askedAt = -1;
    thread_local QDateTime local;
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    if (now != askedAt) {
        askedAt = now;
        local = QDateTime::currentDateTime();
    }
    return local;
}

/* The time of every package entry: SOURCE_DATE_EPOCH (seconds since 1970, in UTC) when the
   environment sets it to a whole number, so that two runs give byte-identical files; else now. */
QDateTime entryTime() {
    static const qint64 epoch = [] {
        bool ok = false;
        const qint64 seconds = qEnvironmentVariable("SOURCE_DATE_EPOCH").toLongLong(&ok);
        return ok && seconds >= 0 ? seconds : qint64(-1);
    }();
    return epoch >= 0 ? QDateTime::fromSecsSinceEpoch(epoch, Qt::UTC) : localNow();
}

/* Entry details to copy for each part: making them afresh reads the clock and time zone. */
QuaZipNewInfo blankEntry() {
    thread_local const QuaZipNewInfo blank{QString()};
    return blank;
}

const QString kMainNs = QStringLiteral("http://schemas.openxmlformats.org/spreadsheetml/2006/main");
const QString kRelNs =
    QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships");
const QString kPackageRelNs =
    QStringLiteral("http://schemas.openxmlformats.org/package/2006/relationships");

// The shared string table of the package being written.
struct SharedStrings {
    QHash<QString, int> index;
    std::vector<const QString*> strings;
    long long references = 0;
    // The string index of every text cell, in the order the sheets are written, so that
    // writing needs no second lookup.
    std::vector<int> cellIndices;
};

/* A merged range must lie inside the sheet: a reference beyond it makes the file unreadable. */
WorkbookFileResult checkMerges(const Workbook& workbook) {
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

/* Collect every cell text, failing on one longer than a cell can hold. */
WorkbookFileResult collectStrings(const Workbook& workbook, SharedStrings* table) {
    long long texts = 0;
    for (int s = 0; s < workbook.sheetCount(); ++s) {
        for (const auto& row : workbook.sheet(s)->rows()) {
            for (const Cell& cell : row.second.cells) {
                texts += cell.kind == Cell::Kind::Text ? 1 : 0;
            }
        }
    }
    // Sized once for the worst case (every text distinct), so the table never rehashes.
    table->index.reserve(static_cast<int>(qMin<long long>(texts, 1 << 24)));
    table->cellIndices.reserve(static_cast<size_t>(texts));
    for (int s = 0; s < workbook.sheetCount(); ++s) {
        const auto sheet = workbook.sheet(s);
        for (const auto& row : sheet->rows()) {
            for (const Cell& cell : row.second.cells) {
                if (cell.kind != Cell::Kind::Text) {
                    continue;
                }
                if (cell.text.size() > kMaxCellText) {
                    return WorkbookFileResult::failure(
                        QStringLiteral("Cell %1!%2 holds %3 characters; a cell holds at most %4")
                            .arg(sheet->name(), CellRange::cellName(row.first, cell.column))
                            .arg(cell.text.size())
                            .arg(kMaxCellText));
                }
                ++table->references;
                const int next = static_cast<int>(table->strings.size());
                auto found = table->index.find(cell.text);
                if (found == table->index.end()) {
                    found = table->index.insert(cell.text, next);
                    table->strings.push_back(&found.key());
                }
                table->cellIndices.push_back(found.value());
            }
        }
    }
    return WorkbookFileResult::success();
}

// The package being written: the archive and the entry details its parts share; each part
// copies `entry`, so the time is taken once per package.
struct Package {
    explicit Package(QIODevice* device) : zip(device), entry(blankEntry()) {
        entry.dateTime = entryTime();
    }
    QuaZip zip;
    QuaZipNewInfo entry;
};

// One part being written into the package.
class PartWriter {
public:
    // `small`: a part of a few kilobytes at most (the package's fixed parts), compressed with
    // a small hash table: clearing the default one costs more than compressing such a part.
    PartWriter(Package* package, const QString& name, bool small = false) : m_file(&package->zip) {
        QuaZipNewInfo info = package->entry;
        info.name = name;
        m_ok = m_file.open(QIODevice::WriteOnly, info, nullptr, 0, Z_DEFLATED, kCompressionLevel,
                           false, -MAX_WBITS, small ? kSmallPartMemLevel : kMemLevel,
                           Z_DEFAULT_STRATEGY);
    }
    ~PartWriter() {
        if (m_file.isOpen()) {
            m_file.close();
        }
    }
    bool ok() const { return m_ok; }
    QIODevice* device() { return &m_file; }
    /* Append raw bytes, remembering a failure. */
    void write(const QByteArray& bytes) {
        if (m_ok && m_file.write(bytes) != bytes.size()) {
            m_ok = false;
        }
    }
    /* Close the part; false when anything failed. */
    bool finish() {
        m_file.close();
        return m_ok && m_file.getZipError() == ZIP_OK;
    }

private:
    QuaZipFile m_file;
    bool m_ok = false;
};

/* Write one XML part produced by `body`. */
template <typename Body>
bool writeXmlPart(Package* package, const QString& name, Body body) {
    PartWriter part(package, name, true);
    if (!part.ok()) {
        return false;
    }
    QXmlStreamWriter xml(part.device());
    xml.writeStartDocument(QStringLiteral("1.0"), true);
    body(xml);
    xml.writeEndDocument();
    return !xml.hasError() && part.finish();
}

/* [Content_Types].xml (ECMA-376 Part 2, 10.1.2). */
void writeContentTypes(QXmlStreamWriter& xml, int sheetCount, bool macroEnabled) {
    const QString ns =
        QStringLiteral("http://schemas.openxmlformats.org/package/2006/content-types");
    const QString sml =
        QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.");
    xml.writeStartElement(QStringLiteral("Types"));
    xml.writeDefaultNamespace(ns);
    const auto item = [&xml](const char* kind, const char* key, const QString& name,
                             const QString& type) {
        xml.writeEmptyElement(QLatin1String(kind));
        xml.writeAttribute(QLatin1String(key), name);
        xml.writeAttribute(QStringLiteral("ContentType"), type);
    };
    item("Default", "Extension", QStringLiteral("rels"),
         QStringLiteral("application/vnd.openxmlformats-package.relationships+xml"));
    item("Default", "Extension", QStringLiteral("xml"), QStringLiteral("application/xml"));
    item("Override", "PartName", QStringLiteral("/xl/workbook.xml"),
         macroEnabled ? QStringLiteral("application/vnd.ms-excel.sheet.macroEnabled.main+xml")
                      : sml + QStringLiteral("sheet.main+xml"));
    for (int i = 1; i <= sheetCount; ++i) {
        item("Override", "PartName", QStringLiteral("/xl/worksheets/sheet%1.xml").arg(i),
             sml + QStringLiteral("worksheet+xml"));
    }
    item("Override", "PartName", QStringLiteral("/xl/styles.xml"),
         sml + QStringLiteral("styles+xml"));
    item("Override", "PartName", QStringLiteral("/xl/sharedStrings.xml"),
         sml + QStringLiteral("sharedStrings+xml"));
    item("Override", "PartName", QStringLiteral("/docProps/core.xml"),
         QStringLiteral("application/vnd.openxmlformats-package.core-properties+xml"));
    item("Override", "PartName", QStringLiteral("/docProps/app.xml"),
         QStringLiteral("application/vnd.openxmlformats-officedocument.extended-properties+xml"));
    xml.writeEndElement();
}

/* One <Relationship> (ECMA-376 Part 2, 9.3). */
void writeRelationship(QXmlStreamWriter& xml, int id, const QString& type, const QString& target) {
    xml.writeEmptyElement(QStringLiteral("Relationship"));
    xml.writeAttribute(QStringLiteral("Id"), QStringLiteral("rId%1").arg(id));
    xml.writeAttribute(QStringLiteral("Type"), type);
    xml.writeAttribute(QStringLiteral("Target"), target);
}

/* _rels/.rels: the workbook and the document properties. */
void writeRootRels(QXmlStreamWriter& xml) {
    xml.writeStartElement(QStringLiteral("Relationships"));
    xml.writeDefaultNamespace(kPackageRelNs);
    writeRelationship(xml, 1, kRelNs + QStringLiteral("/officeDocument"),
                      QStringLiteral("xl/workbook.xml"));
    writeRelationship(xml, 2,
                      QStringLiteral("http://schemas.openxmlformats.org/package/2006/relationships/"
                                     "metadata/core-properties"),
                      QStringLiteral("docProps/core.xml"));
    writeRelationship(xml, 3, kRelNs + QStringLiteral("/extended-properties"),
                      QStringLiteral("docProps/app.xml"));
    xml.writeEndElement();
}

/* docProps/core.xml (ECMA-376 Part 2, 11): empty core properties. */
void writeCoreProperties(QXmlStreamWriter& xml) {
    xml.writeStartElement(QStringLiteral("cp:coreProperties"));
    xml.writeNamespace(
        QStringLiteral("http://schemas.openxmlformats.org/package/2006/metadata/core-properties"),
        QStringLiteral("cp"));
    xml.writeNamespace(QStringLiteral("http://purl.org/dc/elements/1.1/"), QStringLiteral("dc"));
    xml.writeTextElement(QStringLiteral("http://purl.org/dc/elements/1.1/"),
                         QStringLiteral("creator"), QStringLiteral("Sheetweaver"));
    xml.writeEndElement();
}

/* docProps/app.xml (ECMA-376 Part 1, 22.2): the application name. */
void writeAppProperties(QXmlStreamWriter& xml) {
    xml.writeStartElement(QStringLiteral("Properties"));
    xml.writeDefaultNamespace(QStringLiteral(
        "http://schemas.openxmlformats.org/officeDocument/2006/extended-properties"));
    xml.writeTextElement(QStringLiteral("Application"), QStringLiteral("Sheetweaver"));
    xml.writeEndElement();
}

/* xl/workbook.xml (CT_Workbook, 18.2.27): bookViews, then sheets. */
void writeWorkbookPart(QXmlStreamWriter& xml, const Workbook& workbook) {
    xml.writeStartElement(QStringLiteral("workbook"));
    xml.writeDefaultNamespace(kMainNs);
    xml.writeNamespace(kRelNs, QStringLiteral("r"));
    xml.writeStartElement(QStringLiteral("bookViews"));
    xml.writeEmptyElement(QStringLiteral("workbookView"));
    if (workbook.activeSheet() > 0) {
        xml.writeAttribute(QStringLiteral("activeTab"), QString::number(workbook.activeSheet()));
    }
    xml.writeEndElement();
    xml.writeStartElement(QStringLiteral("sheets"));
    for (int i = 0; i < workbook.sheetCount(); ++i) {
        xml.writeEmptyElement(QStringLiteral("sheet"));
        xml.writeAttribute(QStringLiteral("name"), workbook.sheet(i)->name());
        xml.writeAttribute(QStringLiteral("sheetId"), QString::number(i + 1));
        xml.writeAttribute(kRelNs, QStringLiteral("id"), QStringLiteral("rId%1").arg(i + 1));
    }
    xml.writeEndElement();
    xml.writeEndElement();
}

/* xl/_rels/workbook.xml.rels: sheets rId1..n, then styles and shared strings. */
void writeWorkbookRels(QXmlStreamWriter& xml, int sheetCount) {
    xml.writeStartElement(QStringLiteral("Relationships"));
    xml.writeDefaultNamespace(kPackageRelNs);
    for (int i = 1; i <= sheetCount; ++i) {
        writeRelationship(xml, i, kRelNs + QStringLiteral("/worksheet"),
                          QStringLiteral("worksheets/sheet%1.xml").arg(i));
    }
    writeRelationship(xml, sheetCount + 1, kRelNs + QStringLiteral("/styles"),
                      QStringLiteral("styles.xml"));
    writeRelationship(xml, sheetCount + 2, kRelNs + QStringLiteral("/sharedStrings"),
                      QStringLiteral("sharedStrings.xml"));
    xml.writeEndElement();
}

/* True when a text needs xml:space="preserve" to keep its edges. */
bool needsPreserve(const QString& text) {
    return !text.isEmpty() &&
           (text.front().isSpace() || text.back().isSpace() || text.contains(QLatin1Char('\n')));
}

// Fast text building for the sheet data, the bulk of every package.
class SheetBuffer {
public:
    explicit SheetBuffer(PartWriter* part) : m_part(part) { m_buffer.reserve(kFlushSize + 4096); }

    SheetBuffer& operator<<(const char* text) {
        m_buffer.append(text);
        return *this;
    }
    SheetBuffer& operator<<(const QByteArray& bytes) {
        m_buffer.append(bytes);
        return *this;
    }
    /* Append a decimal integer. */
    SheetBuffer& number(long long value) {
        char digits[24];
        const auto result = std::to_chars(digits, digits + sizeof digits, value);
        m_buffer.append(digits, static_cast<int>(result.ptr - digits));
        return *this;
    }
    /* Append a double in the shortest form that reads back exactly. */
    SheetBuffer& real(double value) {
        char digits[32];
        const auto result = std::to_chars(digits, digits + sizeof digits, value);
        m_buffer.append(digits, static_cast<int>(result.ptr - digits));
        return *this;
    }
    /* Append a text as UTF-8 with the XML markup characters escaped. */
    SheetBuffer& escaped(const QString& text) {
        const QByteArray utf8 = text.toUtf8();
        int plainFrom = 0;
        for (int i = 0; i < utf8.size(); ++i) {
            const char c = utf8[i];
            const char* entity = c == '&'   ? "&amp;"
                                 : c == '<' ? "&lt;"
                                 : c == '>' ? "&gt;"
                                            : nullptr;
            if (entity != nullptr) {
                m_buffer.append(utf8.constData() + plainFrom, i - plainFrom);
                m_buffer.append(entity);
                plainFrom = i + 1;
            }
        }
        m_buffer.append(utf8.constData() + plainFrom, utf8.size() - plainFrom);
        return *this;
    }
    /* Hand full buffers to the package. */
    void flushIfFull() {
        if (m_buffer.size() >= kFlushSize) {
            flush();
        }
    }
    void flush() {
        m_part->write(m_buffer);
        m_buffer.clear();
    }

private:
    static const int kFlushSize = 256 * 1024;
    PartWriter* m_part;
    QByteArray m_buffer;
};

/* xl/sharedStrings.xml (CT_Sst, 18.4.9). */
bool writeSharedStrings(Package* package, const SharedStrings& table) {
    PartWriter part(package, QStringLiteral("xl/sharedStrings.xml"));
    if (!part.ok()) {
        return false;
    }
    SheetBuffer out(&part);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<sst xmlns=\""
        << kMainNs.toLatin1() << "\" count=\"";
    out.number(table.references) << "\" uniqueCount=\"";
    out.number(static_cast<long long>(table.strings.size())) << "\">";
    for (const QString* text : table.strings) {
        out << (needsPreserve(*text) ? "<si><t xml:space=\"preserve\">" : "<si><t>");
        out.escaped(XlsxText::escape(*text)) << "</t></si>";
        out.flushIfFull();
    }
    out << "</sst>";
    out.flush();
    return part.finish();
}

/* "<?xml ...?><worksheet ...>" through the dimension, views, format and columns. */
void writeSheetHead(SheetBuffer& out, const Worksheet& sheet, bool selected,
                    const StyleMap& styles) {
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
           "<worksheet xmlns=\""
        << kMainNs.toLatin1() << "\" xmlns:r=\"" << kRelNs.toLatin1() << "\">";
    out << "<dimension ref=\"" << sheet.usedRange().toString().toLatin1() << "\"/>";
    // CT_SheetView (18.3.1.87) with the selection.
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
    out << "<sheetFormatPr defaultRowHeight=\"15\"/>";
    const std::vector<Worksheet::ColumnSpan> spans = sheet.columnSpans();
    if (!spans.empty()) {
        out << "<cols>";
        for (const Worksheet::ColumnSpan& span : spans) {
            // One <col> (CT_Col, 18.3.1.13) per run.
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
                out.number(styles(span.format)) << "\"";
            }
            out << "/>";
        }
        out << "</cols>";
    }
}

/* One <c> element (CT_Cell, 18.3.1.4). */
void writeCell(SheetBuffer& out, const QByteArray& column, const QByteArray& row, const Cell& cell,
               const int*& stringIndex, const StyleMap& styles) {
    out << "<c r=\"" << column << row << "\"";
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

/* xl/worksheets/sheetN.xml in CT_Worksheet order (18.3.1.99). */
bool writeSheetPart(Package* package, const QString& name, const Worksheet& sheet, bool selected,
                    const int*& stringIndex, std::vector<QByteArray>& columnNames,
                    const StyleMap& styles) {
    PartWriter part(package, name);
    if (!part.ok()) {
        return false;
    }
    SheetBuffer out(&part);
    writeSheetHead(out, sheet, selected, styles);
    out << "<sheetData>";
    // Rows with cells and rows with only a height or a default format, in row order.
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
            out.number(styles(formats->second)) << "\" customFormat=\"1\"";
            ++formats;
        }
        if (cellRow == row) {
            out << ">";
            for (const Cell& cell : cells->second.cells) {
                QByteArray& column = columnNames[static_cast<size_t>(cell.column)];
                if (column.isEmpty()) {
                    column = CellRange::columnName(cell.column).toLatin1();
                }
                writeCell(out, column, rowText, cell, stringIndex, styles);
            }
            out << "</row>";
            ++cells;
        } else {
            out << "/>";
        }
        out.flushIfFull();
    }
    out << "</sheetData>";
    if (sheet.hasAutoFilter()) {
        // CT_AutoFilter (18.3.1.2) comes before the merged cells.
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
    out.flush();
    return part.finish();
}

/* Write the whole package into `device` (opened by the archive); `label` names it in errors. */
WorkbookFileResult writePackage(const Workbook& workbook, QIODevice* device, bool macroEnabled,
                                const QString& label, QString* warning) {
    if (warning) {
        warning->clear();
    }
    if (workbook.sheetCount() == 0) {
        return WorkbookFileResult::failure(QStringLiteral("A workbook needs at least one sheet"));
    }
    SharedStrings strings;
    WorkbookFileResult collected = checkMerges(workbook);
    if (!collected || !(collected = collectStrings(workbook, &strings))) {
        return collected;
    }
    Package package(device);
    QuaZip& zip = package.zip;
    if (!zip.open(QuaZip::mdCreate)) {
        return WorkbookFileResult::failure(QStringLiteral("Cannot create %1").arg(label));
    }
    const int sheets = workbook.sheetCount();
    const StyleMap styles(workbook.formatTable());
    bool ok = writeXmlPart(
                  &package, QStringLiteral("[Content_Types].xml"),
                  [&](QXmlStreamWriter& xml) { writeContentTypes(xml, sheets, macroEnabled); }) &&
              writeXmlPart(&package, QStringLiteral("_rels/.rels"), writeRootRels) &&
              writeXmlPart(&package, QStringLiteral("docProps/core.xml"), writeCoreProperties) &&
              writeXmlPart(&package, QStringLiteral("docProps/app.xml"), writeAppProperties) &&
              writeXmlPart(&package, QStringLiteral("xl/workbook.xml"),
                           [&](QXmlStreamWriter& xml) { writeWorkbookPart(xml, workbook); }) &&
              writeXmlPart(&package, QStringLiteral("xl/_rels/workbook.xml.rels"),
                           [&](QXmlStreamWriter& xml) { writeWorkbookRels(xml, sheets); }) &&
              writeXmlPart(&package, QStringLiteral("xl/styles.xml"),
                           [&](QXmlStreamWriter& xml) {
                               XlsxStyles::write(xml, workbook.formatTable(),
                                                 XlsxStyles::kMaxCellFormats);
                           }) &&
              writeSharedStrings(&package, strings);
    std::vector<QByteArray> columnNames(static_cast<size_t>(kMaxColumns) + 1);
    const int* stringIndex = strings.cellIndices.data();
    for (int i = 0; ok && i < sheets; ++i) {
        ok = writeSheetPart(&package, QStringLiteral("xl/worksheets/sheet%1.xml").arg(i + 1),
                            *workbook.sheet(i), i == workbook.activeSheet(), stringIndex,
                            columnNames, styles);
    }
    zip.close();
    if (!ok || zip.getZipError() != ZIP_OK) {
        return WorkbookFileResult::failure(QStringLiteral("Writing %1 failed").arg(label));
    }
    if (warning && styles.replaced() > 0) {
        *warning = FormatFallback::warning(styles.replaced(), XlsxStyles::kMaxCellFormats);
    }
    return WorkbookFileResult::success();
}

}  // namespace

/* Write the whole package into the file. */
WorkbookFileResult XlsxWriter::write(const Workbook& workbook, const QString& path,
                                     bool macroEnabled, QString* warning) {
    QFile file(path);
    return writePackage(workbook, &file, macroEnabled, path, warning);
}

/* Write the whole package into memory. */
WorkbookFileResult XlsxWriter::writeBytes(const Workbook& workbook, bool macroEnabled,
                                          QByteArray& out, QString* warning) {
    out.clear();
    QBuffer buffer(&out);
    return writePackage(workbook, &buffer, macroEnabled, QStringLiteral("the workbook"), warning);
}
