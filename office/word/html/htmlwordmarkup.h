#pragma once

// HtmlWordMarkup: Word's own markup in the web pages it saves, put into the shape the HTML
// parser reads as Word reads it, before parsing.
//
// - Downlevel-revealed conditional blocks, "<![if !supportLists]>1.<![endif]>": browsers
//   show their content, Word does not (it stands in for what Word draws itself: list
//   numbers, empty-paragraph marks, images without VML, widths of misaligned columns).
//   Their content is removed. Downlevel-hidden blocks, "<!--[if gte mso 9]>", are comments
//   the parser drops anyway.
// - Office's paragraph-mark element <o:p>: the HTML parser drops the "o:" prefix and would
//   read it as a <p>. Holding only text (&nbsp; at most) it is removed, else renamed <o-p>
//   so the reader can leave it out.
//
// Comments, <script> and <style> content are left unchanged.

#include <QByteArray>

class HtmlWordMarkup {
public:
    // Rewrite `html` (UTF-8) in place as described above. Unclosed conditional blocks
    // run to the end of the input.
    static void prepare(QByteArray& html);
};
