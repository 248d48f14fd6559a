#include "app/mainwindow.h"

#include "app/appresources.h"
#include "app/desktopopener.h"
#include "app/pathdialogs.h"
#include "app/pathdrop.h"
#include "app/restartprogram.h"
#include "app/startuppaths.h"
#include "app/systemtray.h"
#include "engine/convertoptions.h"
#include "engine/failurereport.h"
#include "support/fileutil.h"
#include "support/settingsfile.h"
#include "ui_mainwindow.h"
#include "update/threadpost.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QThread>

#include <cstdio>
#include <optional>

std::string settingsText;

namespace {

// How long the window's destruction gives an idle worker thread to leave its event loop.
constexpr int idleThreadStopMs = 100;

bool leftRunning = false;

// Status line colours: the form's red stays for its notice and for runs that went wrong.
const char workingStyle[] = "";
const char successStyle[] = "color: rgb(0, 128, 0);";
const char warningStyle[] = "color: rgb(255, 0, 0);";

/* The template picker's filter. Windows' own dialog reads ';' between patterns; Qt's dialog,
   used elsewhere, takes one pattern per word and would list no file for the ';' form. */
QString templateFilter() {
#ifdef _WIN32
    return QStringLiteral("*.xls;*.xlsx;*.xlsm");
#else
    return QStringLiteral("*.xls *.xlsx *.xlsm");
#endif
}

/* The report viewer for new jobs, when one was set. */
std::optional<MergeObject::ReportViewer>& jobReportViewer() {
    static std::optional<MergeObject::ReportViewer> viewer;
    return viewer;
}

/* A QString from a byte string in the local 8-bit code page. */
QString fromLocal(const std::string& bytes) {
    return QString::fromLocal8Bit(bytes.data(), int(bytes.size()));
}

/* The same text as bytes in the local 8-bit code page. */
std::string toLocal(const QString& text) {
    return text.toLocal8Bit().toStdString();
}

/* Stop an idle worker thread and delete it with its worker; a busy one is left running. */
void releaseIfIdle(QThread* thread, QObject* worker) {
    if (thread == nullptr)
        return;
    thread->quit();
    if (!thread->wait(idleThreadStopMs)) {
        leftRunning = true;
        return;
    }
    delete worker;
    delete thread;
}

}  // namespace

/* Build the window in the fixed order: form, placement, title, icon, tray, settings, update
   worker, restored paths. */
MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent, Qt::WindowFlags()) {
    ui = new Ui::MainWindow;
    ui->setupUi(this);
    buildRunRow();
    PathDrop::install(ui->lEdt_SourcePath, PathDrop::Kind::Folder);
    PathDrop::install(ui->lEdt_SavePath, PathDrop::Kind::Folder);
    PathDrop::install(ui->lEdt_TemplatePath, PathDrop::Kind::Workbook);
    letFormShrink();
    fitToScreen();
    placeWindow();
    setWindowTitle(QStringLiteral("Sheetweaver") + QString::fromUtf8("1.2"));
    loadAppResources();
    setWindowIcon(QIcon(QStringLiteral(":/images/qvr.ico")));
    createTrayIcon();
    trayIcon->setQuitCheck([this] { return confirmQuitDuringRun(); });
    settingsText.clear();
    readWholeFile(settingsText, settingsFilePath, settingsTextLimit);
    startUpdateWorker();
    restorePaths();
    mergeThread = nullptr;
    mergeObject = nullptr;
}

/* Release the form; worker threads only when idle. */
MainWindow::~MainWindow() {
    releaseIfIdle(mergeThread, mergeObject);
    releaseIfIdle(postThread, threadPost);
    delete ui;
}

/* Centre horizontally, one third of the free height from the top. */
QPoint MainWindow::initialPosition(int screenW, int screenH, int windowW, int windowH) {
    return QPoint((screenW - windowW) / 2, (screenH - windowH) / 3);
}

/* Whether a destroyed window left a worker thread at work. */
bool MainWindow::workersLeftRunning() {
    return leftRunning;
}

/* Set the report viewer of the jobs started from now on. */
void MainWindow::setReportViewerForJobs(MergeObject::ReportViewer viewer) {
    jobReportViewer() = std::move(viewer);
}

/* The wanted size where it fits the free area less a frame, else cut, never below the minimum. */
QSize MainWindow::fittedSize(QSize wanted, QSize screenFree, QSize minimum) {
    // The title bar and frame are not known before the window is shown; leave room for them.
    const QSize frame(16, 40);
    return wanted.boundedTo(screenFree - frame).expandedTo(minimum);
}

/* The row under the status line: the run's progress, then the buttons that open its report
   and its destination folder; hidden until a run starts. */
void MainWindow::buildRunRow() {
    m_runRow = new QWidget(ui->wgt_AddToTab1);
    m_runRow->setObjectName(QStringLiteral("wgt_RunResult"));
    auto* row = new QHBoxLayout(m_runRow);
    row->setObjectName(QStringLiteral("horizontalLayout_RunResult"));
    row->setContentsMargins(9, 0, 9, 6);
    m_progress = new QProgressBar(m_runRow);
    m_progress->setObjectName(QStringLiteral("pgb_Progress"));
    m_progress->setFormat(QStringLiteral("%v/%m"));
    m_openReport = new QPushButton(tr("打开未转换文件列表"), m_runRow);
    m_openReport->setObjectName(QStringLiteral("pBtn_OpenReport"));
    m_openSaveFolder = new QPushButton(tr("打开保存文件夹"), m_runRow);
    m_openSaveFolder->setObjectName(QStringLiteral("pBtn_OpenSaveFolder"));
    row->addWidget(m_progress, 1);
    row->addStretch();  // keeps the buttons at their own width on the right while the bar is hidden
    row->addWidget(m_openReport);
    row->addWidget(m_openSaveFolder);
    ui->verticalLayout_3->addWidget(m_runRow);
    m_progress->hide();
    m_openReport->hide();
    m_openSaveFolder->hide();
    m_runRow->hide();
    connect(m_openReport, &QPushButton::clicked, this,
            [this] { DesktopOpener::open(m_runReport); });
    connect(m_openSaveFolder, &QPushButton::clicked, this,
            [this] { DesktopOpener::open(m_runSaveFolder); });
}

/* Let the form become narrower than its texts: the status line wraps, and the option boxes of
   step 3 may give up a quarter of their width (their texts are then cut at the end) before the
   window outgrows a small screen. */
void MainWindow::letFormShrink() {
    ui->lb_ShowDisposing->setWordWrap(true);
    for (QCheckBox* box : {ui->cBox_JustText, ui->cBox_JustTable, ui->cBox_SplitChar})
        box->setMinimumWidth(box->minimumSizeHint().width() * 3 / 4);
}

/* Shrink the form's first size to the screen's free area when the screen is smaller. */
void MainWindow::fitToScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    const QSize fitted = fittedSize(size(), screen->availableGeometry().size(), minimumSizeHint());
    if (fitted != size())
        resize(fitted);
}

/* Take the screen and window sizes and move the window to its first place. */
void MainWindow::placeWindow() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect window = geometry();
    const QRect screenArea = screen != nullptr ? screen->geometry() : window;
    screenWidth = screenArea.right() - screenArea.left() + 1;
    screenHeight = screenArea.bottom() - screenArea.top() + 1;
    initialHeight = window.bottom() - window.top() + 1;
    initialWidth = window.right() - window.left() + 1;
    move(initialPosition(screenWidth, screenHeight, initialWidth, initialHeight));
}

/* Create the tray icon and connect its requests to the window. */
void MainWindow::createTrayIcon() {
    trayIcon = new SystemTray(this);
    connect(trayIcon, SIGNAL(showWidget()), this, SLOT(ShowSoftWindow()), Qt::AutoConnection);
    connect(trayIcon, SIGNAL(activated(QSystemTrayIcon::ActivationReason)), this,
            SLOT(SystemTrayActivated(QSystemTrayIcon::ActivationReason)), Qt::AutoConnection);
}

/* Start the update check on a thread of its own; its balloon goes to the tray icon. An
   installed copy has no update worker: the package manager updates it. */
void MainWindow::startUpdateWorker() {
    if (!selfUpdateOffReason.empty())
        return;
    postThread = new QThread();
    threadPost = new ThreadPost();
    threadPost->setPaths(QByteArray::fromStdString(appPath), QByteArray::fromStdString(appDir),
                         QByteArray::fromStdString(updateArchivePath));
    SystemTray* tray = trayIcon;
    threadPost->setBalloonHandler(
        tray, [tray](const QString& title, const QString& message, int msecs) {
            tray->showBalloon(title, message, QSystemTrayIcon::Information, msecs);
        });
    threadPost->moveToThread(postThread);
    connect(postThread, SIGNAL(started()), threadPost, SLOT(startPost()), Qt::AutoConnection);
    connect(threadPost, SIGNAL(Signal_UpdateSuccess()), this, SLOT(on_Signal_UpdateSuccess()),
            Qt::AutoConnection);
    postThread->start(QThread::InheritPriority);
}

/* Fill the three path fields from the settings read at construction. */
void MainWindow::restorePaths() {
    const std::pair<const char*, QLineEdit*> fields[] = {
        {"SourcePath", ui->lEdt_SourcePath},
        {"SavePath", ui->lEdt_SavePath},
        {"TemplatePath", ui->lEdt_TemplatePath},
    };
    for (const auto& [key, field] : fields) {
        std::string value;
        getKeyValue(value, settingsText, key);
        if (!value.empty())
            field->setText(fromLocal(value));
    }
}

/* Show the window at its first size, in front, with focus. */
void MainWindow::ShowSoftWindow() {
    showNormal();
    resize(initialWidth, initialHeight);
    raise();
    activateWindow();
}

/* A single or double click on the tray icon shows the window. */
void MainWindow::SystemTrayActivated(QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::DoubleClick || reason == QSystemTrayIcon::Trigger)
        ShowSoftWindow();
}

/* Show the job's latest message. */
void MainWindow::on_ShowDisposingFile(QString filePath) {
    ui->lb_ShowDisposing->setText(filePath);
}

/* The summary with the failed count added before its closing full stop, if it has one. */
QString MainWindow::withFailedCount(const QString& summary, int failed) {
    QString text = summary;
    QString stop;
    if (text.endsWith(QChar(0x3002)) || text.endsWith(QLatin1Char('.'))) {
        stop = text.right(1);
        text.chop(1);
    }
    return text + tr("，%1个文件未能转换").arg(failed) + stop;
}

/* Colour and text of the status line. */
void MainWindow::showStatus(const QString& text, StatusTone tone) {
    const char* style = tone == StatusTone::Success   ? successStyle
                        : tone == StatusTone::Warning ? warningStyle
                                                      : workingStyle;
    ui->lb_ShowDisposing->setStyleSheet(QString::fromLatin1(style));
    ui->lb_ShowDisposing->setText(text);
}

/* A run was accepted: a busy bar until the job has counted its documents, no result buttons. */
void MainWindow::runStarted() {
    m_running = true;
    ui->lb_ShowDisposing->setStyleSheet(QString::fromLatin1(workingStyle));
    m_progress->setRange(0, 0);
    m_progress->show();
    m_openReport->hide();
    m_openSaveFolder->hide();
    m_runRow->show();
}

/* The job began a document: the bar shows "started/total". */
void MainWindow::documentStarted(int started, int total) {
    m_progress->setRange(0, total);
    m_progress->setValue(started);
}

/* The run's end: the summary with the failed count, its colour, and the result buttons. */
void MainWindow::showRunResult(const RunResult& run) {
    m_progress->hide();
    if (run.aborted) {
        showStatus(ui->lb_ShowDisposing->text(), StatusTone::Warning);
        m_runRow->hide();
        if (run.templateUnusable)
            showMessage(ui->lb_ShowDisposing->text());  // as when the template is missing
        return;
    }
    if (run.failed > 0) {
        showStatus(withFailedCount(ui->lb_ShowDisposing->text(), run.failed), StatusTone::Warning);
    } else {
        showStatus(ui->lb_ShowDisposing->text(), StatusTone::Success);
    }
    m_openReport->setVisible(run.reportWritten);
    m_openSaveFolder->show();
    m_runRow->show();
    if (!run.reportWritten && !run.failedPaths.isEmpty())
        showUnwrittenReport(run.failedPaths);
}

/* The report could not be written: say so, with the documents it would have listed in the
   box's details. */
void MainWindow::showUnwrittenReport(const QStringList& failedPaths) {
    QString list;
    for (const QString& path : failedPaths)
        list += FailureReport::line(path);
    QMessageBox box(QMessageBox::Warning, windowTitle(),
                    tr("无法写入报告 %1\n未能转换的%2个文件列在详细信息中。")
                        .arg(m_runReport)
                        .arg(failedPaths.size()),
                    QMessageBox::Ok, this);
    box.setDetailedText(list);
    box.exec();
}

/* Announce an installed update, quit and start the new program; not when autostarted. */
void MainWindow::on_Signal_UpdateSuccess() {
    if (launchArgument == "-autorun")
        return;
    QMessageBox::about(this, tr("注意："), tr("成功升级新版本!"));
    QCoreApplication::quit();
    startProgramAgain(appPath);
}

/* Pick the source folder. */
void MainWindow::on_pBtn_SourcePath_clicked() {
    pickFolder("SourcePath", true);
}

/* Pick the save folder. */
void MainWindow::on_pBtn_SavePath_clicked() {
    pickFolder("SavePath", false);
}

/* Where a picker starts: the field's folder when it exists, else the last folder picked,
   else the user's home folder. */
QString MainWindow::pickerStart(const QLineEdit* field, bool fieldIsFolder) const {
    const QString text = QDir::fromNativeSeparators(field->text().trimmed());
    if (!text.isEmpty()) {
        const QFileInfo info(text);
        const QString folder =
            QDir::cleanPath(fieldIsFolder ? info.absoluteFilePath() : info.absolutePath());
        if (QFileInfo(folder).isDir())
            return folder;
    }
    if (!m_lastFolder.isEmpty() && QFileInfo(m_lastFolder).isDir())
        return m_lastFolder;
    return QDir::homePath();
}

/* Ask for a folder, show it with a trailing separator and remember it. */
void MainWindow::pickFolder(const char* key, bool sourceField) {
    QLineEdit* field = sourceField ? ui->lEdt_SourcePath : ui->lEdt_SavePath;
    const QString chosen = PathDialogs::getExistingDirectory(
        this, tr("选择文件夹"), pickerStart(field, true),
        QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    if (chosen.isEmpty())
        return;
    m_lastFolder = chosen;
    const QString path = QDir::toNativeSeparators(chosen + QLatin1Char('/'));
    field->setText(path);
    setKeyValueInFile(settingsFilePath, key, toLocal(path));
}

/* Fill the options, validate them, and start a job on a fresh thread. */
void MainWindow::on_pBtn_Transform_clicked() {
    ConvertOptions& options = convertOptions();
    options.sourcePath = QDir::toNativeSeparators(ui->lEdt_SourcePath->text());
    options.savePath = QDir::toNativeSeparators(ui->lEdt_SavePath->text());
    options.templatePath = QDir::toNativeSeparators(ui->lEdt_TemplatePath->text());
    options.justTable = ui->cBox_JustTable->isChecked();
    options.justText = ui->cBox_JustText->isChecked();
    options.useSplitChar = ui->cBox_SplitChar->isChecked();
    options.splitChar = ui->lEdt_SplitChar->text();
    options.useTemplate = ui->cBox_UseTemplate->isChecked();
    options.lastRowText = ui->sBox_LastRow->text();
    options.normaliseFolders();
    if (!validateOptions())
        return;

    options.failureReportPath =
        ConvertOptions::reportPathIn(options.sourcePath, ConvertOptions::failureReportName());
    const std::string report = toLocal(options.failureReportPath);
    if (pathExists(report))
        std::remove(report.c_str());

    replaceJob();
    connect(mergeObject, SIGNAL(ShowDisposingFile(QString)), this,
            SLOT(on_ShowDisposingFile(QString)), Qt::AutoConnection);
    connect(this, SIGNAL(pBtn_Transform_HasClicked()), mergeObject, SLOT(Transform()),
            Qt::AutoConnection);
    connect(mergeObject, SIGNAL(Signal_SetButtonEnable()), this, SLOT(on_Signal_SetButtonEnable()),
            Qt::AutoConnection);
    connect(mergeObject, &MergeObject::documentStarted, this,
            [this](int started, int total, const QString&) { documentStarted(started, total); });
    m_runReport = options.failureReportPath;
    m_runSaveFolder = options.savePath;
    runStarted();
    emit pBtn_Transform_HasClicked();
    ui->pBtn_Transform->setEnabled(false);
}

/* Check source folder, template (when used) and save folder; the first failure is shown. */
bool MainWindow::validateOptions() {
    const QString message = convertOptions().validationMessage();
    if (message.isEmpty())
        return true;
    showMessage(message);
    return false;
}

/* A message about the inputs, in the box the checks use. */
void MainWindow::showMessage(const QString& message) {
    QMessageBox::about(this, QStringLiteral("Message:"), message);
}

/* Dispose of the previous job once its thread stopped, then create the next on a new thread. */
void MainWindow::replaceJob() {
    if (mergeThread != nullptr) {
        mergeThread->quit();
        mergeThread->wait();
        delete mergeObject;
        delete mergeThread;
        mergeObject = nullptr;
        mergeThread = nullptr;
    }
    mergeThread = new QThread();
    mergeThread->start(QThread::InheritPriority);
    mergeObject = new MergeObject();
    if (jobReportViewer()) {
        mergeObject->setReportViewer(*jobReportViewer());
    } else {
        // The report opens from the window's thread, where the desktop may be asked.
        mergeObject->setReportViewer([this](const QString& path) {
            QMetaObject::invokeMethod(
                this, [path] { DesktopOpener::open(path); }, Qt::QueuedConnection);
        });
    }
    mergeObject->moveToThread(mergeThread);
}

/* The job ended: the convert button works again and the run's result is shown. */
void MainWindow::on_Signal_SetButtonEnable() {
    ui->pBtn_Transform->setEnabled(true);
    if (!m_running)
        return;
    m_running = false;
    // The job is idle now: its last run is complete and no longer written.
    showRunResult(mergeObject != nullptr ? mergeObject->lastRun() : RunResult());
}

/* Ask before a running conversion is abandoned; true when the program may end. */
bool MainWindow::confirmQuitDuringRun() {
    if (!m_running)
        return true;
    const QMessageBox::StandardButton answer =
        QMessageBox::question(this, windowTitle(), tr("正在转换，确定要退出吗？"),
                              QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    return answer == QMessageBox::Yes;
}

/* Closing during a run needs a yes; idle closing is Qt's own. */
void MainWindow::closeEvent(QCloseEvent* event) {
    if (!confirmQuitDuringRun()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

/* Pick the template workbook and remember it. */
void MainWindow::on_pBtn_TemplatePath_clicked() {
    const QString chosen = PathDialogs::getOpenFileName(
        nullptr, tr("选择Excel文件"), pickerStart(ui->lEdt_TemplatePath, false), templateFilter());
    if (chosen.isEmpty())
        return;
    m_lastFolder = QFileInfo(chosen).absolutePath();
    const QString path = QDir::toNativeSeparators(chosen);
    ui->lEdt_TemplatePath->setText(path);
    setKeyValueInFile(settingsFilePath, "TemplatePath", toLocal(path));
}

/* An unchecked template box leaves the values-only box usable. */
void MainWindow::on_cBox_UseTemplate_clicked() {
    if (!ui->cBox_UseTemplate->isChecked())
        ui->cBox_JustText->setEnabled(true);
}

/* Table mode has no separator: checking it unchecks and disables the separator box. */
void MainWindow::on_cBox_JustTable_clicked() {
    if (ui->cBox_JustTable->isChecked()) {
        ui->cBox_SplitChar->setEnabled(false);
        ui->cBox_SplitChar->setChecked(false);
    } else {
        ui->cBox_SplitChar->setEnabled(true);
    }
}
