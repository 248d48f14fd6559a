#include "office/word/html/htmlstyle.h"

#include <QHash>

#include <vector>

namespace {

// The CSS keyword font sizes and HTML's seven <font size> steps, in points.
const double kFontSteps[] = {7.5, 10, 12, 13.5, 18, 24, 36};

/* Overwrite `target` with `source` when the source is set. */
template <typename T>
void take(std::optional<T>& target, const std::optional<T>& source) {
    if (source) {
        target = source;
    }
}

/* The named colours of CSS level 1 and the system colours Word writes. */
const QHash<QString, std::uint32_t>& namedColors() {
    static const QHash<QString, std::uint32_t> names = {
        {QStringLiteral("black"), 0x000000},      {QStringLiteral("silver"), 0xC0C0C0},
        {QStringLiteral("gray"), 0x808080},       {QStringLiteral("grey"), 0x808080},
        {QStringLiteral("white"), 0xFFFFFF},      {QStringLiteral("maroon"), 0x800000},
        {QStringLiteral("red"), 0xFF0000},        {QStringLiteral("purple"), 0x800080},
        {QStringLiteral("fuchsia"), 0xFF00FF},    {QStringLiteral("green"), 0x008000},
        {QStringLiteral("lime"), 0x00FF00},       {QStringLiteral("olive"), 0x808000},
        {QStringLiteral("yellow"), 0xFFFF00},     {QStringLiteral("navy"), 0x000080},
        {QStringLiteral("blue"), 0x0000FF},       {QStringLiteral("teal"), 0x008080},
        {QStringLiteral("aqua"), 0x00FFFF},       {QStringLiteral("orange"), 0xFFA500},
        {QStringLiteral("windowtext"), 0x000000}, {QStringLiteral("window"), 0xFFFFFF},
    };
    return names;
}

/* A number at the start of `text`; `rest` receives what follows it. */
std::optional<double> leadingNumber(QStringView text, QStringView& rest) {
    int end = 0;
    while (end < text.size() &&
           (text[end].isDigit() || text[end] == QLatin1Char('.') ||
            (end == 0 && (text[0] == QLatin1Char('-') || text[0] == QLatin1Char('+'))))) {
        ++end;
    }
    bool ok = false;
    const double value = text.left(end).toString().toDouble(&ok);
    if (!ok) {
        return std::nullopt;
    }
    rest = text.mid(end).trimmed();
    return value;
}

/* Split a value on blanks, keeping rgb(...) groups whole. */
std::vector<QStringView> valueWords(QStringView value) {
    std::vector<QStringView> words;
    int start = -1;
    int parens = 0;
    for (int i = 0; i <= value.size(); ++i) {
        const bool end = i == value.size();
        const QChar c = end ? QLatin1Char(' ') : value[i];
        if (c == QLatin1Char('(')) {
            ++parens;
        } else if (c == QLatin1Char(')')) {
            --parens;
        }
        if ((c.isSpace() && parens <= 0) || end) {
            if (start >= 0) {
                words.push_back(value.mid(start, i - start));
                start = -1;
            }
        } else if (start < 0) {
            start = i;
        }
    }
    return words;
}

// What one word of a border shorthand says of the line's style.
struct StyleWord {
    enum Kind { NoLine, Line, Other } kind = Other;  // none or hidden; a line style; neither
    BorderLine::Style style = BorderLine::None;      // the line style of a Line
};

/* The border line style a CSS border-style keyword names. */
StyleWord borderStyle(QStringView word) {
    if (word == QLatin1String("none") || word == QLatin1String("hidden")) {
        return StyleWord{StyleWord::NoLine, BorderLine::None};
    }
    if (word == QLatin1String("solid") || word == QLatin1String("groove") ||
        word == QLatin1String("ridge") || word == QLatin1String("inset") ||
        word == QLatin1String("outset")) {
        return StyleWord{StyleWord::Line, BorderLine::Thin};
    }
    if (word == QLatin1String("double")) {
        return StyleWord{StyleWord::Line, BorderLine::Double};
    }
    if (word == QLatin1String("dotted")) {
        return StyleWord{StyleWord::Line, BorderLine::Dotted};
    }
    if (word == QLatin1String("dashed")) {
        return StyleWord{StyleWord::Line, BorderLine::Dashed};
    }
    return StyleWord();
}

/* Set the sides a border-* property names. */
void setSides(HtmlStyle& style, QStringView side, const WordBorder& border) {
    if (side.isEmpty() || side == QLatin1String("top")) {
        style.borders.top = border;
    }
    if (side.isEmpty() || side == QLatin1String("left")) {
        style.borders.left = border;
    }
    if (side.isEmpty() || side == QLatin1String("bottom")) {
        style.borders.bottom = border;
    }
    if (side.isEmpty() || side == QLatin1String("right")) {
        style.borders.right = border;
    }
}

/* text-decoration: underline, line-through, none. */
void applyDecoration(QStringView value, HtmlStyle& style) {
    for (QStringView word : valueWords(value)) {
        if (word == QLatin1String("underline")) {
            style.underline = WordRunFormat::Underline::Single;
        } else if (word == QLatin1String("line-through")) {
            style.strike = true;
        } else if (word == QLatin1String("none")) {
            style.underline = WordRunFormat::Underline::None;
            style.strike = false;
        }
    }
}

/* text-align. */
std::optional<WordParagraph::Alignment> alignment(QStringView value) {
    if (value == QLatin1String("left") || value == QLatin1String("start")) {
        return WordParagraph::Alignment::Left;
    }
    if (value == QLatin1String("center") || value == QLatin1String("middle")) {
        return WordParagraph::Alignment::Center;
    }
    if (value == QLatin1String("right") || value == QLatin1String("end")) {
        return WordParagraph::Alignment::Right;
    }
    if (value == QLatin1String("justify")) {
        return WordParagraph::Alignment::Justify;
    }
    return std::nullopt;
}

/* vertical-align of a cell. */
std::optional<WordCell::VerticalAlignment> verticalAlignment(QStringView value) {
    if (value == QLatin1String("top")) {
        return WordCell::VerticalAlignment::Top;
    }
    if (value == QLatin1String("middle") || value == QLatin1String("center")) {
        return WordCell::VerticalAlignment::Center;
    }
    if (value == QLatin1String("bottom")) {
        return WordCell::VerticalAlignment::Bottom;
    }
    return std::nullopt;
}

/* The first family of a font-family list, unquoted. */
QString firstFamily(QStringView value) {
    const int comma = value.indexOf(QLatin1Char(','));
    QStringView family = (comma < 0 ? value : value.left(comma)).trimmed();
    if (family.size() >= 2 &&
        (family.front() == QLatin1Char('"') || family.front() == QLatin1Char('\''))) {
        family = family.mid(1, family.size() - 2);
    }
    return family.trimmed().toString();
}

}  // namespace

/* Stated properties of `over` replace these. */
void HtmlStyle::merge(const HtmlStyle& over) {
    take(bold, over.bold);
    take(italic, over.italic);
    take(strike, over.strike);
    take(underline, over.underline);
    take(color, over.color);
    take(background, over.background);
    if (over.fontSize) {
        fontSize = over.fontSize;
        fontScale.reset();
    } else if (over.fontScale) {
        if (fontSize) {
            fontSize = *fontSize * *over.fontScale;
        } else {
            fontScale = fontScale.value_or(1.0) * *over.fontScale;
        }
    }
    take(fontFamily, over.fontFamily);
    take(textAlign, over.textAlign);
    take(verticalAlign, over.verticalAlign);
    take(widthTwips, over.widthTwips);
    take(hidden, over.hidden);
    WordBorder* sides[] = {&borders.top, &borders.left, &borders.bottom, &borders.right};
    const WordBorder* overSides[] = {&over.borders.top, &over.borders.left, &over.borders.bottom,
                                     &over.borders.right};
    for (int i = 0; i < 4; ++i) {
        if (overSides[i]->set) {
            *sides[i] = *overSides[i];
        }
    }
}

/* Split declarations on ';' and apply each "name: value". */
HtmlStyle HtmlStyle::parse(QStringView declarations) {
    HtmlStyle style;
    int start = 0;
    while (start < declarations.size()) {
        int end = declarations.indexOf(QLatin1Char(';'), start);
        if (end < 0) {
            end = declarations.size();
        }
        const QStringView declaration = declarations.mid(start, end - start);
        const int colon = declaration.indexOf(QLatin1Char(':'));
        if (colon > 0) {
            const QString name = declaration.left(colon).trimmed().toString().toLower();
            QString value = declaration.mid(colon + 1).trimmed().toString();
            value.remove(QLatin1String("!important"), Qt::CaseInsensitive);
            // Keywords compare in lower case; font names keep the case they are written in.
            if (name != QLatin1String("font-family")) {
                value = value.toLower();
            }
            apply(name, QStringView(value).trimmed(), style);
        }
        start = end + 1;
    }
    return style;
}

/* One declaration; names Word writes under mso- and unknown names are ignored. */
void HtmlStyle::apply(QStringView name, QStringView value, HtmlStyle& style) {
    if (name == QLatin1String("font-weight")) {
        bool numeric = false;
        const int weight = value.toString().toInt(&numeric);
        style.bold = numeric ? weight >= 600
                             : (value == QLatin1String("bold") || value == QLatin1String("bolder"));
    } else if (name == QLatin1String("font-style")) {
        style.italic = value == QLatin1String("italic") || value == QLatin1String("oblique");
    } else if (name == QLatin1String("text-decoration") ||
               name == QLatin1String("text-decoration-line")) {
        applyDecoration(value, style);
    } else if (name == QLatin1String("color")) {
        take(style.color, parseColor(value));
    } else if (name == QLatin1String("background") || name == QLatin1String("background-color")) {
        for (QStringView word : valueWords(value)) {
            if (const auto color = parseColor(word)) {
                style.background = color;
                break;
            }
        }
    } else if (name == QLatin1String("font-size")) {
        parseFontSize(value, style);
    } else if (name == QLatin1String("font-family")) {
        const QString family = firstFamily(value);
        if (!family.isEmpty()) {
            style.fontFamily = family;
        }
    } else if (name == QLatin1String("text-align")) {
        take(style.textAlign, alignment(value));
    } else if (name == QLatin1String("vertical-align")) {
        take(style.verticalAlign, verticalAlignment(value));
    } else if (name == QLatin1String("width")) {
        take(style.widthTwips, parseTwips(value));
    } else if (name == QLatin1String("display")) {
        style.hidden = value == QLatin1String("none");
    } else if (name == QLatin1String("border") || name.startsWith(QLatin1String("border-"))) {
        const QStringView side = name.mid(name.size() > 6 ? 7 : 6);
        if (side.isEmpty() || side == QLatin1String("top") || side == QLatin1String("left") ||
            side == QLatin1String("bottom") || side == QLatin1String("right")) {
            setSides(style, side, parseBorder(value));
        }
    }
}

/* #rgb, #rrggbb, rgb(), names. */
std::optional<std::uint32_t> HtmlStyle::parseColor(QStringView value) {
    QString text = value.trimmed().toString().toLower();
    if (text == QLatin1String("transparent")) {
        return kAutoColor;
    }
    if (text.startsWith(QLatin1String("rgb(")) && text.endsWith(QLatin1Char(')'))) {
        const QStringList parts = text.mid(4, text.size() - 5).split(QLatin1Char(','));
        if (parts.size() != 3) {
            return std::nullopt;
        }
        std::uint32_t rgb = 0;
        for (const QString& part : parts) {
            bool ok = false;
            const int channel = part.trimmed().toInt(&ok);
            if (!ok) {
                return std::nullopt;
            }
            rgb = (rgb << 8) | static_cast<std::uint32_t>(qBound(0, channel, 255));
        }
        return rgb;
    }
    const auto named = namedColors().constFind(text);
    if (named != namedColors().constEnd()) {
        return *named;
    }
    if (text.startsWith(QLatin1Char('#'))) {
        text.remove(0, 1);
    }
    if (text.size() == 3) {
        text = QString(text[0]) + text[0] + text[1] + text[1] + text[2] + text[2];
    }
    bool ok = false;
    const uint rgb = text.toUInt(&ok, 16);
    if (!ok || text.size() != 6) {
        return std::nullopt;
    }
    return rgb;
}

/* Lengths in twips; a bare number counts as pixels, as in HTML width attributes. */
std::optional<int> HtmlStyle::parseTwips(QStringView value) {
    QStringView unit;
    const auto number = leadingNumber(value.trimmed(), unit);
    if (!number || *number < 0 || *number > 1e6) {
        return std::nullopt;
    }
    double twipsPerUnit = 0;
    if (unit.isEmpty() || unit == QLatin1String("px")) {
        twipsPerUnit = 15;
    } else if (unit == QLatin1String("pt")) {
        twipsPerUnit = 20;
    } else if (unit == QLatin1String("in")) {
        twipsPerUnit = 1440;
    } else if (unit == QLatin1String("cm")) {
        twipsPerUnit = 1440 / 2.54;
    } else if (unit == QLatin1String("mm")) {
        twipsPerUnit = 144 / 2.54;
    } else if (unit == QLatin1String("pc")) {
        twipsPerUnit = 240;
    } else {
        return std::nullopt;
    }
    return static_cast<int>(*number * twipsPerUnit + 0.5);
}

/* Points, em/% scales, and the size keywords. */
bool HtmlStyle::parseFontSize(QStringView value, HtmlStyle& style) {
    static const char* const keywords[] = {"xx-small", "x-small", "small",   "medium",
                                           "large",    "x-large", "xx-large"};
    for (int i = 0; i < 7; ++i) {
        if (value == QLatin1String(keywords[i])) {
            style.fontSize = i == 0 ? 7.0 : kFontSteps[i];
            style.fontScale.reset();
            return true;
        }
    }
    QStringView unit;
    const auto number = leadingNumber(value, unit);
    if (!number || *number <= 0 || *number > 4000) {
        return false;
    }
    if (unit == QLatin1String("em")) {
        style.fontScale = *number;
        style.fontSize.reset();
        return true;
    }
    if (unit == QLatin1String("%")) {
        style.fontScale = *number / 100;
        style.fontSize.reset();
        return true;
    }
    const auto twips = parseTwips(value);
    if (!twips || unit.isEmpty()) {
        return false;
    }
    style.fontSize = *twips / 20.0;
    style.fontScale.reset();
    return true;
}

/* <font size>: 1..7, or relative to the base size 3. */
std::optional<double> HtmlStyle::fontTagSize(QStringView value) {
    const QStringView text = value.trimmed();
    bool ok = false;
    int step = text.toString().toInt(&ok);
    if (!ok) {
        return std::nullopt;
    }
    if (text.startsWith(QLatin1Char('+')) || text.startsWith(QLatin1Char('-'))) {
        step += 3;
    }
    return kFontSteps[qBound(1, step, 7) - 1];
}

/* Width, style and colour in any order; a zero width or style none is no line. */
WordBorder HtmlStyle::parseBorder(QStringView value) {
    WordBorder border;
    border.set = true;
    BorderLine::Style style = BorderLine::None;
    bool styled = false;
    std::optional<int> width;
    for (QStringView word : valueWords(value)) {
        const StyleWord styleWord = borderStyle(word);
        if (styleWord.kind == StyleWord::NoLine) {
            return border;  // none: set, no line
        }
        if (styleWord.kind == StyleWord::Line) {
            style = styleWord.style;
            styled = true;
        } else if (const auto twips = parseTwips(word)) {
            width = twips;
        } else if (word == QLatin1String("thin")) {
            width = 15;
        } else if (word == QLatin1String("medium")) {
            width = 45;
        } else if (word == QLatin1String("thick")) {
            width = 75;
        } else if (const auto color = parseColor(word)) {
            border.line.color = *color;
        }
    }
    if (!styled || (width && *width <= 0)) {
        border.line = BorderLine();
        return border;
    }
    border.line.style = style;
    if (style == BorderLine::Thin && width) {
        // Up to 1pt is Excel's thin line, up to 2.25pt its medium one, beyond that thick.
        border.line.style = *width <= 20 ? BorderLine::Thin
                                         : (*width <= 45 ? BorderLine::Medium : BorderLine::Thick);
    }
    return border;
}
