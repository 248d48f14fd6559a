#include "office/word/docx/docxbodyreader.h"

#include "office/word/docx/mathlineartext.h"

#include <optional>
#include <utility>

namespace {

const QLatin1String kAuxHintNs("http://schemas.microsoft.com/office/word/2003/auxHint");
const QLatin1String kMarkupCompatibilityNs(
    "http://schemas.openxmlformats.org/markup-compatibility/2006");
const QLatin1String kAmlNs("http://schemas.microsoft.com/aml/2001/core");

}  // namespace

/* A reader over resolved styles, bounded by the limits. */
DocxBodyReader::DocxBodyReader(DocxStyles& styles, const WordReadLimits& limits)
    : m_styles(styles), m_limits(limits) {}

/* Note the first failure; later ones do not replace it. */
void DocxBodyReader::fail(WordLoadResult::Status status, const QString& message) {
    if (!failed()) {
        m_status = status;
        m_message = message;
    }
}

/* Step one nesting level down; false (and failure) past the depth limit. */
bool DocxBodyReader::enter() {
    if (++m_depth > m_limits.maxXmlDepth) {
        fail(WordLoadResult::Status::TooLarge, QStringLiteral("document.xml is nested too deeply"));
        return false;
    }
    return true;
}

/* True for Word 2003 XML's section wrappers around body content (wx:sect, wx:sub-section). */
bool DocxBodyReader::isSection() const {
    return m_reader->namespaceUri() == kAuxHintNs &&
           (m_reader->name() == QLatin1String("sect") ||
            m_reader->name() == QLatin1String("sub-section"));
}

/* True for a group of which one child shows: mc:AlternateContent (its first mc:Choice), or
   Word 2003 XML's tracked insertion, aml:annotation of type Word.Insertion (its aml:content,
   shown as Word shows it; deletions and comments are other annotation types, left out). */
bool DocxBodyReader::isChoiceGroup() const {
    if (m_reader->name() == QLatin1String("AlternateContent")) {
        return m_reader->namespaceUri() == kMarkupCompatibilityNs;
    }
    return m_reader->name() == QLatin1String("annotation") && m_reader->namespaceUri() == kAmlNs &&
           DocxProperties::attributeIs(*m_reader, QLatin1String("type"),
                                       QLatin1String("Word.Insertion"));
}

/* Position the reader inside the group's shown child (ECMA-376 Part 3, 10.2.1 for mc:Choice);
   false when there is none. The caller reads its content and then finishes the group. */
bool DocxBodyReader::enterShownChoice() {
    while (m_reader->readNextStartElement()) {
        if (m_reader->name() == QLatin1String("Choice") ||
            m_reader->name() == QLatin1String("content")) {
            return true;
        }
        m_reader->skipCurrentElement();
    }
    return false;
}

/* CT_Document (17.2.3) and CT_Body (17.2.2). */
WordLoadResult DocxBodyReader::read(const QByteArray& xml) {
    XmlReader reader(xml, m_limits.maxXmlDepth * 4);
    DocxProperties::prepare(reader);
    m_reader = &reader;
    WordLoadResult result = readDocument();
    m_reader = nullptr;
    return result;
}

/* The document element and its body. */
WordLoadResult DocxBodyReader::readDocument() {
    auto document = std::make_shared<WordDocument>();
    // Word 2003 XML's root is w:wordDocument, with its styles inline before the body.
    if (!m_reader->readNextStartElement() ||
        !(isWordElement("document") || isWordElement("wordDocument"))) {
        if (m_reader->hasError()) {
            return WordLoadResult::failure(
                WordLoadResult::Status::Malformed,
                QStringLiteral("document.xml: ") + m_reader->errorString());
        }
        return WordLoadResult::failure(WordLoadResult::Status::WrongFormat,
                                       QStringLiteral("the main part is not a Word document"));
    }
    while (!failed() && m_reader->readNextStartElement()) {
        if (isWordElement("body")) {
            readBlocks(document->blocks, 0);
        } else if (isWordElement("styles")) {
            m_styles.readStyles(*m_reader);
        } else {
            m_reader->skipCurrentElement();
        }
    }
    if (!failed() && m_reader->hasError()) {
        fail(WordLoadResult::Status::Malformed, QStringLiteral("document.xml: %1 (line %2)")
                                                    .arg(m_reader->errorString())
                                                    .arg(m_reader->lineNumber()));
    }
    if (failed()) {
        return WordLoadResult::failure(m_status, m_message);
    }
    return WordLoadResult::success(std::move(document));
}

/* Block-level content (17.2.2, 17.4.66): the children of the current element. */
void DocxBodyReader::readBlocks(std::vector<WordBlock>& blocks, int tableNesting) {
    if (!enter()) {
        return;
    }
    while (!failed() && m_reader->readNextStartElement()) {
        readBlock(blocks, tableNesting);
    }
    leave();
}

/* One block-level element: a paragraph, a table, or a wrapper around blocks. */
void DocxBodyReader::readBlock(std::vector<WordBlock>& blocks, int tableNesting) {
    if (isWordElement("p")) {
        readParagraph(blocks);
    } else if (isWordElement("tbl")) {
        readTable(blocks, tableNesting);
    } else if (isWordElement("sdt")) {
        // A block-level content control gives its content (CT_SdtBlock, 17.5.2.29).
        const std::size_t first = blocks.size();
        readContentControl([&](const DocxContentControl& control) {
            readBlocks(blocks, tableNesting);
            nameBlockControl(blocks, first, control);
        });
    } else if (isWordElement("customXml") || isWordElement("ins") || isWordElement("moveTo") ||
               isSection()) {
        readBlocks(blocks, tableNesting);
    } else if (isChoiceGroup()) {
        if (enterShownChoice()) {
            readBlocks(blocks, tableNesting);
            while (m_reader->readNextStartElement()) {
                m_reader->skipCurrentElement();
            }
        }
    } else {
        m_reader->skipCurrentElement();
    }
}

/* CT_P (17.3.1.22). */
void DocxBodyReader::readParagraph(std::vector<WordBlock>& blocks) {
    blocks.push_back(WordBlock::ofParagraph(WordParagraph()));
    ParagraphState state;
    state.paragraph = &blocks.back().paragraph;
    state.serial = ++m_paragraphs;
    const DocxStyles::ParagraphStyle& style = m_styles.paragraphStyle(QString());
    state.base = &style.format;
    state.paragraph->alignment = style.alignment;
    state.paragraph->markFormat = style.format;
    readParagraphContent(state);
}

/* CT_PPr (17.3.1.26): style, alignment and the paragraph mark's run properties. */
void DocxBodyReader::readParagraphProperties(ParagraphState& state) {
    std::optional<WordParagraph::Alignment> alignment;
    DocxRunProperties mark;
    while (m_reader->readNextStartElement()) {
        if (isWordElement("pStyle")) {
            state.styleId = DocxProperties::attribute(*m_reader, QLatin1String("val"));
            m_reader->skipCurrentElement();
        } else if (isWordElement("jc")) {
            alignment = DocxProperties::alignment(
                DocxProperties::attribute(*m_reader, QLatin1String("val")));
            m_reader->skipCurrentElement();
        } else if (isWordElement("rPr")) {
            DocxProperties::readRunProperties(*m_reader, mark);
        } else {
            m_reader->skipCurrentElement();
        }
    }
    const DocxStyles::ParagraphStyle& style = m_styles.paragraphStyle(state.styleId);
    state.base = &style.format;
    state.paragraph->alignment = alignment ? *alignment : style.alignment;
    state.paragraph->markFormat = style.format;
    DocxProperties::apply(mark, m_styles.theme(), state.paragraph->markFormat);
}

/* Paragraph content (17.3.1.22 and the inline wrappers of 17.5, 17.13, 17.16). */
void DocxBodyReader::readParagraphContent(ParagraphState& state) {
    if (!enter()) {
        return;
    }
    while (!failed() && m_reader->readNextStartElement()) {
        if (isWordElement("r")) {
            readRun(state);
        } else if (isWordElement("pPr")) {
            readParagraphProperties(state);
        } else if (isWordElement("hyperlink") || isWordElement("hlink") ||
                   isWordElement("smartTag") || isWordElement("customXml") ||
                   isWordElement("ins") || isWordElement("moveTo") || isWordElement("fldSimple") ||
                   isWordElement("dir") || isWordElement("bdo") || isWordElement("sdtContent")) {
            // Inserted text, links, tags and simple fields show their runs (a simple
            // field's runs are its result).
            readParagraphContent(state);
        } else if (isWordElement("sdt")) {
            readInlineContentControl(state);
        } else if (MathLinearText::isMath(*m_reader) &&
                   (m_reader->name() == QLatin1String("oMath") ||
                    m_reader->name() == QLatin1String("oMathPara"))) {
            // An equation stands in its paragraph as its linear text.
            appendText(state, *state.base, MathLinearText::read(*m_reader));
        } else if (isChoiceGroup()) {
            if (enterShownChoice()) {
                readParagraphContent(state);
                while (m_reader->readNextStartElement()) {
                    m_reader->skipCurrentElement();
                }
            }
        } else {
            // Deleted and moved-from text, properties, bookmarks and the rest.
            m_reader->skipCurrentElement();
        }
    }
    leave();
}

/* CT_R (17.3.2.25): the run's properties over its paragraph's, then its content. */
void DocxBodyReader::readRun(ParagraphState& state) {
    if (!enter()) {
        return;
    }
    WordRunFormat format = *state.base;
    state.symbolFont = SymbolFonts::fontOf(format.fontName);
    while (!failed() && m_reader->readNextStartElement()) {
        if (isWordElement("rPr")) {
            DocxRunProperties direct;
            DocxProperties::readRunProperties(*m_reader, direct);
            if (!direct.characterStyle.isEmpty()) {
                DocxProperties::apply(m_styles.characterProperties(direct.characterStyle),
                                      m_styles.theme(), format);
            }
            DocxProperties::apply(direct, m_styles.theme(), format);
            state.symbolFont = SymbolFonts::fontOf(format.fontName);
        } else {
            readRunContent(state, format);
        }
    }
    leave();
}

/* One element of run content (17.3.3): text, tabs, breaks, symbols, field characters. */
void DocxBodyReader::readRunContent(ParagraphState& state, const WordRunFormat& format) {
    if (isChoiceGroup()) {
        readRunContentChoice(state, format);
        return;
    }
    if (!DocxProperties::isWord(*m_reader)) {
        m_reader->skipCurrentElement();
        return;
    }
    const QLatin1String name = m_reader->name();
    if (name == QLatin1String("t")) {
        const QString text = m_reader->readElementText();
        if (m_fields.showsText()) {
            appendSymbolText(state, format, state.symbolFont, text);
        }
    } else if (name == QLatin1String("fldChar")) {
        readFieldChar(state, format);
    } else if (name == QLatin1String("sym")) {
        appendSymbol(state, format);
    } else if (name == QLatin1String("ruby")) {
        readRuby(state);
    } else {
        const QString text = runCharacter(name);
        m_reader->skipCurrentElement();
        if (!text.isEmpty() && m_fields.showsText()) {
            appendText(state, format, text);
        }
    }
}

/* Run content inside a choice group: only the shown choice's elements are read. */
void DocxBodyReader::readRunContentChoice(ParagraphState& state, const WordRunFormat& format) {
    if (!enter()) {
        return;
    }
    if (enterShownChoice()) {
        while (!failed() && m_reader->readNextStartElement()) {
            readRunContent(state, format);
        }
        while (m_reader->readNextStartElement()) {
            m_reader->skipCurrentElement();
        }
    }
    leave();
}

/* The text a character-like run element stands for (tabs, breaks, non-breaking hyphens);
   empty for elements that give nothing. The element itself is left for the caller to skip. */
QString DocxBodyReader::runCharacter(QLatin1String name) const {
    if (name == QLatin1String("tab") || name == QLatin1String("ptab")) {
        return QStringLiteral("\t");
    }
    if (name == QLatin1String("br")) {
        // Page and column breaks give nothing; a text wrapping break is a line feed.
        const QString type = DocxProperties::attribute(*m_reader, QLatin1String("type"));
        return type != QLatin1String("page") && type != QLatin1String("column")
                   ? QStringLiteral("\n")
                   : QString();
    }
    if (name == QLatin1String("cr")) {
        return QStringLiteral("\n");
    }
    if (name == QLatin1String("noBreakHyphen")) {
        return QStringLiteral("-");
    }
    return QString();
}

/* Phonetic guide (17.3.3.25): the base text shows, the guide text does not. */
void DocxBodyReader::readRuby(ParagraphState& state) {
    while (!failed() && m_reader->readNextStartElement()) {
        if (isWordElement("rubyBase")) {
            readParagraphContent(state);
        } else {
            m_reader->skipCurrentElement();
        }
    }
}

/* Complex field (17.16.18): begin opens the instruction, separate starts the result, end
   closes the field. A begin mark may carry a legacy form field's data. */
void DocxBodyReader::readFieldChar(ParagraphState& state, const WordRunFormat& format) {
    const QString type = DocxProperties::attribute(*m_reader, QLatin1String("fldCharType"));
    if (type == QLatin1String("begin")) {
        LegacyFormField field;
        if (DocxFormFields::readFieldData(*m_reader, field)) {
            beginFormField(state, format, field);
        } else {
            m_fields.begin();
        }
        return;
    }
    if (type == QLatin1String("separate")) {
        m_fields.separate();
        if (m_textField.depth == m_fields.depth()) {
            m_textField.paragraph = state.serial;
            m_textField.start = state.paragraph->textLength();
        }
    } else if (type == QLatin1String("end")) {
        if (m_textField.depth == m_fields.depth()) {
            endTextFormField(state);
        }
        m_fields.end();
    }
    m_reader->skipCurrentElement();
}

/* A check box or drop-down shows what Word draws for it, and its result stays hidden; a text
   field shows its result, which endTextFormField() checks for placeholder blanks. */
void DocxBodyReader::beginFormField(ParagraphState& state, const WordRunFormat& format,
                                    const LegacyFormField& field) {
    const bool shown = m_fields.showsText();
    if (field.type == LegacyFormField::Type::Text) {
        m_fields.begin();
        if (shown) {
            m_textField = OpenTextField{m_fields.depth(), -1, 0, field.name};
        }
        return;
    }
    m_fields.begin(true);
    if (!shown) {
        return;
    }
    WordFormField record;
    record.kind = field.type == LegacyFormField::Type::CheckBox ? WordFormField::Kind::CheckBox
                                                                : WordFormField::Kind::DropDown;
    record.name = field.name;
    record.position = state.paragraph->textLength();
    appendText(state, format, field.shownText());
    record.length = state.paragraph->textLength() - record.position;
    state.paragraph->formFields.push_back(record);
}

/* The open text field ends: a result of placeholder blanks reads as empty. A result that ran
   over paragraphs is left as it reads and not noted. */
void DocxBodyReader::endTextFormField(ParagraphState& state) {
    const OpenTextField field = std::exchange(m_textField, OpenTextField());
    if (field.paragraph >= 0 && field.paragraph != state.serial) {
        return;
    }
    WordFormField record;
    record.kind = WordFormField::Kind::Text;
    record.name = field.name;
    record.position = field.paragraph >= 0 ? field.start : state.paragraph->textLength();
    if (LegacyFormField::isPlaceholder(state.paragraph->text().mid(record.position))) {
        state.paragraph->truncate(record.position);
    }
    record.length = state.paragraph->textLength() - record.position;
    state.paragraph->formFields.push_back(record);
}

/* CT_Sym (17.3.3.30): a character code in hexadecimal, in its own font (else the run's). */
void DocxBodyReader::appendSymbol(ParagraphState& state, const WordRunFormat& format) {
    bool ok = false;
    const uint code = DocxProperties::attribute(*m_reader, QLatin1String("char")).toUInt(&ok, 16);
    const QString fontName = DocxProperties::attribute(*m_reader, QLatin1String("font"));
    m_reader->skipCurrentElement();
    if (!ok || code == 0 || code > 0xFFFF || QChar::isSurrogate(code) || !m_fields.showsText()) {
        return;
    }
    const SymbolFonts::Font font =
        fontName.isEmpty() ? state.symbolFont : SymbolFonts::fontOf(fontName);
    appendSymbolText(state, format, font, QString(QChar(static_cast<ushort>(code))));
}

/* Text in a symbol font: a code the table knows becomes its Unicode character in the
   paragraph's font (the symbol font would draw it as something else); other codes keep the
   run's font. Ordinary text passes straight through. */
void DocxBodyReader::appendSymbolText(ParagraphState& state, const WordRunFormat& format,
                                      SymbolFonts::Font font, const QString& text) {
    if (font == SymbolFonts::Font::None) {
        appendText(state, format, text);
        return;
    }
    WordRunFormat plain = format;
    plain.fontName = state.base->fontName;
    for (const QChar c : text) {
        const QString mapped = SymbolFonts::toUnicode(font, c.unicode());
        if (mapped.isEmpty()) {
            appendText(state, format, QString(c));
        } else {
            appendText(state, plain, mapped);
        }
    }
}

/* A content control (17.5.2): its properties, then its content read by `readContent` (given
   the control, positioned on w:sdtContent). Placeholder text reads as empty, but the
   paragraphs, rows and cells that hold it stay. */
template <typename ReadContent>
void DocxBodyReader::readContentControl(ReadContent readContent) {
    if (!enter()) {
        return;
    }
    DocxContentControl control;
    while (!failed() && m_reader->readNextStartElement()) {
        if (isWordElement("sdtPr")) {
            DocxFormFields::readControlProperties(*m_reader, control);
        } else if (isWordElement("sdtContent")) {
            const int hidden = control.showsPlaceholder ? 1 : 0;
            m_hiddenText += hidden;
            readContent(control);
            m_hiddenText -= hidden;
        } else {
            m_reader->skipCurrentElement();
        }
    }
    leave();
}

/* CT_SdtRun (17.5.2.30): its content, a check box as its box character, noted in the
   paragraph as a form field. */
void DocxBodyReader::readInlineContentControl(ParagraphState& state) {
    readContentControl([&](const DocxContentControl& control) {
        WordFormField record;
        record.kind = control.kind;
        record.name = control.name;
        record.date = control.date;
        record.position = state.paragraph->textLength();
        if (control.kind == WordFormField::Kind::CheckBox) {
            m_reader->skipCurrentElement();
            if (m_fields.showsText()) {
                appendText(state, *state.base,
                           QString(QChar(control.checked ? SymbolFonts::kTicked
                                                         : SymbolFonts::kUnticked)));
            }
        } else {
            readParagraphContent(state);
        }
        record.length = state.paragraph->textLength() - record.position;
        state.paragraph->formFields.push_back(record);
    });
}

/* A block-level control is noted on the first paragraph it wraps, if any. */
void DocxBodyReader::nameBlockControl(std::vector<WordBlock>& blocks, std::size_t first,
                                      const DocxContentControl& control) {
    for (std::size_t i = first; i < blocks.size(); ++i) {
        if (blocks[i].kind == WordBlock::Kind::Paragraph) {
            WordParagraph& paragraph = blocks[i].paragraph;
            paragraph.formFields.insert(
                paragraph.formFields.begin(),
                WordFormField{control.kind, control.name, 0, paragraph.textLength(), control.date});
            return;
        }
    }
}

/* Add text to the paragraph, joining it to the last run when the format is the same. Text of
   a content control showing its placeholder is dropped. */
void DocxBodyReader::appendText(ParagraphState& state, const WordRunFormat& format,
                                const QString& text) {
    if (text.isEmpty() || m_hiddenText > 0) {
        return;
    }
    std::vector<WordRun>& runs = state.paragraph->runs;
    if (!runs.empty() && runs.back().format == format) {
        runs.back().text += text;
        return;
    }
    runs.push_back(WordRun{text, format});
}

/* CT_Tbl (17.4.38). */
void DocxBodyReader::readTable(std::vector<WordBlock>& blocks, int tableNesting) {
    if (tableNesting >= m_limits.maxTableNesting) {
        fail(WordLoadResult::Status::TooLarge, QStringLiteral("tables are nested too deeply"));
        return;
    }
    auto table = std::make_shared<WordTable>();
    table->borders = m_styles.tableBorders(QString());
    std::uint32_t shading = m_styles.tableShading(QString());
    if (!enter()) {
        return;
    }
    while (!failed() && m_reader->readNextStartElement()) {
        if (isWordElement("tblPr")) {
            readTableProperties(*table, shading);
        } else if (isWordElement("tblGrid")) {
            readTableGrid(*table);
        } else {
            // Rows, and the content controls and custom XML that may wrap them.
            readRows(*table, shading, tableNesting);
        }
    }
    leave();
    if (table->gridColumnCount() > m_limits.maxGridColumns) {
        fail(WordLoadResult::Status::TooLarge, QStringLiteral("a table has too many columns"));
    }
    blocks.push_back(WordBlock::ofTable(std::move(table)));
}

/* CT_TblPr (17.4.60): style, borders and shading. */
void DocxBodyReader::readTableProperties(WordTable& table, std::uint32_t& shading) {
    WordBorders own;
    std::optional<std::uint32_t> ownShading;
    while (m_reader->readNextStartElement()) {
        if (isWordElement("tblStyle")) {
            const QString styleId = DocxProperties::attribute(*m_reader, QLatin1String("val"));
            table.borders = m_styles.tableBorders(styleId);
            shading = m_styles.tableShading(styleId);
            m_reader->skipCurrentElement();
        } else if (isWordElement("tblBorders")) {
            DocxProperties::readBorders(*m_reader, own);
        } else if (isWordElement("shd")) {
            ownShading = DocxProperties::shading(*m_reader);
            m_reader->skipCurrentElement();
        } else {
            m_reader->skipCurrentElement();
        }
    }
    // Direct borders win over the style's, side by side.
    const WordBorder* ownSides[] = {
        &own.top, &own.left, &own.bottom, &own.right, &own.insideHorizontal, &own.insideVertical};
    WordBorder* sides[] = {&table.borders.top,
                           &table.borders.left,
                           &table.borders.bottom,
                           &table.borders.right,
                           &table.borders.insideHorizontal,
                           &table.borders.insideVertical};
    for (int i = 0; i < 6; ++i) {
        if (ownSides[i]->set) {
            *sides[i] = *ownSides[i];
        }
    }
    if (ownShading) {
        shading = *ownShading;
    }
}

/* CT_TblGrid (17.4.49): one gridCol per grid column. */
void DocxBodyReader::readTableGrid(WordTable& table) {
    while (m_reader->readNextStartElement()) {
        if (isWordElement("gridCol")) {
            if (static_cast<int>(table.gridColumnTwips.size()) >= m_limits.maxGridColumns) {
                fail(WordLoadResult::Status::TooLarge,
                     QStringLiteral("a table has too many columns"));
                return;
            }
            table.gridColumnTwips.push_back(
                DocxProperties::twipsAttribute(*m_reader, QLatin1String("w")));
        }
        m_reader->skipCurrentElement();
    }
}

/* True for the elements that may wrap rows or cells: content controls, custom XML and
   tracked insertions. */
bool DocxBodyReader::isWrapper() const {
    return isWordElement("sdt") || isWordElement("sdtContent") || isWordElement("customXml") ||
           isWordElement("ins") || isWordElement("moveTo");
}

/* Read each child of the current wrapper with `readOne`, one nesting level down. */
template <typename ReadOne>
void DocxBodyReader::readWrapped(ReadOne readOne) {
    if (!enter()) {
        return;
    }
    while (!failed() && m_reader->readNextStartElement()) {
        readOne();
    }
    leave();
}

/* A row, or a wrapper holding rows; anything else is skipped. */
void DocxBodyReader::readRows(WordTable& table, std::uint32_t shading, int tableNesting) {
    if (isWordElement("tr")) {
        readRow(table, shading, tableNesting);
    } else if (isWordElement("sdt")) {
        readContentControl([&](const DocxContentControl&) {
            readWrapped([&] { readRows(table, shading, tableNesting); });
        });
    } else if (isWrapper()) {
        readWrapped([&] { readRows(table, shading, tableNesting); });
    } else {
        m_reader->skipCurrentElement();
    }
}

/* CT_Row (17.4.79). */
void DocxBodyReader::readRow(WordTable& table, std::uint32_t shading, int tableNesting) {
    if (static_cast<int>(table.rows.size()) >= m_limits.maxTableRows) {
        fail(WordLoadResult::Status::TooLarge, QStringLiteral("a table has too many rows"));
        return;
    }
    table.rows.emplace_back();
    if (table.rows.size() > 1) {
        // Rows of one table mostly have as many cells as the row before.
        table.rows.back().cells.reserve(table.rows[table.rows.size() - 2].cells.size());
    }
    if (!enter()) {
        return;
    }
    while (!failed() && m_reader->readNextStartElement()) {
        if (isWordElement("trPr")) {
            readRowProperties(table.rows.back());
        } else {
            readCells(table.rows.back(), shading, tableNesting);
        }
    }
    leave();
}

/* CT_TrPr (17.4.82): gridBefore, gridAfter, trHeight. */
void DocxBodyReader::readRowProperties(WordRow& row) {
    while (m_reader->readNextStartElement()) {
        const QString val = DocxProperties::attribute(*m_reader, QLatin1String("val"));
        bool ok = false;
        if (isWordElement("gridBefore")) {
            const int count = val.toInt(&ok);
            row.gridBefore = ok ? qBound(0, count, m_limits.maxGridColumns) : 0;
        } else if (isWordElement("gridAfter")) {
            const int count = val.toInt(&ok);
            row.gridAfter = ok ? qBound(0, count, m_limits.maxGridColumns) : 0;
        } else if (isWordElement("trHeight")) {
            // ST_HeightRule (17.18.37): without hRule the height is a minimum.
            row.heightTwips = DocxProperties::twips(val);
            const QString rule = DocxProperties::attribute(*m_reader, QLatin1String("hRule"));
            row.heightRule = rule == QLatin1String("exact")
                                 ? WordRow::HeightRule::Exact
                                 : (rule == QLatin1String("auto") ? WordRow::HeightRule::Auto
                                                                  : WordRow::HeightRule::AtLeast);
        }
        m_reader->skipCurrentElement();
    }
}

/* A cell, or a wrapper holding cells. */
void DocxBodyReader::readCells(WordRow& row, std::uint32_t shading, int tableNesting) {
    if (isWordElement("tc")) {
        readCell(row, shading, tableNesting);
    } else if (isWordElement("sdt")) {
        readContentControl([&](const DocxContentControl&) {
            readWrapped([&] { readCells(row, shading, tableNesting); });
        });
    } else if (isWrapper()) {
        readWrapped([&] { readCells(row, shading, tableNesting); });
    } else {
        m_reader->skipCurrentElement();
    }
}

/* CT_Tc (17.4.66). */
void DocxBodyReader::readCell(WordRow& row, std::uint32_t shading, int tableNesting) {
    if (++m_cells > m_limits.maxCells) {
        fail(WordLoadResult::Status::TooLarge,
             QStringLiteral("the document has too many table cells"));
        return;
    }
    WordCell cell;
    cell.shading = shading;
    bool mergedIntoPrevious = false;
    if (!enter()) {
        return;
    }
    while (!failed() && m_reader->readNextStartElement()) {
        if (isWordElement("tcPr")) {
            readCellProperties(cell, mergedIntoPrevious);
        } else {
            readBlock(cell.blocks, tableNesting + 1);
        }
    }
    leave();
    if (mergedIntoPrevious && !row.cells.empty()) {
        // Legacy horizontal merge (hMerge, 17.4.22): the cell widens the one before it.
        WordCell& previous = row.cells.back();
        previous.gridSpan = std::min(previous.gridSpan + cell.gridSpan, m_limits.maxGridColumns);
        for (WordBlock& block : cell.blocks) {
            previous.blocks.push_back(std::move(block));
        }
        return;
    }
    row.cells.push_back(std::move(cell));
}

/* CT_TcPr (17.4.70): span, merges, shading, borders, vertical alignment, width. */
void DocxBodyReader::readCellProperties(WordCell& cell, bool& mergedIntoPrevious) {
    while (m_reader->readNextStartElement()) {
        if (isWordElement("tcW")) {
            // ST_TblWidthType: only a width in twips ("dxa", also when unstated) is kept.
            const bool inTwips =
                DocxProperties::attributeIs(*m_reader, QLatin1String("type"),
                                            QLatin1String("dxa")) ||
                DocxProperties::attribute(*m_reader, QLatin1String("type")).isEmpty();
            if (inTwips) {
                cell.widthTwips = DocxProperties::twipsAttribute(*m_reader, QLatin1String("w"));
            }
        } else if (isWordElement("gridSpan")) {
            const std::optional<int> span =
                DocxProperties::integerAttribute(*m_reader, QLatin1String("val"));
            cell.gridSpan = span ? qBound(1, *span, m_limits.maxGridColumns) : 1;
        } else if (isWordElement("vMerge") || isWordElement("vmerge")) {
            // Without a value the cell continues the merge above (17.4.85).
            cell.verticalMerge = valIs("restart") ? WordCell::VerticalMerge::Restart
                                                  : WordCell::VerticalMerge::Continue;
        } else if (isWordElement("hMerge") || isWordElement("hmerge")) {
            mergedIntoPrevious = !valIs("restart");
        } else if (isWordElement("shd")) {
            cell.shading = DocxProperties::shading(*m_reader);
        } else if (isWordElement("tcBorders")) {
            DocxProperties::readBorders(*m_reader, cell.borders);
            continue;
        } else if (isWordElement("vAlign")) {
            if (valIs("center")) {
                cell.verticalAlignment = WordCell::VerticalAlignment::Center;
            } else if (valIs("bottom")) {
                cell.verticalAlignment = WordCell::VerticalAlignment::Bottom;
            }
        }
        m_reader->skipCurrentElement();
    }
}
