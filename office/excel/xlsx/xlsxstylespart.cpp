#include "office/excel/xlsx/xlsxstylespart.h"

#include "office/excel/model/builtinnumberformats.h"
#include "office/excel/xlsx/xlsxstyles.h"

#include <QHash>

#include <vector>

namespace {

const int kFirstCustomFormatId = 164;

// The ids of one format's parts.
struct XfIds {
    int numFmt = 0;
    int font = 0;
    int fill = 0;
    int border = 0;
};

// The distinct parts of the formats written, in order of first use, and each format's ids.
struct StyleParts {
    std::vector<QString> customCodes;
    QHash<QString, int> customIds;
    QHash<QString, int> fontIds;
    QHash<QString, int> borderIds;
    QHash<std::uint32_t, int> fillIds;
    std::vector<const CellFormat*> fonts;
    std::vector<const CellFormat*> borders;
    std::vector<std::uint32_t> fills;
    std::vector<XfIds> xfs;
};

/* "FFRRGGBB" for a colour. */
QString argb(std::uint32_t color) {
    return QStringLiteral("FF%1").arg(color & 0xFFFFFFu, 6, 16, QLatin1Char('0')).toUpper();
}

/* A key for a font, so that equal fonts are written once. */
QString fontKey(const CellFormat& f) {
    return f.fontName + QLatin1Char('|') + QString::number(f.fontSize) + QLatin1Char('|') +
           QString::number(static_cast<int>(f.bold) | static_cast<int>(f.italic) << 1 |
                           static_cast<int>(f.strike) << 2 | static_cast<int>(f.underline) << 3) +
           QLatin1Char('|') + QString::number(f.fontColor);
}

/* A key for a border. */
QString borderKey(const CellFormat& f) {
    QString key;
    for (const BorderLine* line : {&f.left, &f.right, &f.top, &f.bottom}) {
        key += QStringLiteral("%1:%2|").arg(static_cast<int>(line->style)).arg(line->color);
    }
    return key;
}

/* The id of `key` in `ids`, adding `item` to `items` under the next id when it is new. */
template <typename Key, typename Item>
int idOf(QHash<Key, int>& ids, std::vector<Item>& items, const Key& key, const Item& item,
         int firstId) {
    auto found = ids.constFind(key);
    if (found == ids.constEnd()) {
        found = ids.insert(key, static_cast<int>(items.size()) + firstId);
        items.push_back(item);
    }
    return found.value();
}

/* The ids of one format's parts, adding the parts not seen before. */
XfIds collectParts(StyleParts& parts, const CellFormat& f) {
    XfIds ids;
    ids.numFmt = BuiltinNumberFormats::idOf(f.numberFormat);
    if (ids.numFmt < 0) {
        auto code = parts.customIds.constFind(f.numberFormat);
        if (code == parts.customIds.constEnd()) {
            code =
                parts.customIds.insert(f.numberFormat, static_cast<int>(parts.customCodes.size()));
            parts.customCodes.push_back(f.numberFormat);
        }
        ids.numFmt = kFirstCustomFormatId + code.value();
    }
    ids.font = idOf(parts.fontIds, parts.fonts, fontKey(f), &f, 0);
    // Fills 0 and 1 are reserved: none and gray125, as Excel expects.
    ids.fill = f.fillColor == kAutoColor
                   ? 0
                   : idOf(parts.fillIds, parts.fills, f.fillColor, f.fillColor, 2);
    ids.border = idOf(parts.borderIds, parts.borders, borderKey(f), &f, 0);
    return ids;
}

/* Write one empty element with one attribute. */
void writeValueElement(XmlSink& out, const char* name, const char* attribute,
                       const QString& value) {
    out << "<" << name;
    out.attribute(attribute, value) << "/>";
}

/* Write one <font> (CT_Font, 18.8.22). */
void writeFont(XmlSink& out, const CellFormat& f) {
    out << "<font>" << (f.bold ? "<b/>" : "") << (f.italic ? "<i/>" : "")
        << (f.strike ? "<strike/>" : "");
    if (f.underline != CellFormat::Underline::None) {
        out << (f.underline == CellFormat::Underline::Double ? "<u val=\"double\"/>" : "<u/>");
    }
    writeValueElement(out, "sz", "val",
                      QString::number(f.fontSize > 0 ? f.fontSize : XlsxStyles::kDefaultFontSize));
    if (f.fontColor != kAutoColor) {
        writeValueElement(out, "color", "rgb", argb(f.fontColor));
    }
    writeValueElement(out, "name", "val",
                      f.fontName.isEmpty() ? XlsxStyles::defaultFontName() : f.fontName);
    out << "<family val=\"2\"/></font>";
}

/* Write one <fill> (CT_Fill, 18.8.20). */
void writeFill(XmlSink& out, const char* pattern, std::uint32_t color) {
    out << "<fill><patternFill patternType=\"" << pattern;
    if (color == kAutoColor) {
        out << "\"/></fill>";
        return;
    }
    out << "\">";
    writeValueElement(out, "fgColor", "rgb", argb(color));
    out << "<bgColor indexed=\"64\"/></patternFill></fill>";
}

/* Write one side of a border. */
void writeBorderSide(XmlSink& out, const char* name, const BorderLine& line) {
    out << "<" << name;
    if (line.style == BorderLine::None) {
        out << "/>";
        return;
    }
    out.attribute("style", XlsxStyles::borderStyleName(line.style)) << "><color";
    if (line.color == kAutoColor) {
        out << " auto=\"1\"";
    } else {
        out.attribute("rgb", argb(line.color));
    }
    out << "/></" << name << ">";
}

/* Write one <border> (CT_Border, 18.8.4): left, right, top, bottom, diagonal in order. */
void writeBorder(XmlSink& out, const CellFormat& f) {
    out << "<border>";
    writeBorderSide(out, "left", f.left);
    writeBorderSide(out, "right", f.right);
    writeBorderSide(out, "top", f.top);
    writeBorderSide(out, "bottom", f.bottom);
    out << "<diagonal/></border>";
}

/* Write the <alignment> child of an xf. */
void writeAlignment(XmlSink& out, const CellFormat& f) {
    static const char* const horizontal[] = {"general", "left", "center", "right", "justify"};
    static const char* const vertical[] = {"bottom", "top", "center"};
    out << "<alignment";
    if (f.hAlign != CellFormat::HAlign::General) {
        out << " horizontal=\"" << horizontal[static_cast<int>(f.hAlign)] << "\"";
    }
    if (f.vAlign != CellFormat::VAlign::Bottom) {
        out << " vertical=\"" << vertical[static_cast<int>(f.vAlign)] << "\"";
    }
    out << (f.wrap ? " wrapText=\"1\"/>" : "/>");
}

/* Write one cell <xf> (CT_Xf, 18.8.45). */
void writeXf(XmlSink& out, const CellFormat& f, const XfIds& ids) {
    const bool aligned =
        f.hAlign != CellFormat::HAlign::General || f.vAlign != CellFormat::VAlign::Bottom || f.wrap;
    out << "<xf numFmtId=\"";
    out.number(ids.numFmt) << "\" fontId=\"";
    out.number(ids.font) << "\" fillId=\"";
    out.number(ids.fill) << "\" borderId=\"";
    out.number(ids.border) << "\" xfId=\"0\"" << (ids.numFmt != 0 ? " applyNumberFormat=\"1\"" : "")
                           << (ids.font != 0 ? " applyFont=\"1\"" : "")
                           << (ids.fill != 0 ? " applyFill=\"1\"" : "")
                           << (ids.border != 0 ? " applyBorder=\"1\"" : "");
    if (!aligned) {
        out << "/>";
        return;
    }
    out << " applyAlignment=\"1\">";
    writeAlignment(out, f);
    out << "</xf>";
}

/* Write `<name count="n">`, what `items` writes and the end tag; `<name count="0"/>` for none. */
template <typename Items>
void writeCollection(XmlSink& out, const char* name, int count, Items items) {
    out << "<" << name << " count=\"";
    out.number(count) << "\"";
    if (count == 0) {
        out << "/>";
        return;
    }
    out << ">";
    items();
    out << "</" << name << ">";
}

/* The number formats, fonts, fills and borders the xfs refer to. */
void writeSharedParts(XmlSink& out, const StyleParts& parts) {
    if (!parts.customCodes.empty()) {
        const int count = static_cast<int>(parts.customCodes.size());
        writeCollection(out, "numFmts", count, [&] {
            for (int i = 0; i < count; ++i) {
                out << "<numFmt numFmtId=\"";
                out.number(kFirstCustomFormatId + i) << "\"";
                out.attribute("formatCode", parts.customCodes[static_cast<size_t>(i)]) << "/>";
            }
        });
    }
    writeCollection(out, "fonts", static_cast<int>(parts.fonts.size()), [&] {
        for (const CellFormat* f : parts.fonts) {
            writeFont(out, *f);
        }
    });
    writeCollection(out, "fills", static_cast<int>(parts.fills.size()) + 2, [&] {
        writeFill(out, "none", kAutoColor);
        writeFill(out, "gray125", kAutoColor);
        for (std::uint32_t color : parts.fills) {
            writeFill(out, "solid", color);
        }
    });
    writeCollection(out, "borders", static_cast<int>(parts.borders.size()), [&] {
        for (const CellFormat* f : parts.borders) {
            writeBorder(out, *f);
        }
    });
}

}  // namespace

/* Write the whole styles part in the schema's element order. */
void XlsxStylesPart::write(XmlSink& out, const FormatTable& formats, int count) {
    StyleParts parts;
    const int written = qMin(count, formats.size());
    for (int i = 0; i < written; ++i) {
        parts.xfs.push_back(collectParts(parts, formats.at(i)));
    }
    out << XmlSink::kDeclaration
        << "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">";
    writeSharedParts(out, parts);
    out << "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" "
           "borderId=\"0\"/></cellStyleXfs>";
    writeCollection(out, "cellXfs", static_cast<int>(parts.xfs.size()), [&] {
        for (size_t i = 0; i < parts.xfs.size(); ++i) {
            writeXf(out, formats.formats()[i], parts.xfs[i]);
            out.flushIfFull();
        }
    });
    out << "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/>"
           "</cellStyles></styleSheet>\n";
}
