#pragma once

#include "office/excel/model/formattable.h"

#include <QString>
#include <QXmlStreamWriter>

// The styles part of a package (ECMA-376 Part 1, 18.8 Styles): the workbook's format table
// as number formats, fonts, fills, borders and cell formats (xf). Cell format i of the
// format table is written as cellXfs entry i, so a cell's style index is its format index.
class XlsxStyles {
public:
    // The default font of new workbooks.
    static constexpr double kDefaultFontSize = 11;
    static QString defaultFontName() { return QStringLiteral("Calibri"); }

    // Distinct cell formats (cellXfs entries) a workbook may hold: the 64,000 Excel allows
    // (its own file-format notes let cellXfs reach 65,430 together with the style formats).
    static constexpr int kMaxCellFormats = 64000;

    // Write styles.xml for the first `count` formats of `formats` (all when it holds fewer).
    static void write(QXmlStreamWriter& xml, const FormatTable& formats, int count);

    // "thin", "medium"... for a border style and back (unknown names give Thin; "none" None).
    static QString borderStyleName(BorderLine::Style style);
    static BorderLine::Style borderStyleFromName(const QString& name);
};
