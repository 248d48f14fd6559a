#include "office/word/doc/mathmlequation.h"

#include "office/opc/zippackage.h"
#include "office/word/model/mathlinear.h"
#include "office/xml/xmlreader.h"

#include <QBuffer>
#include <QStringList>

#include <vector>

namespace {

// What an element gives: its text, or an n-ary operator with its limits still waiting for
// the argument that follows it in the row.
struct Piece {
    Piece() = default;
    Piece(const QString& t) : text(t) {}  // NOLINT: a plain text converts implicitly
    Piece(const QString& op, const QString& below, const QString& above)
        : text(op), nary(true), sub(below), sup(above) {}

    QString text;
    bool nary = false;
    QString sub;
    QString sup;
};

/* Whether a text is one n-ary operator (sums, products, integrals, unions, ...). */
bool isNaryOperator(const QString& text) {
    if (text.size() != 1) {
        return false;
    }
    const ushort c = text[0].unicode();
    return c == 0x2211 || c == 0x220F || c == 0x2210 || (c >= 0x222B && c <= 0x2233) ||
           (c >= 0x22C0 && c <= 0x22C3) || (c >= 0x2A00 && c <= 0x2A0C);
}

// Walks a MathML tree with the pull reader.
class Walker {
public:
    explicit Walker(XmlReader& reader) : m_reader(reader) {}

    /* A row: the children's pieces joined, operators taking the piece after them. */
    QString row() {
        std::vector<Piece> pieces;
        while (m_reader.readNextStartElement()) {
            pieces.push_back(element());
        }
        QString text;
        for (size_t i = 0; i < pieces.size(); ++i) {
            const Piece& piece = pieces[i];
            if (!piece.nary) {
                text += piece.text;
                continue;
            }
            const QString body = i + 1 < pieces.size() ? pieces[++i].text : QString();
            text += MathLinear::nary(piece.text, piece.sub, piece.sup, body);
        }
        return text;
    }

private:
    /* The current element's children as separate texts (the arguments of a layout). */
    QStringList arguments() {
        QStringList args;
        while (m_reader.readNextStartElement()) {
            const Piece piece = element();
            args.append(piece.nary ? MathLinear::nary(piece.text, piece.sub, piece.sup, QString())
                                   : piece.text);
        }
        return args;
    }

    /* One element, read to its end. */
    Piece element() {
        const QString name = m_reader.name();
        if (name == QLatin1String("mi") || name == QLatin1String("mn") ||
            name == QLatin1String("mo") || name == QLatin1String("mtext") ||
            name == QLatin1String("ms")) {
            return {m_reader.readElementText().trimmed()};
        }
        if (name == QLatin1String("semantics")) {
            return {semantics()};
        }
        if (name == QLatin1String("annotation") || name == QLatin1String("annotation-xml") ||
            name == QLatin1String("mspace") || name == QLatin1String("none") ||
            name == QLatin1String("mprescripts")) {
            m_reader.skipCurrentElement();
            return {};
        }
        if (name == QLatin1String("mfenced")) {
            return {fenced()};
        }
        if (name == QLatin1String("mtable")) {
            return {table()};
        }
        const QStringList args = isLayout(name) ? arguments() : QStringList{row()};
        return layout(name, args);
    }

    /* Whether an element lays out its children as separate arguments. */
    static bool isLayout(const QString& name) {
        static const char* const kNames[] = {"mfrac",   "msup",       "msub",
                                             "msubsup", "mroot",      "munder",
                                             "mover",   "munderover", "mmultiscripts"};
        for (const char* known : kNames) {
            if (name == QLatin1String(known)) {
                return true;
            }
        }
        return false;
    }

    /* The linear form of a layout element from its arguments. */
    static Piece layout(const QString& name, const QStringList& args) {
        const auto arg = [&args](int i) { return i < args.size() ? args[i] : QString(); };
        if (name == QLatin1String("mfrac")) {
            return {MathLinear::fraction(arg(0), arg(1))};
        }
        if (name == QLatin1String("msqrt")) {
            return {MathLinear::radical(QString(), arg(0))};
        }
        if (name == QLatin1String("mroot")) {
            return {MathLinear::radical(arg(1), arg(0))};
        }
        const bool under = name == QLatin1String("msub") || name == QLatin1String("munder");
        const bool over = name == QLatin1String("msup") || name == QLatin1String("mover");
        const bool both = name == QLatin1String("msubsup") || name == QLatin1String("munderover") ||
                          name == QLatin1String("mmultiscripts");
        if (!under && !over && !both) {
            return {arg(0)};  // mrow, mstyle, mpadded, mphantom, menclose, math, ...
        }
        const QString sub = under || both ? arg(1) : QString();
        const QString sup = over ? arg(1) : (both ? arg(2) : QString());
        if (isNaryOperator(arg(0))) {
            return Piece(arg(0), sub, sup);
        }
        if (name == QLatin1String("mover") && sup.size() == 1 && !sup[0].isLetterOrNumber()) {
            return {arg(0)};  // an accent over its base
        }
        if (name == QLatin1String("munder") || name == QLatin1String("munderover") ||
            name == QLatin1String("mover")) {
            const QString base = sub.isEmpty() ? arg(0) : MathLinear::below(arg(0), sub);
            return {sup.isEmpty() ? base : MathLinear::above(base, sup)};
        }
        if (sub.isEmpty()) {
            return {MathLinear::superscript(arg(0), sup)};
        }
        if (sup.isEmpty()) {
            return {MathLinear::subscript(arg(0), sub)};
        }
        return {MathLinear::subSuperscript(arg(0), sub, sup)};
    }

    /* semantics: the first child is the formula, the rest are annotations. */
    QString semantics() {
        QString text;
        bool first = true;
        while (m_reader.readNextStartElement()) {
            if (first) {
                text = element().text;
            } else {
                m_reader.skipCurrentElement();
            }
            first = false;
        }
        return text;
    }

    /* mfenced: open and close characters around items separated by the first separator. */
    QString fenced() {
        const QString open = m_reader.attribute(QLatin1String("open"));
        const QString close = m_reader.attribute(QLatin1String("close"));
        const QString separators = m_reader.attribute(QLatin1String("separators"));
        const QStringList items = arguments();
        return MathLinear::delimited(
            open.isNull() ? QStringLiteral("(") : open, items,
            separators.isNull() ? QStringLiteral(",") : separators.trimmed().left(1),
            close.isNull() ? QStringLiteral(")") : close);
    }

    /* mtable: rows (mtr, mlabeledtr) of cells (mtd). */
    QString table() {
        QStringList rows;
        while (m_reader.readNextStartElement()) {
            QStringList cells;
            while (m_reader.readNextStartElement()) {
                cells.append(row());
            }
            rows.append(MathLinear::row(cells));
        }
        return MathLinear::matrix(rows);
    }

    XmlReader& m_reader;
};

}  // namespace

/* Read content.xml out of the package, then its MathML. */
MathMlEquation::Reading MathMlEquation::fromOdfPackage(const QByteArray& package) {
    QByteArray bytes = package;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::ReadOnly)) {
        return Reading{Outcome::NotMath, QString()};
    }
    PackageLimits limits;
    limits.maxPartBytes = kMaxContentBytes;
    ZipPackage zip(limits);
    if (!zip.open(&buffer)) {
        return Reading{Outcome::NotMath, QString()};
    }
    QByteArray content;
    switch (zip.readPart(QStringLiteral("content.xml"), content)) {
        case OpcPackage::Status::Ok:
            return fromMathMl(content);
        case OpcPackage::Status::TooLarge:
            return Reading{Outcome::TooLarge, QString()};
        case OpcPackage::Status::Missing:
        case OpcPackage::Status::Damaged:
            break;
    }
    return Reading{Outcome::NotMath, QString()};
}

/* The root must be <math>; its children form one row. */
MathMlEquation::Reading MathMlEquation::fromMathMl(const QByteArray& xml) {
    if (xml.size() > kMaxContentBytes) {
        return Reading{Outcome::TooLarge, QString()};
    }
    XmlReader reader(xml, kMaxDepth);
    if (!reader.readNextStartElement() || reader.name() != QLatin1String("math")) {
        return Reading{Outcome::NotMath, QString()};
    }
    Walker walker(reader);
    const QString text = walker.row();
    if (reader.hasError()) {
        return Reading{Outcome::NotMath, QString()};
    }
    return Reading{Outcome::Read, text};
}
