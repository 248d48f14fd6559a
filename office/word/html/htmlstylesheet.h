#pragma once

// HtmlStyleSheet: the rules of a page's <style> blocks for the simple selectors Word and
// web systems write: a tag ("td"), a class (".xl65"), a tag with a class ("p.MsoNormal"),
// and groups of these separated by commas. Rules with any other selector (descendants, ids,
// attributes, pseudo-classes) and at-rules (@font-face, @page, @media) are skipped.
// Tags and classes match without regard to case, as in the quirks mode such pages use.

#include "office/word/html/htmlstyle.h"

#include <QHash>
#include <QString>
#include <QStringList>

class HtmlStyleSheet {
public:
    // Add the rules of one <style> block's text (HTML comment markers around it allowed).
    void addRules(QStringView css);

    // The style rules give an element: its tag's rule, then each class's rule, then each
    // tag.class rule, later ones winning. `tag` in lower case; `classes` as the attribute
    // reads (space separated).
    HtmlStyle styleFor(const QString& tag, QStringView classes) const;

    bool isEmpty() const { return m_rules.isEmpty(); }

private:
    void addRule(QStringView selectors, const HtmlStyle& style);

    QHash<QString, HtmlStyle> m_rules;  // by "tag", ".class" or "tag.class", lower case
};
