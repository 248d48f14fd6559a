#pragma once

#include "engine/formsnapshot.h"

#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <map>
#include <set>
#include <utility>
#include <vector>

// The values collect mode takes from one document.
struct CollectedValues {
    // Field name (its label as written minus white space, "label (2)" for a second field of
    // one label) and value, in document order.
    std::vector<std::pair<QString, QString>> fields;
    // Rows of repeating tables: each with its header (labels by column) and its values.
    struct DetailRow {
        QStringList header;
        QStringList values;
    };
    std::vector<DetailRow> details;
    QStringList notes;  // what did not fit the form
};

// Where the fields of a form are: which texts are labels, which tables repeat, which
// paragraph labels carry a value, and the shape of the form's tables. Learnt from the blank
// form, or from filled copies alone (a text the same in nearly all copies is a label).
// A value is named by its label, never by its position alone, so a row moved in one copy
// still gives its value to the right field.
class FieldLayout {
public:
    // The layout of a blank form: its non-empty cells are labels, its empty cells (and the
    // places after "label：" in paragraphs) are the fields.
    static FieldLayout fromForm(const FormSnapshot& form);
    // The layout learnt from filled copies: a cell the same in nearly all of them is a label,
    // a cell that varies is a value; a table whose number of rows varies repeats.
    static FieldLayout fromSamples(const std::vector<FormSnapshot>& samples);

    // The fields every document is expected to fill, in form order.
    const QStringList& expectedFields() const { return m_fields; }
    // True when learnt from a blank form.
    bool hasForm() const { return m_hasForm; }

    // The values of one document, with notes on what does not fit: a layout other than the
    // form's, expected fields missing or empty, values where the form has none.
    CollectedValues collect(const FormSnapshot& document) const;

private:
    struct Shape {
        QString path;
        int rows = 0;
        int columns = 0;
        bool repeats = false;
    };

    CollectedValues extract(const FormSnapshot& document) const;
    void extractTable(const FormTable& table, CollectedValues& into) const;
    bool addDetails(const FormTable& table, CollectedValues& into) const;
    void extractParagraph(const QString& paragraph, CollectedValues& into) const;
    QString labelOf(const FormCell& cell,
                    const std::map<std::pair<int, int>, const FormCell*>& grid) const;
    bool isLabel(const FormCell& cell) const;
    int repeatingHeader(const FormTable& table) const;
    void addParagraphLabel(const QString& label);
    void learnRepeatingTables(const std::vector<FormSnapshot>& samples,
                              const std::map<QString, std::set<int>>& rowCounts);
    void learnFields(const std::vector<FormSnapshot>& samples, int needed);
    void compareShapes(const FormSnapshot& document, CollectedValues& into) const;
    std::vector<Shape> shapesOf(const FormSnapshot& document) const;

    bool m_hasForm = false;
    std::set<QString> m_labels;                   // normalised label texts
    std::vector<QStringList> m_repeatingHeaders;  // normalised header rows
    QStringList m_paragraphLabels;                // as written minus white space
    std::vector<QRegularExpression> m_paragraphPatterns;
    std::vector<Shape> m_shapes;  // the form's top-level tables
    QStringList m_fields;
};
