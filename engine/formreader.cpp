#include "engine/formreader.h"

#include "automation/axhandle.h"

#include <algorithm>

namespace {

// Deeper nesting than this is not followed (a hostile document could nest without end).
const int kMaxNesting = 16;

/* The text of an object's "Range". */
QString rangeText(AxObject* object) {
    const AxHandle range = subObject(object, "Range");
    return range ? range->readProperty("Text").toString() : QString();
}

}  // namespace

/* Read the tables and paragraphs of a document. */
FormSnapshot FormReader::read(AxObject* document) {
    FormSnapshot snapshot;
    const AxHandle tables = subObject(document, "Tables");
    readTables(tables.get(), QString(), snapshot, 0);
    snapshot.paragraphs = readParagraphs(document);
    return snapshot;
}

/* Plain text from Word's range text. */
QString FormReader::plainText(const QString& wordText) {
    QString text = wordText;
    text.remove(QLatin1Char('\a'));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    int end = text.size();
    while (end > 0 && text.at(end - 1) == QLatin1Char('\n')) {
        --end;
    }
    text.truncate(end);
    return text;
}

/* Read every table of a Tables collection, each path below `prefix`. */
void FormReader::readTables(AxObject* tables, const QString& prefix, FormSnapshot& snapshot,
                            int depth) {
    const int count = readCount(tables, "Count()");
    for (int t = 1; t <= count; ++t) {
        const AxHandle table = subObject(tables, "Item(int)", t);
        readTable(table.get(), prefix + QString::number(t), snapshot, depth);
    }
}

/* Read one table's cells, then the tables nested in them. */
void FormReader::readTable(AxObject* table, const QString& path, FormSnapshot& snapshot,
                           int depth) {
    const AxHandle range = subObject(table, "Range");
    const AxHandle cells = subObject(range.get(), "Cells");
    const int count = readCount(cells.get(), "Count()");
    const size_t index = snapshot.tables.size();
    snapshot.tables.push_back(FormTable{path, 0, 0, {}});
    std::vector<std::pair<QString, AxHandle>> nested;
    for (int c = 1; c <= count; ++c) {
        AxHandle cell = subObject(cells.get(), "Item(int)", c);
        if (!cell) {
            continue;
        }
        FormCell read;
        read.row = cell->readProperty("RowIndex").toInt();
        read.column = cell->readProperty("ColumnIndex").toInt();
        read.text = plainText(rangeText(cell.get()));
        AxHandle inner = subObject(cell.get(), "Tables");
        read.holdsTable = readCount(inner.get(), "Count()") > 0;
        if (read.holdsTable && depth < kMaxNesting) {
            nested.emplace_back(
                QStringLiteral("%1/%2.%3/").arg(path).arg(read.row).arg(read.column),
                std::move(inner));
        }
        FormTable& into = snapshot.tables[index];
        into.rows = std::max(into.rows, read.row);
        into.columns = std::max(into.columns, read.column);
        into.cells.push_back(std::move(read));
    }
    for (const auto& inner : nested) {
        readTables(inner.second.get(), inner.first, snapshot, depth + 1);
    }
}

/* The body paragraphs' text. */
QStringList FormReader::readParagraphs(AxObject* document) {
    QStringList paragraphs;
    const AxHandle all = subObject(document, "Paragraphs");
    const int count = readCount(all.get(), "Count()");
    for (int p = 1; p <= count; ++p) {
        const AxHandle paragraph = subObject(all.get(), "Item(int)", p);
        paragraphs.append(plainText(rangeText(paragraph.get())));
    }
    return paragraphs;
}
