#include "engine/outputworkbook.h"

#include "support/fileutil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

namespace {

// Excel's paste types (XlPasteType) used for the template's look.
const int pasteColumnWidths = 8;
const int pasteFormats = -4122;

/* A free name beside `path` for keeping an earlier output while the new one is saved. */
QString asideName(const QString& path) {
    QString aside = path + QStringLiteral(".previous");
    for (int n = 2; QFileInfo::exists(aside); ++n) {
        aside = path + QStringLiteral(".previous") + QString::number(n);
    }
    return aside;
}

/* Where ".doc" starts in a name ending in .doc, .docx or .docm; -1 for other names. */
int wordEndingAt(const QString& name) {
    if (name.endsWith(QLatin1String(".doc"))) {
        return name.size() - 4;
    }
    if (name.endsWith(QLatin1String(".docx")) || name.endsWith(QLatin1String(".docm"))) {
        return name.size() - 5;
    }
    return -1;
}

}  // namespace

OutputWorkbook::OutputWorkbook(AxObject* excel, AxObject* workBooks, const ConvertOptions& options)
    : m_excel(excel), m_workBooks(workBooks), m_options(options) {}

/* Release the sub-objects, children before the objects they came from. */
OutputWorkbook::~OutputWorkbook() {
    m_firstSheet.reset();
    m_sheets.reset();
    m_book.reset();
    m_templateRows.reset();
    m_templateBook.reset();
}

/* Make the new workbook ready for the content transfer. */
void OutputWorkbook::prepare() {
    if (m_options.useTemplate) {
        openTemplate();
    }
    callOn(m_workBooks, "Add");
    m_book = subObject(m_excel, "ActiveWorkBook");
    m_sheets = subObject(m_book.get(), "Sheets");
    reduceToOneSheet();
    m_firstSheet = subObject(m_sheets.get(), "Item(int)", 1);
    if (m_templateRows && m_firstSheet) {
        callOn(m_templateRows.get(), "Copy()");
        callOn(m_firstSheet.get(), "Paste()");
    }
}

/* Open the template workbook and take the rows range of its first sheet. */
void OutputWorkbook::openTemplate() {
    m_templateBook = subObject(m_workBooks, "Open(const QString&)", m_options.templatePath);
    const AxHandle templateSheets = subObject(m_templateBook.get(), "Sheets");
    const AxHandle firstSheet = subObject(templateSheets.get(), "Item(int)", 1);
    const QString rows = QStringLiteral("1:") + m_options.lastRowText;
    m_templateRows = subObject(firstSheet.get(), "Range(const QString&)", rows);
}

/* Delete sheets from the last one down until one is left. */
void OutputWorkbook::reduceToOneSheet() {
    for (int n = readCount(m_sheets.get(), "Count", true); n > 1; --n) {
        const AxHandle sheet = subObject(m_sheets.get(), "Item(int)", n);
        callOn(sheet.get(), "Delete()");
    }
}

/* Save the workbook and let the spreadsheet application go. */
bool OutputWorkbook::finish(const QString& documentPath) {
    if (m_templateRows) {
        applyTemplateFormats();
    }
    if (m_templateBook) {
        callOn(m_templateBook.get(), "Close (Boolean)", false);
    }
    const QString path = outputPath(documentPath, m_options);
    const AxHandle firstSheet = subObject(m_sheets.get(), "Item(int)", 1);
    callOn(firstSheet.get(), "Select()");
    const bool saved = save(path);
    m_cutCells = saved && m_book ? m_book->readProperty("CutCells").toStringList() : QStringList();
    callOn(m_book.get(), "Close (Boolean)", false);
    callOn(m_excel, "Quit(void)");
    return saved;
}

/* Give every sheet the template's column widths, then its formats, from cell A1. */
void OutputWorkbook::applyTemplateFormats() {
    callOn(m_templateRows.get(), "Copy()");
    const int count = readCount(m_sheets.get(), "Count()");
    for (int k = 1; k <= count; ++k) {
        const AxHandle sheet = subObject(m_sheets.get(), "Item(int)", k);
        const AxHandle cell = subObject(sheet.get(), "Cells(int, int)", 1, 1);
        callOn(cell.get(), "PasteSpecial(conts QVariant&)", pasteColumnWidths);
        callOn(cell.get(), "PasteSpecial(conts QVariant&)", pasteFormats);
    }
}

/* Save under `path`; true when the save wrote the file. An earlier output of the same name
   is put aside first, so that its presence cannot pass for a save, and restored when the
   save fails. */
bool OutputWorkbook::save(const QString& path) {
    m_saveError = refusalToReplace(path);
    if (!m_saveError.isEmpty()) {
        return false;
    }
    const QString aside = asideName(path);
    const bool earlierPutAside = QFileInfo::exists(path) && QFile::rename(path, aside);
    // An office application in another process may still be busy with the last paste.
    const bool external = m_excel != nullptr && m_excel->runsOutOfProcess();
    if (external) {
        QThread::msleep(200);
    }
    callOn(m_book.get(), "SaveAs(const QString&)", QDir::toNativeSeparators(path));
    if (external) {
        QThread::msleep(400);
    }
    const bool saved = QFileInfo::exists(path);
    m_saveError = saved || !m_book ? QString() : m_book->lastErrorDescription();
    if (earlierPutAside) {
        if (saved) {
            QFile::remove(aside);
        } else {
            QFile::rename(aside, path);
        }
    }
    return saved;
}

/* Why the file at `path` must not be replaced: a folder, or a file its owner may not write. */
QString OutputWorkbook::refusalToReplace(const QString& path) {
    const QFileInfo existing(path);
    if (existing.isSymLink() || !existing.exists()) {
        return QString();
    }
    if (existing.isDir()) {
        return QStringLiteral("a folder has the workbook's name");
    }
    if (!(existing.permissions() & QFileDevice::WriteOwner)) {
        return QStringLiteral("the earlier workbook is read-only");
    }
    return QString();
}

/* Mirror the document's place under the destination and create its folder. */
QString OutputWorkbook::outputPath(const QString& documentPath, const ConvertOptions& options) {
    const QString path = mirroredPath(documentPath, options);
    const QFileInfo info(QDir::fromNativeSeparators(path));
    // Most documents share their folder with the one before: one look instead of a creation
    // attempt for every level of the path.
    if (!QFileInfo(info.path()).isDir()) {
#ifdef Q_OS_WIN
        // Through Qt's wide calls: the 8-bit code page may not hold every character of a name.
        QDir().mkpath(info.path());
#else
        makeDirectoryPath(QDir::toNativeSeparators(info.path()).toLocal8Bit().toStdString());
#endif
    }
    return path;
}

/* The document's place under the destination, ".doc" turned into ".xls". */
QString OutputWorkbook::mirroredPath(const QString& documentPath, const ConvertOptions& options) {
    QString path = documentPath;
    if (!options.sourcePath.isEmpty() && path.startsWith(options.sourcePath)) {
        path = options.savePath + path.mid(options.sourcePath.size());
    }
    const QFileInfo info(QDir::fromNativeSeparators(path));
    QString name = info.fileName();
    const int ending = wordEndingAt(name);
    if (ending >= 0) {
        name.replace(ending, 4, QStringLiteral(".xls"));
    }
    return QDir::toNativeSeparators(info.path() + QLatin1Char('/') + name);
}
