#include "office/excel/xlsx/xlsxstyles.h"

#include <QHash>

/* Name of a border style (ST_BorderStyle, 18.18.3). */
QString XlsxStyles::borderStyleName(BorderLine::Style style) {
    switch (style) {
        case BorderLine::None:
            return QStringLiteral("none");
        case BorderLine::Thin:
            return QStringLiteral("thin");
        case BorderLine::Medium:
            return QStringLiteral("medium");
        case BorderLine::Thick:
            return QStringLiteral("thick");
        case BorderLine::Double:
            return QStringLiteral("double");
        case BorderLine::Dotted:
            return QStringLiteral("dotted");
        case BorderLine::Dashed:
            return QStringLiteral("dashed");
        case BorderLine::Hair:
            return QStringLiteral("hair");
    }
    return QStringLiteral("thin");
}

/* Border style from its name; the many dash variants read as Dashed. */
BorderLine::Style XlsxStyles::borderStyleFromName(const QString& name) {
    if (name.isEmpty() || name == QLatin1String("none")) {
        return BorderLine::None;
    }
    static const QHash<QString, BorderLine::Style> styles = {
        {QStringLiteral("thin"), BorderLine::Thin},
        {QStringLiteral("medium"), BorderLine::Medium},
        {QStringLiteral("thick"), BorderLine::Thick},
        {QStringLiteral("double"), BorderLine::Double},
        {QStringLiteral("dotted"), BorderLine::Dotted},
        {QStringLiteral("hair"), BorderLine::Hair},
    };
    const auto found = styles.constFind(name);
    if (found != styles.constEnd()) {
        return found.value();
    }
    return name.contains(QLatin1String("ash")) ? BorderLine::Dashed : BorderLine::Thin;
}
