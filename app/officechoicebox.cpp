#include "app/officechoicebox.h"

#include "support/settingsfile.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>

namespace {

const char kSettingsKey[] = "OfficeChoice";

/* The list's text for a choice. */
QString choiceText(OfficeChoice choice) {
    switch (choice) {
        case OfficeChoice::BuiltIn:
            return OfficeChoiceBox::tr("内置办公组件");
        case OfficeChoice::Installed:
            return OfficeChoiceBox::tr("已安装的Office/WPS");
        case OfficeChoice::Automatic:
            break;
    }
    return OfficeChoiceBox::tr("自动（有Office/WPS时使用它们）");
}

}  // namespace

/* The label, the list of this platform's choices and the note of the run's office. */
OfficeChoiceBox::OfficeChoiceBox(const std::string& settingsPath, QWidget* parent)
    : QWidget(parent), m_settingsPath(settingsPath) {
    setObjectName(QStringLiteral("wgt_OfficeChoice"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    auto* label = new QLabel(tr("转换使用(&O)："), this);
    m_list = new QComboBox(this);
    m_list->setObjectName(QStringLiteral("cmb_Office"));
    for (const OfficeChoice choice : offeredOfficeChoices()) {
        m_list->addItem(choiceText(choice), officeChoiceName(choice));
    }
    m_list->setToolTip(tr("哪个办公软件打开Word文件并写出工作簿"));
    label->setBuddy(m_list);
    m_note = new QLabel(this);
    m_note->setObjectName(QStringLiteral("lb_ActiveOffice"));
    row->addWidget(label);
    row->addWidget(m_list);
    row->addWidget(m_note, 1);
    connect(m_list, QOverload<int>::of(&QComboBox::activated), this, [this] { keepChoice(); });
}

/* Select the stored choice and register its office (start-up registered the automatic one). */
void OfficeChoiceBox::restore(const std::string& settingsText) {
    std::string stored;
    getKeyValue(stored, settingsText, kSettingsKey);
    const int index = m_list->findData(QString::fromStdString(stored).trimmed().toLower());
    m_list->setCurrentIndex(index >= 0 ? index : 0);
    if (index >= 0) {
        useOffice(choice());
    }
}

/* The selected choice. */
OfficeChoice OfficeChoiceBox::choice() const {
    return officeChoiceFromName(m_list->currentData().toString()).value_or(OfficeChoice::Automatic);
}

/* Name the office the next run binds to. */
void OfficeChoiceBox::showActive() {
    m_note->setText(currentOffice() == ActiveOffice::BuiltIn ? tr("本次使用内置办公组件")
                                                             : tr("本次使用已安装的Office/WPS"));
}

/* Register the picked office and write the choice into the settings file. */
void OfficeChoiceBox::keepChoice() {
    useOffice(choice());
    setKeyValueInFile(m_settingsPath, kSettingsKey, m_list->currentData().toString().toStdString());
}
