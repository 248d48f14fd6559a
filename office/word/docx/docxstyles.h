#pragma once

// DocxStyles: the style definitions part (ECMA-376 Part 1, 17.7) and the theme fonts
// (Part 1, 20.1.4.1.16 majorFont/minorFont), resolved for the body reader: the run format
// a paragraph style gives over the document defaults, the properties of a character style,
// a paragraph style's alignment, and a table style's borders and cell shading.
// Chains of basedOn are followed, with loops cut.

#include "office/word/docx/docxproperties.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <optional>

class DocxStyles {
public:
    // Read styles.xml; a damaged part leaves the styles read so far (styles are optional).
    void readStyles(const QByteArray& xml);
    // Read the styles of a w:styles element the reader stands on, through its end (Word 2003
    // XML keeps them inline in the document).
    void readStyles(XmlReader& reader);
    // Read the theme part for its fonts; a damaged part leaves no theme fonts.
    void readTheme(const QByteArray& xml);

    // What a paragraph style gives its paragraphs: the run format of their text (over the
    // document defaults) and their alignment (Default when the style gives none).
    struct ParagraphStyle {
        WordRunFormat format;
        WordParagraph::Alignment alignment = WordParagraph::Alignment::Default;
    };

    // The resolved paragraph style `styleId` (empty: the default style). The reference stays
    // valid for the life of this object.
    const ParagraphStyle& paragraphStyle(const QString& styleId);
    // The run properties of a character style, its basedOn chain merged.
    const DocxRunProperties& characterProperties(const QString& styleId);
    // The borders of a table style (empty: the default table style).
    WordBorders tableBorders(const QString& styleId) const;
    // The cell shading of a table style, kAutoColor when none.
    std::uint32_t tableShading(const QString& styleId) const;

    const DocxThemeFonts& theme() const { return m_theme; }

private:
    struct Style {
        QString basedOn;
        DocxRunProperties run;
        std::optional<WordParagraph::Alignment> alignment;
        WordBorders borders;
        std::optional<std::uint32_t> shading;
    };

    void readStyle(XmlReader& reader);
    void readDocDefaults(XmlReader& reader);
    std::vector<const Style*> chain(const QString& styleId) const;

    QHash<QString, Style> m_styles;
    DocxRunProperties m_defaultRun;
    std::optional<WordParagraph::Alignment> m_defaultAlignment;
    QString m_defaultParagraphStyle;
    QString m_defaultTableStyle;
    DocxThemeFonts m_theme;
    QHash<QString, ParagraphStyle> m_paragraphStyles;
    const ParagraphStyle* m_lastStyle = nullptr;  // the last one asked for, by m_lastStyleId
    QString m_lastStyleId;
    QHash<QString, DocxRunProperties> m_characterProperties;
};
