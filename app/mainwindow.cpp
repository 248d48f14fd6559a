#include "app/mainwindow.h"

#include "app/appresources.h"
#include "app/pathdialogs.h"
#include "app/restartprogram.h"
#include "app/startuppaths.h"
#include "app/systemtray.h"
#include "engine/convertoptions.h"
#include "support/fileutil.h"
#include "support/settingsfile.h"
#include "ui_mainwindow.h"
#include "update/threadpost.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QMessageBox>
#include <QScreen>
#include <QThread>

#include <cstdio>
#include <optional>

std::string settingsText;

namespace {

// How long the window's destruction gives an idle worker thread to leave its event loop.
constexpr int idleThreadStopMs = 100;

bool leftRunning = false;

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
    placeWindow();
    setWindowTitle(QStringLiteral("Sheetweaver") + QString::fromUtf8("1.2"));
    loadAppResources();
    setWindowIcon(QIcon(QStringLiteral(":/images/qvr.ico")));
    createTrayIcon();
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

/* Announce an installed update, quit and start the new program; not when autostarted. */
void MainWindow::on_Signal_UpdateSuccess() {
    if (launchArgument == "-autorun")
        return;
    QMessageBox::about(this, QStringLiteral("注意："), QStringLiteral("成功升级新版本!"));
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

/* Ask for a folder, show it with a trailing separator and remember it. */
void MainWindow::pickFolder(const char* key, bool sourceField) {
    const QString chosen = PathDialogs::getExistingDirectory(
        this, QStringLiteral("选择文件夹"), QStringLiteral("."),
        QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    if (chosen.isEmpty())
        return;
    const QString path = QDir::toNativeSeparators(chosen + QLatin1Char('/'));
    (sourceField ? ui->lEdt_SourcePath : ui->lEdt_SavePath)->setText(path);
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
    if (!validateOptions())
        return;

    options.failureReportPath = options.sourcePath + ConvertOptions::failureReportName();
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
    emit pBtn_Transform_HasClicked();
    ui->pBtn_Transform->setEnabled(false);
}

/* Check source folder, template (when used) and save folder; the first failure is shown. */
bool MainWindow::validateOptions() {
    const ConvertOptions& options = convertOptions();
    QString message;
    if (!QFileInfo(options.sourcePath).isDir())
        message = QStringLiteral("Word文件所在文件夹不存在!");
    else if (options.useTemplate && !QFileInfo(options.templatePath).isFile())
        message = QStringLiteral("excel模板文件不存在!");
    else if (!QFileInfo(options.savePath).isDir())
        message = QStringLiteral("保存文件夹不存在!");
    if (message.isEmpty())
        return true;
    QMessageBox::about(this, QStringLiteral("Message:"), message);
    return false;
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
    if (jobReportViewer())
        mergeObject->setReportViewer(*jobReportViewer());
    mergeObject->moveToThread(mergeThread);
}

/* The job ended: the convert button works again. */
void MainWindow::on_Signal_SetButtonEnable() {
    ui->pBtn_Transform->setEnabled(true);
}

/* Pick the template workbook and remember it. */
void MainWindow::on_pBtn_TemplatePath_clicked() {
    const QString chosen = PathDialogs::getOpenFileName(nullptr, QStringLiteral("选择Excel文件"),
                                                        QStringLiteral("."), templateFilter());
    if (chosen.isEmpty())
        return;
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
