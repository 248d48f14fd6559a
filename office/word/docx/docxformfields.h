#pragma once

// DocxFormFields: the form data of WordprocessingML, read for the body reader: a legacy form
// field's w:ffData (ECMA-376 Part 1, 17.16.17; Word 2003 XML spells it alike) and a content
// control's w:sdtPr (17.5.2.38, with Word 2010's w14:checkbox).

#include "office/word/model/legacyformfield.h"
#include "office/word/model/worddocument.h"

#include "office/xml/xmlreader.h"

// What the body reader needs of one content control.
struct DocxContentControl {
    WordFormField::Kind kind = WordFormField::Kind::Control;
    QString name;                   // tag, else title (alias)
    QString date;                   // date picker: w:date/@w:fullDate
    bool showsPlaceholder = false;  // w:showingPlcHdr: the content is the placeholder text
    bool checked = false;           // check box: w14:checked
};

class DocxFormFields {
public:
    // Read a field character (w:fldChar, consumed through its end); true with `field` filled
    // when it holds form field data.
    static bool readFieldData(XmlReader& reader, LegacyFormField& field);
    // Read w:sdtPr (consumed through its end) into `control`.
    static void readControlProperties(XmlReader& reader, DocxContentControl& control);

private:
    static void readCheckBox(XmlReader& reader, LegacyFormField& field);
    static void readDropDown(XmlReader& reader, LegacyFormField& field);
    static void readCheckBoxControl(XmlReader& reader, DocxContentControl& control);
};
