#pragma once

#include "office/excel/model/formattable.h"

#include <QString>

// What the styles part (ECMA-376 Part 1, 18.8 Styles) writer and reader share: the default
// font, the limit on cell formats and the border style names.
class XlsxStyles {
public:
    // The default font of new workbooks.
    static constexpr double kDefaultFontSize = 11;
    static QString defaultFontName() { return QStringLiteral("Calibri"); }

    // Distinct cell formats (cellXfs entries) a workbook may hold: the 64,000 Excel allows
    // (its own file-format notes let cellXfs reach 65,430 together with the style formats).
    static constexpr int kMaxCellFormats = 64000;

    // "thin", "medium"... for a border style and back (unknown names give Thin; "none" None).
    static QString borderStyleName(BorderLine::Style style);
    static BorderLine::Style borderStyleFromName(const QString& name);
};
