#pragma once

// LegacyFormField: the stored data of one of Word's legacy form fields (FORMTEXT,
// FORMCHECKBOX, FORMDROPDOWN) as every reader finds it (w:ffData in .docx and Word 2003 XML,
// FFData in a Word 97-2003 Data stream, \ffdata in RTF), and what Word shows for it.

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

struct LegacyFormField {
    enum class Type : std::uint8_t { Text, CheckBox, DropDown };

    Type type = Type::Text;
    QString name;                 // the field's name (bookmark), may be empty
    std::optional<bool> checked;  // check box: its state; unset: the default applies
    bool checkedByDefault = false;
    int result = -1;         // drop-down: index of the selected entry; < 0: unset
    int defaultResult = -1;  // drop-down: index of the default entry; < 0: unset
    QStringList entries;     // drop-down: the entries in order

    // What a check box or drop-down shows (Word draws it, the field has no result text):
    // the check box character, or the selected entry (else the default, else the first).
    // A text field shows its result; this gives an empty string for it.
    QString shownText() const;
    // True when a text field's result is only its placeholder: nothing but U+2002 (the five
    // en spaces Word puts in an empty field), U+3000 and spaces.
    static bool isPlaceholder(const QString& result);
    // A stored on/off flag: absent or empty (stated without a value), "1", "true" and "on"
    // in any letter case are on; anything else is off.
    static bool flag(const QString& value);
};
