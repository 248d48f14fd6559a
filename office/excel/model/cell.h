#pragma once

#include <QString>

#include <cstdint>

// One stored cell of a worksheet.
//
// An Empty cell is stored only when it carries a format (format != 0); a cell without value
// and format is simply absent from the sheet.
struct Cell {
    enum class Kind : std::uint8_t { Empty, Number, Text, Boolean };

    int column = 1;  // 1-based column within its row
    Kind kind = Kind::Empty;
    int format = 0;     // index into the workbook's FormatTable; 0 is the default format
    double number = 0;  // Number cells; Boolean cells hold 0 or 1
    QString text;       // Text cells

    bool hasValue() const { return kind != Kind::Empty; }
};
