#pragma once

#include "office/word/model/legacyformfield.h"
#include "office/word/model/storyblockbuilder.h"
#include "office/word/model/storyparagraph.h"
#include "office/word/model/wordfonttable.h"
#include "office/word/model/wordreadlimits.h"
#include "office/word/rtf/rtfcodepages.h"
#include "office/word/rtf/rtfkeywords.h"
#include "office/word/rtf/rtfrowbuilder.h"
#include "office/word/rtf/rtftokenizer.h"

#include <QHash>

#include <string_view>
#include <vector>

// Reads the main story of an RTF document into paragraphs of Word's property records
// (storyparagraph.h), which StoryBlockBuilder turns into the document model
// as they end (no list of all paragraphs is kept).
// RTF writes Word's own properties as words, so the records fit: a \cell ends a cell
// paragraph, a \row (or \nestrow) is a row-end paragraph carrying the row's definition, and
// \itap gives the table depth.
//
// Groups keep their own character, paragraph and destination state (a stack, depth limited).
// Font table, colour table and style sheet are read; field instructions, pictures, objects,
// shapes, notes, headers, footers, numbering text and every unknown \* destination are skipped.
// 8-bit text is decoded with the font's code page (\fcharset, \cpg) or the document's
// (\ansicpg); a double-byte character split over two \'hh escapes decodes whole.
class RtfParser {
public:
    enum class Status : std::uint8_t { Ok, TooDeep, TooManyCells, TooManyParagraphs };

    explicit RtfParser(const WordReadLimits& limits);

    // Parse the whole input. Ok also for damaged input (unbalanced groups, truncated escapes):
    // what could be read is kept. The other statuses name the limit that stopped the parse.
    Status parse(std::string_view data);

    // The story's blocks, built as the parse went; call once after parse().
    std::vector<WordBlock> takeBlocks() { return m_builder.finish(); }

private:
    enum class Destination : std::uint8_t {
        Body,              // main story and field results
        FontTable,         // \fonttbl
        ColorTable,        // \colortbl
        StyleSheet,        // \stylesheet
        StyleEntry,        // one style of the style sheet
        NestProps,         // \nesttableprops: a nested row's definition
        FieldInstruction,  // \fldinst: only a form field's data is read
        FormField,         // \formfield
        FormFieldText,     // \ffname or \ffl
        Skip,              // text and words ignored
    };

    // What a group carries: its destination and the formatting in force.
    struct State {
        Destination destination = Destination::Body;
        StoryCharFormat chars;    // fontAscii/fontEastAsia are set from the font numbers on output
        int font = -1;            // \fN; -1: the default font
        int assocFont = -1;       // \afN
        bool doubleByte = false;  // \dbch: text is in the associated font
        StoryParaFormat para;
        int unicodeSkip = 1;  // \ucN
    };

    // One formatting word as a style lists it.
    struct Property {
        RtfKeyword keyword;
        int parameter;
        bool hasParameter;
    };

    // One style of the style sheet, with its based-on chain flattened on first use.
    struct Style {
        int basedOn = -1;
        std::vector<Property> own;
        std::vector<Property> flattened;
        std::uint8_t resolved = 0;  // 0 not yet, 1 resolving (breaks cycles), 2 done
    };

    // A font of the font table: its index in m_fontTable and its code page (0: \ansicpg).
    struct Font {
        int index = -1;
        int codePage = 0;
    };

    void groupStart();
    void groupEnd();
    void controlWord(const RtfTokenizer::Token& token);
    void controlSymbol(char symbol);
    void textBytes(std::string_view bytes);
    void hexByte(std::uint8_t byte);
    bool skipFallback();

    void destinationWord(RtfKeyword keyword);
    void formFieldDestination(RtfKeyword keyword);
    void formFieldWord(RtfKeyword keyword, int parameter);
    void beginFieldResult();
    void endFormFieldGroup();
    void bodyWord(RtfKeyword keyword, const RtfTokenizer::Token& token, int borderType);
    bool formattingWord(State& state, RtfKeyword keyword, int parameter, bool hasParameter);
    bool fontWord(State& state, RtfKeyword keyword, int parameter);
    void colorTableWord(RtfKeyword keyword, int parameter);
    void nestedRowWord(RtfKeyword keyword, int parameter, int borderType);
    bool paragraphWord(State& state, RtfKeyword keyword, int parameter, bool hasParameter);
    void unicodeChar(int value);
    void appendChar(QChar c);
    void flush();
    void endParagraph(RtfKeyword mark);
    void endRow(bool nested);
    void finishOpenRow();
    void pushParagraph(StoryParagraph& paragraph);
    StoryCharFormat outputFormat(const State& state) const;
    int codePage(const State& state) const;

    void fontTableWord(RtfKeyword keyword, int parameter);
    void fontTableText(std::string_view bytes);
    void finishFont();
    int fontTableCodePage() const;
    void colorTableText(std::string_view bytes);
    void styleEntryWord(RtfKeyword keyword, int parameter, bool hasParameter);
    void finishStyle();
    void applyStyle(QHash<int, Style>& styles, int id);
    const std::vector<Property>& flattenStyle(QHash<int, Style>& styles, int id, int depth);

    WordReadLimits m_limits;
    Status m_status = Status::Ok;
    std::vector<State> m_stack;
    bool m_starred = false;  // \* seen: an unknown destination word skips its group
    int m_skip = 0;          // fallback characters still to skip after \uN

    QByteArray m_bytes;  // 8-bit text not yet decoded (a DBCS pair may be split)
    StoryParagraph m_paragraph;
    int m_paragraphCount = 0;
    bool m_rowOpen = false;  // table paragraphs since the last row end

    RtfCodePages m_codePages;
    int m_ansiCodePage = 1252;
    int m_defaultFont = 0;
    QHash<int, Font> m_fonts;
    WordFontTable m_fontTable;
    int m_fontNumber = -1;  // the font table entry being read
    int m_fontCharsetCodePage = 0;
    QByteArray m_fontName;  // name bytes not yet decoded
    QString m_fontText;     // name decoded so far (before a \uN)

    RtfRowBuilder::ColorTable m_colors;
    qint64 m_color = -1;  // the colour table entry being read; -1 automatic

    QHash<int, Style> m_paragraphStyles;
    QHash<int, Style> m_characterStyles;
    Style m_style;  // the style sheet entry being read
    int m_styleId = 0;
    int m_styleKind = 0;  // 0 paragraph (\s), 1 character (\cs), 2 other (ignored)
    size_t m_styleDepth = 0;

    // The legacy form field of the field being read (\formfield in its instruction).
    LegacyFormField m_formField;
    bool m_hasFormField = false;
    bool m_formTextIsEntry = false;  // the \ffname or \ffl group being read
    QByteArray m_formText;
    // A text form field's result: its group depth (0: none), paragraph and start.
    size_t m_textFieldDepth = 0;
    int m_textFieldParagraph = 0;
    int m_textFieldStart = 0;

    RtfRowBuilder m_row;
    RtfRowBuilder m_nestedRow;
    StoryBlockBuilder m_builder;  // takes each paragraph as it ends (fonts: m_fontTable)
};
