#pragma once

// Properties of WordprocessingML (ECMA-376 Part 1, 17.3 and 17.4) as read from one
// element, each field unset until the element states it, so that docDefaults, styles and
// direct formatting can be laid over one another.

#include "office/word/model/worddocument.h"

#include <QString>
#include "office/xml/xmlreader.h"

#include <optional>

// Run properties, CT_RPr (ECMA-376 Part 1, 17.3.2.28).
struct DocxRunProperties {
    std::optional<QString> asciiFont, asciiTheme, eastAsiaFont, eastAsiaTheme;
    std::optional<double> fontSize;
    std::optional<bool> bold, italic, strike;
    std::optional<WordRunFormat::Underline> underline;
    std::optional<std::uint32_t> color;
    QString characterStyle;  // rStyle of a run; not merged

    // Lay `over` on top of these properties (its stated fields win).
    void merge(const DocxRunProperties& over);
};

// Theme fonts by their names in rFonts' theme attributes ("minorHAnsi", "majorEastAsia").
struct DocxThemeFonts {
    QString majorLatin, minorLatin, majorEastAsia, minorEastAsia;

    // The typeface for a theme font name; empty when unknown.
    QString resolve(const QString& themeName) const;
};

// Reading helpers on a reader positioned at a start element; all of them consume the
// element through its end, and accept the Transitional and the Strict namespace alike.
class DocxProperties {
public:
    // Register the WordprocessingML namespaces with a reader; call before reading.
    static void prepare(XmlReader& reader);
    // True when the reader's current element is in the WordprocessingML main namespace
    // (Transitional or Strict).
    static bool isWord(const XmlReader& reader);
    // The value of a WordprocessingML attribute ("val"), or an empty reference.
    static QString attribute(const XmlReader& reader, QLatin1String name);
    // True when a WordprocessingML attribute is present with exactly this value.
    static bool attributeIs(const XmlReader& reader, QLatin1String name, QLatin1String expected);
    // A WordprocessingML attribute as a whole number (QString::toInt rules); none when
    // absent or not a number.
    static std::optional<int> integerAttribute(const XmlReader& reader, QLatin1String name);
    // A WordprocessingML measure attribute in twips (as twips()); -1 when absent or bad.
    static int twipsAttribute(const XmlReader& reader, QLatin1String name);
    // An on/off value (ST_OnOff): absent, "1", "true", "on" are true.
    static bool onOff(const QString& value);
    // A measure in twips: plain number or a universal measure ("2.5cm", "12pt"); -1 if bad.
    static int twips(const QString& value);
    // A colour "RRGGBB"; kAutoColor for "auto" or anything unreadable.
    static std::uint32_t color(const QString& value);

    // w:rPr
    static void readRunProperties(XmlReader& reader, DocxRunProperties& out);
    // A border side (CT_Border, 17.3.4)
    static WordBorder readBorder(const XmlReader& reader);
    // w:tblBorders / w:tcBorders
    static void readBorders(XmlReader& reader, WordBorders& out);
    // w:shd (CT_Shd, 17.3.5): the fill colour, kAutoColor when none
    static std::uint32_t shading(const XmlReader& reader);
    // w:jc of a paragraph
    static WordParagraph::Alignment alignment(const QString& value);
    // Apply run properties to a format, resolving theme fonts.
    static void apply(const DocxRunProperties& properties, const DocxThemeFonts& theme,
                      WordRunFormat& format);
};
