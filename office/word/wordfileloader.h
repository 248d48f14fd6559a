#pragma once

// Opening a Word file of any supported kind into the document model (worddocument.h).
//
// The built-in Word's "Open" goes through here. The file's content decides the reader, not
// only its name: a ZIP package goes to DocxReader (.docx, .docm), an OLE2 compound file to
// the Word 97-2003 reader, a web page (HTML) or web archive (MHTML) to html/, Word 2003 XML or flat
// OPC XML to xml/; an encrypted package (an OLE2 file holding EncryptedPackage), a truncated or
// malformed file, or anything else does not open.

#include "office/word/model/wordloadresult.h"

#include <QString>

class WordFileLoader {
public:
    // Read the Word file at `path`. Never throws; a file Word "cannot open" gives a
    // failure status with a message naming the reason.
    static WordLoadResult load(const QString& path);
};
