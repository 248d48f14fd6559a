#include "engine/fieldlayout.h"

#include "engine/formlabels.h"

#include <algorithm>
#include <map>

namespace {

// A label before an ASCII or full-width colon in a paragraph ("姓名：", "Name:").
const QRegularExpression kParagraphLabel(QStringLiteral("([^\\s:\\x{FF1A}]+)\\s*[:\\x{FF1A}]"));

/* The cells of a table by (row, column). */
std::map<std::pair<int, int>, const FormCell*> gridOf(const FormTable& table) {
    std::map<std::pair<int, int>, const FormCell*> grid;
    for (const FormCell& cell : table.cells) {
        grid[{cell.row, cell.column}] = &cell;
    }
    return grid;
}

/* How many of `count` copies must agree on a text for it to be a label. */
int agreement(int count) {
    return count < 2 ? 1 : std::max(2, (8 * count + 9) / 10);
}

/* The first row of a table, normalised, by column. */
QStringList headerOf(const FormTable& table) {
    QStringList header;
    for (const FormCell& cell : table.cells) {
        if (cell.row == 1) {
            header.append(FormLabels::normalise(cell.text));
        }
    }
    return header;
}

/* The paragraph labels of a text and where each value starts and ends. */
struct LabelMatch {
    int start = 0;
    int end = 0;
    QString label;
};

/* Give every field name after its first a " (n)" for the n-th field of that name. */
void numberRepeatedNames(std::vector<std::pair<QString, QString>>& fields) {
    std::map<QString, int> seen;
    for (auto& field : fields) {
        const int n = ++seen[field.first];
        if (n > 1) {
            field.first += QStringLiteral(" (%1)").arg(n);
        }
    }
}

}  // namespace

/* The layout of a blank form. */
FieldLayout FieldLayout::fromForm(const FormSnapshot& form) {
    FieldLayout layout;
    layout.m_hasForm = true;
    for (const FormTable& table : form.tables) {
        bool bodyEmpty = table.rows >= 3;
        bool headerFilled = true;
        for (const FormCell& cell : table.cells) {
            const bool empty = FormLabels::isPlaceholder(cell.text);
            (cell.row == 1 ? headerFilled : bodyEmpty) &= cell.row == 1 ? !empty : empty;
            if (!empty && !cell.holdsTable && !FormLabels::holdsCheckBox(cell.text)) {
                layout.m_labels.insert(FormLabels::normalise(cell.text));
            }
        }
        if (bodyEmpty && headerFilled) {
            layout.m_repeatingHeaders.push_back(headerOf(table));
        }
    }
    for (const QString& paragraph : form.paragraphs) {
        std::vector<LabelMatch> matches;
        for (auto it = kParagraphLabel.globalMatch(paragraph); it.hasNext();) {
            const QRegularExpressionMatch match = it.next();
            matches.push_back({match.capturedStart(), match.capturedEnd(), match.captured(1)});
        }
        for (size_t i = 0; i < matches.size(); ++i) {
            const int next = i + 1 < matches.size() ? matches[i + 1].start : paragraph.size();
            if (FormLabels::isPlaceholder(paragraph.mid(matches[i].end, next - matches[i].end))) {
                layout.addParagraphLabel(FormLabels::normalise(matches[i].label));
            }
        }
    }
    layout.m_shapes = layout.shapesOf(form);
    for (const auto& field : layout.extract(form).fields) {
        layout.m_fields.append(field.first);
    }
    return layout;
}

/* The layout learnt from filled copies. */
FieldLayout FieldLayout::fromSamples(const std::vector<FormSnapshot>& samples) {
    FieldLayout layout;
    const int needed = agreement(static_cast<int>(samples.size()));
    std::map<QString, std::map<QString, int>> texts;  // position -> normalised text -> copies
    std::map<QString, std::set<int>> rowCounts;       // table path -> its numbers of rows
    std::map<QString, int> paragraphLabels;           // label -> copies holding it
    for (const FormSnapshot& sample : samples) {
        std::set<QString> labelsHere;
        for (const FormTable& table : sample.tables) {
            rowCounts[table.path].insert(table.rows);
            for (const FormCell& cell : table.cells) {
                if (!FormLabels::isPlaceholder(cell.text) && !cell.holdsTable) {
                    const QString at =
                        QStringLiteral("%1|%2|%3").arg(table.path).arg(cell.row).arg(cell.column);
                    ++texts[at][FormLabels::normalise(cell.text)];
                }
            }
        }
        for (const QString& paragraph : sample.paragraphs) {
            for (auto it = kParagraphLabel.globalMatch(paragraph); it.hasNext();) {
                labelsHere.insert(FormLabels::normalise(it.next().captured(1)));
            }
        }
        for (const QString& label : labelsHere) {
            ++paragraphLabels[label];
        }
    }
    for (const auto& position : texts) {
        for (const auto& text : position.second) {
            if (text.second >= needed) {
                layout.m_labels.insert(text.first);
            }
        }
    }
    for (const auto& label : paragraphLabels) {
        if (label.second >= needed && samples.size() > 1) {
            layout.addParagraphLabel(label.first);
        }
    }
    layout.learnRepeatingTables(samples, rowCounts);
    layout.learnFields(samples, needed);
    return layout;
}

/* Tables headed by a row of labels repeat when their number of rows varies between the
   copies, or when three or more labels head two or more rows. */
void FieldLayout::learnRepeatingTables(const std::vector<FormSnapshot>& samples,
                                       const std::map<QString, std::set<int>>& rowCounts) {
    std::set<QString> done;
    for (const FormSnapshot& sample : samples) {
        for (const FormTable& table : sample.tables) {
            if (done.count(table.path) > 0 || table.rows < 2) {
                continue;
            }
            const QStringList header = headerOf(table);
            const bool headerIsLabels = std::all_of(
                header.begin(), header.end(),
                [&](const QString& h) { return !h.isEmpty() && m_labels.count(h) > 0; });
            const auto counts = rowCounts.find(table.path);
            const bool varies = counts != rowCounts.end() && counts->second.size() > 1;
            // A header of three or more labels over two or more rows is a list, not a form's
            // label-and-value rows (whose first row holds values too).
            const bool list = header.size() >= 3 && table.rows >= 3;
            if (headerIsLabels && header.size() >= 2 && (varies || list)) {
                m_repeatingHeaders.push_back(header);
            }
            done.insert(table.path);
        }
    }
}

/* The fields filled in nearly every copy, in the order they first come, and the table shape
   most copies share. */
void FieldLayout::learnFields(const std::vector<FormSnapshot>& samples, int needed) {
    std::map<QString, int> copies;
    std::map<QString, int> shapes;
    QStringList order;
    for (const FormSnapshot& sample : samples) {
        for (const auto& field : extract(sample).fields) {
            if (!field.second.isEmpty() && copies[field.first]++ == 0) {
                order.append(field.first);
            }
        }
        QString signature;
        for (const Shape& shape : shapesOf(sample)) {
            signature += QStringLiteral("%1x%2;").arg(shape.rows).arg(shape.columns);
        }
        if (++shapes[signature] * 2 > static_cast<int>(samples.size()) || m_shapes.empty()) {
            m_shapes = shapesOf(sample);
        }
    }
    for (const QString& name : order) {
        if (copies[name] >= needed && samples.size() > 1) {
            m_fields.append(name);
        }
    }
}

/* Add a paragraph label and the pattern that finds it, white space allowed between its
   characters. */
void FieldLayout::addParagraphLabel(const QString& label) {
    if (label.isEmpty() || m_paragraphLabels.contains(label)) {
        return;
    }
    QStringList characters;
    for (const QChar c : label) {
        characters.append(QRegularExpression::escape(QString(c)));
    }
    m_paragraphLabels.append(label);
    m_paragraphPatterns.emplace_back(characters.join(QStringLiteral("\\s*")) +
                                     QStringLiteral("\\s*[:\\x{FF1A}]"));
}

/* The top-level tables' shapes, the repeating ones marked. */
std::vector<FieldLayout::Shape> FieldLayout::shapesOf(const FormSnapshot& document) const {
    std::vector<Shape> shapes;
    for (const FormTable& table : document.tables) {
        if (!table.path.contains(QLatin1Char('/'))) {
            shapes.push_back({table.path, table.rows, table.columns, repeatingHeader(table) >= 0});
        }
    }
    return shapes;
}

/* The index of the repeating header the table's first row matches (at least half of the
   header's labels), or -1. */
int FieldLayout::repeatingHeader(const FormTable& table) const {
    if (table.rows < 2) {
        return -1;
    }
    const QStringList header = headerOf(table);
    for (size_t i = 0; i < m_repeatingHeaders.size(); ++i) {
        const QStringList& known = m_repeatingHeaders[i];
        const int shared = static_cast<int>(std::count_if(
            header.begin(), header.end(), [&](const QString& h) { return known.contains(h); }));
        if (shared > 0 && 2 * shared >= known.size()) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

/* The values of a document with their names. */
CollectedValues FieldLayout::extract(const FormSnapshot& document) const {
    CollectedValues values;
    for (const FormTable& table : document.tables) {
        if (!addDetails(table, values)) {
            extractTable(table, values);
        }
    }
    for (const QString& paragraph : document.paragraphs) {
        extractParagraph(paragraph, values);
    }
    numberRepeatedNames(values.fields);
    return values;
}

/* The label a value cell is named by: the nearest label to its left in its row, else above
   it in its column; empty when there is none. */
QString FieldLayout::labelOf(const FormCell& cell,
                             const std::map<std::pair<int, int>, const FormCell*>& grid) const {
    for (int c = cell.column - 1; c >= 1; --c) {
        const auto left = grid.find({cell.row, c});
        if (left != grid.end() && isLabel(*left->second)) {
            return FormLabels::normalise(left->second->text);
        }
    }
    for (int r = cell.row - 1; r >= 1; --r) {
        const auto above = grid.find({r, cell.column});
        if (above != grid.end() && isLabel(*above->second)) {
            return FormLabels::normalise(above->second->text);
        }
    }
    return QString();
}

/* True when the cell holds one of the form's labels. */
bool FieldLayout::isLabel(const FormCell& cell) const {
    return !FormLabels::isPlaceholder(cell.text) &&
           m_labels.count(FormLabels::normalise(cell.text)) > 0;
}

/* Every value cell of a table that is not a repeating one, named by its label. */
void FieldLayout::extractTable(const FormTable& table, CollectedValues& into) const {
    const auto grid = gridOf(table);
    for (const FormCell& cell : table.cells) {
        if (cell.holdsTable || isLabel(cell)) {
            continue;
        }
        QString name = labelOf(cell, grid);
        if (name.isEmpty()) {
            // Without any label the place names it.
            name = QStringLiteral("表%1 行%2 列%3").arg(table.path).arg(cell.row).arg(cell.column);
        }
        into.fields.emplace_back(name, FormLabels::value(cell.text));
    }
}

/* A repeating table's rows as detail rows; false when the table does not repeat. */
bool FieldLayout::addDetails(const FormTable& table, CollectedValues& into) const {
    const int known = repeatingHeader(table);
    if (known < 0) {
        return false;
    }
    QStringList header;
    std::map<int, int> columnOf;  // the table's column -> position in the header
    for (const FormCell& cell : table.cells) {
        if (cell.row == 1) {
            columnOf[cell.column] = header.size();
            header.append(FormLabels::normalise(cell.text));
            if (!m_repeatingHeaders[static_cast<size_t>(known)].contains(header.last())) {
                into.notes.append(
                    QStringLiteral("明细表多出一列 (extra column): %1").arg(header.last()));
            }
        }
    }
    std::map<int, QStringList> rows;
    for (const FormCell& cell : table.cells) {
        const auto column = columnOf.find(cell.column);
        if (cell.row > 1 && column != columnOf.end()) {
            QStringList& row = rows[cell.row];
            while (row.size() < header.size()) {
                row.append(QString());
            }
            row[column->second] = FormLabels::value(cell.text);
        }
    }
    for (const auto& row : rows) {
        const bool empty = std::all_of(row.second.begin(), row.second.end(),
                                       [](const QString& value) { return value.isEmpty(); });
        if (!empty) {
            into.details.push_back({header, row.second});
        }
    }
    return true;
}

/* The values after the known labels of a paragraph, each up to the next label. */
void FieldLayout::extractParagraph(const QString& paragraph, CollectedValues& into) const {
    std::vector<LabelMatch> matches;
    for (size_t i = 0; i < m_paragraphPatterns.size(); ++i) {
        const QRegularExpressionMatch match = m_paragraphPatterns[i].match(paragraph);
        if (match.hasMatch()) {
            matches.push_back({match.capturedStart(), match.capturedEnd(), m_paragraphLabels[i]});
        }
    }
    std::sort(matches.begin(), matches.end(),
              [](const LabelMatch& a, const LabelMatch& b) { return a.start < b.start; });
    for (size_t i = 0; i < matches.size(); ++i) {
        const int next = i + 1 < matches.size() ? matches[i + 1].start : paragraph.size();
        const int end = std::max(matches[i].end, next);
        into.fields.emplace_back(matches[i].label, FormLabels::value(paragraph.mid(
                                                       matches[i].end, end - matches[i].end)));
    }
}

/* The values of a document, with what does not fit noted. */
CollectedValues FieldLayout::collect(const FormSnapshot& document) const {
    CollectedValues values = extract(document);
    compareShapes(document, values);
    std::map<QString, QString> byName(values.fields.begin(), values.fields.end());
    for (const QString& field : m_fields) {
        const auto found = byName.find(field);
        if (found == byName.end()) {
            values.notes.append(QStringLiteral("缺少 (missing): %1").arg(field));
        } else if (found->second.isEmpty()) {
            values.notes.append(QStringLiteral("未填 (empty): %1").arg(field));
        }
    }
    for (const auto& field : values.fields) {
        if (m_hasForm && !field.second.isEmpty() && !m_fields.contains(field.first)) {
            values.notes.append(
                QStringLiteral("表单中没有此项 (a value where the form has none): %1 = %2")
                    .arg(field.first, field.second));
        }
    }
    return values;
}

/* Note a document whose top-level tables are not those of the form (repeating tables may
   have any number of rows). */
void FieldLayout::compareShapes(const FormSnapshot& document, CollectedValues& into) const {
    const std::vector<Shape> shapes = shapesOf(document);
    QStringList differences;
    if (shapes.size() != m_shapes.size()) {
        differences.append(QStringLiteral("%1 个表格, 表单 %2 个 (%1 tables, the form has %2)")
                               .arg(shapes.size())
                               .arg(m_shapes.size()));
    }
    for (size_t i = 0; i < std::min(shapes.size(), m_shapes.size()); ++i) {
        const Shape& mine = shapes[i];
        const Shape& form = m_shapes[i];
        if (mine.columns != form.columns || (mine.rows != form.rows && !form.repeats)) {
            differences.append(QStringLiteral("表%1: %2行×%3列, 表单 %4行×%5列")
                                   .arg(mine.path)
                                   .arg(mine.rows)
                                   .arg(mine.columns)
                                   .arg(form.rows)
                                   .arg(form.columns));
        }
    }
    if (!differences.isEmpty()) {
        into.notes.prepend(QStringLiteral("版式与表单不同 (layout differs from the form): ") +
                           differences.join(QStringLiteral("; ")));
    }
}
