#pragma once

#include <QString>

// Excel's built-in number formats (ECMA-376 Part 1, 18.8.30 numFmt): the format ids a
// workbook may use without storing their format code. .xlsx and .xls share the one table
// (MS-XLS 2.5.77 IFmt refers to the same list).
class BuiltinNumberFormats {
public:
    // The built-in id of a format code, or -1 when it has none. General (also an empty code,
    // in any letter case) is 0.
    static int idOf(const QString& code);
    // The code of a built-in id; empty for General (0) and for ids with no built-in code.
    static QString codeOf(int id);
};
