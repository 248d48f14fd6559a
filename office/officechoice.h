#pragma once

// Which office serves "Word.Application" and "Excel.Application" for a run: the built-in
// office, on every platform, or on Windows the installed Microsoft Office or WPS over COM.
// The choice is the user's (the window's office box, the converter's --office, the settings
// file); useOffice() registers what it picks before a run binds to the identifiers.

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

enum class OfficeChoice : std::uint8_t {
    Automatic,  // Office/WPS when Word and a spreadsheet program answer over COM, else built-in
    BuiltIn,    // the built-in office, even where Office is installed
    Installed   // Office/WPS only (Windows): a run without them stops with the job's message
};

enum class ActiveOffice : std::uint8_t { BuiltIn, Installed };

// The choice's name on the command line and in the settings file: "auto", "builtin", "com".
QString officeChoiceName(OfficeChoice choice);

// The choice a name gives (letter case ignored), or nothing for a name that is unknown or
// not offered on this platform ("com" exists on Windows only).
std::optional<OfficeChoice> officeChoiceFromName(const QString& name);

// The choices this platform offers, in the order a list shows them.
QList<OfficeChoice> offeredOfficeChoices();

// Register the servers the choice picks under both program identifiers, replacing what was
// registered, and tell which office a run then binds to. Automatic asks COM only whether
// both identifiers are registered; it starts no Office program.
ActiveOffice useOffice(OfficeChoice choice);

// What the last useOffice() registered; BuiltIn before any.
ActiveOffice currentOffice();
