#include "office/word/docx/docxformfields.h"

#include "office/word/docx/docxproperties.h"

namespace {

const QLatin1String kWord2010Ns("http://schemas.microsoft.com/office/word/2010/wordml");

/* True when the current element is the WordprocessingML element `name`. */
bool isWord(const XmlReader& reader, const char* name) {
    return reader.name() == QLatin1String(name) && DocxProperties::isWord(reader);
}

QString valueOf(const XmlReader& reader) {
    return DocxProperties::attribute(reader, QLatin1String("val"));
}

}  // namespace

/* CT_FFData: the name and the check box or drop-down data; text fields show their result. */
bool DocxFormFields::readFieldData(XmlReader& reader, LegacyFormField& field) {
    bool found = false;
    while (reader.readNextStartElement()) {
        if (!isWord(reader, "ffData")) {
            reader.skipCurrentElement();
            continue;
        }
        found = true;
        while (reader.readNextStartElement()) {
            if (isWord(reader, "name")) {
                field.name = valueOf(reader);
                reader.skipCurrentElement();
            } else if (isWord(reader, "checkBox")) {
                readCheckBox(reader, field);
            } else if (isWord(reader, "ddList")) {
                readDropDown(reader, field);
            } else {
                reader.skipCurrentElement();
            }
        }
    }
    return found;
}

/* CT_FFCheckBox (17.16.7): w:checked wins over w:default. */
void DocxFormFields::readCheckBox(XmlReader& reader, LegacyFormField& field) {
    field.type = LegacyFormField::Type::CheckBox;
    while (reader.readNextStartElement()) {
        if (isWord(reader, "checked")) {
            field.checked = LegacyFormField::flag(valueOf(reader));
        } else if (isWord(reader, "default")) {
            field.checkedByDefault = LegacyFormField::flag(valueOf(reader));
        }
        reader.skipCurrentElement();
    }
}

/* CT_FFDDList (17.16.9): the selected index, the default index and the entries. */
void DocxFormFields::readDropDown(XmlReader& reader, LegacyFormField& field) {
    field.type = LegacyFormField::Type::DropDown;
    while (reader.readNextStartElement()) {
        if (isWord(reader, "listEntry")) {
            field.entries.append(valueOf(reader));
        } else if (isWord(reader, "result")) {
            field.result = DocxProperties::integerAttribute(reader, QLatin1String("val"))
                               .value_or(field.result);
        } else if (isWord(reader, "default")) {
            field.defaultResult = DocxProperties::integerAttribute(reader, QLatin1String("val"))
                                      .value_or(field.defaultResult);
        }
        reader.skipCurrentElement();
    }
}

/* CT_SdtPr: label, placeholder state and the kinds a form reader tells apart. */
void DocxFormFields::readControlProperties(XmlReader& reader, DocxContentControl& control) {
    QString tag;
    QString title;
    while (reader.readNextStartElement()) {
        if (reader.name() == QLatin1String("checkbox") && reader.namespaceUri() == kWord2010Ns) {
            readCheckBoxControl(reader, control);
            continue;
        }
        if (isWord(reader, "tag")) {
            tag = valueOf(reader);
        } else if (isWord(reader, "alias")) {
            title = valueOf(reader);
        } else if (isWord(reader, "showingPlcHdr")) {
            control.showsPlaceholder = LegacyFormField::flag(valueOf(reader));
        } else if (isWord(reader, "date")) {
            control.kind = WordFormField::Kind::Date;
            control.date = DocxProperties::attribute(reader, QLatin1String("fullDate"));
        } else if (isWord(reader, "dropDownList") || isWord(reader, "comboBox")) {
            control.kind = WordFormField::Kind::DropDown;
        } else if (isWord(reader, "text")) {
            control.kind = WordFormField::Kind::Text;
        }
        reader.skipCurrentElement();
    }
    control.name = tag.isEmpty() ? title : tag;
}

/* w14:checkbox: only w14:checked matters; the glyphs are the author's choice. */
void DocxFormFields::readCheckBoxControl(XmlReader& reader, DocxContentControl& control) {
    control.kind = WordFormField::Kind::CheckBox;
    const QLatin1String namespaces[] = {kWord2010Ns};
    while (reader.readNextStartElement()) {
        if (reader.name() == QLatin1String("checked")) {
            control.checked =
                LegacyFormField::flag(reader.attribute(QLatin1String("val"), namespaces, 1));
        }
        reader.skipCurrentElement();
    }
}
