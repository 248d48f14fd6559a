#include "engine/collectworkbook.h"

#include "engine/tablemode.h"

#include <QDir>

namespace {

// Column A of the summary and detail sheets.
const char kPathHeader[] = "文件";
// The detail rows repeat this many of the document's first fields after its path.
const int kLeadingFields = 2;

/* The A1-style name of a 1-based column. */
QString columnName(int column) {
    QString name;
    for (int n = column; n > 0; n = (n - 1) / 26) {
        name.prepend(QChar('A' + (n - 1) % 26));
    }
    return name;
}

/* A list of texts as cell values. */
QVariantList asValues(const QStringList& texts) {
    QVariantList values;
    values.reserve(texts.size());
    for (const QString& text : texts) {
        values.append(text);
    }
    return values;
}

}  // namespace

CollectWorkbook::CollectWorkbook(AxObject* excel, AxObject* workBooks,
                                 const ConvertOptions& options, const QStringList& expectedFields)
    : m_excel(excel), m_options(options), m_book(excel, workBooks, options) {
    for (const QString& field : expectedFields) {
        columnOf(m_columnIndex, m_columns, field);
    }
}

/* "汇总.xlsx". */
QString CollectWorkbook::fileName() {
    return QStringLiteral("汇总.xlsx");
}

/* Add the workbook, name its first sheet and add the check sheet. */
void CollectWorkbook::prepare() {
    m_book.prepare();
    if (AxObject* summary = m_book.firstSheet()) {
        summary->writeProperty("Name", QStringLiteral("汇总"));
    }
    m_check = appendSheet(QStringLiteral("核对"));
}

/* A new last sheet with a name. */
AxHandle CollectWorkbook::appendSheet(const QString& name) {
    TransferContext context;
    context.sheets = m_book.sheets();
    context.templateRows = m_book.templateRows();
    AxHandle sheet = TableMode::appendSheet(context);
    if (sheet) {
        sheet->writeProperty("Name", name);
    }
    return sheet;
}

/* The column of a field (from 2, after the path), added at the end when new. */
int CollectWorkbook::columnOf(QHash<QString, int>& index, QStringList& columns,
                              const QString& name) {
    const auto found = index.constFind(name);
    if (found != index.constEnd()) {
        return found.value();
    }
    columns.append(name);
    index.insert(name, columns.size() + 1);
    return columns.size() + 1;
}

/* Write one row of values from column A. */
void CollectWorkbook::writeRow(AxObject* sheet, int row, const QVariantList& values) {
    const AxHandle start =
        subObject(sheet, "Range(const QString&)", QStringLiteral("A%1").arg(row));
    if (start) {
        start->writeProperty("Value", QVariantList{QVariant(values)});
    }
}

/* The detail sheet, added when the first detail row comes. */
AxObject* CollectWorkbook::detailSheet() {
    if (!m_detail) {
        m_detail = appendSheet(QStringLiteral("明细"));
    }
    return m_detail.get();
}

/* One document: its row, its notes, its detail rows. */
void CollectWorkbook::addDocument(const QString& relativePath, const CollectedValues& values) {
    QVariantList row{relativePath};
    for (const auto& field : values.fields) {
        const int column = columnOf(m_columnIndex, m_columns, field.first);
        while (row.size() < column) {
            row.append(QVariant());
        }
        row[column - 1] = field.second;
    }
    writeRow(m_book.firstSheet(), ++m_rows, row);
    for (const QString& note : values.notes) {
        addNote(relativePath, note);
    }
    for (const CollectedValues::DetailRow& detail : values.details) {
        QVariantList line{relativePath};
        for (int i = 1; i <= kLeadingFields; ++i) {
            line.append(row.value(i));
        }
        for (int i = 0; i < detail.header.size(); ++i) {
            const int column =
                columnOf(m_detailIndex, m_detailColumns, detail.header[i]) + kLeadingFields;
            while (line.size() < column) {
                line.append(QVariant());
            }
            line[column - 1] = detail.values.value(i);
        }
        writeRow(detailSheet(), ++m_detailRows, line);
    }
}

/* One line of the check sheet. */
void CollectWorkbook::addNote(const QString& relativePath, const QString& note) {
    writeRow(m_check.get(), ++m_checkRows, QVariantList{relativePath, note});
}

/* The header row, widths fitted to the text, and filter buttons over the rows. */
void CollectWorkbook::finishSheet(AxObject* sheet, const QStringList& header, int lastRow) {
    if (sheet == nullptr) {
        return;
    }
    writeRow(sheet, 1, asValues(header));
    const QString last = columnName(std::max(1, static_cast<int>(header.size())));
    const AxHandle columns =
        subObject(sheet, "Range(const QString&)", QStringLiteral("A:%1").arg(last));
    callOn(columns.get(), "AutoFit()");
    const AxHandle rows =
        subObject(sheet, "Range(const QString&)", QStringLiteral("A1:%1%2").arg(last).arg(lastRow));
    callOn(rows.get(), "AutoFilter()");
}

/* Keep row 1 in view while the rows scroll (Excel freezes panes through the window). */
void CollectWorkbook::freezeHeader(AxObject* sheet) {
    callOn(sheet, "Select()");
    const AxHandle window = subObject(m_excel, "ActiveWindow");
    if (window) {
        window->writeProperty("SplitRow", 1);
        window->writeProperty("FreezePanes", true);
    }
}

/* Headers, fitting, freezing; then save as DEST/汇总.xlsx. */
bool CollectWorkbook::finish() {
    const QString path = QString::fromUtf8(kPathHeader);
    finishSheet(m_book.firstSheet(), QStringList(path) + m_columns, m_rows);
    finishSheet(m_check.get(), {path, QStringLiteral("问题")}, m_checkRows);
    QStringList detailHeader(path);
    for (int i = 0; i < kLeadingFields; ++i) {
        detailHeader.append(m_columns.value(i));
    }
    if (m_detail) {
        finishSheet(m_detail.get(), detailHeader + m_detailColumns, m_detailRows);
        freezeHeader(m_detail.get());
    }
    freezeHeader(m_check.get());
    freezeHeader(m_book.firstSheet());
    // The output path of a document named like the workbook in the source folder is the
    // workbook's path in the destination folder.
    QString asDocument = fileName();
    asDocument.chop(4);
    return m_book.finish(m_options.sourcePath + asDocument + QStringLiteral("docx"));
}
