#pragma once

#include "engine/convertoptions.h"

#include <functional>

class AxObject;

// What a content transfer works on for one document: the Word side, the output workbook's
// sheets with the current target, the template rows (null without a template) and the job
// inputs. Any object may be null; the transfer then skips what depends on it.
struct TransferContext {
    AxObject* word = nullptr;          // the Word application ("Selection" comes from it)
    AxObject* document = nullptr;      // the open document
    AxObject* sheets = nullptr;        // the output workbook's sheet collection
    AxObject* target = nullptr;        // sheet 1, the last and only sheet when a transfer starts
    AxObject* templateRows = nullptr;  // the template's rows range, or null
    const ConvertOptions* options = nullptr;
    // Counts the running WPS spreadsheet processes ("et.exe"); 0 means Microsoft Excel.
    std::function<int()> countWpsProcesses;

    // True when the spreadsheet side is WPS, asked afresh at every paste.
    bool spreadsheetIsWps() const { return countWpsProcesses && countWpsProcesses() > 0; }
};
