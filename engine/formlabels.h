#pragma once

#include <QString>

// How collect mode compares and cleans the texts of a form.
class FormLabels {
public:
    // A label as compared: every white space removed (full-width and en spaces and line feeds
    // too) and a trailing colon, ASCII or full-width, dropped: "姓\u3000名：" gives "姓名".
    static QString normalise(const QString& text);

    // True when `text` holds nothing a user filled in: only white space of any width,
    // underscores and empty boxes ("□", "☐").
    static bool isPlaceholder(const QString& text);

    // True when `text` holds a check box ("☐", "☑", "□"): a choice to fill in, never a label.
    static bool holdsCheckBox(const QString& text);

    // A value as collected: placeholder text gives "", a run of check boxes gives the labels
    // of the ticked ones joined by "、" ("☑男 ☐女" gives "男"), anything else is trimmed.
    static QString value(const QString& text);
};
