#include "office/word/html/htmlstylesheet.h"

namespace {

/* True for a selector of the simple kinds: tag, .class, tag.class. */
bool isSimpleSelector(QStringView selector) {
    if (selector.isEmpty()) {
        return false;
    }
    int dots = 0;
    for (const QChar c : selector) {
        if (c == QLatin1Char('.')) {
            ++dots;
        } else if (!c.isLetterOrNumber() && c != QLatin1Char('-') && c != QLatin1Char('_')) {
            return false;
        }
    }
    return dots <= 1 && !selector.endsWith(QLatin1Char('.'));
}

/* Remove CSS comments and the HTML comment markers pages wrap their styles in. */
QString withoutComments(QStringView css) {
    QString out;
    out.reserve(css.size());
    int i = 0;
    while (i < css.size()) {
        if (css.mid(i, 2) == QLatin1String("/*")) {
            const int end = css.indexOf(QLatin1String("*/"), i + 2);
            i = end < 0 ? css.size() : end + 2;
        } else if (css.mid(i, 4) == QLatin1String("<!--")) {
            i += 4;
        } else if (css.mid(i, 3) == QLatin1String("-->")) {
            i += 3;
        } else {
            out += css[i++];
        }
    }
    return out;
}

}  // namespace

/* Walk "selectors { declarations }" pairs, skipping at-rules with their blocks. */
void HtmlStyleSheet::addRules(QStringView cssText) {
    const QString css = withoutComments(cssText);
    int i = 0;
    while (i < css.size()) {
        const int open = css.indexOf(QLatin1Char('{'), i);
        if (open < 0) {
            return;
        }
        const QStringView selectors = QStringView(css).mid(i, open - i).trimmed();
        // An at-rule's block may hold nested blocks (@media): skip to its matching brace.
        int depth = 0;
        int close = open;
        for (; close < css.size(); ++close) {
            if (css[close] == QLatin1Char('{')) {
                ++depth;
            } else if (css[close] == QLatin1Char('}') && --depth == 0) {
                break;
            }
        }
        if (!selectors.startsWith(QLatin1Char('@'))) {
            addRule(selectors, HtmlStyle::parse(QStringView(css).mid(open + 1, close - open - 1)));
        }
        i = close + 1;
    }
}

/* Store a rule under each of its simple selectors; later rules lay over earlier ones. */
void HtmlStyleSheet::addRule(QStringView selectors, const HtmlStyle& style) {
    for (QStringView selector : selectors.split(QLatin1Char(','))) {
        const QString key = selector.trimmed().toString().toLower();
        if (isSimpleSelector(key)) {
            m_rules[key].merge(style);
        }
    }
}

/* Tag rule, then class rules, then tag.class rules. */
HtmlStyle HtmlStyleSheet::styleFor(const QString& tag, QStringView classes) const {
    HtmlStyle style;
    if (m_rules.isEmpty()) {
        return style;
    }
    const auto tagRule = m_rules.constFind(tag);
    if (tagRule != m_rules.constEnd()) {
        style.merge(*tagRule);
    }
    const QString lowered = classes.toString().toLower();
    const auto names = QStringView(lowered).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (QStringView name : names) {
        const auto rule = m_rules.constFind(QLatin1Char('.') + name.toString());
        if (rule != m_rules.constEnd()) {
            style.merge(*rule);
        }
    }
    for (QStringView name : names) {
        const auto rule = m_rules.constFind(tag + QLatin1Char('.') + name.toString());
        if (rule != m_rules.constEnd()) {
            style.merge(*rule);
        }
    }
    return style;
}
