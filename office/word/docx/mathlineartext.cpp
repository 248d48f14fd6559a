#include "office/word/docx/mathlineartext.h"

#include "office/word/model/mathlinear.h"

#include <QHash>
#include <QStringList>

namespace {

const QLatin1String kMathNamespaces[] = {
    QLatin1String("http://schemas.openxmlformats.org/officeDocument/2006/math"),
    QLatin1String("http://purl.oclc.org/ooxml/officeDocument/math")};

// The parts of a structure: argument texts by element name (in order for repeated names)
// and the properties' values by name ("chr", "begChr", "degHide", ...).
struct Parts {
    QHash<QString, QStringList> arguments;
    QHash<QString, QString> properties;

    /* The first argument of a name, empty when missing. */
    QString arg(const char* name) const {
        const QStringList list = arguments.value(QLatin1String(name));
        return list.isEmpty() ? QString() : list.first();
    }
    /* A property's value, `fallback` when not stated. */
    QString property(const char* name, const QString& fallback) const {
        return properties.value(QLatin1String(name), fallback);
    }
    /* A hiding property (degHide, subHide, ...): on when stated without "0"/"off"/"false". */
    bool hides(const char* name) const {
        if (!properties.contains(QLatin1String(name))) {
            return false;
        }
        const QString value = properties.value(QLatin1String(name));
        return value != QLatin1String("0") && value != QLatin1String("off") &&
               value != QLatin1String("false");
    }
};

/* The n-ary operator with its limits (those not hidden) and its argument. */
QString nary(const Parts& p) {
    return MathLinear::nary(p.property("chr", QStringLiteral("∫")),
                            p.hides("subHide") ? QString() : p.arg("sub"),
                            p.hides("supHide") ? QString() : p.arg("sup"), p.arg("e"));
}

/* The linear text of a structure from its parts. */
QString linear(QLatin1String name, const Parts& p) {
    const QString e = p.arg("e");
    if (name == QLatin1String("f")) {
        return MathLinear::fraction(p.arg("num"), p.arg("den"));
    }
    if (name == QLatin1String("sSup")) {
        return MathLinear::superscript(e, p.arg("sup"));
    }
    if (name == QLatin1String("sSub")) {
        return MathLinear::subscript(e, p.arg("sub"));
    }
    if (name == QLatin1String("sSubSup")) {
        return MathLinear::subSuperscript(e, p.arg("sub"), p.arg("sup"));
    }
    if (name == QLatin1String("sPre")) {
        return MathLinear::preScripts(p.arg("sub"), p.arg("sup"), e);
    }
    if (name == QLatin1String("rad")) {
        return MathLinear::radical(p.hides("degHide") ? QString() : p.arg("deg"), e);
    }
    if (name == QLatin1String("nary")) {
        return nary(p);
    }
    if (name == QLatin1String("d")) {
        return MathLinear::delimited(
            p.property("begChr", QStringLiteral("(")), p.arguments.value(QStringLiteral("e")),
            p.property("sepChr", QStringLiteral("|")), p.property("endChr", QStringLiteral(")")));
    }
    if (name == QLatin1String("func")) {
        return MathLinear::function(p.arg("fName"), e);
    }
    if (name == QLatin1String("limLow")) {
        return MathLinear::below(e, p.arg("lim"));
    }
    if (name == QLatin1String("limUpp")) {
        return MathLinear::above(e, p.arg("lim"));
    }
    if (name == QLatin1String("m")) {
        return MathLinear::matrix(p.arguments.value(QStringLiteral("mr")));
    }
    if (name == QLatin1String("eqArr")) {
        return MathLinear::equationArray(p.arguments.value(QStringLiteral("e")));
    }
    return e;  // accents, bars, boxes, group characters, phantoms: their base
}

/* Whether an element is a structure this class lays out from its parts. */
bool isStructure(QLatin1String name) {
    static const char* const kNames[] = {"f",      "sSup",      "sSub",     "sSubSup", "sPre",
                                         "rad",    "nary",      "d",        "func",    "limLow",
                                         "limUpp", "m",         "eqArr",    "acc",     "bar",
                                         "box",    "borderBox", "groupChr", "phant"};
    for (const char* known : kNames) {
        if (name == QLatin1String(known)) {
            return true;
        }
    }
    return false;
}

}  // namespace

/* Math namespace, transitional or strict. */
bool MathLinearText::isMath(const XmlReader& reader) {
    return reader.namespaceUri() == kMathNamespaces[0] ||
           reader.namespaceUri() == kMathNamespaces[1];
}

/* Read an equation or a paragraph of equations. */
QString MathLinearText::read(XmlReader& reader) {
    MathLinearText builder(reader);
    if (reader.name() != QLatin1String("oMathPara")) {
        return builder.children();
    }
    QStringList equations;
    while (reader.readNextStartElement()) {
        if (isMath(reader) && reader.name() == QLatin1String("oMath")) {
            equations.append(builder.children());
        } else {
            reader.skipCurrentElement();
        }
    }
    return equations.join(QLatin1Char('\n'));
}

/* The texts of the current element's children, joined. */
QString MathLinearText::children() {
    QString text;
    while (m_reader.readNextStartElement()) {
        text += element();
    }
    return text;
}

/* One child: a run, a structure, or a container of more math. */
QString MathLinearText::element() {
    const QLatin1String name = m_reader.name();
    if (name == QLatin1String("r")) {
        return run();
    }
    if (name.endsWith(QLatin1String("Pr")) || name == QLatin1String("rPr")) {
        m_reader.skipCurrentElement();  // properties outside a structure
        return QString();
    }
    if (isMath(m_reader) && isStructure(name)) {
        return structure(name);
    }
    return children();
}

/* A run's text (m:t, and w:t of runs Word keeps as text inside an equation). */
QString MathLinearText::run() {
    QString text;
    while (m_reader.readNextStartElement()) {
        if (m_reader.name() == QLatin1String("t")) {
            text += m_reader.readElementText();
        } else {
            m_reader.skipCurrentElement();
        }
    }
    return text;
}

/* A structure from its properties and arguments. */
QString MathLinearText::structure(QLatin1String name) {
    Parts parts;
    while (m_reader.readNextStartElement()) {
        const QString child = m_reader.name();
        if (child.endsWith(QLatin1String("Pr"))) {
            // Properties: each child's m:val ("chr", "begChr", "degHide", ...).
            while (m_reader.readNextStartElement()) {
                parts.properties.insert(
                    m_reader.name(), m_reader.attribute(QLatin1String("val"), kMathNamespaces, 2));
                m_reader.skipCurrentElement();
            }
        } else if (child == QLatin1String("mr")) {
            QStringList cells;
            while (m_reader.readNextStartElement()) {
                cells.append(children());
            }
            parts.arguments[child].append(MathLinear::row(cells));
        } else {
            parts.arguments[child].append(children());
        }
    }
    return linear(name, parts);
}
