#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// What collect mode reads of one document: the text of every table cell (nested tables
// included, each as a table of its own) and of the body paragraphs, in document order.
// Positions are Word's: rows and columns 1-based, a column counting the cells of its row.
struct FormCell {
    int row = 0;
    int column = 0;
    QString text;             // line feeds between paragraphs, no end-of-cell marks
    bool holdsTable = false;  // a table is nested in the cell (read as a table of its own)
};

struct FormTable {
    QString path;  // "1", "2" for top-level tables; "1/3.2/1" for the first table nested in
                   // cell (3, 2) of table 1
    int rows = 0;
    int columns = 0;              // the most cells in a row
    std::vector<FormCell> cells;  // reading order
};

struct FormSnapshot {
    std::vector<FormTable> tables;  // top-level tables, each followed by its nested ones
    QStringList paragraphs;         // body paragraphs outside tables
};
