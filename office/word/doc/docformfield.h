#pragma once

// DocFormField: a legacy form field's data in a Word 97-2003 document. The field's begin
// character carries sprmCPicLocation, the offset in the Data stream of a NilPICFAndBinData
// whose binary data is an FFData (MS-DOC 2.9.75): type, state, name, default and entries.

#include "office/word/doc/docbytes.h"
#include "office/word/model/legacyformfield.h"

#include <optional>

class DocFormField {
public:
    // The form field stored at `offset` of the Data stream; nothing when the bytes there are
    // not an FFData (the caller shows the field as an empty box or entry).
    static std::optional<LegacyFormField> read(const DocBytes& data, quint32 offset);

private:
    // An Xstz (MS-DOC 2.9.357): a count, that many UTF-16 units, a terminating zero; none
    // when it runs past the data. `position` moves past it.
    static std::optional<QString> readXstz(const DocBytes& data, qint64& position);
    static bool readDropList(const DocBytes& data, qint64 position, LegacyFormField& field);
};
