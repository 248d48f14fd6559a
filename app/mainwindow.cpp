#include "app/mainwindow.h"

#include "app/appresources.h"
#include "app/desktopopener.h"
#include "app/lastrunsettings.h"
#include "app/mnemonics.h"
#include "app/officechoicebox.h"
#include "app/pathdialogs.h"
#include "app/pathdrop.h"
#include "app/restartprogram.h"
#include "app/runreportdialog.h"
#include "app/runsummary.h"
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
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
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
const char cautionStyle[] = "color: rgb(191, 110, 0);";
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

/* The same text as bytes in the local 8-bit code page. */
std::string toLocal(const QString& text) {
    return text.toLocal8Bit().toStdString();
}

/* Stop an idle worker thread and delete it with its worker; a busy one is left running. */
void releaseIfIdle(QThread* thread, QObject* worker) {
    if (thread == nullptr) {
        return;
    }
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
    connect(PathDrop::install(ui->lEdt_TemplatePath, PathDrop::Kind::Workbook), &PathDrop::dropped,
            this, [this](const QString& path) { takeTemplate(path); });
    arrangeOptions();
    addKeysAndTips();
    connectEnterKeys();
    showStartupNotice();
    ui->lb_ShowDisposing->setWordWrap(true);
    fitToScreen();
    placeWindow();
    setWindowTitle(QStringLiteral("Sheetweaver 1.2"));
    loadAppResources();
    setWindowIcon(QIcon(QStringLiteral(":/images/qvr.ico")));
    createTrayIcon();
    trayIcon->setQuitCheck([this] { return confirmQuitDuringRun(); });
    settingsText.clear();
    readWholeFile(settingsText, settingsFilePath, settingsTextLimit);
    startUpdateWorker();
    restoreLastRun();
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
    m_stop = new QPushButton(tr("停止(&P)"), m_runRow);
    m_stop->setObjectName(QStringLiteral("pBtn_Stop"));
    m_stop->setToolTip(tr("转换完当前文件后停止，并为已完成的文件写出报告"));
    row->addWidget(m_progress, 1);
    row->addWidget(m_stop);
    row->addStretch();  // keeps the buttons at their own width on the right while the bar is hidden
    row->addWidget(m_openReport);
    row->addWidget(m_openSaveFolder);
    ui->verticalLayout_3->addWidget(m_runRow);
    m_progress->hide();
    m_openReport->hide();
    m_openSaveFolder->hide();
    m_stop->hide();
    m_runRow->hide();
    connect(m_openReport, &QPushButton::clicked, this, [this] { showIssues(); });
    connect(m_stop, &QPushButton::clicked, this, [this] { stopRun(); });
    connect(m_openSaveFolder, &QPushButton::clicked, this,
            [this] { DesktopOpener::open(m_runSaveFolder); });
}

/* Step 3 in two rows, so no option's text is ever cut: the two mode boxes above, the
   separator box with its field below, the convert button beside both. Other items of the
   step's row stay where they are. */
void MainWindow::arrangeOptions() {
    auto* grid = new QGridLayout();
    grid->setObjectName(QStringLiteral("gridLayout_Options"));
    grid->setHorizontalSpacing(ui->horizontalLayout_6->spacing());
    for (QWidget* option :
         {static_cast<QWidget*>(ui->cBox_JustText), static_cast<QWidget*>(ui->cBox_JustTable),
          static_cast<QWidget*>(ui->cBox_SplitChar), static_cast<QWidget*>(ui->lEdt_SplitChar)}) {
        ui->horizontalLayout_6->removeWidget(option);
    }
    grid->addWidget(ui->cBox_JustText, 0, 0);
    grid->addWidget(ui->cBox_JustTable, 0, 1);
    grid->addWidget(ui->cBox_SplitChar, 1, 0);
    grid->addWidget(ui->lEdt_SplitChar, 1, 1);
    m_office = new OfficeChoiceBox(settingsFilePath, this);
    grid->addWidget(m_office, 2, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    ui->horizontalLayout_6->insertLayout(0, grid, 1);
    ui->pBtn_Transform->setAutoDefault(true);
    ui->pBtn_Transform->setMinimumHeight(ui->pBtn_Transform->sizeHint().height() * 3 / 2);
}

/* Alt keys for every button and option, and what each option does in its tooltip. */
void MainWindow::addKeysAndTips() {
    Mnemonics::give(ui->pBtn_SourcePath, QLatin1Char('W'));
    Mnemonics::give(ui->pBtn_SavePath, QLatin1Char('D'));
    Mnemonics::give(ui->cBox_UseTemplate, QLatin1Char('U'));
    Mnemonics::give(ui->pBtn_TemplatePath, QLatin1Char('E'));
    Mnemonics::give(ui->label, ui->sBox_LastRow, QLatin1Char('L'));
    Mnemonics::give(ui->cBox_JustText, QLatin1Char('V'));
    Mnemonics::give(ui->cBox_JustTable, QLatin1Char('T'));
    Mnemonics::give(ui->cBox_SplitChar, QLatin1Char('S'));
    Mnemonics::give(ui->pBtn_Transform, QLatin1Char('C'));
    Mnemonics::give(m_openSaveFolder, QLatin1Char('F'));
    Mnemonics::give(m_openReport, QLatin1Char('R'));
    ui->cBox_UseTemplate->setToolTip(
        tr("每个工作簿的第一个工作表从模板的前几行开始，并采用模板的列宽和格式"));
    ui->sBox_LastRow->setToolTip(tr("从模板复制到每个工作簿的最后一行"));
    ui->cBox_JustText->setToolTip(tr("只粘贴文字，不带字体、颜色、边框等格式"));
    ui->cBox_JustTable->setToolTip(tr("只转换Word文件中的表格，每个表格放在一个工作表中"));
    ui->cBox_SplitChar->setToolTip(tr("在此符号处把A列的文字拆分到后面的列中（仅转换整个文件时）"));
    ui->lEdt_SplitChar->setToolTip(ui->cBox_SplitChar->toolTip());
    ui->pBtn_Transform->setToolTip(tr("转换Word文件所在文件夹及其子文件夹中的所有Word文件"));
}

/* Enter in any field starts the run, as the convert button does. */
void MainWindow::connectEnterKeys() {
    auto* spinField = ui->sBox_LastRow->findChild<QLineEdit*>();
    for (QLineEdit* field : {ui->lEdt_SourcePath, ui->lEdt_SavePath, ui->lEdt_TemplatePath,
                             ui->lEdt_SplitChar, spinField}) {
        if (field == nullptr) {
            continue;
        }
        connect(field, &QLineEdit::returnPressed, this, [this] {
            if (ui->pBtn_Transform->isEnabled()) {
                on_pBtn_Transform_clicked();
            }
        });
    }
}

/* What this platform needs before a run; the form's text speaks of Office on Windows. */
void MainWindow::showStartupNotice() {
#ifndef _WIN32
    ui->lb_ShowDisposing->setText(
        tr("  Sheetweaver把文件夹中的Word文件转换为Excel工作簿。 "
           "【使用内置的Word和Excel组件，无需安装Office；转换前请先备份文件】"));
#endif
}

/* Shrink the form's first size to the screen's free area when the screen is smaller. */
void MainWindow::fitToScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    const QSize fitted = fittedSize(size(), screen->availableGeometry().size(), minimumSizeHint());
    if (fitted != size()) {
        resize(fitted);
    }
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
    connect(trayIcon, &SystemTray::showWidget, this, &MainWindow::ShowSoftWindow,
            Qt::AutoConnection);
    connect(trayIcon, &QSystemTrayIcon::activated, this, &MainWindow::SystemTrayActivated,
            Qt::AutoConnection);
}

/* Start the update check on a thread of its own; its balloon goes to the tray icon. An
   installed copy has no update worker: the package manager updates it. */
void MainWindow::startUpdateWorker() {
    if (!selfUpdateOffReason.empty()) {
        return;
    }
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
    connect(postThread, &QThread::started, threadPost, &ThreadPost::startPost, Qt::AutoConnection);
    connect(threadPost, &ThreadPost::Signal_UpdateSuccess, this,
            &MainWindow::on_Signal_UpdateSuccess, Qt::AutoConnection);
    postThread->start(QThread::InheritPriority);
}

/* Fill the form with the last run's inputs from the settings read at construction. */
void MainWindow::restoreLastRun() {
    ConvertOptions options;
    readForm(options);
    LastRunSettings::restore(options, settingsText);
    showForm(options);
    m_office->restore(settingsText);
}

/* Show the window at the size the user left it, in front, with focus. */
void MainWindow::ShowSoftWindow() {
    showNormal();
    raise();
    activateWindow();
}

/* A single or double click on the tray icon shows the window. */
void MainWindow::SystemTrayActivated(QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::DoubleClick || reason == QSystemTrayIcon::Trigger) {
        ShowSoftWindow();
    }
}

/* Show the job's latest message. */
void MainWindow::on_ShowDisposingFile(QString filePath) {
    ui->lb_ShowDisposing->setText(filePath);
}

/* Colour and text of the status line. */
void MainWindow::showStatus(const QString& text, StatusTone tone) {
    const char* style = tone == StatusTone::Success   ? successStyle
                        : tone == StatusTone::Caution ? cautionStyle
                        : tone == StatusTone::Warning ? warningStyle
                                                      : workingStyle;
    ui->lb_ShowDisposing->setStyleSheet(QString::fromLatin1(style));
    ui->lb_ShowDisposing->setText(text);
}

/* A run was accepted: a busy bar until the job has counted its documents, the stop button, no
   result buttons, the form locked. */
void MainWindow::runStarted() {
    m_running = true;
    m_runMarker.hold();
    ui->lb_ShowDisposing->setStyleSheet(QString::fromLatin1(workingStyle));
    m_progress->setRange(0, 0);
    m_progress->show();
    m_stop->setEnabled(true);
    m_stop->show();
    m_openReport->hide();
    m_openSaveFolder->hide();
    m_runRow->show();
    setFormLocked(true);
}

/* The job began a document: the bar and the tray's tooltip show "started/total". */
void MainWindow::documentStarted(int started, int total) {
    m_progress->setRange(0, total);
    m_progress->setValue(started);
    if (trayIcon != nullptr) {
        trayIcon->setToolTip(QStringLiteral("Sheetweaver %1/%2").arg(started).arg(total));
    }
}

/* The run's end: the outcome line in its colour, and the result buttons. */
void MainWindow::showRunResult(const RunReport& run) {
    m_progress->hide();
    m_stop->hide();
    m_lastRun = run;
    if (run.aborted) {
        showStatus(ui->lb_ShowDisposing->text(), StatusTone::Warning);
        m_runRow->hide();
        if (run.templateUnusable) {
            showMessage(ui->lb_ShowDisposing->text());  // as when the template is missing
        }
        return;
    }
    const RunSummary::Tone tone = RunSummary::tone(run);
    showStatus(RunSummary::text(run), tone == RunSummary::Tone::Success   ? StatusTone::Success
                                      : tone == RunSummary::Tone::Caution ? StatusTone::Caution
                                                                          : StatusTone::Warning);
    const QString reportButton = RunSummary::reportButtonText(run);
    m_openReport->setText(reportButton);
    m_openReport->setVisible(!reportButton.isEmpty());
    m_openSaveFolder->show();
    m_runRow->show();
    if (!run.reportWritten && !run.failedPaths.isEmpty()) {
        showUnwrittenReport(run.failedPaths);
    }
}

/* The last run's issues in their dialog. */
void MainWindow::showIssues() {
    RunReportDialog dialog(m_lastRun, m_runReport, this);
    dialog.exec();
}

/* Ask the job to end after its current document. */
void MainWindow::stopRun() {
    if (!m_running || mergeObject == nullptr) {
        return;
    }
    mergeObject->requestStop();
    m_stop->setEnabled(false);
    showStatus(tr("正在停止：当前文件转换完后停止……"), StatusTone::Working);
}

/* While a run converts its inputs stay as they are: fields read-only, options disabled. */
void MainWindow::setFormLocked(bool locked) {
    for (QLineEdit* field :
         {ui->lEdt_SourcePath, ui->lEdt_SavePath, ui->lEdt_TemplatePath, ui->lEdt_SplitChar}) {
        field->setReadOnly(locked);
    }
    for (QWidget* input : std::initializer_list<QWidget*>{
             ui->pBtn_SourcePath, ui->pBtn_SavePath, ui->pBtn_TemplatePath, ui->cBox_UseTemplate,
             ui->cBox_JustText, ui->cBox_JustTable, ui->sBox_LastRow}) {
        input->setEnabled(!locked);
    }
    ui->cBox_SplitChar->setEnabled(!locked && !ui->cBox_JustTable->isChecked());
}

/* The report could not be written: say so, with the documents it would have listed in the
   box's details. */
void MainWindow::showUnwrittenReport(const QStringList& failedPaths) {
    QString list;
    for (const QString& path : failedPaths) {
        list += FailureReport::line(path);
    }
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
    if (launchArgument == "-autorun") {
        return;
    }
    QMessageBox::information(this, tr("注意："), tr("成功升级新版本!"));
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
        if (QFileInfo(folder).isDir()) {
            return folder;
        }
    }
    if (!m_lastFolder.isEmpty() && QFileInfo(m_lastFolder).isDir()) {
        return m_lastFolder;
    }
    return QDir::homePath();
}

/* Ask for a folder, show it with a trailing separator and remember it. */
void MainWindow::pickFolder(const char* key, bool sourceField) {
    QLineEdit* field = sourceField ? ui->lEdt_SourcePath : ui->lEdt_SavePath;
    const QString chosen = PathDialogs::getExistingDirectory(
        this, tr("选择文件夹"), pickerStart(field, true),
        QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    if (chosen.isEmpty()) {
        return;
    }
    m_lastFolder = chosen;
    const QString path = QDir::toNativeSeparators(chosen + QLatin1Char('/'));
    field->setText(path);
    setKeyValueInFile(settingsFilePath, key, toLocal(path));
}

/* Take the inputs, offer to create a missing destination, check them, settle existing
   outputs, remember them and start a job on a fresh thread. */
void MainWindow::on_pBtn_Transform_clicked() {
    ConvertOptions& options = convertOptions();
    readForm(options);
    options.normaliseFolders();
    // The fields show the paths as the run takes them (a pasted URL as its path).
    ui->lEdt_SourcePath->setText(options.sourcePath);
    ui->lEdt_SavePath->setText(options.savePath);
    ui->lEdt_TemplatePath->setText(options.templatePath);
    if (!offerToCreateSaveFolder(options) || !validateOptions() ||
        !settleExistingOutputs(options)) {
        return;
    }
    LastRunSettings::save(options, settingsFilePath);
    m_office->showActive();
    options.failureReportPath =
        ConvertOptions::reportPathIn(options.sourcePath, ConvertOptions::failureReportName());
    const std::string report = toLocal(options.failureReportPath);
    if (pathExists(report)) {
        std::remove(report.c_str());
    }
    startJob();
}

/* The form's inputs as a run takes them: paths as typed, pasted or dropped, native. */
void MainWindow::readForm(ConvertOptions& options) const {
    options.sourcePath =
        QDir::toNativeSeparators(ConvertOptions::pathFromTyped(ui->lEdt_SourcePath->text()));
    options.savePath =
        QDir::toNativeSeparators(ConvertOptions::pathFromTyped(ui->lEdt_SavePath->text()));
    options.templatePath =
        QDir::toNativeSeparators(ConvertOptions::pathFromTyped(ui->lEdt_TemplatePath->text()));
    options.justTable = ui->cBox_JustTable->isChecked();
    options.justText = ui->cBox_JustText->isChecked();
    options.useSplitChar = ui->cBox_SplitChar->isChecked();
    options.splitChar = ui->lEdt_SplitChar->text();
    options.useTemplate = ui->cBox_UseTemplate->isChecked();
    options.lastRowText = ui->sBox_LastRow->text();
    options.skipExisting = false;
}

/* Put inputs into the form; table mode keeps the separator box off, as a click on it does. */
void MainWindow::showForm(const ConvertOptions& options) {
    ui->lEdt_SourcePath->setText(options.sourcePath);
    ui->lEdt_SavePath->setText(options.savePath);
    ui->lEdt_TemplatePath->setText(options.templatePath);
    ui->cBox_UseTemplate->setChecked(options.useTemplate);
    ui->cBox_JustText->setChecked(options.justText);
    ui->cBox_JustTable->setChecked(options.justTable);
    ui->cBox_SplitChar->setChecked(options.useSplitChar && !options.justTable);
    ui->cBox_SplitChar->setEnabled(!options.justTable);
    ui->lEdt_SplitChar->setText(options.splitChar);
    ui->sBox_LastRow->setValue(options.lastRowText.toInt());
}

/* A destination that does not exist yet is created when the user agrees; true when the run
   may go on to the checks (which then name any other problem). */
bool MainWindow::offerToCreateSaveFolder(const ConvertOptions& options) {
    if (options.check() != ConvertOptions::Check::SaveMissing || options.savePath.isEmpty()) {
        return true;
    }
    const QMessageBox::StandardButton answer = QMessageBox::question(
        this, tr("创建保存文件夹"), tr("保存文件夹不存在，要创建它吗？\n%1").arg(options.savePath),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    if (answer != QMessageBox::Yes) {
        return false;
    }
    QDir().mkpath(QDir::fromNativeSeparators(options.savePath));
    return true;
}

/* When workbooks from an earlier run lie in the destination, ask once: replace them all,
   keep those newer than their documents, or cancel. */
bool MainWindow::settleExistingOutputs(ConvertOptions& options) {
    if (!MergeObject::anyOutputExists(options)) {
        return true;
    }
    QMessageBox box(QMessageBox::Question, tr("保存文件夹中已有工作簿"),
                    tr("保存文件夹中已有转换得到的工作簿。\n"
                       "全部替换：重新转换每个Word文件。\n"
                       "继续上次：保留比Word文件新的工作簿，只转换其余的文件。"),
                    QMessageBox::NoButton, this);
    QPushButton* replace = box.addButton(tr("全部替换(&A)"), QMessageBox::AcceptRole);
    replace->setObjectName(QStringLiteral("pBtn_ReplaceAll"));
    QPushButton* resume = box.addButton(tr("继续上次(&K)"), QMessageBox::AcceptRole);
    resume->setObjectName(QStringLiteral("pBtn_Resume"));
    box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(resume);
    box.exec();
    options.skipExisting = box.clickedButton() == resume;
    return box.clickedButton() == replace || box.clickedButton() == resume;
}

/* A new job for the options, connected to the window, started at once. */
void MainWindow::startJob() {
    replaceJob();
    connect(mergeObject, &MergeObject::ShowDisposingFile, this, &MainWindow::on_ShowDisposingFile,
            Qt::AutoConnection);
    connect(this, &MainWindow::pBtn_Transform_HasClicked, mergeObject, &MergeObject::Transform,
            Qt::AutoConnection);
    connect(mergeObject, &MergeObject::Signal_SetButtonEnable, this,
            &MainWindow::on_Signal_SetButtonEnable, Qt::AutoConnection);
    connect(mergeObject, &MergeObject::documentStarted, this,
            [this](int started, int total, const QString&) { documentStarted(started, total); });
    m_runReport = convertOptions().failureReportPath;
    m_runSaveFolder = convertOptions().savePath;
    runStarted();
    emit pBtn_Transform_HasClicked();
    ui->pBtn_Transform->setEnabled(false);
}

/* Check source folder, template (when used) and save folder; the first failure is shown. */
bool MainWindow::validateOptions() {
    const QString message = convertOptions().validationMessage();
    if (message.isEmpty()) {
        return true;
    }
    showMessage(message);
    return false;
}

/* A message about the inputs, as a warning. */
void MainWindow::showMessage(const QString& message) {
    QMessageBox::warning(this, tr("无法开始转换"), message);
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
#ifndef _WIN32
    // The built-in office serves every thread, as the converter's --jobs uses it: one worker
    // per processor. With COM (Windows) Office takes one document at a time.
    mergeObject->setJobs(QThread::idealThreadCount());
#endif
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

/* The job ended: the convert button and the form work again and the run's result is shown. */
void MainWindow::on_Signal_SetButtonEnable() {
    ui->pBtn_Transform->setEnabled(true);
    if (!m_running) {
        return;
    }
    m_running = false;
    m_runMarker.release();
    setFormLocked(false);
    if (trayIcon != nullptr) {
        trayIcon->setToolTip(QStringLiteral("Sheetweaver"));
    }
    // The job is idle now: its last run is complete and no longer written.
    showRunResult(mergeObject != nullptr ? mergeObject->lastRun() : RunReport());
}

/* Ask before a running conversion is abandoned; true when the program may end. */
bool MainWindow::confirmQuitDuringRun() {
    if (!m_running) {
        return true;
    }
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
    if (chosen.isEmpty()) {
        return;
    }
    m_lastFolder = QFileInfo(chosen).absolutePath();
    takeTemplate(QDir::toNativeSeparators(chosen));
}

/* A template picked or dropped is meant to be used: the field takes it, the box is ticked. */
void MainWindow::takeTemplate(const QString& nativePath) {
    ui->lEdt_TemplatePath->setText(nativePath);
    ui->cBox_UseTemplate->setChecked(true);
    setKeyValueInFile(settingsFilePath, "TemplatePath", toLocal(nativePath));
}

/* An unchecked template box leaves the values-only box usable. */
void MainWindow::on_cBox_UseTemplate_clicked() {
    if (!ui->cBox_UseTemplate->isChecked()) {
        ui->cBox_JustText->setEnabled(true);
    }
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
