#include "office/word/html/htmlwordmarkup.h"

#include <cstring>

namespace {

/* True when `text` at `pos` starts with `prefix`, ASCII letters compared without case. */
bool startsWithAt(const QByteArray& text, int pos, const char* prefix) {
    const int length = static_cast<int>(std::strlen(prefix));
    if (pos + length > text.size()) {
        return false;
    }
    return qstrnicmp(text.constData() + pos, prefix, static_cast<uint>(length)) == 0;
}

/* The position after the end of the raw-text element (script, style) opened at `pos`. */
int rawTextEnd(const QByteArray& html, int pos, const char* endTag) {
    const int length = static_cast<int>(std::strlen(endTag));
    for (int i = html.indexOf('<', pos); i >= 0; i = html.indexOf('<', i + 1)) {
        if (startsWithAt(html, i, endTag)) {
            return i + length;
        }
    }
    return html.size();
}

/* True at "<o:p" or "</o:p" followed by the end of the name. */
bool isParagraphMark(const QByteArray& html, int pos) {
    const int nameEnd = pos + (startsWithAt(html, pos, "</o:p") ? 5 : 4);
    if (!startsWithAt(html, pos, "<o:p") && nameEnd != pos + 5) {
        return false;
    }
    if (nameEnd >= html.size()) {
        return false;
    }
    const char c = html[nameEnd];
    return c == '>' || c == '/' || c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

}  // namespace

/* One pass over the tags: conditional blocks out, <o:p> renamed, comments and raw text kept. */
void HtmlWordMarkup::prepare(QByteArray& html) {
    QByteArray out;
    out.reserve(html.size());
    int copied = 0;  // html[copied, i) still to copy into `out`
    int i = html.indexOf('<');
    while (i >= 0 && i < html.size()) {
        int next = i + 1;
        if (startsWithAt(html, i, "<!--")) {
            const int end = html.indexOf("-->", i + 4);
            next = end < 0 ? html.size() : end + 3;
        } else if (startsWithAt(html, i, "<script")) {
            next = rawTextEnd(html, i + 7, "</script");
        } else if (startsWithAt(html, i, "<style")) {
            next = rawTextEnd(html, i + 6, "</style");
        } else if (startsWithAt(html, i, "<![if")) {
            const int end = html.indexOf("<![endif]>", i);
            out.append(html.constData() + copied, i - copied);
            copied = next = end < 0 ? html.size() : end + 10;
        } else if (isParagraphMark(html, i)) {
            out.append(html.constData() + copied, i - copied);
            const int close = html.indexOf("</o:p>", i);
            const int startEnd = html.indexOf('>', i);
            if (html[i + 1] != '/' && close > startEnd && startEnd > 0 &&
                html.indexOf('<', startEnd) == close) {
                // <o:p>&nbsp;</o:p> as a whole: nothing Word shows.
                copied = next = close + 6;
            } else {
                const int colon = i + (html[i + 1] == '/' ? 3 : 2);
                out.append(html.constData() + i, colon - i);
                out.append('-');
                copied = colon + 1;
            }
        }
        if (next >= html.size()) {
            break;
        }
        i = html.indexOf('<', next);
    }
    if (copied == 0) {
        return;
    }
    out.append(html.constData() + copied, html.size() - copied);
    html = out;
}
