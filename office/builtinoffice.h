#pragma once

// The built-in office: the in-process Word and Excel automation servers, registered under the
// program identifiers the conversion job binds to, wherever the installed office is not used
// (every platform without COM; on Windows when the office choice says so, see officechoice.h).
//
// - registerBuiltinOffice (here): registers both servers with ServerRegistry.
// - createWordApplication: the built-in "Word.Application" (office/word/server/wordapplication.h).
// - createExcelApplication: the built-in "Excel.Application"
//   (office/excel/server/excelapplication.h).

// Register the built-in Word as "Word.Application" and the built-in Excel as
// "Excel.Application", replacing whatever was registered under those identifiers. Safe to
// call more than once and from any thread; each bind then creates a fresh application object
// on the binding thread.
void registerBuiltinOffice();
