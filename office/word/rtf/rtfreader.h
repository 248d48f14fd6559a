#pragma once

// RtfReader: reads Rich Text Format documents (RTF 1.x, as Word, WordPad, LibreOffice and many
// export tools write them, often under a .doc name) into the document model (worddocument.h).
//
// - RtfTokenizer: bytes to tokens (groups, control words, \'hh bytes, text, \bin data).
// - RtfParser: tokens to paragraphs of Word's property records (storyparagraph.h); group
//   state, font/colour tables, style sheet, code pages (RtfCodePages), row definitions
//   (RtfRowBuilder).
// - StoryBlockBuilder (office/word/model, shared with the .doc reader): paragraphs to blocks and
// tables on the grid
//   of all cell boundaries, with merges, nested tables, shading, borders and heights.
//
// The reader keeps no global state; documents can be read on several threads at once.

#include "office/word/rtf/rtfparser.h"
#include "office/word/model/wordloadresult.h"

#include <QByteArray>
#include <QString>

class RtfReader {
public:
    // True when bytes start like an RTF file: "{\rtf", after an optional UTF-8 byte order
    // mark and white space.
    static bool isRtf(const QByteArray& head);

    // Read the RTF file at path. Failures: NotFound (unreadable file), WrongFormat (no RTF
    // header), TooLarge (file beyond maxTextFileBytes, groups nested deeper than maxGroupDepth,
    // a row of more than maxRowCells cells, more than maxParagraphs paragraphs).
    static WordLoadResult readFile(const QString& path,
                                   const WordReadLimits& limits = WordReadLimits());
    // Read RTF held in memory; the same results as readFile.
    static WordLoadResult readData(const QByteArray& bytes,
                                   const WordReadLimits& limits = WordReadLimits());
};
