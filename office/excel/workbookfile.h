#pragma once

#include "office/excel/model/workbook.h"
#include "office/excel/model/workbookfileresult.h"

#include <QString>

// Saving and loading workbooks in the format their file extension names (letter case
// ignored): .xlsx, .xlsm (macro-enabled content type), .xls (BIFF8).
class WorkbookFile {
public:
    enum class Format { Unknown, Xlsx, Xlsm, Xls };

    // The format an extension names; Unknown for anything else.
    static Format formatOf(const QString& path);

    // Save `workbook` to `path`. The file is written under a temporary name in the target
    // folder and renamed into place only when complete, in one step over any file of that
    // name (which is never missing meanwhile), so a failed save (missing folder,
    // unwritable place, a text longer than 32,767 characters, unknown extension) leaves no
    // file behind and an existing file of that name untouched. The temporary name is
    // ".~sw-HOST-PID-XXXXXX.tmp"; the first save of a process into a folder removes the
    // temporary workbooks there whose process (on this machine) no longer runs. A saved
    // workbook whose cell formats had to take the nearest kept one (more than the format
    // holds) is a success whose warning says so.
    static WorkbookFileResult save(const Workbook& workbook, const QString& path);

    // Load `path` into `workbook`, which must be empty (no sheets). On failure the workbook
    // may hold part of the content and should be discarded.
    static WorkbookFileResult load(const QString& path, Workbook& workbook);
};
