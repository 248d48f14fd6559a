#include "app/lastrunsettings.h"

#include "support/settingsfile.h"

#include <QByteArray>

#include <utility>

namespace {

const char* const yes = "1";
const char* const no = "0";

/* The settings text of a path or number, in the local 8-bit code page. */
std::string localText(const QString& text) {
    return text.toLocal8Bit().toStdString();
}

/* The value of `key`, or empty. */
std::string valueOf(const std::string& settingsText, const char* key) {
    std::string value;
    getKeyValue(value, settingsText, key);
    return value;
}

/* Set a switch from "1" or "0"; anything else leaves it. */
void restoreSwitch(bool& target, const std::string& settingsText, const char* key) {
    const std::string value = valueOf(settingsText, key);
    if (value == yes || value == no) {
        target = value == yes;
    }
}

}  // namespace

/* One key per input. */
void LastRunSettings::save(const ConvertOptions& options, const std::string& settingsPath) {
    const std::pair<const char*, std::string> values[] = {
        {"SourcePath", localText(options.sourcePath)},
        {"SavePath", localText(options.savePath)},
        {"TemplatePath", localText(options.templatePath)},
        {"UseTemplate", options.useTemplate ? yes : no},
        {"ValuesOnly", options.justText ? yes : no},
        {"TablesOnly", options.justTable ? yes : no},
        {"SplitColumns", options.useSplitChar ? yes : no},
        {"SplitText", options.splitChar.toUtf8().toPercentEncoding().toStdString()},
        {"LastRow", localText(options.lastRowText)},
    };
    for (const auto& [key, value] : values) {
        setKeyValueInFile(settingsPath, key, value);
    }
}

/* Paths as stored, switches from 1/0, the split text decoded, the last row when in range. */
void LastRunSettings::restore(ConvertOptions& options, const std::string& settingsText) {
    const std::pair<const char*, QString*> paths[] = {
        {"SourcePath", &options.sourcePath},
        {"SavePath", &options.savePath},
        {"TemplatePath", &options.templatePath},
    };
    for (const auto& [key, field] : paths) {
        const std::string value = valueOf(settingsText, key);
        if (!value.empty()) {
            *field = QString::fromLocal8Bit(value.data(), static_cast<int>(value.size()));
        }
    }
    restoreSwitch(options.useTemplate, settingsText, "UseTemplate");
    restoreSwitch(options.justText, settingsText, "ValuesOnly");
    restoreSwitch(options.justTable, settingsText, "TablesOnly");
    restoreSwitch(options.useSplitChar, settingsText, "SplitColumns");
    const std::string split = valueOf(settingsText, "SplitText");
    if (!split.empty()) {
        options.splitChar =
            QString::fromUtf8(QByteArray::fromPercentEncoding(QByteArray::fromStdString(split)));
    }
    bool ok = false;
    const int lastRow = QString::fromStdString(valueOf(settingsText, "LastRow")).toInt(&ok);
    if (ok && lastRow >= 1 && lastRow <= 1048576) {
        options.lastRowText = QString::number(lastRow);
    }
}
