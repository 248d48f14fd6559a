#include "app/languages.h"
#include "app/mainwindow.h"
#include "app/startuppaths.h"
#include "office/builtinoffice.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateTime>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QTimer>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

// The window as a person uses it, on a real X server (run under xvfb-run): the folders are
// typed into the fields, table mode is ticked and the convert button clicked, all with key
// and mouse events on the shown widgets; the workbooks are then read back with openpyxl and
// their sheets counted against the Word tables that python-docx finds.
class TestWindowX11 : public QObject {
    Q_OBJECT

private slots:
    void typedFoldersTableModeConvert();
    void enterStartsStopEndsResumeConvertsTheChanged();
};

namespace {

/* Click a field, select what it holds and type text over it, key by key; characters without
   a key of their own arrive as key events that carry the character, as an input method
   sends them. */
void typeInto(QLineEdit* field, const QString& text) {
    QTest::mouseClick(field, Qt::LeftButton);
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Delete);
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(field, static_cast<char>(c.unicode()));
        } else {
            QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
}

/* Answer the next message box with its button of the given object name, by its Alt key. */
void answerNextBoxWith(const char* buttonName) {
    QTimer::singleShot(200, [buttonName] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            return;
        }
        auto* button = box->findChild<QPushButton*>(QString::fromLatin1(buttonName));
        if (button == nullptr) {
            return;
        }
        const QKeySequence key = QKeySequence::mnemonic(button->text());
        QTest::keySequence(box, key);
    });
}

/* Sheets of each workbook and tables of each document, as "name sheets tables" lines. */
QByteArray sheetsAndTables(const QString& source, const QString& destination) {
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import sys, os, docx, openpyxl\n"
                                 "src, dst = sys.argv[1], sys.argv[2]\n"
                                 "for name in sorted(os.listdir(src)):\n"
                                 "    if not name.endswith('.docx'): continue\n"
                                 "    tables = len(docx.Document(os.path.join(src, name)).tables)\n"
                                 "    book = os.path.join(dst, name[:-5] + '.xlsx')\n"
                                 "    sheets = openpyxl.load_workbook(book).sheetnames\n"
                                 "    print(name, len(sheets), tables, ','.join(sheets))\n"),
                  source, destination});
    if (!python.waitForFinished(60000) || python.exitCode() != 0) {
        return python.readAllStandardError();
    }
    return python.readAllStandardOutput();
}

}  // namespace

/* Type a source without and a destination with its separator, tick table mode, convert. */
void TestWindowX11::typedFoldersTableModeConvert() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString src = dir.path() + QStringLiteral("/文档");
    const QString dst = dir.path() + QStringLiteral("/out");
    QVERIFY(QDir().mkpath(src));
    QVERIFY(QDir().mkpath(dst));
    const QString corpus = QStringLiteral("../shared/corpus/docx/tables/");
    for (const char* name : {"TestTableColumns.docx", "blk-paras-and-tables.docx"}) {
        QVERIFY(QFile::copy(corpus + QString::fromLatin1(name),
                            src + QLatin1Char('/') + QString::fromLatin1(name)));
    }

    MainWindow::setReportViewerForJobs(MergeObject::ReportViewer());
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    typeInto(window.findChild<QLineEdit*>(QStringLiteral("lEdt_SourcePath")), src);
    typeInto(window.findChild<QLineEdit*>(QStringLiteral("lEdt_SavePath")), dst + QLatin1Char('/'));
    auto* tables = window.findChild<QCheckBox*>(QStringLiteral("cBox_JustTable"));
    QTest::mouseClick(tables, Qt::LeftButton, Qt::NoModifier, QPoint(8, tables->height() / 2));
    QVERIFY(tables->isChecked());
    auto* convert = window.findChild<QPushButton*>(QStringLiteral("pBtn_Transform"));
    QTest::mouseClick(convert, Qt::LeftButton);
    QVERIFY(!convert->isEnabled());
    QVERIFY(QTest::qWaitFor([convert] { return convert->isEnabled(); }, 120000));

    const QByteArray found = sheetsAndTables(src, dst);
    const QList<QByteArray> lines = found.trimmed().split('\n');
    QCOMPARE(lines.size(), 2);
    for (const QByteArray& line : lines) {
        const QList<QByteArray> fields = line.split(' ');
        QCOMPARE(fields.size(), 4);
        QVERIFY2(fields[1] == fields[2], line.constData());  // one sheet per Word table
        QVERIFY2(fields[3].startsWith("Sheet1"), line.constData());
    }
    // Nothing was written beside the destination folder.
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 2);
}

/* Enter in a field starts a run and Stop ends it early; a second Enter is asked about the
   workbooks already there, and "resume" converts only the document changed since. */
void TestWindowX11::enterStartsStopEndsResumeConvertsTheChanged() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString src = dir.path() + QStringLiteral("/src/");
    const QString dst = dir.path() + QStringLiteral("/dst/");
    QVERIFY(QDir().mkpath(src));
    QVERIFY(QDir().mkpath(dst));
    for (int i = 0; i < 40; ++i) {
        QVERIFY(QFile::copy(QStringLiteral("../shared/corpus/docx/tables/stress004.docx"),
                            src + QStringLiteral("d%1.docx").arg(i)));
    }
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* save = window.findChild<QLineEdit*>(QStringLiteral("lEdt_SavePath"));
    typeInto(window.findChild<QLineEdit*>(QStringLiteral("lEdt_SourcePath")), src);
    typeInto(save, dst);
    auto* convert = window.findChild<QPushButton*>(QStringLiteral("pBtn_Transform"));
    auto* status = window.findChild<QLabel*>(QStringLiteral("lb_ShowDisposing"));
    auto* progress = window.findChild<QProgressBar*>(QStringLiteral("pgb_Progress"));
    QTest::keyClick(save, Qt::Key_Return);
    QVERIFY(!convert->isEnabled());
    QVERIFY(QTest::qWaitFor([progress] { return progress->value() >= 1; }, 60000));
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("pBtn_Stop")), Qt::LeftButton);
    QVERIFY(QTest::qWaitFor([convert] { return convert->isEnabled(); }, 120000));
    QVERIFY2(status->text().startsWith(QStringLiteral("已在")), qPrintable(status->text()));
    const int done = QDir(dst).entryList(QDir::Files).size();
    QVERIFY(done >= 1 && done < 40);

    // Every workbook there is older than its document, except d0's, whose document is older.
    const QDateTime hourAgo = QDateTime::currentDateTime().addSecs(-3600);
    for (const QString& name : QDir(dst).entryList(QDir::Files)) {
        QFile output(dst + name);
        QVERIFY(output.open(QIODevice::ReadWrite));
        QVERIFY(output.setFileTime(hourAgo, QFileDevice::FileModificationTime));
    }
    QFile unchanged(src + QStringLiteral("d0.docx"));
    QVERIFY(unchanged.open(QIODevice::ReadOnly));
    QVERIFY(unchanged.setFileTime(hourAgo.addSecs(-60), QFileDevice::FileModificationTime));
    unchanged.close();
    answerNextBoxWith("pBtn_Resume");
    QTest::keyClick(save, Qt::Key_Return);
    QVERIFY(QTest::qWaitFor([convert] { return convert->isEnabled(); }, 120000));
    QCOMPARE(QDir(dst).entryList(QDir::Files).size(), 40);
    QCOMPARE(QFileInfo(dst + QStringLiteral("d0.xlsx")).lastModified(), hourAgo);
    QVERIFY(QFileInfo(dst + QStringLiteral("d1.xlsx")).lastModified() > hourAgo);
    QVERIFY2(status->text().contains(QStringLiteral("跳过1个已是最新的文件")),
             qPrintable(status->text()));
}

/* Chinese interface, built-in office, as start-up prepares them. */
int main(int argc, char* argv[]) {
    char* programArgv[] = {argv[0], nullptr};
    buildStartupPaths(1, programArgv);
    QApplication application(argc, argv);
    Languages::install(Languages::Language::Chinese);
    registerBuiltinOffice();
    TestWindowX11 tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "test_window_x11.moc"
