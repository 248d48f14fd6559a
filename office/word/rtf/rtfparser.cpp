#include "office/word/rtf/rtfparser.h"

#include <algorithm>

namespace {

constexpr int kDefaultHalfPoints = 24;   // RTF's default font size: 12 points
constexpr int kMaxStyleDepth = 16;       // based-on links followed from one style
constexpr int kMaxStyleProperties = 64;  // formatting words kept per flattened style
constexpr int kMaxUnicodeSkip = 16;      // \ucN beyond this is taken as this
constexpr int kMaxFormText = 4096;       // bytes kept of a form field's name or entry

/* A switch word's value: \b and \b1 turn on, \b0 turns off. */
bool switchValue(bool hasParameter, int parameter) {
    return !hasParameter || parameter != 0;
}

/* The character that a special-character word stands for; 0 when it is no such word. */
char16_t specialChar(RtfKeyword keyword) {
    switch (keyword) {
        case RtfKeyword::Tab:
            return u'\t';
        case RtfKeyword::Line:
            return u'\n';
        case RtfKeyword::EmDash:
            return u'\u2014';
        case RtfKeyword::EnDash:
            return u'\u2013';
        case RtfKeyword::EmSpace:
            return u'\u2003';
        case RtfKeyword::EnSpace:
            return u'\u2002';
        case RtfKeyword::QmSpace:
            return u'\u2005';
        case RtfKeyword::Bullet:
            return u'\u2022';
        case RtfKeyword::LeftQuote:
            return u'\u2018';
        case RtfKeyword::RightQuote:
            return u'\u2019';
        case RtfKeyword::LeftDoubleQuote:
            return u'\u201C';
        case RtfKeyword::RightDoubleQuote:
            return u'\u201D';
        case RtfKeyword::ZeroWidthJoiner:
            return u'\u200D';
        case RtfKeyword::ZeroWidthNonJoiner:
            return u'\u200C';
        case RtfKeyword::LeftToRightMark:
            return u'\u200E';
        case RtfKeyword::RightToLeftMark:
            return u'\u200F';
        default:
            return 0;
    }
}

/* True for the words a table row definition is made of. */
bool isRowWord(RtfKeyword keyword) {
    return keyword >= RtfKeyword::RowDefaults && keyword <= RtfKeyword::BorderColor &&
           keyword != RtfKeyword::ParagraphBorder;
}

}  // namespace

/* A parser with the given limits and RTF's defaults. */
RtfParser::RtfParser(const WordReadLimits& limits)
    : m_limits(limits),
      m_row(limits.maxRowCells),
      m_nestedRow(limits.maxRowCells),
      m_builder(m_fontTable, limits.maxTableNesting) {}

/* Walk the tokens until the input or a limit ends the parse. */
RtfParser::Status RtfParser::parse(std::string_view data) {
    RtfTokenizer tokenizer(data);
    State root;
    root.chars.halfPoints = kDefaultHalfPoints;
    m_stack.assign(1, root);
    for (RtfTokenizer::Token token = tokenizer.next();
         token.kind != RtfTokenizer::Kind::End && m_status == Status::Ok;
         token = tokenizer.next()) {
        switch (token.kind) {
            case RtfTokenizer::Kind::GroupStart:
                groupStart();
                break;
            case RtfTokenizer::Kind::GroupEnd:
                groupEnd();
                break;
            case RtfTokenizer::Kind::ControlWord:
                controlWord(token);
                break;
            case RtfTokenizer::Kind::ControlSymbol:
                controlSymbol(token.symbol);
                break;
            case RtfTokenizer::Kind::HexByte:
                hexByte(token.byte);
                break;
            case RtfTokenizer::Kind::Text:
                textBytes(token.text);
                break;
            case RtfTokenizer::Kind::Binary:
            case RtfTokenizer::Kind::End:
                // Binary data is never text; it counts as one fallback character.
                skipFallback();
                break;
        }
    }
    if (m_status != Status::Ok) {
        return m_status;
    }
    flush();
    if (!m_paragraph.runs.empty()) {
        endParagraph(m_stack.back().para.depth() > 0 ? RtfKeyword::Cell : RtfKeyword::Par);
    }
    finishOpenRow();
    return m_status;
}

/* Open a group: it starts with its parent's state. */
void RtfParser::groupStart() {
    flush();
    m_skip = 0;
    m_starred = false;
    if (static_cast<int>(m_stack.size()) >= m_limits.maxGroupDepth) {
        m_status = Status::TooDeep;
        return;
    }
    m_stack.push_back(m_stack.back());
    if (m_stack[m_stack.size() - 2].destination == Destination::StyleSheet) {
        m_stack.back().destination = Destination::StyleEntry;
        m_style = Style();
        m_styleId = 0;
        m_styleKind = 0;
        m_styleDepth = m_stack.size();
    }
}

/* Close a group: finish the table entry it held and restore the parent's state. */
void RtfParser::groupEnd() {
    flush();
    m_skip = 0;
    m_starred = false;
    if (m_stack.size() <= 1) {
        return;  // a surplus closing brace closes nothing
    }
    const Destination destination = m_stack.back().destination;
    if (destination == Destination::FontTable) {
        finishFont();
    }
    endFormFieldGroup();
    if (destination == Destination::StyleEntry && m_stack.size() == m_styleDepth) {
        finishStyle();
    }
    m_stack.pop_back();
}

/* Skip one fallback character after \uN; true when this token was skipped. */
bool RtfParser::skipFallback() {
    if (m_skip <= 0) {
        return false;
    }
    --m_skip;
    return true;
}

/* A control word: destinations first, then by the group's destination. */
void RtfParser::controlWord(const RtfTokenizer::Token& token) {
    if (skipFallback()) {
        return;
    }
    const RtfWord word = rtfKeyword(token.text);
    const RtfKeyword keyword = word.keyword;
    const int borderType = word.borderType;
    const bool starred = m_starred;
    m_starred = false;
    State& state = m_stack.back();
    if (state.destination == Destination::Skip) {
        return;
    }
    if (keyword == RtfKeyword::Unknown) {
        // An unknown word after \* names a destination this reader does not read.
        if (starred) {
            state.destination = Destination::Skip;
        }
        return;
    }
    if (keyword <= RtfKeyword::SkippedDestination) {
        destinationWord(keyword);
        return;
    }
    const int parameter = token.hasParameter ? token.parameter : 0;
    if (keyword == RtfKeyword::Unicode) {
        unicodeChar(parameter);
        m_skip = state.unicodeSkip;
        return;
    }
    if (keyword == RtfKeyword::UnicodeSkip) {
        state.unicodeSkip = std::clamp(parameter, 0, kMaxUnicodeSkip);
        return;
    }
    switch (state.destination) {
        case Destination::FontTable:
            fontTableWord(keyword, parameter);
            return;
        case Destination::ColorTable:
            colorTableWord(keyword, parameter);
            return;
        case Destination::StyleEntry:
            styleEntryWord(keyword, parameter, token.hasParameter);
            return;
        case Destination::NestProps:
            nestedRowWord(keyword, parameter, borderType);
            return;
        case Destination::Body:
            bodyWord(keyword, token, borderType);
            return;
        case Destination::FormField:
            formFieldWord(keyword, parameter);
            return;
        default:
            return;
    }
}

/* \fftype, \ffres, \ffdefres of a \formfield. A check box's result 25 means "the default". */
void RtfParser::formFieldWord(RtfKeyword keyword, int parameter) {
    if (keyword == RtfKeyword::FormFieldType) {
        m_formField.type = parameter == 1   ? LegacyFormField::Type::CheckBox
                           : parameter == 2 ? LegacyFormField::Type::DropDown
                                            : LegacyFormField::Type::Text;
    } else if (keyword == RtfKeyword::FormFieldResult) {
        m_formField.result = parameter;
    } else if (keyword == RtfKeyword::FormFieldDefault) {
        m_formField.defaultResult = parameter;
        m_formField.checkedByDefault = parameter == 1;
    }
}

/* The form field destinations: \formfield inside a field instruction, and its name and
   entries inside \formfield. */
void RtfParser::formFieldDestination(RtfKeyword keyword) {
    State& state = m_stack.back();
    if (keyword == RtfKeyword::FormField && state.destination == Destination::FieldInstruction) {
        state.destination = Destination::FormField;
        m_formField = LegacyFormField();
        m_hasFormField = true;
    } else if (state.destination == Destination::FormField && keyword != RtfKeyword::FormField) {
        state.destination = Destination::FormFieldText;
        m_formTextIsEntry = keyword == RtfKeyword::FormFieldEntry;
        m_formText.clear();
    } else {
        state.destination = Destination::Skip;
    }
}

/* A field's result begins. A check box or drop-down shows its box or entry instead of it; a
   text field's result is checked for placeholder blanks when its group ends. */
void RtfParser::beginFieldResult() {
    if (!m_hasFormField || m_stack.back().destination != Destination::Body) {
        return;
    }
    m_hasFormField = false;
    if (m_formField.type == LegacyFormField::Type::CheckBox) {
        const int result = m_formField.result;
        if (result == 0 || result == 1) {
            m_formField.checked = result == 1;
        }
        m_formField.result = -1;
    }
    if (m_formField.type != LegacyFormField::Type::Text) {
        for (const QChar c : m_formField.shownText()) {
            appendChar(c);
        }
        m_stack.back().destination = Destination::Skip;
        return;
    }
    flush();
    m_textFieldDepth = m_stack.size();
    m_textFieldParagraph = m_paragraphCount;
    m_textFieldStart = runsTextLength(m_paragraph.runs);
}

/* A group ends: a form field's name or entry is complete, or a text field's result. */
void RtfParser::endFormFieldGroup() {
    if (m_stack.back().destination == Destination::FormFieldText) {
        const QString text = m_codePages.decode(m_formText, m_ansiCodePage);
        if (m_formTextIsEntry) {
            m_formField.entries.append(text);
        } else {
            m_formField.name = text;
        }
        m_formText.clear();
    }
    if (m_textFieldDepth != m_stack.size()) {
        return;
    }
    m_textFieldDepth = 0;
    if (m_textFieldParagraph == m_paragraphCount &&
        LegacyFormField::isPlaceholder(m_paragraph.text().mid(m_textFieldStart))) {
        truncateRuns(m_paragraph.runs, m_textFieldStart);
    }
}

/* A word that names the group's destination. */
void RtfParser::destinationWord(RtfKeyword keyword) {
    State& state = m_stack.back();
    switch (keyword) {
        case RtfKeyword::Rtf:
            return;  // the group keeps its parent's destination
        case RtfKeyword::FieldResult:
            beginFieldResult();
            return;
        case RtfKeyword::Field:
            m_hasFormField = false;
            return;
        case RtfKeyword::FieldInstruction:
            state.destination = Destination::FieldInstruction;
            return;
        case RtfKeyword::FormField:
        case RtfKeyword::FormFieldName:
        case RtfKeyword::FormFieldEntry:
            formFieldDestination(keyword);
            return;
        case RtfKeyword::FontTable:
            state.destination = Destination::FontTable;
            return;
        case RtfKeyword::ColorTable:
            state.destination = Destination::ColorTable;
            m_colors.clear();
            m_color = -1;
            return;
        case RtfKeyword::StyleSheet:
            state.destination = Destination::StyleSheet;
            return;
        case RtfKeyword::NestTableProps:
            state.destination = Destination::NestProps;
            return;
        default:
            state.destination = Destination::Skip;
            return;
    }
}

/* A word in the main story: document settings, text, formatting, paragraphs and rows. */
void RtfParser::bodyWord(RtfKeyword keyword, const RtfTokenizer::Token& token, int borderType) {
    const int parameter = token.hasParameter ? token.parameter : 0;
    State& state = m_stack.back();
    if (const char16_t c = specialChar(keyword)) {
        appendChar(QChar(c));
        return;
    }
    flush();
    if (isRowWord(keyword)) {
        if (!m_row.apply(keyword, parameter, borderType, m_colors)) {
            m_status = Status::TooManyCells;
        }
        return;
    }
    switch (keyword) {
        case RtfKeyword::AnsiCodePage:
            m_ansiCodePage = parameter;
            return;
        case RtfKeyword::DefaultFont:
            m_defaultFont = parameter;
            return;
        case RtfKeyword::Style:
            state.para.istd = parameter;
            applyStyle(m_paragraphStyles, parameter);
            return;
        case RtfKeyword::CharStyle:
            applyStyle(m_characterStyles, parameter);
            return;
        case RtfKeyword::ParagraphBorder:
            m_row.endBorder();
            return;
        case RtfKeyword::Par:
        case RtfKeyword::Section:
        case RtfKeyword::Cell:
        case RtfKeyword::NestCell:
            endParagraph(keyword);
            return;
        case RtfKeyword::Row:
            endRow(false);
            return;
        case RtfKeyword::NestRow:
            endRow(true);
            return;
        default:
            break;
    }
    if (!formattingWord(state, keyword, parameter, token.hasParameter)) {
        paragraphWord(state, keyword, parameter, token.hasParameter);
    }
}

/* A colour table word: \red, \green or \blue of the entry being read. */
void RtfParser::colorTableWord(RtfKeyword keyword, int parameter) {
    if (keyword != RtfKeyword::Red && keyword != RtfKeyword::Green && keyword != RtfKeyword::Blue) {
        return;
    }
    const int shift = keyword == RtfKeyword::Red ? 16 : keyword == RtfKeyword::Green ? 8 : 0;
    m_color = std::max<qint64>(m_color, 0) | (static_cast<qint64>(parameter & 0xFF) << shift);
}

/* A word of \nesttableprops: the nested row's definition, or its end (\nestrow). */
void RtfParser::nestedRowWord(RtfKeyword keyword, int parameter, int borderType) {
    if (isRowWord(keyword)) {
        if (!m_nestedRow.apply(keyword, parameter, borderType, m_colors)) {
            m_status = Status::TooManyCells;
        }
    } else if (keyword == RtfKeyword::NestRow) {
        endRow(true);
    }
}

/* Character formatting words; false when the word is of another kind. */
bool RtfParser::formattingWord(State& state, RtfKeyword keyword, int parameter, bool hasParameter) {
    StoryCharFormat& chars = state.chars;
    const bool on = switchValue(hasParameter, parameter);
    switch (keyword) {
        case RtfKeyword::Plain:
            chars = StoryCharFormat();
            chars.halfPoints = kDefaultHalfPoints;
            state.font = -1;
            state.assocFont = -1;
            state.doubleByte = false;
            return true;
        case RtfKeyword::Bold:
            chars.bold = on;
            return true;
        case RtfKeyword::Italic:
            chars.italic = on;
            return true;
        case RtfKeyword::Strike:
        case RtfKeyword::StrikeDouble:
            chars.strike = on;
            return true;
        case RtfKeyword::Underline:
        case RtfKeyword::UnderlineOther:
            chars.underline = on ? 1 : 0;
            return true;
        case RtfKeyword::UnderlineDouble:
            chars.underline = on ? 3 : 0;
            return true;
        case RtfKeyword::UnderlineNone:
            chars.underline = 0;
            return true;
        case RtfKeyword::FontSize:
            if (parameter > 0) {
                chars.halfPoints = parameter;
            }
            return true;
        case RtfKeyword::ColorFore: {
            const bool known = parameter >= 0 && static_cast<size_t>(parameter) < m_colors.size() &&
                               m_colors[static_cast<size_t>(parameter)] >= 0;
            chars.hasColor = known;
            chars.color =
                known ? static_cast<quint32>(m_colors[static_cast<size_t>(parameter)]) : 0;
            return true;
        }
        case RtfKeyword::Deleted:
            chars.deleted = on;
            return true;
        case RtfKeyword::Highlight:
            // The model has no highlight; a spreadsheet cell would show it as a fill only.
            return true;
        default:
            return fontWord(state, keyword, parameter);
    }
}

/* Words that choose the font of the text: \fN, \afN and the character set switches; false
   when the word is of another kind. */
bool RtfParser::fontWord(State& state, RtfKeyword keyword, int parameter) {
    switch (keyword) {
        case RtfKeyword::Font:
            state.font = parameter;
            return true;
        case RtfKeyword::AssocFont:
            state.assocFont = parameter;
            return true;
        case RtfKeyword::LowAnsi:
        case RtfKeyword::HighAnsi:
            state.doubleByte = false;
            return true;
        case RtfKeyword::DoubleByte:
            state.doubleByte = true;
            return true;
        default:
            return false;
    }
}

/* Paragraph formatting words; false when the word is of another kind. */
bool RtfParser::paragraphWord(State& state, RtfKeyword keyword, int parameter, bool hasParameter) {
    StoryParaFormat& para = state.para;
    switch (keyword) {
        case RtfKeyword::ParagraphDefaults:
            para = StoryParaFormat();
            return true;
        case RtfKeyword::AlignLeft:
            para.justification = 0;
            return true;
        case RtfKeyword::AlignCenter:
            para.justification = 1;
            return true;
        case RtfKeyword::AlignRight:
            para.justification = 2;
            return true;
        case RtfKeyword::AlignJustify:
            para.justification = 3;
            return true;
        case RtfKeyword::AlignDistribute:
            para.justification = 4;
            return true;
        case RtfKeyword::InTable:
            para.inTable = switchValue(hasParameter, parameter);
            return true;
        case RtfKeyword::TableDepth:
            para.itap = std::max(parameter, 0);
            return true;
        default:
            return false;
    }
}

/* A control symbol: escaped braces and backslash, special spaces and hyphens, \*. */
void RtfParser::controlSymbol(char symbol) {
    if (symbol == '*') {
        m_starred = true;
        return;
    }
    if (skipFallback()) {
        return;
    }
    m_starred = false;
    switch (symbol) {
        case '\\':
        case '{':
        case '}':
            textBytes(std::string_view(&symbol, 1));
            return;
        case '~':
            appendChar(QChar(0x00A0));
            return;
        case '_':
            appendChar(QLatin1Char('-'));  // a non-breaking hyphen copies as "-"
            return;
        case '\n':
            if (m_stack.back().destination == Destination::Body) {
                flush();
                endParagraph(RtfKeyword::Par);
            }
            return;
        default:
            return;  // \- (optional hyphen), \| and \: give nothing
    }
}

/* Plain text bytes, after any fallback characters still to skip. */
void RtfParser::textBytes(std::string_view bytes) {
    m_starred = false;
    if (m_skip > 0) {
        const size_t skipped = std::min(bytes.size(), static_cast<size_t>(m_skip));
        m_skip -= static_cast<int>(skipped);
        bytes.remove_prefix(skipped);
    }
    if (bytes.empty()) {
        return;
    }
    switch (m_stack.back().destination) {
        case Destination::Body:
            m_bytes.append(bytes.data(), static_cast<int>(bytes.size()));
            return;
        case Destination::FontTable:
            fontTableText(bytes);
            return;
        case Destination::ColorTable:
            colorTableText(bytes);
            return;
        case Destination::FieldInstruction:
            // A form field whose data is missing (some writers leave it out) is known by its
            // instruction: a check box is an empty box, a text field shows its result.
            if (!m_hasFormField && bytes.find("FORMCHECKBOX") != std::string_view::npos) {
                m_formField = LegacyFormField();
                m_formField.type = LegacyFormField::Type::CheckBox;
                m_hasFormField = true;
            } else if (!m_hasFormField && bytes.find("FORMTEXT") != std::string_view::npos) {
                m_formField = LegacyFormField();
                m_hasFormField = true;
            }
            return;
        case Destination::FormFieldText:
            if (m_formText.size() < kMaxFormText) {
                m_formText.append(bytes.data(), static_cast<int>(bytes.size()));
            }
            return;
        default:
            return;
    }
}

/* One \'hh byte: text in the active code page (or part of a font name). */
void RtfParser::hexByte(std::uint8_t byte) {
    if (skipFallback()) {
        return;
    }
    const char c = static_cast<char>(byte);
    const Destination destination = m_stack.back().destination;
    if (destination == Destination::Body) {
        m_bytes.append(c);
    } else if (destination == Destination::FontTable) {
        m_fontName.append(c);
    }
}

/* The UTF-16 unit of \uN (negative N stands for N + 65536). */
void RtfParser::unicodeChar(int value) {
    const QChar c(static_cast<ushort>(value < 0 ? value + 65536 : value));
    const Destination destination = m_stack.back().destination;
    if (destination == Destination::Body) {
        // Word's own marks written as characters: a carriage return or vertical tab breaks
        // the line, a non-breaking hyphen copies as "-"; other control characters are marks
        // (page breaks, optional hyphens, field and cell marks) that give no text.
        if (c == QChar(0x0D) || c == QChar(0x0B)) {
            appendChar(QLatin1Char('\n'));
        } else if (c == QChar(0x1E)) {
            appendChar(QLatin1Char('-'));
        } else if (c.unicode() >= 0x20 || c == QLatin1Char('\t') || c == QLatin1Char('\n')) {
            appendChar(c);
        }
    } else if (destination == Destination::FontTable) {
        // The 8-bit name bytes so far come first, in the font's code page.
        m_fontText += m_codePages.decode(m_fontName, fontTableCodePage());
        m_fontName.clear();
        m_fontText.append(c);
    }
}

/* Append one character of text after the bytes still pending. */
void RtfParser::appendChar(QChar c) {
    if (m_stack.back().destination != Destination::Body) {
        return;
    }
    flush();
    const StoryCharFormat format = outputFormat(m_stack.back());
    if (format.deleted) {
        return;
    }
    if (!m_paragraph.runs.empty() && m_paragraph.runs.back().format == format) {
        m_paragraph.runs.back().text.append(c);
    } else {
        m_paragraph.runs.push_back(StoryRun{QString(c), format});
    }
}

/* Decode the pending 8-bit text with the group's code page into the paragraph's runs. */
void RtfParser::flush() {
    if (m_bytes.isEmpty()) {
        return;
    }
    const State& state = m_stack.back();
    const QString text = m_codePages.decode(m_bytes, codePage(state));
    m_bytes.clear();
    const StoryCharFormat format = outputFormat(state);
    if (format.deleted) {
        return;
    }
    if (!m_paragraph.runs.empty() && m_paragraph.runs.back().format == format) {
        m_paragraph.runs.back().text.append(text);
    } else {
        m_paragraph.runs.push_back(StoryRun{text, format});
    }
}

/* The group's character format with its fonts as font table indexes. */
StoryCharFormat RtfParser::outputFormat(const State& state) const {
    StoryCharFormat format = state.chars;
    const int number = state.font >= 0 ? state.font : m_defaultFont;
    format.fontAscii = m_fonts.value(number).index;
    format.fontEastAsia = state.assocFont >= 0 ? m_fonts.value(state.assocFont).index : -1;
    return format;
}

/* The code page of the group's text: its font's, the associated font's for double-byte text
   (\dbch), else the document's. */
int RtfParser::codePage(const State& state) const {
    const int number = state.font >= 0 ? state.font : m_defaultFont;
    int page = m_fonts.value(number).codePage;
    if (state.doubleByte && state.assocFont >= 0) {
        const int associated = m_fonts.value(state.assocFont).codePage;
        if (RtfCodePages::isDoubleByte(associated)) {
            page = associated;
        }
    }
    return page > 0 ? page : m_ansiCodePage;
}

/* End the current paragraph with a paragraph, cell or nested-cell mark. */
void RtfParser::endParagraph(RtfKeyword mark) {
    flush();
    const State& state = m_stack.back();
    StoryParagraph paragraph;
    paragraph.runs.swap(m_paragraph.runs);
    paragraph.format = state.para;
    paragraph.markFormat = outputFormat(state);
    if (mark == RtfKeyword::Cell || mark == RtfKeyword::NestCell) {
        // A cell mark outside \intbl still ends a cell, at least of a top-level table.
        int depth = std::max(paragraph.format.depth(), mark == RtfKeyword::NestCell ? 2 : 1);
        paragraph.format.itap = depth;
        paragraph.format.inTable = true;
        if (depth == 1) {
            paragraph.endsWithCellMark = true;
        } else {
            paragraph.format.innerCellEnd = true;
        }
    }
    pushParagraph(paragraph);
}

/* End a table row: text not yet ended by \cell becomes the row's last cell, then the row-end
   paragraph carries the row's definition. */
void RtfParser::endRow(bool nested) {
    flush();
    const State& state = m_stack.back();
    const int depth = nested ? std::max(state.para.depth(), 2) : 1;
    if (!m_paragraph.runs.empty()) {
        endParagraph(nested ? RtfKeyword::NestCell : RtfKeyword::Cell);
    }
    StoryParagraph paragraph;
    paragraph.format.inTable = true;
    paragraph.format.itap = depth;
    paragraph.format.tableRowEnd = depth == 1;
    paragraph.format.innerRowEnd = depth > 1;
    paragraph.markFormat = outputFormat(state);
    paragraph.row = nested ? m_nestedRow.row() : m_row.row();
    pushParagraph(paragraph);
}

/* A table whose last row has no \row still gets its cells, with the last row definition. */
void RtfParser::finishOpenRow() {
    if (m_rowOpen && m_status == Status::Ok) {
        endRow(false);
    }
}

/* Keep a finished paragraph, within the paragraph limit. */
void RtfParser::pushParagraph(StoryParagraph& paragraph) {
    if (m_paragraphCount >= m_limits.maxParagraphs) {
        m_status = Status::TooManyParagraphs;
        return;
    }
    ++m_paragraphCount;
    // A nested row's end leaves the row of the outer table open.
    const int depth = paragraph.format.depth();
    m_rowOpen = depth > 0 && !(depth == 1 && paragraph.isRowEnd());
    m_builder.add(paragraph);
}

/* Font table words: \fN starts an entry, \fcharsetN and \cpgN give its code page. */
void RtfParser::fontTableWord(RtfKeyword keyword, int parameter) {
    switch (keyword) {
        case RtfKeyword::Font:
            finishFont();
            m_fontNumber = parameter;
            m_fontCharsetCodePage = 0;
            return;
        case RtfKeyword::FontCharset:
            m_fontCharsetCodePage = RtfCodePages::codePageOfCharset(parameter);
            return;
        case RtfKeyword::FontCodePage:
            m_fontCharsetCodePage = parameter;
            return;
        default:
            return;
    }
}

/* Font name bytes; a semicolon ends the name. */
void RtfParser::fontTableText(std::string_view bytes) {
    for (const char c : bytes) {
        if (c == ';') {
            finishFont();
        } else {
            m_fontName.append(c);
        }
    }
}

/* Keep the font entry read so far under its number. */
void RtfParser::finishFont() {
    if (m_fontNumber < 0) {
        m_fontName.clear();
        m_fontText.clear();
        return;
    }
    const QString name = m_fontText + m_codePages.decode(m_fontName, fontTableCodePage());
    Font font;
    font.index = m_fontTable.append(name.trimmed());
    font.codePage = m_fontCharsetCodePage;
    m_fonts.insert(m_fontNumber, font);
    m_fontNumber = -1;
    m_fontName.clear();
    m_fontText.clear();
}

/* The code page of the font table entry being read. */
int RtfParser::fontTableCodePage() const {
    return m_fontCharsetCodePage > 0 ? m_fontCharsetCodePage : m_ansiCodePage;
}

/* Colour table text: each semicolon ends an entry (an entry without colour words is auto). */
void RtfParser::colorTableText(std::string_view bytes) {
    for (const char c : bytes) {
        if (c != ';') {
            continue;
        }
        if (m_colors.size() < static_cast<size_t>(m_limits.maxRowCells)) {
            m_colors.push_back(m_color);
        }
        m_color = -1;
    }
}

/* A word of a style sheet entry: its identity, its base, or a formatting word to keep. */
void RtfParser::styleEntryWord(RtfKeyword keyword, int parameter, bool hasParameter) {
    switch (keyword) {
        case RtfKeyword::Style:
            m_styleKind = 0;
            m_styleId = parameter;
            return;
        case RtfKeyword::CharStyle:
            m_styleKind = 1;
            m_styleId = parameter;
            return;
        case RtfKeyword::TableStyle:
            m_styleKind = 2;
            return;
        case RtfKeyword::BasedOn:
            m_style.basedOn = parameter;
            return;
        default:
            break;
    }
    // Table membership belongs to paragraphs, never to their style.
    if (keyword == RtfKeyword::InTable || keyword == RtfKeyword::TableDepth) {
        return;
    }
    State scratch;
    const bool formatting = formattingWord(scratch, keyword, parameter, hasParameter) ||
                            paragraphWord(scratch, keyword, parameter, hasParameter);
    if (formatting && static_cast<int>(m_style.own.size()) < kMaxStyleProperties) {
        m_style.own.push_back(Property{keyword, parameter, hasParameter});
    }
}

/* Keep the style sheet entry just read. */
void RtfParser::finishStyle() {
    if (m_styleKind == 0) {
        m_paragraphStyles.insert(m_styleId, m_style);
    } else if (m_styleKind == 1) {
        m_characterStyles.insert(m_styleId, m_style);
    }
    m_style = Style();
}

/* Apply a style's formatting (its based-on chain first) to the current group. */
void RtfParser::applyStyle(QHash<int, Style>& styles, int id) {
    if (!styles.contains(id)) {
        return;
    }
    State& state = m_stack.back();
    for (const Property& p : flattenStyle(styles, id, 0)) {
        if (!formattingWord(state, p.keyword, p.parameter, p.hasParameter)) {
            paragraphWord(state, p.keyword, p.parameter, p.hasParameter);
        }
    }
}

/* A style's words after those of its base styles, computed once; chains stop at
   kMaxStyleDepth links and at a style that is its own ancestor. */
const std::vector<RtfParser::Property>& RtfParser::flattenStyle(QHash<int, Style>& styles, int id,
                                                                int depth) {
    Style& style = styles[id];
    if (style.resolved == 2) {
        return style.flattened;
    }
    if (style.resolved == 1 || depth >= kMaxStyleDepth) {
        return style.own;
    }
    style.resolved = 1;
    std::vector<Property> words;
    if (style.basedOn >= 0 && styles.contains(style.basedOn)) {
        words = flattenStyle(styles, style.basedOn, depth + 1);
    }
    Style& self = styles[id];  // the lookups above may have moved the entry
    words.insert(words.end(), self.own.begin(), self.own.end());
    if (words.size() > static_cast<size_t>(kMaxStyleProperties)) {
        words.erase(words.begin(), words.end() - kMaxStyleProperties);
    }
    self.flattened = std::move(words);
    self.resolved = 2;
    return self.flattened;
}
