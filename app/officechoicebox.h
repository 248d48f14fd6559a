#pragma once

#include "office/officechoice.h"

#include <QWidget>

#include <string>

class QComboBox;
class QLabel;

// The window's choice of the office that converts: a labelled list (automatic, built-in, and
// on Windows the installed Office/WPS) and, after a run started, which office it uses. The
// choice lives in the settings file under the key "OfficeChoice" (as the converter's --office
// names it), kept as soon as the user picks, when that file exists.
class OfficeChoiceBox : public QWidget {
    Q_OBJECT
public:
    explicit OfficeChoiceBox(const std::string& settingsPath, QWidget* parent = nullptr);

    // Select the choice stored in settingsText (automatic when none or an unknown one is) and,
    // when one is stored, register the office it picks (useOffice). A pick in the list
    // registers its office too; nothing else does, so servers registered otherwise (the
    // automatic choice at start-up, tests' fakes) stay.
    void restore(const std::string& settingsText);
    OfficeChoice choice() const;
    // Say which office the run that starts now uses.
    void showActive();

private:
    void keepChoice();

    std::string m_settingsPath;
    QComboBox* m_list = nullptr;
    QLabel* m_note = nullptr;
};
