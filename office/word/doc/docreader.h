#pragma once

// The Word 97-2003 binary reader (.doc): our own reader of the WordDocument format in OLE2
// compound files (read by CompoundFile, office/ole). It fills the same document model as
// DocxReader.
//
// - DocStorage: the OLE2 streams (WordDocument, 0Table/1Table, Data).
// - DocFib: the file header, which names the table stream and the structures in it.
// - DocPieceTable: CPs to text (8-bit and UTF-16 pieces).
// - DocFkpTable, DocStyleSheet, DocFontTable, DocFormatter, DocSprm: properties.
// - DocStoryReader: the main story as paragraphs; StoryBlockBuilder (office/word/model, shared
//   with the RTF reader): blocks and tables.
// - DocWord6Document: a Word 6.0/95 file (one stream, 8-bit text, one-byte sprms) recast as
//   the inputs above, through DocWord6Fib, DocWord6Fkp, DocWord6Sprms and DocWord6Text.
// - DocObjectPool: embedded equation objects, read by MtefEquation (Equation Editor, MathType)
//   and MathMlEquation (OpenDocument formulas); EQ field codes go through EqFieldText.
//
// The reader keeps no global state, so documents can be read on several threads at once.
// Every offset and count in the file is checked; a damaged file gives a failure status, never
// a crash.

#include "office/word/model/wordloadresult.h"
#include "office/word/model/wordreadlimits.h"

class DocObjectPool;

#include <QByteArray>
#include <QString>

class DocReader {
public:
    // Most characters the pieces may name together, as a multiple of the WordDocument
    // stream's size (at least kStoryAllowance bytes): every character is stored once, so
    // only a piece table naming the same text again and again goes beyond it.
    static constexpr qint64 kMaxStoryFactor = 2;
    static constexpr qint64 kStoryAllowance = 64 * 1024;
    // Most characters equations may write into the story, every reference to an object
    // counted, as a multiple of the WordDocument stream's size (at least kEquationAllowance
    // characters: an equation's own stream may be larger than the text around it).
    static constexpr qint64 kMaxEquationFactor = 2;
    static constexpr qint64 kEquationAllowance = 4 * 1024 * 1024;

    // Read the .doc file at path. Failures: NotFound (unreadable file), WrongFormat (not an
    // OLE2 Word document), Encrypted (fEncrypted/fObfuscated or an encrypted package),
    // Unsupported (Word 2.0 and older), TooLarge (file or stream beyond the limits, more
    // than maxParagraphs paragraphs, a story beyond kMaxStoryFactor, equations
    // beyond kMaxEquationFactor), Malformed
    // (damaged structures).
    static WordLoadResult readFile(const QString& path,
                                   const WordReadLimits& limits = WordReadLimits());
    // Read a .doc held in memory; the same results as readFile.
    static WordLoadResult readData(const QByteArray& bytes,
                                   const WordReadLimits& limits = WordReadLimits());
    // Read a .doc from its streams, already taken out of the compound file (`table0` and
    // `table1` are "0Table" and "1Table", either may be empty); the results of readFile.
    // Embedded equation objects give their text when `objects` is given, else nothing.
    static WordLoadResult readStreams(const QByteArray& wordDocument, const QByteArray& table0,
                                      const QByteArray& table1, const QByteArray& data,
                                      DocObjectPool* objects = nullptr,
                                      const WordReadLimits& limits = WordReadLimits());
};
