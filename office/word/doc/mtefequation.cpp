#include "office/word/doc/mtefequation.h"

#include "office/format/littleendianreader.h"
#include "office/word/doc/docbytes.h"
#include "office/word/model/mathlinear.h"

#include <QStringList>

#include <vector>

namespace {

// Record types (MTEF 3 and 5).
enum Record {
    kEnd = 0,
    kLine = 1,
    kChar = 2,
    kTemplate = 3,
    kPile = 4,
    kMatrix = 5,
    kEmbell = 6,
    kRuler = 7,
    kFont = 8,  // MTEF 3 FONT, MTEF 5 FONT_STYLE_DEF
    kSize = 9,
    kSubSym = 14,  // FULL, SUB, SUB2, SYM, SUBSYM (10-14) have no body
    kColor = 15,
    kColorDef = 16,
    kFontDef = 17,
    kEqnPrefs = 18,
    kEncodingDef = 19,
    kFuture = 100,
};

// Option bits.
constexpr int kOptNudge = 0x08;
constexpr int kOptLineNull = 0x01;
constexpr int kOptRuler = 0x02;
constexpr int kOptLineSpace = 0x04;
constexpr int kOptEmbell3 = 0x02;
constexpr int kOptEmbell5 = 0x01;
constexpr int kOptChar8 = 0x04;
constexpr int kOptChar16 = 0x10;
constexpr int kOptNoMtcode = 0x20;
constexpr int kOptColorCmyk = 0x01;
constexpr int kOptColorName = 0x04;

// Logical typefaces: function names; marker characters and layout spaces carry no text
// (stretched fences and operators, typeface 22, do).
constexpr int kTypefaceFunction = 2;
constexpr int kTypefaceMarker = 23;
constexpr int kTypefaceSpace = 24;

// One object of the equation tree.
struct Node {
    enum Kind { Line, Char, Template, Pile, Matrix } kind = Line;
    QString text;  // Char: the character (with its primes)
    int typeface = 0;
    int selector = 0;
    int variation = 0;
    int columns = 0;
    std::vector<Node> children;
};

// Reads MTEF records into nodes; every read is bounds-checked.
class Parser {
public:
    explicit Parser(const QByteArray& bytes) : m_bytes(bytes), m_in(bytes) {}

    /* Read the header, then the top-level object list. */
    bool parse(std::vector<Node>& top) {
        int product = 0;
        int ignored = 0;
        if (!u8(m_version) || (m_version != 3 && m_version != 5) || !u8(ignored) || !u8(product) ||
            !u8(ignored) || !u8(ignored)) {
            return false;
        }
        if (m_version == 5 && (!stringZ() || !u8(ignored))) {
            return false;
        }
        return objectList(top, 0, true);
    }

private:
    /* One byte; false once any read has run past the end. */
    bool u8(int& value) {
        value = m_in.readU8();
        return !m_in.failed();
    }
    /* A little-endian 16-bit word. */
    bool u16(int& value) {
        value = m_in.readU16();
        return !m_in.failed();
    }
    /* Skip count bytes. */
    bool skip(qint64 count) { return m_in.skip(count); }
    /* Skip a zero-terminated string. */
    bool stringZ() {
        const int end = m_bytes.indexOf('\0', static_cast<int>(m_in.position()));
        return end >= 0 && m_in.seek(end + 1);
    }
    /* An MTEF 5 unsigned integer: one byte, or 255 and a 16-bit word. */
    bool mtUint(int& value) { return u8(value) && (value != 255 || u16(value)); }
    /* Skip a nudge (two offset bytes, or 128,128 and two 16-bit offsets). */
    bool nudge(int options) {
        if (!(options & kOptNudge)) {
            return true;
        }
        int dx = 0;
        int dy = 0;
        if (!u8(dx) || !u8(dy)) {
            return false;
        }
        return (dx == 128 && dy == 128) ? skip(4) : true;
    }
    /* Skip a ruler (its record type byte is optional here): stop count, 3 bytes a stop. */
    bool ruler() {
        int count = 0;
        if (!m_in.atEnd() && m_in.u8(m_in.position()) == kRuler) {
            m_in.skip(1);
        }
        return u8(count) && skip(static_cast<qint64>(count) * 3);
    }

    /* Read records up to END (or the end of the bytes, at top level). */
    bool objectList(std::vector<Node>& out, int depth, bool topLevel) {
        if (depth > MtefEquation::kMaxDepth) {
            return false;
        }
        for (;;) {
            if (m_in.atEnd()) {
                return topLevel;
            }
            int type = 0;
            int options = 0;
            if (!tag(type, options) || ++m_records > MtefEquation::kMaxRecords) {
                return false;
            }
            if (type == kEnd) {
                return true;
            }
            if (!record(type, options, out, depth)) {
                return false;
            }
        }
    }

    /* A record's type and options: packed in one byte (3), or a type byte and for the
       records that have them an options byte (5). */
    bool tag(int& type, int& options) {
        int raw = 0;
        if (!u8(raw)) {
            return false;
        }
        if (m_version == 3) {
            type = raw & 0x0F;
            options = raw >> 4;
            return true;
        }
        type = raw;
        options = 0;
        const bool hasOptions =
            (raw >= kLine && raw <= kEmbell) || raw == kColorDef || raw == kEqnPrefs;
        return !hasOptions || u8(options);
    }

    /* One record: objects go into out, the rest is skipped. */
    bool record(int type, int options, std::vector<Node>& out, int depth) {
        switch (type) {
            case kLine:
                return line(options, out, depth);
            case kChar:
                return character(options, out);
            case kTemplate:
                return templ(options, out, depth);
            case kPile:
                return pile(options, out, depth);
            case kMatrix:
                return matrix(options, out, depth);
            case kEmbell:
                return nudge(options) && skip(1);
            case kRuler:
                m_in.seek(m_in.position() - 1);  // the ruler reader takes the type byte itself
                return ruler();
            case kFont:
                return fontRecord();
            case kSize:
                return size();
            default:
                break;
        }
        if (type > kSize && type <= kSubSym) {
            return true;
        }
        if (m_version == 3) {
            return false;
        }
        return version5Record(type, options);
    }

    /* The records MTEF 5 added: colours, font and encoding definitions, preferences. */
    bool version5Record(int type, int options) {
        int value = 0;
        switch (type) {
            case kColor:
                return mtUint(value);
            case kColorDef:
                return skip((options & kOptColorCmyk) ? 8 : 6) &&
                       (!(options & kOptColorName) || stringZ());
            case kFontDef:
                return mtUint(value) && stringZ();
            case kEqnPrefs:
                return preferences();
            case kEncodingDef:
                return stringZ();
            default:
                break;
        }
        return type >= kFuture && mtUint(value) && skip(value);
    }

    /* FONT (3): typeface, style, name; FONT_STYLE_DEF (5): font index, style. */
    bool fontRecord() {
        int value = 0;
        if (m_version == 3) {
            return skip(2) && stringZ();
        }
        return mtUint(value) && skip(1);
    }

    /* SIZE: a point size (101), a large difference (100), or size and difference. */
    bool size() {
        int kind = 0;
        if (!u8(kind)) {
            return false;
        }
        if (kind == 101) {
            return skip(2);
        }
        return kind == 100 ? skip(3) : skip(1);
    }

    /* EQN_PREFS: sizes and spaces (nibble-coded dimensions), then styles. */
    bool preferences() {
        for (int array = 0; array < 2; ++array) {
            int count = 0;
            if (!u8(count)) {
                return false;
            }
            int ended = 0;
            bool first = true;  // the first nibble of an entry is its unit
            while (ended < count) {
                int byte = 0;
                if (!u8(byte)) {
                    return false;
                }
                for (const int nibble : {byte >> 4, byte & 0x0F}) {
                    if (first) {
                        first = false;
                    } else if (nibble == 0x0F) {
                        ++ended;
                        first = true;
                    }
                }
            }
        }
        int styles = 0;
        if (!u8(styles)) {
            return false;
        }
        for (int i = 0; i < styles; ++i) {
            int font = 0;
            if (!u8(font) || (font != 0 && !skip(1))) {
                return false;
            }
        }
        return true;
    }

    /* LINE: a slot or a line of a pile; a null line has no object list. */
    bool line(int options, std::vector<Node>& out, int depth) {
        if (!nudge(options) || ((options & kOptLineSpace) && !skip(2)) ||
            ((options & kOptRuler) && !ruler())) {
            return false;
        }
        Node node;
        node.kind = Node::Line;
        if (!(options & kOptLineNull) && !objectList(node.children, depth + 1, false)) {
            return false;
        }
        out.push_back(std::move(node));
        return true;
    }

    /* CHAR: typeface, character, optional font positions and embellishments. */
    bool character(int options, std::vector<Node>& out) {
        int typeface = 0;
        int code = 0;
        if (!nudge(options) || !u8(typeface)) {
            return false;
        }
        const bool noMtcode = m_version == 5 && (options & kOptNoMtcode);
        if (!noMtcode && !u16(code)) {
            return false;
        }
        if (m_version == 5 &&
            (((options & kOptChar8) && !skip(1)) || ((options & kOptChar16) && !skip(2)))) {
            return false;
        }
        Node node;
        node.kind = Node::Char;
        node.typeface = typeface - 128;
        node.text = characterText(code, node.typeface);
        const int embell = m_version == 3 ? kOptEmbell3 : kOptEmbell5;
        if ((options & embell) && !embellishments(node.text)) {
            return false;
        }
        out.push_back(std::move(node));
        return true;
    }

    /* The EMBELL records after a character, to END; primes are written, the rest dropped. */
    bool embellishments(QString& text) {
        for (;;) {
            int type = 0;
            int options = 0;
            int kind = 0;
            if (!tag(type, options) || ++m_records > MtefEquation::kMaxRecords) {
                return false;
            }
            if (type == kEnd) {
                return true;
            }
            if (type != kEmbell || !nudge(options) || !u8(kind)) {
                return false;
            }
            if (kind == 5) {
                text.append(QChar(0x2032));
            } else if (kind == 6) {
                text.append(QChar(0x2033));
            } else if (kind == 18) {
                text.append(QChar(0x2034));
            }
        }
    }

    /* TMPL: selector, variation, template options, then slots and characters. */
    bool templ(int options, std::vector<Node>& out, int depth) {
        Node node;
        node.kind = Node::Template;
        int high = 0;
        int ignored = 0;
        if (!nudge(options) || !u8(node.selector) || !u8(node.variation)) {
            return false;
        }
        if (m_version == 5 && (node.variation & 0x80)) {
            if (!u8(high)) {
                return false;
            }
            node.variation = (node.variation & 0x7F) | (high << 8);
        }
        if (!u8(ignored) || !objectList(node.children, depth + 1, false)) {
            return false;
        }
        out.push_back(std::move(node));
        return true;
    }

    /* PILE: alignments, optional ruler, then its lines. */
    bool pile(int options, std::vector<Node>& out, int depth) {
        Node node;
        node.kind = Node::Pile;
        if (!nudge(options) || !skip(2) || ((options & kOptRuler) && !ruler()) ||
            !objectList(node.children, depth + 1, false)) {
            return false;
        }
        out.push_back(std::move(node));
        return true;
    }

    /* MATRIX: alignments, rows and columns, partition lines (2 bits each), then the cells. */
    bool matrix(int options, std::vector<Node>& out, int depth) {
        Node node;
        node.kind = Node::Matrix;
        int rows = 0;
        if (!nudge(options) || !skip(3) || !u8(rows) || !u8(node.columns) ||
            !skip((rows + 4) / 4) || !skip((node.columns + 4) / 4) ||
            !objectList(node.children, depth + 1, false)) {
            return false;
        }
        out.push_back(std::move(node));
        return true;
    }

    /* The text of a character code: MTCode is Unicode; private-use codes (MathType's own
       spaces and glyphs) and typefaces that only lay out give nothing. */
    static QString characterText(int code, int typeface) {
        if (typeface == kTypefaceMarker || typeface == kTypefaceSpace) {
            return QString();
        }
        if (code < 0x20 || (code >= 0xD800 && code <= 0xF8FF)) {
            return QString();
        }
        return QString(QChar(code));
    }

    const QByteArray& m_bytes;
    LittleEndianReader m_in;
    int m_version = 0;
    int m_records = 0;
};

// What a template selector stands for.
struct TemplateKind {
    enum Kind { Base, Fence, Root, Fraction, Script, PreScript, Nary, Limit, Dirac } kind = Base;
    const char16_t* open = u"";  // fence characters, n-ary operator
    const char16_t* close = u"";
};

/* The meaning of an MTEF 3 selector (Equation Editor 3.x). */
TemplateKind kind3(int selector) {
    using K = TemplateKind;
    static const TemplateKind kFences[] = {
        {K::Fence, u"⟨", u"⟩"}, {K::Fence, u"(", u")"}, {K::Fence, u"{", u"}"},
        {K::Fence, u"[", u"]"}, {K::Fence, u"|", u"|"}, {K::Fence, u"‖", u"‖"},
        {K::Fence, u"⌊", u"⌋"}, {K::Fence, u"⌈", u"⌉"}, {K::Fence, u"[", u"["},
        {K::Fence, u"]", u"]"}, {K::Fence, u"]", u"["}, {K::Fence, u"[", u")"},
        {K::Fence, u"(", u"]"}};
    static const char16_t* const kOperators[] = {u"∫", u"∬", u"∭", u"∮", u"∯", u"∰",
                                                 u"",  u"",  u"∑", u"∑", u"∏", u"∏",
                                                 u"∐", u"∐", u"⋃", u"⋃", u"⋂", u"⋂"};
    if (selector >= 0 && selector <= 12) {
        return kFences[selector];
    }
    if (selector == 13) {
        return {K::Root};
    }
    if (selector == 14 || selector == 41) {
        return {K::Fraction};
    }
    if (selector == 15) {
        return {K::Script};
    }
    if (selector == 44) {
        return {K::PreScript};
    }
    if ((selector >= 21 && selector <= 26) || (selector >= 29 && selector <= 38)) {
        return {K::Nary, kOperators[selector - 21]};
    }
    if (selector == 42) {
        return {K::Nary, u"∫"};
    }
    if (selector == 43) {
        return {K::Nary, u"∑"};
    }
    if (selector == 39) {
        return {K::Limit};
    }
    if (selector == 45) {
        return {K::Dirac};
    }
    return {K::Base};  // bars, arrows, horizontal braces, long division
}

/* The meaning of an MTEF 5 selector (MathType 4 and later). */
TemplateKind kind5(int selector) {
    using K = TemplateKind;
    static const TemplateKind kFences[] = {{K::Fence, u"⟨", u"⟩"}, {K::Fence, u"(", u")"},
                                           {K::Fence, u"{", u"}"}, {K::Fence, u"[", u"]"},
                                           {K::Fence, u"|", u"|"}, {K::Fence, u"‖", u"‖"},
                                           {K::Fence, u"⌊", u"⌋"}, {K::Fence, u"⌈", u"⌉"},
                                           {K::Fence, u"⟦", u"⟧"}, {K::Fence, u"[", u"]"}};
    static const char16_t* const kOperators[] = {u"∫", u"∑", u"∏", u"∐", u"⋃", u"⋂", u"∫", u"∑"};
    if (selector >= 0 && selector <= 9) {
        return kFences[selector];
    }
    if (selector == 10) {
        return {K::Root};
    }
    if (selector == 11) {
        return {K::Fraction};
    }
    if (selector >= 15 && selector <= 22) {
        return {K::Nary, kOperators[selector - 15]};
    }
    if (selector == 23) {
        return {K::Limit};
    }
    if (selector >= 27 && selector <= 29) {
        return {K::Script};
    }
    if (selector == 30) {
        return {K::Dirac};
    }
    return {K::Base};  // bars, arrows, braces, long division, accents, boxes, strikes
}

// Lays the tree out as linear text.
class Layout {
public:
    explicit Layout(int version) : m_version(version) {}

    /* The text of top-level objects; lines of a top-level pile go on lines of their own. */
    QString top(const std::vector<Node>& nodes) const {
        QStringList parts;
        for (const Node& node : nodes) {
            if (node.kind == Node::Pile) {
                parts.append(lines(node).join(QLatin1Char('\n')));
            } else if (node.kind != Node::Char) {
                parts.append(object(node));
            }
        }
        parts.removeAll(QString());
        return parts.join(QLatin1Char('\n'));
    }

private:
    // One item of a line: scripts attach to the last one; function names keep a space
    // before what follows them.
    struct Atom {
        QString text;
        bool function = false;
    };

    /* The text of one object. */
    QString object(const Node& node) const {
        switch (node.kind) {
            case Node::Char:
                return node.text;
            case Node::Template:
                return templ(node, QString());
            case Node::Pile: {
                const QStringList rows = lines(node);
                return rows.size() == 1 ? rows.first() : MathLinear::equationArray(rows);
            }
            case Node::Matrix:
                return matrix(node);
            case Node::Line:
                break;
        }
        return line(node.children);
    }

    /* A line's objects joined. */
    QString line(const std::vector<Node>& children) const {
        std::vector<Atom> atoms;
        for (const Node& child : children) {
            if (child.kind == Node::Char) {
                const bool function = child.typeface == kTypefaceFunction;
                if (function && !atoms.empty() && atoms.back().function) {
                    atoms.back().text += child.text;
                } else if (!child.text.isEmpty()) {
                    atoms.push_back({child.text, function});
                }
            } else if (child.kind == Node::Template && isScript(child)) {
                QString base;
                if (!atoms.empty()) {
                    base = atoms.back().text;
                    atoms.pop_back();
                }
                atoms.push_back({templ(child, base), false});
            } else {
                atoms.push_back({object(child), false});
            }
        }
        QString text;
        for (size_t i = 0; i < atoms.size(); ++i) {
            text += atoms[i].text;
            if (atoms[i].function && i + 1 < atoms.size() && !atoms[i + 1].function) {
                text += QLatin1Char(' ');
            }
        }
        return text;
    }

    /* The selector's meaning in this version. */
    TemplateKind kindOf(const Node& node) const {
        return m_version == 3 ? kind3(node.selector) : kind5(node.selector);
    }
    /* Whether a template attaches scripts to what stands before it. */
    bool isScript(const Node& node) const { return kindOf(node).kind == TemplateKind::Script; }

    /* A template from its slots (lines and piles, in order) and its characters. */
    QString templ(const Node& node, const QString& base) const {
        QStringList slots;
        QStringList chars;
        for (const Node& child : node.children) {
            if (child.kind != Node::Char) {
                slots.append(object(child));
            } else if (!child.text.isEmpty()) {
                chars.append(child.text);
            }
        }
        const auto slot = [&slots](int i) { return i < slots.size() ? slots[i] : QString(); };
        const TemplateKind kind = kindOf(node);
        switch (kind.kind) {
            case TemplateKind::Fence:
                return fence(node, kind, slot(0), chars);
            case TemplateKind::Root:
                return MathLinear::radical(slot(1), slot(0));
            case TemplateKind::Fraction:
                return MathLinear::fraction(slot(0), slot(1));
            case TemplateKind::Script:
                // Both slots are written (sub, then sup; the unused one a null line); a
                // single slot is the one the template names.
                if (slots.size() == 1 &&
                    (m_version == 3 ? node.variation == 0 : node.selector == 28)) {
                    return scripts(base, QString(), slot(0));
                }
                return scripts(base, slot(0), slot(1));
            case TemplateKind::PreScript:
                return MathLinear::preScripts(slot(0), slot(1), QString());
            case TemplateKind::Nary: {
                const QString op = chars.isEmpty() ? QString::fromUtf16(kind.open) : chars.last();
                return MathLinear::nary(op, slot(1), slot(2), slot(0));
            }
            case TemplateKind::Limit: {
                const QString under = MathLinear::below(slot(0), slot(1));
                return slot(2).isEmpty() ? under : MathLinear::above(under, slot(2));
            }
            case TemplateKind::Dirac:
                return MathLinear::delimited(QStringLiteral("⟨"), slots, QStringLiteral("|"),
                                             QStringLiteral("⟩"));
            case TemplateKind::Base:
                break;
        }
        return slot(0);
    }

    /* Scripts on a base: x_i, x^2, x_i^2. */
    static QString scripts(const QString& base, const QString& sub, const QString& sup) {
        if (sub.isEmpty()) {
            return MathLinear::superscript(base, sup);
        }
        if (sup.isEmpty()) {
            return MathLinear::subscript(base, sub);
        }
        return MathLinear::subSuperscript(base, sub, sup);
    }

    /* A fence: the characters the template carries, else the selector's; the variation's
       low bits say which sides show (both when neither is set). */
    static QString fence(const Node& node, const TemplateKind& kind, const QString& body,
                         const QStringList& chars) {
        const bool left = (node.variation & 3) != 2;
        const bool right = (node.variation & 3) != 1;
        QString open = left ? QString::fromUtf16(kind.open) : QString();
        QString close = right ? QString::fromUtf16(kind.close) : QString();
        if (chars.size() >= 2) {
            open = left ? chars.first() : QString();
            close = right ? chars.last() : QString();
        }
        return MathLinear::delimited(open, QStringList{body}, QString(), close);
    }

    /* The lines of a pile. */
    QStringList lines(const Node& node) const {
        QStringList rows;
        for (const Node& child : node.children) {
            if (child.kind != Node::Char) {
                rows.append(object(child));
            }
        }
        return rows;
    }

    /* A matrix: its cells in row order, `columns` a row. */
    QString matrix(const Node& node) const {
        const int columns = qMax(node.columns, 1);
        QStringList rows;
        QStringList cells;
        for (const Node& child : node.children) {
            if (child.kind == Node::Char) {
                continue;
            }
            cells.append(object(child));
            if (cells.size() == columns) {
                rows.append(MathLinear::row(cells));
                cells.clear();
            }
        }
        if (!cells.isEmpty()) {
            rows.append(MathLinear::row(cells));
        }
        return MathLinear::matrix(rows);
    }

    int m_version;
};

}  // namespace

/* Skip the OLE equation header (its own size is its first word), then read the MTEF. */
std::optional<QString> MtefEquation::fromEquationNative(const QByteArray& stream) {
    const DocBytes bytes(stream);
    const qint64 header = bytes.u16(0);
    const qint64 length = bytes.u32(8);
    if (header < 28 || !bytes.contains(header, 0)) {
        return std::nullopt;
    }
    const qint64 available = bytes.size() - header;
    return fromMtef(stream.mid(static_cast<int>(header),
                               static_cast<int>(qMin(length > 0 ? length : available, available))));
}

/* Parse the records, then lay the tree out. */
std::optional<QString> MtefEquation::fromMtef(const QByteArray& mtef) {
    std::vector<Node> top;
    Parser parser(mtef);
    if (!parser.parse(top)) {
        return std::nullopt;
    }
    return Layout(static_cast<quint8>(mtef.at(0))).top(top);
}
