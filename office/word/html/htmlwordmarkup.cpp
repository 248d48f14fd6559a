#include "office/word/html/htmlwordmarkup.h"

#include <cstring>

namespace {

/* True when `text` at `pos` starts with `prefix`, ASCII letters compared without case. */
bool startsWithAt(const QByteArray& text, int pos, const char* prefix) {
    const int length = static_cast<int>(std::strlen(prefix));
    if (pos < 0 || pos + length > text.size()) {
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

/* The page's kept bytes written over the page itself, from its front: the page only shrinks
   (conditional blocks and empty marks go, a renamed mark keeps its length), so the writing
   never overtakes the reading and no second copy of the page is made. An unchanged page is
   not even detached from its other owners. */
class InPlaceWriter {
public:
    explicit InPlaceWriter(QByteArray& html) : m_html(html) {}
    /* Keep html[unwritten, pos). */
    void keepUpTo(int pos) {
        if (m_written != m_unwritten) {
            std::memmove(m_html.data() + m_written, m_html.constData() + m_unwritten,
                         static_cast<size_t>(pos - m_unwritten));
        }
        m_written += pos - m_unwritten;
        m_unwritten = pos;
    }
    /* Keep html[unwritten, from) and drop html[from, to). */
    void drop(int from, int to) {
        keepUpTo(from);
        m_unwritten = to;
    }
    /* Write `c` in place of the byte at `pos`, keeping everything before it. */
    void replaceAt(int pos, char c) {
        keepUpTo(pos);
        m_html.data()[m_written++] = c;
        m_unwritten = pos + 1;
    }
    /* Keep the rest and cut the page to what was written. */
    void finish() {
        keepUpTo(m_html.size());
        m_html.truncate(m_written);
    }

private:
    QByteArray& m_html;
    int m_written = 0;    // m_html[0, m_written) is the page so far
    int m_unwritten = 0;  // m_html[m_unwritten, end) is not written yet
};

/* Rewrite the paragraph mark at `pos`; the position after what it consumed. Only this tag
   and the next one are looked at, so unclosed marks cost nothing more each. */
int rewriteParagraphMark(const QByteArray& html, int pos, InPlaceWriter& out) {
    const int nextTag = html.indexOf('<', pos + 1);
    const int tagEnd = nextTag < 0 ? html.size() : nextTag;
    const bool closedTag =
        std::memchr(html.constData() + pos, '>', static_cast<size_t>(tagEnd - pos)) != nullptr;
    if (html[pos + 1] != '/' && closedTag && startsWithAt(html, nextTag, "</o:p>")) {
        // <o:p>&nbsp;</o:p> as a whole: nothing Word shows.
        out.drop(pos, nextTag + 6);
        return nextTag + 6;
    }
    const int colon = pos + (html[pos + 1] == '/' ? 3 : 2);
    out.replaceAt(colon, '-');
    return colon + 1;
}

}  // namespace

/* One pass over the tags: conditional blocks out, <o:p> renamed, comments and raw text kept. */
void HtmlWordMarkup::prepare(QByteArray& html) {
    InPlaceWriter out(html);
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
            next = end < 0 ? html.size() : end + 10;
            out.drop(i, next);
        } else if (isParagraphMark(html, i)) {
            next = rewriteParagraphMark(html, i, out);
        }
        if (next >= html.size()) {
            break;
        }
        i = html.indexOf('<', next);
    }
    out.finish();
}
