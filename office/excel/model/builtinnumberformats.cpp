#include "office/excel/model/builtinnumberformats.h"

namespace {

// The built-in number formats with a fixed code (ECMA-376 Part 1, 18.8.30 numFmt).
struct BuiltinFormat {
    int id;
    const char* code;
};
const BuiltinFormat kBuiltinFormats[] = {
    {1, "0"},
    {2, "0.00"},
    {3, "#,##0"},
    {4, "#,##0.00"},
    {9, "0%"},
    {10, "0.00%"},
    {11, "0.00E+00"},
    {12, "# ?/?"},
    {13, "# ?\?/?\?"},
    {14, "mm-dd-yy"},
    {15, "d-mmm-yy"},
    {16, "d-mmm"},
    {17, "mmm-yy"},
    {18, "h:mm AM/PM"},
    {19, "h:mm:ss AM/PM"},
    {20, "h:mm"},
    {21, "h:mm:ss"},
    {22, "m/d/yy h:mm"},
    {37, "#,##0 ;(#,##0)"},
    {38, "#,##0 ;[Red](#,##0)"},
    {39, "#,##0.00;(#,##0.00)"},
    {40, "#,##0.00;[Red](#,##0.00)"},
    {45, "mm:ss"},
    {46, "[h]:mm:ss"},
    {47, "mmss.0"},
    {48, "##0.0E+0"},
    {49, "@"},
};

}  // namespace

/* Built-in id of a number format code. */
int BuiltinNumberFormats::idOf(const QString& code) {
    if (code.isEmpty() || code.compare(QLatin1String("General"), Qt::CaseInsensitive) == 0) {
        return 0;
    }
    for (const BuiltinFormat& format : kBuiltinFormats) {
        if (code == QLatin1String(format.code)) {
            return format.id;
        }
    }
    return -1;
}

/* Code of a built-in number format id. */
QString BuiltinNumberFormats::codeOf(int id) {
    for (const BuiltinFormat& format : kBuiltinFormats) {
        if (format.id == id) {
            return QLatin1String(format.code);
        }
    }
    return QString();
}
