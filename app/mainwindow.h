#pragma once

// The desktop program consists of this window class and a few helpers around it:
// - MainWindow (here): the form's behaviour, the conversion job's start and progress, the
//   window's side of the self-update.
// - Ui::MainWindow: the form, compiled from mainwindow.ui.
// - SystemTray: the notification-area icon (systemtray.h).
// - the start-up paths and the single-instance check (startuppaths.h), the path pickers
//   (pathdialogs.h), the restart of the program (restartprogram.h), the one-copy handover
//   (instancegate.h) and the marker of a running conversion (runmarker.h), dropped paths
//   (pathdrop.h), the interface language (languages.h), the opening of the report and the
//   result folder (desktopopener.h), the outcome line (runsummary.h), the list of a run's
//   issues (runreportdialog.h), the remembered inputs (lastrunsettings.h) and the Alt keys
//   (mnemonics.h).
// The conversion itself is MergeObject (engine/mergeobject.h) on a thread of its own; the
// update check is ThreadPost (update/threadpost.h) on another.

#include "app/runmarker.h"
#include "engine/mergeobject.h"

#include <QMainWindow>
#include <QPoint>
#include <QSystemTrayIcon>

#include <string>

class OfficeChoiceBox;
class QCloseEvent;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QThread;
class ThreadPost;

namespace Ui {
class MainWindow;
}

// The copy of the settings file read when the window is built; not refreshed after writes,
// so a path picked later is seen at the next start.
extern std::string settingsText;

// The largest settings file read whole; a longer one is read up to this size.
constexpr std::size_t settingsTextLimit = 10239;

class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    // Builds the form (step 3 in two rows, Alt keys, tooltips, Enter to convert) and the run's
    // progress, stop and result row under the status line, places the window (shrunk to the
    // screen when the screen is smaller), creates the tray icon, starts the update worker and
    // fills the form with the last run's inputs from the settings file.
    explicit MainWindow(QWidget* parent = nullptr);

    // Stops and releases the job and update threads only when they are idle; a thread still
    // at work is left to end with the process (see workersLeftRunning()).
    ~MainWindow() override;

    // Where a window of the given size is first placed on a screen of the given size:
    // centred horizontally, a third of the free height from the top (integer division).
    static QPoint initialPosition(int screenW, int screenH, int windowW, int windowH);

    // The first size of a window that wants `wanted` on a screen whose free area (without
    // task bars) is `screenFree`: `wanted` where it fits with its frame, else cut to the free
    // area less the frame, but never below `minimum` (the layout's smallest size).
    static QSize fittedSize(QSize wanted, QSize screenFree, QSize minimum);

    // True when some window left a job or update thread at work when it was destroyed: the
    // process must then end without running its global destructors under that thread.
    static bool workersLeftRunning();

    // The report viewer given to every job started from now on; by default each job keeps
    // its own (the system's text editor). Tests switch it off with an empty function.
    static void setReportViewerForJobs(MergeObject::ReportViewer viewer);

signals:
    void pBtn_Transform_HasClicked();

public slots:
    void ShowSoftWindow();
    void SystemTrayActivated(QSystemTrayIcon::ActivationReason reason);
    void on_ShowDisposingFile(QString filePath);
    void on_Signal_UpdateSuccess();
    void on_pBtn_SourcePath_clicked();
    void on_pBtn_SavePath_clicked();
    void on_pBtn_Transform_clicked();
    void on_Signal_SetButtonEnable();
    void on_pBtn_TemplatePath_clicked();
    void on_cBox_UseTemplate_clicked();
    void on_cBox_JustTable_clicked();

protected:
    // Closing while a conversion runs asks first; "no" keeps the window open.
    void closeEvent(QCloseEvent* event) override;

private:
    enum class StatusTone { Working, Success, Caution, Warning };

    void buildRunRow();
    void arrangeOptions();
    void addKeysAndTips();
    void connectEnterKeys();
    void showStartupNotice();
    void readForm(ConvertOptions& options) const;
    void showForm(const ConvertOptions& options);
    void setFormLocked(bool locked);
    bool offerToCreateSaveFolder(const ConvertOptions& options);
    bool settleExistingOutputs(ConvertOptions& options);
    void startJob();
    void stopRun();
    void showIssues();
    void takeTemplate(const QString& nativePath);
    void fitToScreen();
    void runStarted();
    void documentStarted(int started, int total);
    void showRunResult(const RunReport& run);
    void showUnwrittenReport(const QStringList& failedPaths);
    void showStatus(const QString& text, StatusTone tone);
    bool confirmQuitDuringRun();
    QString pickerStart(const QLineEdit* field, bool fieldIsFolder) const;
    void placeWindow();
    void createTrayIcon();
    void startUpdateWorker();
    void restoreLastRun();
    bool validateOptions();
    void showMessage(const QString& message);
    void replaceJob();
    void pickFolder(const char* key, bool sourceField);

    Ui::MainWindow* ui;
    int screenWidth = 0;
    int screenHeight = 0;
    int initialHeight = 0;
    int initialWidth = 0;
    QThread* mergeThread = nullptr;
    MergeObject* mergeObject = nullptr;
    QThread* postThread = nullptr;
    ThreadPost* threadPost = nullptr;

    QWidget* m_runRow = nullptr;  // progress bar and result buttons under the status line
    QProgressBar* m_progress = nullptr;
    QPushButton* m_openReport = nullptr;
    QPushButton* m_openSaveFolder = nullptr;
    QPushButton* m_stop = nullptr;
    OfficeChoiceBox* m_office = nullptr;  // which office converts, and which one the run uses
    RunReport m_lastRun;                  // the last finished run, for its list of issues
    RunMarker m_runMarker;                // held while a run converts, for copies started meanwhile
    bool m_running = false;               // a job runs: from the accepted click to the job's end
    QString m_lastFolder;  // the folder of the last path picked, where pickers start next
    QString m_runReport;   // the running or last job's report and destination folder
    QString m_runSaveFolder;
};
