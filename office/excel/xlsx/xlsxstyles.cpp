#include "office/excel/xlsx/xlsxstyles.h"

#include "office/excel/model/builtinnumberformats.h"

#include <QHash>
#include <QVector>

#include <vector>

namespace {

const int kFirstCustomFormatId = 164;

/* "FFRRGGBB" for a colour. */
QString argb(std::uint32_t color) {
    return QStringLiteral("FF%1").arg(color & 0xFFFFFFu, 6, 16, QLatin1Char('0')).toUpper();
}

/* A key for a font, so that equal fonts are written once. */
QString fontKey(const CellFormat& f) {
    return f.fontName + QLatin1Char('|') + QString::number(f.fontSize) + QLatin1Char('|') +
           QString::number(int(f.bold) | int(f.italic) << 1 | int(f.strike) << 2 |
                           int(f.underline) << 3) +
           QLatin1Char('|') + QString::number(f.fontColor);
}

/* A key for a border. */
QString borderKey(const CellFormat& f) {
    QString key;
    for (const BorderLine* line : {&f.left, &f.right, &f.top, &f.bottom}) {
        key += QStringLiteral("%1:%2|").arg(int(line->style)).arg(line->color);
    }
    return key;
}

/* Write one <font> (CT_Font, 18.8.22). */
void writeFont(QXmlStreamWriter& xml, const CellFormat& f) {
    xml.writeStartElement(QStringLiteral("font"));
    if (f.bold) {
        xml.writeEmptyElement(QStringLiteral("b"));
    }
    if (f.italic) {
        xml.writeEmptyElement(QStringLiteral("i"));
    }
    if (f.strike) {
        xml.writeEmptyElement(QStringLiteral("strike"));
    }
    if (f.underline != CellFormat::Underline::None) {
        xml.writeEmptyElement(QStringLiteral("u"));
        if (f.underline == CellFormat::Underline::Double) {
            xml.writeAttribute(QStringLiteral("val"), QStringLiteral("double"));
        }
    }
    xml.writeEmptyElement(QStringLiteral("sz"));
    xml.writeAttribute(QStringLiteral("val"),
                       QString::number(f.fontSize > 0 ? f.fontSize : XlsxStyles::kDefaultFontSize));
    if (f.fontColor != kAutoColor) {
        xml.writeEmptyElement(QStringLiteral("color"));
        xml.writeAttribute(QStringLiteral("rgb"), argb(f.fontColor));
    }
    xml.writeEmptyElement(QStringLiteral("name"));
    xml.writeAttribute(QStringLiteral("val"),
                       f.fontName.isEmpty() ? XlsxStyles::defaultFontName() : f.fontName);
    xml.writeEmptyElement(QStringLiteral("family"));
    xml.writeAttribute(QStringLiteral("val"), QStringLiteral("2"));
    xml.writeEndElement();
}

/* Write one <fill> (CT_Fill, 18.8.20). */
void writeFill(QXmlStreamWriter& xml, const QString& pattern, std::uint32_t color) {
    xml.writeStartElement(QStringLiteral("fill"));
    if (color == kAutoColor) {
        xml.writeEmptyElement(QStringLiteral("patternFill"));
        xml.writeAttribute(QStringLiteral("patternType"), pattern);
    } else {
        xml.writeStartElement(QStringLiteral("patternFill"));
        xml.writeAttribute(QStringLiteral("patternType"), pattern);
        xml.writeEmptyElement(QStringLiteral("fgColor"));
        xml.writeAttribute(QStringLiteral("rgb"), argb(color));
        xml.writeEmptyElement(QStringLiteral("bgColor"));
        xml.writeAttribute(QStringLiteral("indexed"), QStringLiteral("64"));
        xml.writeEndElement();
    }
    xml.writeEndElement();
}

/* Write one side of a border. */
void writeBorderSide(QXmlStreamWriter& xml, const QString& name, const BorderLine& line) {
    if (line.style == BorderLine::None) {
        xml.writeEmptyElement(name);
        return;
    }
    xml.writeStartElement(name);
    xml.writeAttribute(QStringLiteral("style"), XlsxStyles::borderStyleName(line.style));
    xml.writeEmptyElement(QStringLiteral("color"));
    if (line.color == kAutoColor) {
        xml.writeAttribute(QStringLiteral("auto"), QStringLiteral("1"));
    } else {
        xml.writeAttribute(QStringLiteral("rgb"), argb(line.color));
    }
    xml.writeEndElement();
}

/* Write one <border> (CT_Border, 18.8.4): left, right, top, bottom, diagonal in order. */
void writeBorder(QXmlStreamWriter& xml, const CellFormat& f) {
    xml.writeStartElement(QStringLiteral("border"));
    writeBorderSide(xml, QStringLiteral("left"), f.left);
    writeBorderSide(xml, QStringLiteral("right"), f.right);
    writeBorderSide(xml, QStringLiteral("top"), f.top);
    writeBorderSide(xml, QStringLiteral("bottom"), f.bottom);
    xml.writeEmptyElement(QStringLiteral("diagonal"));
    xml.writeEndElement();
}

// The ids of one format's parts.
struct XfIds {
    int numFmt = 0;
    int font = 0;
    int fill = 0;
    int border = 0;
};

/* Write the <alignment> child of an xf, when the format has one. */
void writeAlignment(QXmlStreamWriter& xml, const CellFormat& f) {
    static const char* const horizontal[] = {"general", "left", "center", "right", "justify"};
    static const char* const vertical[] = {"bottom", "top", "center"};
    xml.writeEmptyElement(QStringLiteral("alignment"));
    if (f.hAlign != CellFormat::HAlign::General) {
        xml.writeAttribute(QStringLiteral("horizontal"),
                           QLatin1String(horizontal[static_cast<int>(f.hAlign)]));
    }
    if (f.vAlign != CellFormat::VAlign::Bottom) {
        xml.writeAttribute(QStringLiteral("vertical"),
                           QLatin1String(vertical[static_cast<int>(f.vAlign)]));
    }
    if (f.wrap) {
        xml.writeAttribute(QStringLiteral("wrapText"), QStringLiteral("1"));
    }
}

/* Write one cell <xf> (CT_Xf, 18.8.45). */
void writeXf(QXmlStreamWriter& xml, const CellFormat& f, const XfIds& ids) {
    const bool aligned =
        f.hAlign != CellFormat::HAlign::General || f.vAlign != CellFormat::VAlign::Bottom || f.wrap;
    xml.writeStartElement(QStringLiteral("xf"));
    xml.writeAttribute(QStringLiteral("numFmtId"), QString::number(ids.numFmt));
    xml.writeAttribute(QStringLiteral("fontId"), QString::number(ids.font));
    xml.writeAttribute(QStringLiteral("fillId"), QString::number(ids.fill));
    xml.writeAttribute(QStringLiteral("borderId"), QString::number(ids.border));
    xml.writeAttribute(QStringLiteral("xfId"), QStringLiteral("0"));
    if (ids.numFmt != 0) {
        xml.writeAttribute(QStringLiteral("applyNumberFormat"), QStringLiteral("1"));
    }
    if (ids.font != 0) {
        xml.writeAttribute(QStringLiteral("applyFont"), QStringLiteral("1"));
    }
    if (ids.fill != 0) {
        xml.writeAttribute(QStringLiteral("applyFill"), QStringLiteral("1"));
    }
    if (ids.border != 0) {
        xml.writeAttribute(QStringLiteral("applyBorder"), QStringLiteral("1"));
    }
    if (aligned) {
        xml.writeAttribute(QStringLiteral("applyAlignment"), QStringLiteral("1"));
        writeAlignment(xml, f);
    }
    xml.writeEndElement();
}

/* Write <count="n"> on a collection element. */
void startCollection(QXmlStreamWriter& xml, const QString& name, int count) {
    xml.writeStartElement(name);
    xml.writeAttribute(QStringLiteral("count"), QString::number(count));
}

}  // namespace

/* Name of a border style (ST_BorderStyle, 18.18.3). */
QString XlsxStyles::borderStyleName(BorderLine::Style style) {
    switch (style) {
        case BorderLine::None:
            return QStringLiteral("none");
        case BorderLine::Thin:
            return QStringLiteral("thin");
        case BorderLine::Medium:
            return QStringLiteral("medium");
        case BorderLine::Thick:
            return QStringLiteral("thick");
        case BorderLine::Double:
            return QStringLiteral("double");
        case BorderLine::Dotted:
            return QStringLiteral("dotted");
        case BorderLine::Dashed:
            return QStringLiteral("dashed");
        case BorderLine::Hair:
            return QStringLiteral("hair");
    }
    return QStringLiteral("thin");
}

/* Border style from its name; the many dash variants read as Dashed. */
BorderLine::Style XlsxStyles::borderStyleFromName(const QString& name) {
    if (name.isEmpty() || name == QLatin1String("none")) {
        return BorderLine::None;
    }
    static const QHash<QString, BorderLine::Style> styles = {
        {QStringLiteral("thin"), BorderLine::Thin},
        {QStringLiteral("medium"), BorderLine::Medium},
        {QStringLiteral("thick"), BorderLine::Thick},
        {QStringLiteral("double"), BorderLine::Double},
        {QStringLiteral("dotted"), BorderLine::Dotted},
        {QStringLiteral("hair"), BorderLine::Hair},
    };
    const auto found = styles.constFind(name);
    if (found != styles.constEnd()) {
        return found.value();
    }
    return name.contains(QLatin1String("ash")) ? BorderLine::Dashed : BorderLine::Thin;
}

/* Write the whole styles part in the schema's element order (CT_Stylesheet, 18.8.39). */
void XlsxStyles::write(QXmlStreamWriter& xml, const FormatTable& formats, int count) {
    QVector<QString> customCodes;
    QHash<QString, int> customIds;
    QHash<QString, int> fontIds;
    QHash<QString, int> borderIds;
    QHash<std::uint32_t, int> fillIds;
    std::vector<const CellFormat*> fonts;
    std::vector<const CellFormat*> borders;
    std::vector<std::uint32_t> fills;
    std::vector<XfIds> xfs;
    const int written = qMin(count, formats.size());
    for (int i = 0; i < written; ++i) {
        const CellFormat& f = formats.at(i);
        XfIds ids;
        ids.numFmt = BuiltinNumberFormats::idOf(f.numberFormat);
        if (ids.numFmt < 0) {
            auto code = customIds.constFind(f.numberFormat);
            if (code == customIds.constEnd()) {
                code = customIds.insert(f.numberFormat, customCodes.size());
                customCodes.append(f.numberFormat);
            }
            ids.numFmt = kFirstCustomFormatId + code.value();
        }
        const QString fk = fontKey(f);
        if (!fontIds.contains(fk)) {
            fontIds.insert(fk, static_cast<int>(fonts.size()));
            fonts.push_back(&f);
        }
        ids.font = fontIds.value(fk);
        if (f.fillColor != kAutoColor && !fillIds.contains(f.fillColor)) {
            fillIds.insert(f.fillColor, static_cast<int>(fills.size()) + 2);
            fills.push_back(f.fillColor);
        }
        ids.fill = f.fillColor == kAutoColor ? 0 : fillIds.value(f.fillColor);
        const QString bk = borderKey(f);
        if (!borderIds.contains(bk)) {
            borderIds.insert(bk, static_cast<int>(borders.size()));
            borders.push_back(&f);
        }
        ids.border = borderIds.value(bk);
        xfs.push_back(ids);
    }

    xml.writeStartElement(QStringLiteral("styleSheet"));
    xml.writeDefaultNamespace(
        QStringLiteral("http://schemas.openxmlformats.org/spreadsheetml/2006/main"));
    if (!customCodes.isEmpty()) {
        startCollection(xml, QStringLiteral("numFmts"), customCodes.size());
        for (int i = 0; i < customCodes.size(); ++i) {
            xml.writeEmptyElement(QStringLiteral("numFmt"));
            xml.writeAttribute(QStringLiteral("numFmtId"),
                               QString::number(kFirstCustomFormatId + i));
            xml.writeAttribute(QStringLiteral("formatCode"), customCodes[i]);
        }
        xml.writeEndElement();
    }
    startCollection(xml, QStringLiteral("fonts"), static_cast<int>(fonts.size()));
    for (const CellFormat* f : fonts) {
        writeFont(xml, *f);
    }
    xml.writeEndElement();
    // Fills 0 and 1 are reserved: none and gray125, as Excel expects.
    startCollection(xml, QStringLiteral("fills"), static_cast<int>(fills.size()) + 2);
    writeFill(xml, QStringLiteral("none"), kAutoColor);
    writeFill(xml, QStringLiteral("gray125"), kAutoColor);
    for (std::uint32_t color : fills) {
        writeFill(xml, QStringLiteral("solid"), color);
    }
    xml.writeEndElement();
    startCollection(xml, QStringLiteral("borders"), static_cast<int>(borders.size()));
    for (const CellFormat* f : borders) {
        writeBorder(xml, *f);
    }
    xml.writeEndElement();
    startCollection(xml, QStringLiteral("cellStyleXfs"), 1);
    xml.writeEmptyElement(QStringLiteral("xf"));
    for (const char* name : {"numFmtId", "fontId", "fillId", "borderId"}) {
        xml.writeAttribute(QLatin1String(name), QStringLiteral("0"));
    }
    xml.writeEndElement();
    startCollection(xml, QStringLiteral("cellXfs"), static_cast<int>(xfs.size()));
    for (size_t i = 0; i < xfs.size(); ++i) {
        writeXf(xml, formats.formats()[i], xfs[i]);
    }
    xml.writeEndElement();
    startCollection(xml, QStringLiteral("cellStyles"), 1);
    xml.writeEmptyElement(QStringLiteral("cellStyle"));
    xml.writeAttribute(QStringLiteral("name"), QStringLiteral("Normal"));
    xml.writeAttribute(QStringLiteral("xfId"), QStringLiteral("0"));
    xml.writeAttribute(QStringLiteral("builtinId"), QStringLiteral("0"));
    xml.writeEndElement();
    xml.writeEndElement();  // styleSheet
}
