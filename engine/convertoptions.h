#pragma once

#include <QString>

// The inputs of a conversion run: one record for the whole process.
//
// The window's convert action (or the headless converter) writes it before it starts a job;
// the job only reads it while it runs, so it needs no lock. Paths are in native separators;
// the folder pickers leave a trailing separator on both folders.
struct ConvertOptions {
    QString sourcePath;      // root folder of the Word documents; prefix replaced in output paths
    QString savePath;        // destination root folder
    QString templatePath;    // template workbook (used when useTemplate is set)
    bool justTable = false;  // true: one sheet per Word table; false: the whole document
    bool justText = false;   // paste values only, without formatting
    bool useSplitChar = false;  // split column A at splitChar (whole-document mode only)
    QString splitChar;          // the separator as typed; used only when not empty
    bool useTemplate = false;   // take top rows, widths and formats from the template
    QString lastRowText = QStringLiteral("100");  // last template row, as the spin box shows it
    QString failureReportPath;                    // sourcePath followed by the report file name
    int shardIndex = 1;  // with shardCount: convert only shard shardIndex of shardCount
    int shardCount = 0;  // 0: no sharding (every document)

    // The name of the failure report, appended directly to sourcePath.
    static QString failureReportName();
};

// The one record of the process.
ConvertOptions& convertOptions();
