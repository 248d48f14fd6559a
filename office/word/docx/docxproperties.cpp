#include "office/word/docx/docxproperties.h"

namespace {

const QLatin1String kTransitionalNs("http://schemas.openxmlformats.org/wordprocessingml/2006/main");
const QLatin1String kStrictNs("http://purl.oclc.org/ooxml/wordprocessingml/main");

// Word 2003 XML's WordprocessingML shares the vocabulary read here.
const QLatin1String kWord2003Ns("http://schemas.microsoft.com/office/word/2003/wordml");

const QLatin1String kWordNamespaces[] = {kTransitionalNs, kStrictNs, kWord2003Ns};

/* True for a WordprocessingML main namespace. */
bool isWordNamespace(QLatin1String uri) {
    return uri == kTransitionalNs || uri == kStrictNs || uri == kWord2003Ns;
}

/* Stated optional values of `over` replace those of `base`. */
template <typename T>
void take(std::optional<T>& base, const std::optional<T>& over) {
    if (over) {
        base = over;
    }
}

}  // namespace

/* Lay one set of run properties over another. */
void DocxRunProperties::merge(const DocxRunProperties& over) {
    take(asciiFont, over.asciiFont);
    take(asciiTheme, over.asciiTheme);
    take(eastAsiaFont, over.eastAsiaFont);
    take(eastAsiaTheme, over.eastAsiaTheme);
    take(fontSize, over.fontSize);
    take(bold, over.bold);
    take(italic, over.italic);
    take(strike, over.strike);
    take(underline, over.underline);
    take(color, over.color);
}

/* ST_Theme names (ECMA-376 Part 1, 17.18.96): major/minor, Latin or East Asian. */
QString DocxThemeFonts::resolve(const QString& themeName) const {
    const bool major = themeName.startsWith(QLatin1String("major"));
    if (themeName.endsWith(QLatin1String("EastAsia"))) {
        return major ? majorEastAsia : minorEastAsia;
    }
    return major ? majorLatin : minorLatin;
}

/* Number the main namespaces 0, 1 and 2, so that isWord() compares numbers. */
void DocxProperties::prepare(XmlReader& reader) {
    reader.registerNamespace(kTransitionalNs);
    reader.registerNamespace(kStrictNs);
    reader.registerNamespace(kWord2003Ns);
}

/* Check the element's namespace: by number when prepared, else by URI. */
bool DocxProperties::isWord(const XmlReader& reader) {
    const int id = reader.namespaceId();
    return (id >= 0 && id <= 2) || (id < 0 && isWordNamespace(reader.namespaceUri()));
}

/* Find an attribute by local name in either namespace (or none, as some writers omit it). */
QString DocxProperties::attribute(const XmlReader& reader, QLatin1String name) {
    return reader.attribute(name, kWordNamespaces, 3);
}

/* Compare an attribute's value in either namespace without copying it. */
bool DocxProperties::attributeIs(const XmlReader& reader, QLatin1String name,
                                 QLatin1String expected) {
    return reader.attributeIs(name, expected, kWordNamespaces, 3);
}

/* Plain digits straight from the input; other spellings (sign, spaces) through QString. */
std::optional<int> DocxProperties::integerAttribute(const XmlReader& reader, QLatin1String name) {
    int value = 0;
    if (reader.integerAttribute(name, value, kWordNamespaces, 3)) {
        return value;
    }
    bool ok = false;
    const int parsed = attribute(reader, name).toInt(&ok);
    if (!ok) {
        return std::nullopt;
    }
    return parsed;
}

/* Plain twips straight from the input; other spellings through twips(). */
int DocxProperties::twipsAttribute(const XmlReader& reader, QLatin1String name) {
    int value = 0;
    if (reader.integerAttribute(name, value, kWordNamespaces, 3)) {
        return value;
    }
    return twips(attribute(reader, name));
}

/* ST_OnOff (17.17.4): an absent value means on. */
bool DocxProperties::onOff(const QString& value) {
    return value.isEmpty() || value == QLatin1String("1") || value == QLatin1String("true") ||
           value == QLatin1String("on");
}

/* ST_TwipsMeasure or ST_UniversalMeasure (22.9.2.15). */
int DocxProperties::twips(const QString& value) {
    bool ok = false;
    const int whole = value.toInt(&ok);
    if (ok) {
        return whole >= 0 && whole < 1000000000 ? whole : -1;
    }
    const double plain = value.toDouble(&ok);
    if (ok) {
        return plain >= 0 && plain < 1e9 ? static_cast<int>(plain) : -1;
    }
    static const struct {
        const char* unit;
        double twips;
    } units[] = {{"mm", 1440 / 25.4}, {"cm", 1440 / 2.54}, {"in", 1440},
                 {"pt", 20},          {"pc", 240},         {"pi", 240}};
    for (const auto& unit : units) {
        if (value.endsWith(QLatin1String(unit.unit))) {
            const double number = value.left(value.size() - 2).toDouble(&ok);
            const double result = number * unit.twips;
            return ok && result >= 0 && result < 1e9 ? static_cast<int>(result) : -1;
        }
    }
    return -1;
}

/* ST_HexColor (17.18.38). */
std::uint32_t DocxProperties::color(const QString& value) {
    if (value.size() != 6) {
        return kAutoColor;
    }
    bool ok = false;
    const uint rgb = value.toUInt(&ok, 16);
    return ok ? rgb : kAutoColor;
}

namespace {

/* rFonts (17.3.2.26): ascii for Latin text, eastAsia for East Asian text; a theme font
   replaces a named one. */
void readRunFonts(const XmlReader& reader, DocxRunProperties& out) {
    const QString ascii = DocxProperties::attribute(reader, QLatin1String("ascii"));
    const QString asciiTheme = DocxProperties::attribute(reader, QLatin1String("asciiTheme"));
    // Word 2003 XML names the East Asian font "fareast".
    QString eastAsia = DocxProperties::attribute(reader, QLatin1String("eastAsia"));
    if (eastAsia.isEmpty()) {
        eastAsia = DocxProperties::attribute(reader, QLatin1String("fareast"));
    }
    const QString eastAsiaTheme = DocxProperties::attribute(reader, QLatin1String("eastAsiaTheme"));
    if (!asciiTheme.isEmpty()) {
        out.asciiTheme = asciiTheme;
    } else if (!ascii.isEmpty()) {
        out.asciiFont = ascii;
        out.asciiTheme = QString();
    }
    if (!eastAsiaTheme.isEmpty()) {
        out.eastAsiaTheme = eastAsiaTheme;
    } else if (!eastAsia.isEmpty()) {
        out.eastAsiaFont = eastAsia;
        out.eastAsiaTheme = QString();
    }
}

/* ST_Underline (17.18.99): none, double, or (every other line kind) single. */
WordRunFormat::Underline underlineOf(const QString& val) {
    if (val == QLatin1String("none") || val.isEmpty()) {
        return WordRunFormat::Underline::None;
    }
    return val == QLatin1String("double") ? WordRunFormat::Underline::Double
                                          : WordRunFormat::Underline::Single;
}

/* sz (17.3.2.38): half-points (ST_HpsMeasure); a universal measure arrives here as twips.
   A size out of range leaves the font size as it was. */
void readFontSize(const QString& val, DocxRunProperties& out) {
    bool ok = false;
    const double halfPoints = val.toDouble(&ok);
    const int measured = ok ? -1 : DocxProperties::twips(val);
    if (ok && halfPoints > 0 && halfPoints < 10000) {
        out.fontSize = halfPoints / 2;
    } else if (measured > 0) {
        out.fontSize = measured / 20.0;
    }
}

}  // namespace

/* CT_RPr (17.3.2.28): the properties the spreadsheet keeps. */
void DocxProperties::readRunProperties(XmlReader& reader, DocxRunProperties& out) {
    while (reader.readNextStartElement()) {
        if (!isWord(reader)) {
            reader.skipCurrentElement();
            continue;
        }
        const QLatin1String name = reader.name();
        const QString val = attribute(reader, QLatin1String("val"));
        if (name == QLatin1String("rStyle")) {
            out.characterStyle = val;
        } else if (name == QLatin1String("rFonts")) {
            readRunFonts(reader, out);
        } else if (name == QLatin1String("b")) {
            out.bold = onOff(val);
        } else if (name == QLatin1String("i")) {
            out.italic = onOff(val);
        } else if (name == QLatin1String("strike") || name == QLatin1String("dstrike")) {
            out.strike = onOff(val);
        } else if (name == QLatin1String("u")) {
            out.underline = underlineOf(val);
        } else if (name == QLatin1String("sz")) {
            readFontSize(val, out);
        } else if (name == QLatin1String("color")) {
            out.color = color(val);
        }
        reader.skipCurrentElement();
    }
}

/* CT_Border (17.3.4): line style by value and width (sz in eighths of a point). */
WordBorder DocxProperties::readBorder(const XmlReader& reader) {
    WordBorder border;
    border.set = true;
    const QString val = attribute(reader, QLatin1String("val"));
    if (val.isEmpty() || val == QLatin1String("nil") || val == QLatin1String("none")) {
        return border;
    }
    bool ok = false;
    const int size = attribute(reader, QLatin1String("sz")).toInt(&ok);
    const int eighths = ok ? size : 4;
    if (val == QLatin1String("double")) {
        border.line.style = BorderLine::Double;
    } else if (val == QLatin1String("dotted")) {
        border.line.style = BorderLine::Dotted;
    } else if (val.startsWith(QLatin1String("dash")) || val.startsWith(QLatin1String("dot"))) {
        border.line.style = BorderLine::Dashed;
    } else if (val == QLatin1String("thick") || eighths > 18) {
        border.line.style = BorderLine::Thick;
    } else if (eighths > 8) {
        border.line.style = BorderLine::Medium;
    } else {
        border.line.style = BorderLine::Thin;
    }
    border.line.color = color(attribute(reader, QLatin1String("color")));
    return border;
}

/* CT_TblBorders (17.4.39) / CT_TcBorders (17.4.67); "start"/"end" are the Strict names. */
void DocxProperties::readBorders(XmlReader& reader, WordBorders& out) {
    while (reader.readNextStartElement()) {
        if (isWord(reader)) {
            const QLatin1String name = reader.name();
            const WordBorder border = readBorder(reader);
            if (name == QLatin1String("top")) {
                out.top = border;
            } else if (name == QLatin1String("bottom")) {
                out.bottom = border;
            } else if (name == QLatin1String("left") || name == QLatin1String("start")) {
                out.left = border;
            } else if (name == QLatin1String("right") || name == QLatin1String("end")) {
                out.right = border;
            } else if (name == QLatin1String("insideH")) {
                out.insideHorizontal = border;
            } else if (name == QLatin1String("insideV")) {
                out.insideVertical = border;
            }
        }
        reader.skipCurrentElement();
    }
}

/* CT_Shd (17.3.5): a solid pattern shows its colour, otherwise the fill shows. */
std::uint32_t DocxProperties::shading(const XmlReader& reader) {
    const QString val = attribute(reader, QLatin1String("val"));
    if (val == QLatin1String("nil")) {
        return kAutoColor;
    }
    if (val == QLatin1String("solid")) {
        const std::uint32_t pattern = color(attribute(reader, QLatin1String("color")));
        if (pattern != kAutoColor) {
            return pattern;
        }
    }
    return color(attribute(reader, QLatin1String("fill")));
}

/* ST_Jc (17.18.44). */
WordParagraph::Alignment DocxProperties::alignment(const QString& value) {
    if (value == QLatin1String("left") || value == QLatin1String("start")) {
        return WordParagraph::Alignment::Left;
    }
    if (value == QLatin1String("center")) {
        return WordParagraph::Alignment::Center;
    }
    if (value == QLatin1String("right") || value == QLatin1String("end")) {
        return WordParagraph::Alignment::Right;
    }
    if (value == QLatin1String("both") || value == QLatin1String("distribute") ||
        value.contains(QLatin1String("Kashida")) || value == QLatin1String("thaiDistribute")) {
        return WordParagraph::Alignment::Justify;
    }
    return WordParagraph::Alignment::Default;
}

/* Resolve theme fonts and copy every stated property into a run format. */
void DocxProperties::apply(const DocxRunProperties& properties, const DocxThemeFonts& theme,
                           WordRunFormat& format) {
    if (properties.asciiTheme && !properties.asciiTheme->isEmpty()) {
        const QString font = theme.resolve(*properties.asciiTheme);
        if (!font.isEmpty()) {
            format.fontName = font;
        }
    } else if (properties.asciiFont) {
        format.fontName = *properties.asciiFont;
    }
    if (properties.eastAsiaTheme && !properties.eastAsiaTheme->isEmpty()) {
        const QString font = theme.resolve(*properties.eastAsiaTheme);
        if (!font.isEmpty()) {
            format.eastAsiaFontName = font;
        }
    } else if (properties.eastAsiaFont) {
        format.eastAsiaFontName = *properties.eastAsiaFont;
    }
    if (properties.fontSize) {
        format.fontSize = *properties.fontSize;
    }
    if (properties.bold) {
        format.bold = *properties.bold;
    }
    if (properties.italic) {
        format.italic = *properties.italic;
    }
    if (properties.strike) {
        format.strike = *properties.strike;
    }
    if (properties.underline) {
        format.underline = *properties.underline;
    }
    if (properties.color) {
        format.color = *properties.color;
    }
}
