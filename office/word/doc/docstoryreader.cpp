#include "office/word/doc/docstoryreader.h"

#include "office/word/doc/docformatter.h"
#include "office/word/doc/docformfield.h"
#include "office/word/doc/docobjectpool.h"
#include "office/word/model/eqfieldtext.h"
#include "office/word/model/worddocument.h"

namespace {

constexpr ushort kParagraphMark = 0x0D;
constexpr ushort kCellMark = 0x07;
constexpr ushort kFieldBegin = 0x13;
constexpr ushort kFieldSeparator = 0x14;
constexpr ushort kFieldEnd = 0x15;

enum class FormKind { None, Text, Shown };

/* Which legacy form field an instruction names: a text field, or a check box or drop-down
   (whose box or entry Word shows in place of a result). */
FormKind formKind(const QString& instruction) {
    const QString name = instruction.trimmed();
    if (name.startsWith(QLatin1String("FORMTEXT"), Qt::CaseInsensitive)) {
        return FormKind::Text;
    }
    if (name.startsWith(QLatin1String("FORMCHECKBOX"), Qt::CaseInsensitive) ||
        name.startsWith(QLatin1String("FORMDROPDOWN"), Qt::CaseInsensitive)) {
        return FormKind::Shown;
    }
    return FormKind::None;
}

/* Copy the values a character style sets (those differing from the defaults) onto format. */
void overlayCharStyle(const StoryCharFormat& style, const StoryCharFormat& defaults,
                      StoryCharFormat& format) {
    if (style.bold != defaults.bold) {
        format.bold = style.bold;
    }
    if (style.italic != defaults.italic) {
        format.italic = style.italic;
    }
    if (style.strike != defaults.strike) {
        format.strike = style.strike;
    }
    if (style.underline != defaults.underline) {
        format.underline = style.underline;
    }
    if (style.halfPoints != defaults.halfPoints) {
        format.halfPoints = style.halfPoints;
    }
    if (style.hasColor != defaults.hasColor || style.color != defaults.color) {
        format.hasColor = style.hasColor;
        format.color = style.color;
    }
    if (style.fontAscii != defaults.fontAscii) {
        format.fontAscii = style.fontAscii;
    }
    if (style.fontEastAsia != defaults.fontEastAsia) {
        format.fontEastAsia = style.fontEastAsia;
    }
}

}  // namespace

/* Read every piece up to ccpText, then flush an unterminated last paragraph. */
std::vector<StoryParagraph> DocStoryReader::read(qint32 ccpText) {
    m_paragraphs.clear();
    m_pending.clear();
    m_fields.clear();
    m_open.clear();
    m_openOverflow = 0;
    if (!m_sources.pieces || !m_sources.chpx || !m_sources.papx || !m_sources.styles) {
        return m_paragraphs;
    }
    m_tooLarge.clear();
    m_equationChars = 0;
    for (const DocPieceTable::Piece& piece : m_sources.pieces->pieces()) {
        if (piece.cpStart >= ccpText || !m_tooLarge.isEmpty()) {
            break;
        }
        readPiece(piece, ccpText);
    }
    if (!m_pending.empty()) {
        StoryParagraph paragraph;
        const StoryCharFormat& style = m_sources.styles->charFormat(0);
        for (const Segment& segment : m_pending) {
            appendText(segment, resolveChar(segment.chpx, segment.prm, style), false, paragraph);
        }
        m_pending.clear();
        m_paragraphs.push_back(paragraph);
    }
    return m_paragraphs;
}

/* Split a piece into stretches of one CHPX run and end paragraphs at their marks. */
void DocStoryReader::readPiece(const DocPieceTable::Piece& piece, qint32 cpEnd) {
    const qint32 end = qMin(piece.cpEnd, cpEnd);
    const DocBytes prm = prmGrpprl(piece.prm);
    qint32 cp = piece.cpStart;
    while (cp < end) {
        const quint32 fc = piece.fcAt(cp);
        const DocFkpTable::Run* run = m_sources.chpx->find(fc);
        // Characters without a CHPX run take the defaults up to the next run.
        const qint64 limit = run ? static_cast<qint64>(run->fcEnd)
                                 : static_cast<qint64>(m_sources.chpx->nextStart(fc));
        const qint64 chars = (limit - fc + piece.charSize() - 1) / piece.charSize();
        const qint64 segmentEnd = qMin<qint64>(end, cp + qMax<qint64>(chars, 1));
        const QString text =
            DocPieceTable::text(piece, m_sources.wordDocument, cp, static_cast<qint32>(segmentEnd));
        if (text.isEmpty()) {
            return;
        }
        const DocBytes chpx = run ? run->grpprl : DocBytes();
        int start = 0;
        for (int i = 0; i < text.size(); ++i) {
            const ushort ch = text[i].unicode();
            if (ch != kParagraphMark && ch != kCellMark) {
                continue;
            }
            m_pending.push_back(Segment{text.mid(start, i + 1 - start), chpx, prm});
            endParagraph(piece, cp + i, text[i]);
            start = i + 1;
            if (static_cast<qint64>(m_paragraphs.size()) >= m_sources.maxParagraphs) {
                m_tooLarge = QStringLiteral("the document has too many paragraphs");
            }
            if (!m_tooLarge.isEmpty()) {
                m_pending.clear();
                return;
            }
        }
        if (start < text.size()) {
            m_pending.push_back(Segment{text.mid(start), chpx, prm});
        }
        cp = static_cast<qint32>(segmentEnd);
    }
}

/* Resolve the paragraph ending at cp and turn the pending stretches into its runs. */
void DocStoryReader::endParagraph(const DocPieceTable::Piece& piece, qint32 cp, QChar mark) {
    StoryParagraph paragraph;
    const DocFkpTable::Run* run = m_sources.papx->find(piece.fcAt(cp));
    const int istd = run ? run->istd : 0;
    paragraph.format = m_sources.styles->paraFormat(istd);
    paragraph.format.istd = istd;
    const DocBytes grpprl = run ? run->grpprl : DocBytes();
    const DocBytes prm = prmGrpprl(piece.prm);
    DocFormatter::applyPara(grpprl, m_sources.dataStream, paragraph.format);
    DocFormatter::applyPara(prm, m_sources.dataStream, paragraph.format);
    paragraph.endsWithCellMark = mark.unicode() == kCellMark;
    if (paragraph.isRowEnd()) {
        DocFormatter::applyRow(grpprl, m_sources.dataStream, paragraph.row);
        DocFormatter::applyRow(prm, m_sources.dataStream, paragraph.row);
    }
    const StoryCharFormat& style = m_sources.styles->charFormat(paragraph.format.istd);
    for (size_t i = 0; i < m_pending.size(); ++i) {
        const Segment& segment = m_pending[i];
        const StoryCharFormat format = resolveChar(segment.chpx, segment.prm, style);
        const bool last = i + 1 == m_pending.size();
        appendText(segment, format, last, paragraph);
        if (last) {
            paragraph.markFormat = format;
        }
    }
    m_pending.clear();
    m_paragraphs.push_back(paragraph);
}

/* Character format: paragraph style, then character style, then direct formatting. */
StoryCharFormat DocStoryReader::resolveChar(const DocBytes& chpx, const DocBytes& prm,
                                            const StoryCharFormat& paraStyle) const {
    StoryCharFormat base = paraStyle;
    int charStyle = DocFormatter::charStyleOf(chpx);
    const int prmStyle = DocFormatter::charStyleOf(prm);
    if (prmStyle >= 0) {
        charStyle = prmStyle;
    }
    if (charStyle >= 0 && m_sources.styles->isCharacterStyle(charStyle)) {
        overlayCharStyle(m_sources.styles->charFormat(charStyle),
                         m_sources.styles->defaultCharFormat(), base);
    }
    StoryCharFormat format = base;
    DocFormatter::applyChar(chpx, base, format);
    DocFormatter::applyChar(prm, base, format);
    return format;
}

/* Append a stretch's visible characters; the mark itself (last character) is not text. */
void DocStoryReader::appendText(const Segment& segment, const StoryCharFormat& format,
                                bool lastHasMark, StoryParagraph& paragraph) {
    const int count = segment.text.size() - (lastHasMark ? 1 : 0);
    for (int i = 0; i < count; ++i) {
        const QChar ch = segment.text[i];
        if (format.deleted) {
            continue;
        }
        switch (ch.unicode()) {
            case kFieldBegin:
                beginField(format);
                continue;
            case kFieldSeparator:
                m_fields.separate();
                if (m_openOverflow == 0 && !m_open.empty()) {
                    // An embedded object's field names the object on its separator.
                    m_open.back().inResult = true;
                    m_open.back().hasObject = format.ole2;
                    m_open.back().objectId = format.picLocation;
                }
                separateFormField(format, paragraph);
                continue;
            case kFieldEnd:
                endField(format, paragraph);
                continue;
            default:
                break;
        }
        if (!m_fields.showsText()) {
            OpenField* field = m_open.empty() || m_openOverflow > 0 ? nullptr : &m_open.back();
            // A form field's data mark in its instruction points to the field's data
            // (Word may mark the begin character instead).
            if (field && !field->inResult && ch.unicode() == 0x01) {
                field->dataOffset = format.picLocation;
            }
            // Control characters in an instruction (a link's data mark) are no part of it.
            if (field && !field->inResult && ch.unicode() >= 0x20 &&
                field->instruction.size() <= EqFieldText::kMaxLength) {
                field->instruction.append(ch);
            }
            continue;
        }
        if (appendChar(ch, format, paragraph)) {
            for (OpenField& field : m_open) {
                field.showedText = true;
            }
        }
    }
}

/* A field begins; its instruction is kept as FieldNesting keeps the field. */
void DocStoryReader::beginField(const StoryCharFormat& format) {
    m_fields.begin();
    if (m_openOverflow == 0 && static_cast<int>(m_open.size()) < FieldNesting::kMaxDepth) {
        m_open.push_back(OpenField());
        m_open.back().dataOffset = format.picLocation;
    } else {
        ++m_openOverflow;
    }
}

/* A field ends. When its result showed no text (only the object's picture, or nothing), an
   embedded equation gives its text, an EQ field the text of its field code. */
void DocStoryReader::endField(const StoryCharFormat& format, StoryParagraph& paragraph) {
    m_fields.end();
    if (m_openOverflow > 0) {
        --m_openOverflow;
        return;
    }
    if (m_open.empty()) {
        return;
    }
    const OpenField ended = m_open.back();
    m_open.pop_back();
    if (endFormField(ended, format, paragraph)) {
        return;
    }
    if (ended.showedText || !m_fields.showsText()) {
        return;
    }
    QString text;
    if (ended.hasObject && m_sources.objects) {
        text = m_sources.objects->equationText(ended.objectId);
    } else if (EqFieldText::isEq(ended.instruction)) {
        text = EqFieldText::linear(ended.instruction);
    }
    if (appendEquation(text, format, paragraph)) {
        for (OpenField& field : m_open) {
            field.showedText = true;
        }
    }
}

/* At a form field's separator: a check box or drop-down shows its box or entry and hides its
   result; a text field notes where its result begins. */
void DocStoryReader::separateFormField(const StoryCharFormat& format, StoryParagraph& paragraph) {
    if (m_openOverflow > 0 || m_open.empty()) {
        return;
    }
    OpenField& field = m_open.back();
    const FormKind kind = formKind(field.instruction);
    if (kind == FormKind::Text) {
        field.textParagraph = static_cast<int>(m_paragraphs.size());
        field.textStart = runsTextLength(paragraph.runs);
    } else if (kind == FormKind::Shown) {
        showFormField(field.dataOffset, field.instruction, format, paragraph);
        field.formShown = true;
        m_fields.hideResult();
    }
}

/* A form field ends: a check box or drop-down without a separator shows its box or entry
   now; a text field whose result is only placeholder blanks reads as empty. False for
   other fields. */
bool DocStoryReader::endFormField(const OpenField& ended, const StoryCharFormat& format,
                                  StoryParagraph& paragraph) {
    const FormKind kind = formKind(ended.instruction);
    if (kind == FormKind::None) {
        return false;
    }
    if (!m_fields.showsText()) {
        return true;
    }
    if (kind == FormKind::Shown && !ended.formShown) {
        showFormField(ended.dataOffset, ended.instruction, format, paragraph);
    } else if (kind == FormKind::Text &&
               ended.textParagraph == static_cast<int>(m_paragraphs.size()) &&
               LegacyFormField::isPlaceholder(paragraph.text().mid(ended.textStart))) {
        truncateRuns(paragraph.runs, ended.textStart);
    }
    return true;
}

/* Show a check box's box or a drop-down's entry from the field's data; unreadable data
   gives an empty box or entry. */
void DocStoryReader::showFormField(quint32 dataOffset, const QString& instruction,
                                   const StoryCharFormat& format, StoryParagraph& paragraph) {
    if (!m_fields.showsText()) {
        return;
    }
    std::optional<LegacyFormField> field = DocFormField::read(m_sources.dataStream, dataOffset);
    if (!field) {
        field = LegacyFormField();
        if (instruction.contains(QLatin1String("CHECKBOX"), Qt::CaseInsensitive)) {
            field->type = LegacyFormField::Type::CheckBox;
        }
    }
    if (appendEquation(field->shownText(), format, paragraph)) {
        for (OpenField& open : m_open) {
            open.showedText = true;
        }
    }
}

/* Append an equation's text as plain characters (its lines as line feeds); false when
   nothing shows. */
bool DocStoryReader::appendEquation(const QString& text, const StoryCharFormat& format,
                                    StoryParagraph& paragraph) {
    // One object may be referred to any number of times: its text counts each time it is
    // written, so a few references cannot multiply a small file into gigabytes of text.
    m_equationChars += text.size();
    if (m_equationChars > m_sources.maxEquationChars) {
        m_tooLarge = QStringLiteral("the document's equations repeat beyond its file size");
        return false;
    }
    StoryCharFormat plain = format;
    plain.ole2 = false;
    plain.special = false;
    plain.symbolChar = 0;
    bool shown = false;
    for (const QChar c : text) {
        shown = appendChar(c == QLatin1Char('\n') ? QChar(0x0B) : c, plain, paragraph) || shown;
    }
    return shown;
}

/* Append one character as a reader sees it, merging runs of equal format; false when the
   character shows nothing. */
bool DocStoryReader::appendChar(QChar ch, const StoryCharFormat& format,
                                StoryParagraph& paragraph) {
    QChar out = ch;
    const ushort code = ch.unicode();

    if (code == 0x01 && format.ole2 && m_sources.objects) {
        return appendEquation(m_sources.objects->equationText(format.picLocation), format,
                              paragraph);
    }
    if (code == 0x09) {
        out = QLatin1Char('\t');
    } else if (code == 0x0B) {
        out = QLatin1Char('\n');
    } else if (code == 0x1E) {
        out = QLatin1Char('-');
    } else if (format.symbolChar != 0 && (code == 0x28 || format.special)) {
        out = QChar(format.symbolChar);
    } else if (code < 0x20) {
        return false;  // pictures, drawn objects, note marks, breaks, soft hyphens
    }
    if (!paragraph.runs.empty() && paragraph.runs.back().format == format) {
        paragraph.runs.back().text.append(out);
        return true;
    }
    paragraph.runs.push_back(StoryRun{QString(out), format});
    return true;
}

/* The grpprl a piece's Prm points to (fComplex set), else nothing. */
DocBytes DocStoryReader::prmGrpprl(quint16 prm) const {
    if (!(prm & 1)) {
        return DocBytes();
    }
    return m_sources.pieces->prcGrpprl(prm >> 1);
}
