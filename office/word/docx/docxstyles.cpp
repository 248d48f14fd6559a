#include "office/word/docx/docxstyles.h"

namespace {

/* Lay one set of borders over another, side by side. */
void mergeBorders(WordBorders& base, const WordBorders& over) {
    WordBorder* baseSides[] = {
        &base.top,           &base.left, &base.bottom, &base.right, &base.insideHorizontal,
        &base.insideVertical};
    const WordBorder* overSides[] = {
        &over.top,           &over.left, &over.bottom, &over.right, &over.insideHorizontal,
        &over.insideVertical};
    for (int i = 0; i < 6; ++i) {
        if (overSides[i]->set) {
            *baseSides[i] = *overSides[i];
        }
    }
}

/* Read a w:pPr for its alignment (and nothing else a spreadsheet keeps). */
std::optional<WordParagraph::Alignment> readParagraphAlignment(XmlReader& reader) {
    std::optional<WordParagraph::Alignment> alignment;
    while (reader.readNextStartElement()) {
        if (DocxProperties::isWord(reader) && reader.name() == QLatin1String("jc")) {
            alignment =
                DocxProperties::alignment(DocxProperties::attribute(reader, QLatin1String("val")));
        }
        reader.skipCurrentElement();
    }
    return alignment;
}

/* Read a table style's w:tblPr for borders and shading. */
void readTablePropertiesOfStyle(XmlReader& reader, WordBorders& borders,
                                std::optional<std::uint32_t>& shading) {
    while (reader.readNextStartElement()) {
        if (DocxProperties::isWord(reader) && reader.name() == QLatin1String("tblBorders")) {
            DocxProperties::readBorders(reader, borders);
            continue;
        }
        if (DocxProperties::isWord(reader) && reader.name() == QLatin1String("shd")) {
            shading = DocxProperties::shading(reader);
        }
        reader.skipCurrentElement();
    }
}

// Longest basedOn chain followed; longer ones are loops or abuse.
constexpr int kMaxChain = 32;

}  // namespace

/* CT_Styles (17.7.4.18): docDefaults and every style. */
void DocxStyles::readStyles(const QByteArray& xml) {
    XmlReader reader(xml);
    DocxProperties::prepare(reader);
    if (!reader.readNextStartElement()) {
        return;
    }
    readStyles(reader);
}

/* The children of a w:styles element: docDefaults and every style. */
void DocxStyles::readStyles(XmlReader& reader) {
    while (reader.readNextStartElement()) {
        if (DocxProperties::isWord(reader) && reader.name() == QLatin1String("style")) {
            readStyle(reader);
        } else if (DocxProperties::isWord(reader) &&
                   reader.name() == QLatin1String("docDefaults")) {
            readDocDefaults(reader);
        } else {
            reader.skipCurrentElement();
        }
    }
}

/* CT_DocDefaults (17.7.5.1): rPrDefault/rPr and pPrDefault/pPr. */
void DocxStyles::readDocDefaults(XmlReader& reader) {
    while (reader.readNextStartElement()) {
        const bool run = reader.name() == QLatin1String("rPrDefault");
        const bool paragraph = reader.name() == QLatin1String("pPrDefault");
        if (!run && !paragraph) {
            reader.skipCurrentElement();
            continue;
        }
        while (reader.readNextStartElement()) {
            if (run && reader.name() == QLatin1String("rPr")) {
                DocxProperties::readRunProperties(reader, m_defaultRun);
            } else if (paragraph && reader.name() == QLatin1String("pPr")) {
                m_defaultAlignment = readParagraphAlignment(reader);
            } else {
                reader.skipCurrentElement();
            }
        }
    }
}

/* CT_Style (17.7.4.17). */
void DocxStyles::readStyle(XmlReader& reader) {
    const QString type = DocxProperties::attribute(reader, QLatin1String("type"));
    const QString id = DocxProperties::attribute(reader, QLatin1String("styleId"));
    const bool isDefault =
        DocxProperties::onOff(DocxProperties::attribute(reader, QLatin1String("default"))) &&
        !DocxProperties::attribute(reader, QLatin1String("default")).isEmpty();
    Style style;
    while (reader.readNextStartElement()) {
        const QLatin1String name = reader.name();
        if (!DocxProperties::isWord(reader)) {
            reader.skipCurrentElement();
        } else if (name == QLatin1String("basedOn")) {
            style.basedOn = DocxProperties::attribute(reader, QLatin1String("val"));
            reader.skipCurrentElement();
        } else if (name == QLatin1String("rPr")) {
            DocxProperties::readRunProperties(reader, style.run);
        } else if (name == QLatin1String("pPr")) {
            style.alignment = readParagraphAlignment(reader);
        } else if (name == QLatin1String("tblPr")) {
            readTablePropertiesOfStyle(reader, style.borders, style.shading);
        } else if (name == QLatin1String("tcPr")) {
            readTablePropertiesOfStyle(reader, style.borders, style.shading);
        } else {
            reader.skipCurrentElement();
        }
    }
    if (isDefault && type == QLatin1String("paragraph")) {
        m_defaultParagraphStyle = id;
    } else if (isDefault && type == QLatin1String("table")) {
        m_defaultTableStyle = id;
    }
    if (!id.isEmpty() && !m_styles.contains(id)) {
        m_styles.insert(id, style);
    }
}

/* a:theme (DrawingML, 20.1.6.9): the major and minor Latin and East Asian typefaces. */
void DocxStyles::readTheme(const QByteArray& xml) {
    XmlReader reader(xml);
    QString* latin = nullptr;
    QString* eastAsia = nullptr;
    walkElements(reader, [&] {
        const QLatin1String name = reader.name();
        if (name == QLatin1String("majorFont")) {
            latin = &m_theme.majorLatin;
            eastAsia = &m_theme.majorEastAsia;
        } else if (name == QLatin1String("minorFont")) {
            latin = &m_theme.minorLatin;
            eastAsia = &m_theme.minorEastAsia;
        } else if (latin && name == QLatin1String("latin")) {
            *latin = reader.attribute(QLatin1String("typeface"));
        } else if (eastAsia && name == QLatin1String("ea")) {
            *eastAsia = reader.attribute(QLatin1String("typeface"));
        }
        return false;
    });
    if (reader.hasError()) {
        m_theme = DocxThemeFonts();
    }
}

/* A style and its basedOn ancestors, the style itself first. */
std::vector<const DocxStyles::Style*> DocxStyles::chain(const QString& styleId) const {
    std::vector<const Style*> styles;
    QString id = styleId;
    while (!id.isEmpty() && static_cast<int>(styles.size()) < kMaxChain) {
        const auto it = m_styles.constFind(id);
        if (it == m_styles.constEnd()) {
            break;
        }
        styles.push_back(&it.value());
        id = it->basedOn;
    }
    return styles;
}

/* Defaults, then the paragraph style chain from its root down; the alignment nearest the
   style wins. Resolved once per style; consecutive paragraphs mostly share one. */
const DocxStyles::ParagraphStyle& DocxStyles::paragraphStyle(const QString& styleId) {
    if (m_lastStyle != nullptr && styleId == m_lastStyleId) {
        return *m_lastStyle;
    }
    const QString& id = styleId.isEmpty() ? m_defaultParagraphStyle : styleId;
    auto cached = m_paragraphStyles.constFind(id);
    if (cached == m_paragraphStyles.constEnd()) {
        const std::vector<const Style*> styles = chain(id);
        DocxRunProperties merged = m_defaultRun;
        for (auto it = styles.rbegin(); it != styles.rend(); ++it) {
            merged.merge((*it)->run);
        }
        ParagraphStyle resolved;
        DocxProperties::apply(merged, m_theme, resolved.format);
        resolved.alignment = m_defaultAlignment.value_or(WordParagraph::Alignment::Default);
        for (const Style* style : styles) {
            if (style->alignment) {
                resolved.alignment = *style->alignment;
                break;
            }
        }
        cached = m_paragraphStyles.insert(id, resolved);
    }
    m_lastStyleId = styleId;
    m_lastStyle = &cached.value();
    return *m_lastStyle;
}

/* A character style's properties, root first. */
const DocxRunProperties& DocxStyles::characterProperties(const QString& styleId) {
    auto cached = m_characterProperties.constFind(styleId);
    if (cached != m_characterProperties.constEnd()) {
        return cached.value();
    }
    DocxRunProperties merged;
    const std::vector<const Style*> styles = chain(styleId);
    for (auto it = styles.rbegin(); it != styles.rend(); ++it) {
        merged.merge((*it)->run);
    }
    return m_characterProperties.insert(styleId, merged).value();
}

/* Borders of a table style chain, root first. */
WordBorders DocxStyles::tableBorders(const QString& styleId) const {
    WordBorders borders;
    const std::vector<const Style*> styles =
        chain(styleId.isEmpty() ? m_defaultTableStyle : styleId);
    for (auto it = styles.rbegin(); it != styles.rend(); ++it) {
        mergeBorders(borders, (*it)->borders);
    }
    return borders;
}

/* The nearest stated cell shading of a table style chain. */
std::uint32_t DocxStyles::tableShading(const QString& styleId) const {
    for (const Style* style : chain(styleId.isEmpty() ? m_defaultTableStyle : styleId)) {
        if (style->shading) {
            return *style->shading;
        }
    }
    return kAutoColor;
}
