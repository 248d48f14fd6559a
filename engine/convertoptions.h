#pragma once

#include <QString>

// The inputs of a conversion run: one record for the whole process.
//
// The window's convert action (or the headless converter) writes it before it starts a job;
// the job only reads it while it runs, so it needs no lock. Paths are in native separators;
// normaliseFolders() gives both folders exactly one trailing separator, so output and report
// paths built by appending to them always lie inside the folders.
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
    QString failureReportPath;  // the report's path; the window and the converter build it with
                                // reportPathIn(sourcePath, ...)
    bool collect = false;       // one workbook for the whole batch, one row per document
    QString formPath;           // collect mode: the blank form (empty: learn from the copies)
    int shardIndex = 1;         // with shardCount: convert only shard shardIndex of shardCount
    int shardCount = 0;         // 0: no sharding (every document)
    bool skipExisting = false;  // keep a workbook newer than its document; convert only the rest

    // The name of the failure report, appended directly to sourcePath. The same in every
    // language of the interface.
    static QString failureReportName();

    // `folder` in native separators ending with exactly one separator ("D:/Word", "D:\Word\\"
    // and "D:\Word\" all give "D:\Word\" on Windows, where '/' is a separator too; elsewhere
    // a backslash belongs to the name); a root stays the root; an empty text stays empty.
    static QString folderWithSeparator(const QString& folder);

    // The report's path inside `sourceFolder`, however the folder is typed (with or without a
    // trailing separator): the folder, one separator, and the file name of `reportName` (any
    // folders in it are dropped, so the report never lies beside or above the folder).
    static QString reportPathIn(const QString& sourceFolder, const QString& reportName);

    // True when `path` names a workbook by its extension: .xls, .xlsx or .xlsm (any case).
    static bool isWorkbookPath(const QString& path);

    // True when the file at `path` is a workbook: a workbook extension and the content of one
    // (a ZIP package or a compound file). False for a missing or unreadable file.
    static bool isWorkbookFile(const QString& path);

    // A path as the user typed, pasted or dropped it into a field: blanks and surrounding
    // quotes removed, a "file://" URL turned into its local path. Empty stays empty.
    static QString pathFromTyped(const QString& typed);

    // True when `inner` is the folder `outer` or lies inside it (links resolved).
    static bool folderWithin(const QString& inner, const QString& outer);

    // Give sourcePath and savePath exactly one trailing separator (see folderWithSeparator).
    void normaliseFolders();

    // The outcome of check(): all well, or the first failure found.
    enum class Check {
        Ok,
        SourceMissing,
        TemplateMissing,
        TemplateNotWorkbook,
        SaveMissing,
        SaveInsideSource,
        FormMissing
    };

    // check()'s result as validationMessage() gives it: empty for Ok.
    static QString message(Check check);

    // Check the inputs as validationMessage() does and say which check failed first.
    Check check() const;

    // Check the inputs in a fixed order, stopping at the first failure: the source folder
    // exists, then (only when useTemplate is set) the template exists and is a workbook, then
    // the save folder exists and is neither the source folder nor inside it (the outputs would
    // become the next run's input), then (only when formPath is set) the blank form exists.
    // Empty when all is well, else the message for the first failure, in the interface's
    // language.
    QString validationMessage() const;
};

// The one record of the process.
ConvertOptions& convertOptions();
