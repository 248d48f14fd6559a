#pragma once

// The built-in "Excel.Application" automation server.
//
// - ExcelApplication (here): "SetVisible (bool Visible)", "Visible", "DisplayAlerts",
//   "WorkBooks", "ActiveWorkBook", "ActiveSheet", "Quit(void)" (closes every workbook
//   unsaved; the application stays usable).
// - ExcelWorkbooks (excelworkbooks.h): "Open(const QString&)", "Add", "Count", "Item(int)".
// - ExcelWorkbook (excelworkbook.h): "Sheets"/"Worksheets", "ActiveSheet",
//   "SaveAs(const QString&)", "Close (Boolean)".
// - ExcelSheets (excelsheets.h): "Count" and "Count()", "Item(int)", "Add(QVariant)" and
//   "Add(conts QVariant)" (a new sheet before the given one).
// - ExcelWorksheet (excelworksheet.h): "Move(conts QVariant)", "Delete()", "Name", "Select()",
//   "Range(const QString&)", "UsedRange", "Cells(int, int)", "Paste()",
//   "PasteSpecial(conts QVariant&)".
// - ExcelRange (excelrange.h): "Copy()", "PasteSpecial(conts QVariant&)", "TextToColumns(...)",
//   "Value", "Select()".
//
// Member names are matched without regard to letter case. A member that fails (bad argument,
// closed workbook, deleted sheet, refused rename) answers ServerReply::failure().

#include "automation/serverobject.h"

// A new built-in Excel application object (the factory registered as "Excel.Application").
ServerObjectPtr createExcelApplication();
