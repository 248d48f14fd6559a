#pragma once

// DocxBodyReader: reads the main document part (w:document, ECMA-376 Part 1, 17.2.3) into
// the document model, with styles already read. Text follows the built-in Word's copy
// rules; every nesting is bounded by the limits.

#include "office/word/docx/docxformfields.h"
#include "office/word/docx/docxreader.h"
#include "office/word/docx/docxstyles.h"
#include "office/word/model/fieldnesting.h"
#include "office/word/model/symbolfonts.h"

#include "office/xml/xmlreader.h"

class DocxBodyReader {
public:
    DocxBodyReader(DocxStyles& styles, const WordReadLimits& limits);

    // Read document.xml (or a Word 2003 XML document, w:wordDocument with inline styles).
    // Ok with the document, WrongFormat when the root is neither w:document nor w:wordDocument,
    // Malformed for broken XML, TooLarge past a limit.
    WordLoadResult read(const QByteArray& xml);

private:
    // The paragraph being read and the format its runs start from.
    struct ParagraphState {
        WordParagraph* paragraph = nullptr;
        QString styleId;
        const WordRunFormat* base = nullptr;  // owned by the styles, which outlive the read
        long long serial = 0;                 // which paragraph of the document this is
        SymbolFonts::Font symbolFont = SymbolFonts::Font::None;  // of the current run
    };

    // The legacy text form field whose result is being read (fields nest, form fields not).
    struct OpenTextField {
        int depth = -1;            // the field's depth in m_fields; -1: none open
        long long paragraph = -1;  // the paragraph its result began in; -1: not begun
        int start = 0;             // where its result begins in that paragraph's text
        QString name;
    };

    WordLoadResult readDocument();
    bool enter();
    void leave() { --m_depth; }
    void fail(WordLoadResult::Status status, const QString& message);
    bool failed() const { return m_status != WordLoadResult::Status::Ok; }
    bool isWordElement(QLatin1String name) const {
        // Element names are short: a byte loop beats a call to memcmp.
        const QLatin1String current = m_reader->name();
        if (current.size() != name.size()) {
            return false;
        }
        for (int i = 0; i < name.size(); ++i) {
            if (current.data()[i] != name.data()[i]) {
                return false;
            }
        }
        return DocxProperties::isWord(*m_reader);
    }
    // The same for a literal, without measuring it at run time.
    template <int N>
    bool isWordElement(const char (&name)[N]) const {
        return isWordElement(QLatin1String(name, N - 1));
    }
    // True when the current element's "val" attribute is exactly `value`.
    template <int N>
    bool valIs(const char (&value)[N]) const {
        return DocxProperties::attributeIs(*m_reader, QLatin1String("val"),
                                           QLatin1String(value, N - 1));
    }
    bool isChoiceGroup() const;
    bool isSection() const;
    bool isWrapper() const;
    template <typename ReadOne>
    void readWrapped(ReadOne readOne);

    void readBlocks(std::vector<WordBlock>& blocks, int tableNesting);
    void readBlock(std::vector<WordBlock>& blocks, int tableNesting);
    bool enterShownChoice();
    void readParagraph(std::vector<WordBlock>& blocks);
    void readParagraphProperties(ParagraphState& state);
    void readParagraphContent(ParagraphState& state);
    void readRun(ParagraphState& state);
    void readRunContent(ParagraphState& state, const WordRunFormat& format);
    void readRunContentChoice(ParagraphState& state, const WordRunFormat& format);
    QString runCharacter(QLatin1String name) const;
    void readRuby(ParagraphState& state);
    void appendText(ParagraphState& state, const WordRunFormat& format, const QString& text);
    void appendSymbolText(ParagraphState& state, const WordRunFormat& format,
                          SymbolFonts::Font font, const QString& text);
    void appendSymbol(ParagraphState& state, const WordRunFormat& format);
    void readFieldChar(ParagraphState& state, const WordRunFormat& format);
    void beginFormField(ParagraphState& state, const WordRunFormat& format,
                        const LegacyFormField& field);
    void endTextFormField(ParagraphState& state);
    template <typename ReadContent>
    void readContentControl(ReadContent readContent);
    void readInlineContentControl(ParagraphState& state);
    void nameBlockControl(std::vector<WordBlock>& blocks, std::size_t first,
                          const DocxContentControl& control);
    void readTable(std::vector<WordBlock>& blocks, int tableNesting);
    void readTableProperties(WordTable& table, std::uint32_t& shading);
    void readTableGrid(WordTable& table);
    void readRows(WordTable& table, std::uint32_t shading, int tableNesting);
    void readRow(WordTable& table, std::uint32_t shading, int tableNesting);
    void readRowProperties(WordRow& row);
    void readCells(WordRow& row, std::uint32_t shading, int tableNesting);
    void readCell(WordRow& row, std::uint32_t shading, int tableNesting);
    void readCellProperties(WordCell& cell, bool& mergedIntoPrevious);

    XmlReader* m_reader = nullptr;  // set while read() runs
    DocxStyles& m_styles;
    WordReadLimits m_limits;
    int m_depth = 0;
    long long m_cells = 0;
    FieldNesting m_fields;
    OpenTextField m_textField;
    long long m_paragraphs = 0;  // paragraphs begun so far
    int m_hiddenText = 0;        // > 0 inside a content control showing its placeholder
    WordLoadResult::Status m_status = WordLoadResult::Status::Ok;
    QString m_message;
};
