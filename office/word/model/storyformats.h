#pragma once

#include <QtGlobal>

#include <vector>

// Plain records of Word's own character, paragraph, cell and row properties, as the .doc
// reader fills them from style sheets and grpprls (DocFormatter) and the RTF reader from
// control words, which name the same properties. Only what a paste into a spreadsheet needs
// is kept.

// Character properties (a subset of Chp, MS-DOC 2.6.1).
struct StoryCharFormat {
    bool bold = false;
    bool italic = false;
    bool strike = false;
    quint8 underline = 0;  // kul: 0 none, 1 single, 3 double, ...
    int halfPoints = 20;   // font size in half points
    bool hasColor = false;
    quint32 color = 0;       // 0xRRGGBB
    int fontAscii = -1;      // index into the font table, -1 unknown
    int fontEastAsia = -1;   // index into the font table, -1 unknown
    bool deleted = false;    // tracked deletion: not part of the text
    bool special = false;    // fSpec: the character is a special character (picture, field mark)
    quint16 symbolChar = 0;  // sprmCSymbol character, 0 when none
    int symbolFont = -1;     // sprmCSymbol font, index into the font table
    // An embedded object's character: sprmCFOle2 set and its ObjectPool id
    // (sprmCPicLocation). Not compared: they say where text comes from, not how it looks.
    bool ole2 = false;
    quint32 picLocation = 0;

    bool operator==(const StoryCharFormat& other) const {
        return bold == other.bold && italic == other.italic && strike == other.strike &&
               underline == other.underline && halfPoints == other.halfPoints &&
               hasColor == other.hasColor && color == other.color && fontAscii == other.fontAscii &&
               fontEastAsia == other.fontEastAsia && deleted == other.deleted &&
               special == other.special && symbolChar == other.symbolChar &&
               symbolFont == other.symbolFont;
    }
    bool operator!=(const StoryCharFormat& other) const { return !(*this == other); }
};

// Paragraph properties (a subset of Pap, MS-DOC 2.6.2).
struct StoryParaFormat {
    int istd = 0;
    int justification = 0;  // 0 left/start, 1 centre, 2 right/end, 3 justified, 4+ distributed
    bool inTable = false;
    bool tableRowEnd = false;   // fTtp: the paragraph ends a row of a top-level table
    bool innerCellEnd = false;  // fInnerTableCell: the paragraph ends a cell of a nested table
    bool innerRowEnd = false;   // fInnerTtp: the paragraph ends a row of a nested table
    int itap = -1;              // table depth from sprmPItap; -1 when not given

    // Table depth: 0 outside tables, itap when given, else 1 for a paragraph in a table.
    int depth() const { return itap >= 0 ? itap : (inTable ? 1 : 0); }
};

// A cell or table border (Brc80 MS-DOC 2.9.17 / Brc 2.9.16), reduced.
struct StoryBorder {
    bool defined = false;  // false: the cell takes the table's border
    int type = 0;          // brcType, 0 none
    int eighths = 0;       // line width in eighths of a point
    bool hasColor = false;
    quint32 color = 0;

    bool visible() const { return defined && type != 0 && type != 0xFF; }
};

// Per-cell table properties of one row (Tc80, MS-DOC 2.9.311, with later overrides).
struct StoryCellFormat {
    enum Merge { NoMerge = 0, Continue = 1, Restart = 3 };
    int horizontalMerge = 0;  // 0 none, 1 first of a merged range, 2 merged into the previous
    int verticalMerge = NoMerge;
    int verticalAlign = 0;  // 0 top, 1 centre, 2 bottom
    bool hasShading = false;
    quint32 shading = 0;
    StoryBorder top, left, bottom, right;
};

// Row properties (a subset of Tap, MS-DOC 2.6.3) from the row-end paragraph's grpprl.
struct StoryRowFormat {
    bool defined = false;                // a sprmTDefTable was seen
    std::vector<int> boundaries;         // rgdxaCenter: itcMac + 1 cell boundaries in twips
    std::vector<StoryCellFormat> cells;  // itcMac cells
    StoryBorder top, left, bottom, right, insideH, insideV;  // table borders
    int heightTwips = 0;  // dyaRowHeight: > 0 at least, < 0 exactly, 0 automatic
};
