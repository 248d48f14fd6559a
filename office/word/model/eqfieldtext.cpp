#include "office/word/model/eqfieldtext.h"

#include "office/word/model/mathlinear.h"

#include <QStringList>

#include <vector>

namespace {

// The switches of one command (\lc\(, \up8, \co2, \su, ...).
struct Switches {
    QChar left;
    QChar right;
    QChar operatorChar;
    bool up = false;
    bool down = false;
    int columns = 1;
};

/* The closing partner of an opening bracket; the character itself for the rest. */
QChar partner(QChar open) {
    switch (open.unicode()) {
        case '(':
            return QLatin1Char(')');
        case '[':
            return QLatin1Char(']');
        case '{':
            return QLatin1Char('}');
        case '<':
            return QLatin1Char('>');
        default:
            return open;
    }
}

// A recursive reader of the field code.
class Parser {
public:
    explicit Parser(const QString& code) : m_code(code) {}

    /* Text up to the end, or inside arguments up to a separator or the closing bracket. */
    QString sequence(int depth, bool inArguments) {
        std::vector<QString> atoms;
        int brackets = 0;
        while (m_pos < m_code.size() && !m_failed) {
            const QChar c = m_code[m_pos];
            if (inArguments && brackets == 0 &&
                (c == QLatin1Char(',') || c == QLatin1Char(';') || c == QLatin1Char(')'))) {
                break;
            }
            if (c == QLatin1Char('\\')) {
                backslash(depth, atoms);
                continue;
            }
            if (c == QLatin1Char('(')) {
                ++brackets;
            } else if (c == QLatin1Char(')')) {
                --brackets;
            }
            atoms.push_back(QString(c));
            ++m_pos;
        }
        QString text;
        for (const QString& atom : atoms) {
            text += atom;
        }
        return text;
    }

    bool failed() const { return m_failed; }

private:
    /* A command, a switch out of place (skipped) or an escaped character. */
    void backslash(int depth, std::vector<QString>& atoms) {
        ++m_pos;
        if (m_pos >= m_code.size()) {
            return;
        }
        const QChar c = m_code[m_pos];
        if (c == QLatin1Char('*')) {
            formatSwitch();
            return;
        }
        if (!c.isLetter()) {
            atoms.push_back(QString(c));
            ++m_pos;
            return;
        }
        const QString name = letters();
        if (name.size() != 1) {
            digits();
            return;
        }
        const QChar command = name[0].toLower();
        const Switches switches = readSwitches();
        skipSpaces();
        QStringList args;
        if (m_pos < m_code.size() && m_code[m_pos] == QLatin1Char('(')) {
            args = arguments(depth + 1);
        }
        apply(command, switches, args, atoms);
    }

    /* A command's text from its switches and arguments; scripts attach to the last atom. */
    static void apply(QChar command, const Switches& s, const QStringList& args,
                      std::vector<QString>& atoms) {
        const auto arg = [&args](int i) { return i < args.size() ? args[i] : QString(); };
        switch (command.unicode()) {
            case 'f':
                atoms.push_back(MathLinear::fraction(arg(0), arg(1)));
                return;
            case 'r':
                atoms.push_back(args.size() >= 2 ? MathLinear::radical(arg(0), arg(1))
                                                 : MathLinear::radical(QString(), arg(0)));
                return;
            case 'b':
                atoms.push_back(MathLinear::delimited(
                    s.left.isNull() ? QStringLiteral("(") : QString(s.left), args,
                    QStringLiteral(","),
                    s.right.isNull() ? QStringLiteral(")") : QString(s.right)));
                return;
            case 'i':
                atoms.push_back(MathLinear::nary(
                    s.operatorChar.isNull() ? QStringLiteral("∫") : QString(s.operatorChar), arg(0),
                    arg(1), arg(2)));
                return;
            case 's':
                script(s, args, atoms);
                return;
            case 'a':
                atoms.push_back(array(args, s.columns));
                return;
            case 'l':
                atoms.push_back(args.join(QLatin1Char(',')));
                return;
            case 'o':
            case 'x':
                atoms.push_back(args.join(QString()));
                return;
            default:
                return;  // \d moves the text that follows; other letters give nothing
        }
    }

    /* \s: raised text is a superscript of what stands before it, lowered text a subscript,
       several lines a stack; with nothing before it (the reading over a character in
       \o(\s\up9(pīn),拼)) the text stands as it is. */
    static void script(const Switches& s, const QStringList& args, std::vector<QString>& atoms) {
        if ((!s.up && !s.down) || atoms.empty()) {
            atoms.push_back(args.size() > 1 ? MathLinear::equationArray(args)
                                            : args.join(QString()));
            return;
        }
        QString base;
        if (!atoms.empty()) {
            base = atoms.back();
            atoms.pop_back();
        }
        const QString text = args.join(QString());
        atoms.push_back(s.up ? MathLinear::superscript(base, text)
                             : MathLinear::subscript(base, text));
    }

    /* \a: the elements row by row, `columns` a row. */
    static QString array(const QStringList& args, int columns) {
        QStringList rows;
        for (int i = 0; i < args.size(); i += columns) {
            rows.append(MathLinear::row(args.mid(i, columns)));
        }
        return MathLinear::matrix(rows);
    }

    /* Switches after a command: \lc\(, \rc\), \bc\{, \fc\∑, \vc\∑, \su, \pr, \upN, \doN,
       \coN; the others are read and ignored. */
    Switches readSwitches() {
        Switches s;
        for (;;) {
            skipSpaces();
            if (m_pos + 1 >= m_code.size() || m_code[m_pos] != QLatin1Char('\\') ||
                !m_code[m_pos + 1].isLetter()) {
                return s;
            }
            ++m_pos;
            const QString name = letters().toLower();
            if (name.size() == 1)  // the next command, not a switch
            {
                m_pos -= 2;
                return s;
            }
            if (name == QLatin1String("lc") || name == QLatin1String("rc") ||
                name == QLatin1String("bc") || name == QLatin1String("fc") ||
                name == QLatin1String("vc")) {
                const QChar c = switchCharacter();
                if (name == QLatin1String("lc") || name == QLatin1String("bc")) {
                    s.left = c;
                }
                if (name == QLatin1String("rc")) {
                    s.right = c;
                }
                if (name == QLatin1String("bc")) {
                    s.right = partner(c);
                }
                if (name == QLatin1String("fc") || name == QLatin1String("vc")) {
                    s.operatorChar = c;
                }
                continue;
            }
            skipSpaces();  // "\up 9" as Word writes it
            const int value = digits();
            if (name == QLatin1String("up") || name == QLatin1String("ai")) {
                s.up = name == QLatin1String("up") || s.up;
            }
            if (name == QLatin1String("do") || name == QLatin1String("di")) {
                s.down = name == QLatin1String("do") || s.down;
            }
            if (name == QLatin1String("su")) {
                s.operatorChar = QChar(0x2211);
            }
            if (name == QLatin1String("pr")) {
                s.operatorChar = QChar(0x220F);
            }
            if (name == QLatin1String("co") && value > 0) {
                s.columns = qMin(value, 64);
            }
        }
    }

    /* The character a bracket switch names: "\(" or a plain character. */
    QChar switchCharacter() {
        if (m_pos < m_code.size() && m_code[m_pos] == QLatin1Char('\\')) {
            ++m_pos;
        }
        if (m_pos >= m_code.size()) {
            return QChar();
        }
        return m_code[m_pos++];
    }

    /* Arguments in brackets, separated by ',' or ';'. */
    QStringList arguments(int depth) {
        QStringList args;
        if (depth > EqFieldText::kMaxDepth) {
            m_failed = true;
            return args;
        }
        ++m_pos;  // '('
        for (;;) {
            args.append(sequence(depth, true).trimmed());
            if (m_failed || m_pos >= m_code.size()) {
                return args;
            }
            const QChar c = m_code[m_pos++];
            if (c == QLatin1Char(')')) {
                return args;
            }
        }
    }

    /* A general format switch (\* jc2, \* "Font:宋体", \* hps10, as the phonetic guide
       writes them): the switch and its one word or quoted text give nothing. */
    void formatSwitch() {
        ++m_pos;
        skipSpaces();
        if (m_pos < m_code.size() && m_code[m_pos] == QLatin1Char('"')) {
            const int end = m_code.indexOf(QLatin1Char('"'), m_pos + 1);
            m_pos = end < 0 ? m_code.size() : end + 1;
            return;
        }
        while (m_pos < m_code.size() && !m_code[m_pos].isSpace() &&
               m_code[m_pos] != QLatin1Char('\\')) {
            ++m_pos;
        }
    }

    /* A run of letters. */
    QString letters() {
        const int start = m_pos;
        while (m_pos < m_code.size() && m_code[m_pos].isLetter()) {
            ++m_pos;
        }
        return m_code.mid(start, m_pos - start);
    }

    /* A run of digits (a switch's number), 0 when none. */
    int digits() {
        int value = 0;
        while (m_pos < m_code.size() && m_code[m_pos].isDigit()) {
            value = qMin(value * 10 + m_code[m_pos].digitValue(), 100000);
            ++m_pos;
        }
        return value;
    }

    /* Spaces between a command and its switches or arguments. */
    void skipSpaces() {
        while (m_pos < m_code.size() && m_code[m_pos] == QLatin1Char(' ')) {
            ++m_pos;
        }
    }

    const QString& m_code;
    int m_pos = 0;
    bool m_failed = false;
};

}  // namespace

/* "EQ" followed by a space, a switch or nothing. */
bool EqFieldText::isEq(const QString& instruction) {
    const QString code = instruction.trimmed();
    return code.startsWith(QLatin1String("EQ"), Qt::CaseInsensitive) &&
           (code.size() == 2 || code[2].isSpace() || code[2] == QLatin1Char('\\'));
}

/* Parse everything after "EQ". */
QString EqFieldText::linear(const QString& instruction) {
    if (!isEq(instruction) || instruction.size() > kMaxLength) {
        return QString();
    }
    const QString code = instruction.trimmed().mid(2);
    Parser parser(code);
    const QString text = parser.sequence(0, false).trimmed();
    return parser.failed() ? QString() : text;
}
