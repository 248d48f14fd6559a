#pragma once

// WordXmlReader: Word's single-file XML formats, by their root element:
// - flat OPC ("Word XML Document", pkg:package): the parts read through FlatOpcPackage by the
//   .docx reader, exactly as from a ZIP package;
// - Word 2003 XML ("XML Document", w:wordDocument in the 2003 WordprocessingML namespace):
//   read by the .docx body reader, whose vocabulary it shares; the styles are inline, binary
//   data (w:binData) is skipped with the pictures that hold it.

#include "office/word/docx/docxreader.h"

#include <QByteArray>

class WordXmlReader {
public:
    // Read a file held in memory. WrongFormat when the root is neither of the two, Malformed
    // for broken XML, TooLarge past the limits; else as DocxReader.
    // The file is taken by value: handed over with std::move, a flat package's text is let go
    // once parsed.
    static WordLoadResult readData(QByteArray data,
                                   const WordReadLimits& limits = WordReadLimits());

    // True when the root element is Word 2003 XML's w:wordDocument (false for flat OPC).
    static bool isWord2003(const QByteArray& data);
};
