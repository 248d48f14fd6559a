#include "app/mainwindow.h"

#include "app/languages.h"

#include "app/desktopopener.h"
#include "app/instancegate.h"
#include "app/pathdialogs.h"
#include "app/runmarker.h"
#include "app/runreportdialog.h"
#include "app/runsummary.h"
#include "app/startuppaths.h"
#include "app/systemtray.h"
#include "engine/convertoptions.h"
#include "office/builtinoffice.h"
#include "support/settingsfile.h"
#include "tests/app/modalcatcher.h"
#include "ui_mainwindow.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QClipboard>
#include <QTreeWidget>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QScopeGuard>
#include <QKeySequence>
#include <QProcess>
#include <QRegularExpression>
#include <QEventLoop>
#include <QFile>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

#include <QMimeData>
#include <QUrl>

#include <atomic>
#include <memory>
#include <thread>

Q_DECLARE_METATYPE(RunReport)

namespace {

/* The form's widget of the given class and object name; null when there is none. */
template <class T>
T* formWidget(const QWidget& window, const char* name) {
    return window.findChild<T*>(QString::fromLatin1(name));
}

/* Wait until the convert button works again (the job's end), at most a minute. */
bool jobEnded(const QWidget& window) {
    QPushButton* button = formWidget<QPushButton>(window, "pBtn_Transform");
    return QTest::qWaitFor([button] { return button->isEnabled(); }, 60000);
}

/* Type the source and save folders into the window's fields. */
void typeFolders(const QWidget& window, const QString& source, const QString& save) {
    formWidget<QLineEdit>(window, "lEdt_SourcePath")->setText(source);
    formWidget<QLineEdit>(window, "lEdt_SavePath")->setText(save);
}

/* A line of text as the settings file holds it. */
QByteArray settingsLine(const QString& key, const QString& value) {
    return key.toLocal8Bit() + '=' + value.toLocal8Bit() + "\r\n";
}

/* The whole content of a file, empty when it cannot be read. */
QByteArray fileBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QByteArray();
    }
    return file.readAll();
}

/* Create a file holding text; false when it cannot be written. */
bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return false;
    }
    return file.write(bytes) == bytes.size();
}

/* The object names of children, in creation order, that belong to the form. */
QStringList namedChildren(const QObject* parent) {
    QStringList names;
    for (const QObject* child : parent->children()) {
        const QString name = child->objectName();
        if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_"))) {
            names << name;
        }
    }
    return names;
}

/* The names of a layout's items from first to last. */
QStringList layoutItems(const QLayout* layout) {
    QStringList names;
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        if (item->widget() != nullptr) {
            names << item->widget()->objectName();
        } else if (item->layout() != nullptr) {
            names << item->layout()->objectName();
        } else {
            names << QStringLiteral("<spacer>");
        }
    }
    return names;
}

/* The window's first size on the primary screen: 940 x 520 where that fits. */
QSize firstSize(const QWidget& window) {
    const QSize free = QGuiApplication::primaryScreen()->availableGeometry().size();
    return MainWindow::fittedSize(QSize(940, 520), free, window.minimumSizeHint());
}

/* A text without its Alt key: "转换(&C)" gives "转换", "&Convert" gives "Convert". */
QString withoutKey(QString text) {
    text.remove(QRegularExpression(QStringLiteral("\\(&.\\)")));
    return text.remove(QLatin1Char('&'));
}

/* Margins as a comparable list: left, top, right, bottom. */
QList<int> marginsOf(const QLayout* layout) {
    const QMargins m = layout->contentsMargins();
    return {m.left(), m.top(), m.right(), m.bottom()};
}

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void formTreeInCreationOrder();
    void layoutsSpacingMarginsAndStretch();
    void widgetTextsAndDefaults();
    void objectNameKeptWhenAlreadySet();
    void metaMethodsInDeclaredOrder();
    void spinBoxRange();
    void titleIconAndPlacement();
    void formFitsItsInitialSize_data();
    void formFitsItsInitialSize();
    void placementArithmetic_data();
    void placementArithmetic();
    void runSummaryLine_data();
    void runSummaryLine();
    void issuesListedWithReasons();
    void keysInBothLanguages();
    void enterStartsTheRun();
    void typedPathsCleaned_data();
    void typedPathsCleaned();
    void missingDestinationOffered();
    void lastRunRemembered();
    void existingOutputsAskOnce_data();
    void existingOutputsAskOnce();
    void stopEndsAfterCurrentDocument();
    void runMarkerHeldWhileConverting();
    void justTableDisablesSplitChar();
    void useTemplateKeepsJustTextEnabled();
    void validationMessagesInOrder();
    void rejectedClickStartsNoJob();
    void typedFoldersKeepOutputsInside_data();
    void typedFoldersKeepOutputsInside();
    void oldReportDeletedOnAcceptedClick();
    void optionsFilledFromWidgets();
    void templateThatDoesNotOpenConvertsNothing();
    void unwrittenReportListedInTheBox();
    void acceptedClickRunsJobAndReenablesButton();
    void secondConversionReplacesFirstJob();
    void fullConversionWithBuiltinOffice();
    void folderPickersWriteSettingsOnlyWhenFileExists();
    void cancelledPickersChangeNothing();
    void templatePickerWritesSettings();
    void settingsRestoredAtStart();
    void showSoftWindowKeepsUserSize();
    void trayActivationShowsWindowOnClicks();
    // Modal boxes return at once after the application's loop was quit, so the tests that
    // answer boxes come before those that quit.
    void closeDuringRunAsks();
    void droppedPaths_data();
    void droppedPaths();
    void languageByLocaleAndOverride_data();
    void languageByLocaleAndOverride();
    void englishInterfaceShowsNoChinese();
    void chineseInterfaceTranslatesQtsOwnTexts();
    void secondCopyHandsOverWhileJobRuns();
    void trayQuitDuringRunAsks();
    void trayMenuEntries();
    void updateSuccessIgnoredWhenAutostarted();
    void updateSuccessAnnouncesQuitsAndRestarts();

private:
    void startLongJob(MainWindow& window);
    std::unique_ptr<MainWindow> makeWindow();
    QString folder(const char* name);

    std::unique_ptr<QTemporaryDir> m_dir;
};

/* The usual desktop font size; the offscreen platform's own default is 12 points. */
void TestMainWindow::initTestCase() {
    QFont font = QApplication::font();
    font.setPointSize(9);
    QApplication::setFont(font);
    registerBuiltinOffice();  // as start-up does where there is no COM
}

/* A fresh temporary folder, no settings file, no report viewer, no dialogs. */
void TestMainWindow::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    settingsFilePath =
        (m_dir->path() + QStringLiteral("/Sheetweaver.qvr")).toLocal8Bit().toStdString();
    launchArgument.clear();
    appPath.clear();
    appDir.clear();
    updateArchivePath.clear();
    convertOptions() = ConvertOptions();
    MainWindow::setReportViewerForJobs(MergeObject::ReportViewer());
    PathDialogs::replace({}, {});
}

/* Drop the replaced dialogs. */
void TestMainWindow::cleanup() {
    PathDialogs::replace({}, {});
    m_dir.reset();
}

/* A new folder in the temporary folder, its path with a trailing separator. */
QString TestMainWindow::folder(const char* name) {
    const QString path = m_dir->path() + QLatin1Char('/') + QString::fromUtf8(name);
    QDir().mkpath(path);
    return path + QLatin1Char('/');
}

/* A window as start-up builds it. */
std::unique_ptr<MainWindow> TestMainWindow::makeWindow() {
    return std::make_unique<MainWindow>();
}

/* Every object of the form exists with its class, under its parent, in creation order. */
void TestMainWindow::formTreeInCreationOrder() {
    auto window = makeWindow();
    struct Expected {
        const char* name;
        const char* className;
        const char* parentName;
    };
    const Expected objects[] = {
        {"centralWidget", "QWidget", "MainWindow"},
        {"verticalLayout_4", "QVBoxLayout", "centralWidget"},
        {"tabWidget", "QTabWidget", "centralWidget"},
        {"wgt_AddToTab1", "QWidget", "qt_tabwidget_stackedwidget"},
        {"verticalLayout_3", "QVBoxLayout", "wgt_AddToTab1"},
        {"groupBox_2", "QGroupBox", "wgt_AddToTab1"},
        {"verticalLayout_2", "QVBoxLayout", "groupBox_2"},
        {"horizontalLayout_3", "QHBoxLayout", "verticalLayout_2"},
        {"pBtn_SourcePath", "QPushButton", "groupBox_2"},
        {"lEdt_SourcePath", "QLineEdit", "groupBox_2"},
        {"horizontalLayout_5", "QHBoxLayout", "verticalLayout_2"},
        {"pBtn_SavePath", "QPushButton", "groupBox_2"},
        {"lEdt_SavePath", "QLineEdit", "groupBox_2"},
        {"groupBox", "QGroupBox", "wgt_AddToTab1"},
        {"horizontalLayout_4", "QHBoxLayout", "groupBox"},
        {"horizontalLayout_2", "QHBoxLayout", "horizontalLayout_4"},
        {"cBox_UseTemplate", "QCheckBox", "groupBox"},
        {"pBtn_TemplatePath", "QPushButton", "groupBox"},
        {"lEdt_TemplatePath", "QLineEdit", "groupBox"},
        {"label", "QLabel", "groupBox"},
        {"sBox_LastRow", "QSpinBox", "groupBox"},
        {"groupBox_3", "QGroupBox", "wgt_AddToTab1"},
        {"horizontalLayout_6", "QHBoxLayout", "groupBox_3"},
        {"cBox_JustText", "QCheckBox", "groupBox_3"},
        {"cBox_JustTable", "QCheckBox", "groupBox_3"},
        {"cBox_SplitChar", "QCheckBox", "groupBox_3"},
        {"lEdt_SplitChar", "QLineEdit", "groupBox_3"},
        {"pBtn_Transform", "QPushButton", "groupBox_3"},
        {"lb_ShowDisposing", "QLabel", "wgt_AddToTab1"},
    };
    for (const Expected& e : objects) {
        const QString name = QString::fromLatin1(e.name);
        const QList<QObject*> found = window->findChildren<QObject*>(name);
        QVERIFY2(found.size() == 1, e.name);
        QCOMPARE(QString::fromLatin1(found[0]->metaObject()->className()),
                 QString::fromLatin1(e.className));
        QVERIFY2(found[0]->parent() != nullptr, e.name);
        QCOMPARE(found[0]->parent()->objectName(), QString::fromLatin1(e.parentName));
    }
    QCOMPARE(window->objectName(), QStringLiteral("MainWindow"));
    QCOMPARE(window->centralWidget()->objectName(), QStringLiteral("centralWidget"));

    // Creation order shows in the order of each parent's children.
    const QStringList groupBox2 = {
        QStringLiteral("verticalLayout_2"), QStringLiteral("pBtn_SourcePath"),
        QStringLiteral("lEdt_SourcePath"), QStringLiteral("pBtn_SavePath"),
        QStringLiteral("lEdt_SavePath")};
    QCOMPARE(namedChildren(formWidget<QGroupBox>(*window, "groupBox_2")), groupBox2);
    const QStringList groupBox = {QStringLiteral("horizontalLayout_4"),
                                  QStringLiteral("cBox_UseTemplate"),
                                  QStringLiteral("pBtn_TemplatePath"),
                                  QStringLiteral("lEdt_TemplatePath"),
                                  QStringLiteral("label"),
                                  QStringLiteral("sBox_LastRow")};
    QCOMPARE(namedChildren(formWidget<QGroupBox>(*window, "groupBox")), groupBox);
    // The form's objects first, then the run's progress and result row added under them.
    const QStringList page = {QStringLiteral("verticalLayout_3"), QStringLiteral("groupBox_2"),
                              QStringLiteral("groupBox"),         QStringLiteral("groupBox_3"),
                              QStringLiteral("lb_ShowDisposing"), QStringLiteral("wgt_RunResult")};
    QCOMPARE(namedChildren(formWidget<QWidget>(*window, "wgt_AddToTab1")), page);

    // No menu bar, tool bar or status bar.
    QCOMPARE(window->findChildren<QMenuBar*>().size(), 0);
    QCOMPARE(window->findChildren<QToolBar*>().size(), 0);
    QCOMPARE(window->findChildren<QStatusBar*>().size(), 0);
}

/* Layout items, spacings, margins and stretch factors are the form's. */
void TestMainWindow::layoutsSpacingMarginsAndStretch() {
    auto window = makeWindow();
    auto layout = [&](const char* name) {
        return window->findChild<QBoxLayout*>(QString::fromLatin1(name));
    };
    struct Expected {
        const char* name;
        int spacing;
        QList<int> margins;
        QStringList items;
        QList<int> stretch;
    };
    const QList<Expected> layouts = {
        {"verticalLayout_4", 6, {0, 0, 0, 0}, {QStringLiteral("tabWidget")}, {0}},
        {"verticalLayout_3",
         15,
         {0, 0, 0, 0},
         {QStringLiteral("groupBox_2"), QStringLiteral("groupBox"), QStringLiteral("groupBox_3"),
          QStringLiteral("lb_ShowDisposing"), QStringLiteral("wgt_RunResult")},
         {0, 0, 0, 2, 0}},
        {"verticalLayout_2",
         6,
         {9, 9, 9, 9},
         {QStringLiteral("horizontalLayout_3"), QStringLiteral("horizontalLayout_5")},
         {0, 0}},
        {"horizontalLayout_3",
         6,
         {0, 5, 0, 5},
         {QStringLiteral("pBtn_SourcePath"), QStringLiteral("lEdt_SourcePath")},
         {0, 0}},
        {"horizontalLayout_5",
         6,
         {0, 5, 0, 5},
         {QStringLiteral("pBtn_SavePath"), QStringLiteral("lEdt_SavePath")},
         {0, 0}},
        {"horizontalLayout_2",
         6,
         {0, 0, 0, 0},
         {QStringLiteral("cBox_UseTemplate"), QStringLiteral("pBtn_TemplatePath"),
          QStringLiteral("lEdt_TemplatePath"), QStringLiteral("label"),
          QStringLiteral("sBox_LastRow")},
         {0, 0, 0, 0, 0}},
        {"horizontalLayout_6",
         6,
         {11, 11, 11, 11},
         {QStringLiteral("gridLayout_Options"), QStringLiteral("pBtn_Transform")},
         {1, 0}},
    };
    for (const Expected& e : layouts) {
        QBoxLayout* l = layout(e.name);
        QVERIFY2(l != nullptr, e.name);
        QCOMPARE(l->spacing(), e.spacing);
        QCOMPARE(marginsOf(l), e.margins);
        QCOMPARE(layoutItems(l), e.items);
        for (int i = 0; i < e.stretch.size(); ++i) {
            QCOMPARE(l->stretch(i), e.stretch[i]);
        }
    }
    // horizontalLayout_4: top 9 and right 9, left and bottom the style's default.
    QBoxLayout* h4 = layout("horizontalLayout_4");
    QVERIFY(h4 != nullptr);
    QCOMPARE(h4->spacing(), 6);
    QCOMPARE(h4->contentsMargins().top(), 9);
    QCOMPARE(h4->contentsMargins().right(), 9);
    const int styleMargin = window->style()->pixelMetric(QStyle::PM_LayoutLeftMargin);
    QCOMPARE(h4->contentsMargins().left(), styleMargin);
    QCOMPARE(layoutItems(h4), QStringList{QStringLiteral("horizontalLayout_2")});
}

/* Texts (without their Alt keys), size policies, minimum sizes, style sheet and the defaults of
   every widget. */
void TestMainWindow::widgetTextsAndDefaults() {
    auto window = makeWindow();
    auto button = [&](const char* n) {
        return window->findChild<QPushButton*>(QString::fromLatin1(n));
    };
    auto check = [&](const char* n) {
        return window->findChild<QCheckBox*>(QString::fromLatin1(n));
    };
    auto edit = [&](const char* n) {
        return window->findChild<QLineEdit*>(QString::fromLatin1(n));
    };
    auto group = [&](const char* n) {
        return window->findChild<QGroupBox*>(QString::fromLatin1(n));
    };

    QCOMPARE(group("groupBox_2")->title(), QStringLiteral("第一步：选择文件夹(支持子文件夹)"));
    QCOMPARE(group("groupBox")->title(),
             QStringLiteral("第二步：选择第一个sheet设置好格式的excel模板文件（如无需,可留空）"));
    QCOMPARE(group("groupBox_3")->title(), QStringLiteral("第三步：转换"));
    QCOMPARE(withoutKey(button("pBtn_SourcePath")->text()), QStringLiteral("Word文件所在文件夹："));
    QCOMPARE(withoutKey(button("pBtn_SavePath")->text()), QStringLiteral("转换后保存到此文件夹："));
    QCOMPARE(withoutKey(button("pBtn_TemplatePath")->text()),
             QStringLiteral("Excel格式模板文件："));
    QCOMPARE(withoutKey(button("pBtn_Transform")->text()), QStringLiteral("转换"));
    QCOMPARE(withoutKey(check("cBox_UseTemplate")->text()), QStringLiteral("使用模板文件"));
    QCOMPARE(withoutKey(check("cBox_JustText")->text()), QStringLiteral("仅文本内容,不带格式"));
    QCOMPARE(withoutKey(check("cBox_JustTable")->text()),
             QStringLiteral("只转换Word文件中的表格(一个Word表格一个Sheet)"));
    QCOMPARE(withoutKey(check("cBox_SplitChar")->text()),
             QStringLiteral("使用分列符(无法输入的符号,可从Word文件复制)："));
    QCOMPARE(withoutKey(formWidget<QLabel>(*window, "label")->text()),
             QStringLiteral("最后一行行号："));
    auto* tabs = formWidget<QTabWidget>(*window, "tabWidget");
    QCOMPARE(tabs->count(), 1);
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(tabs->tabText(0), QStringLiteral("软件设置"));

    auto* status = formWidget<QLabel>(*window, "lb_ShowDisposing");
    QCOMPARE(status->styleSheet(), QStringLiteral("color: rgb(255, 0, 0);"));
    QVERIFY(status->text().startsWith(QStringLiteral("  ")));
    QVERIFY(!status->text().startsWith(QStringLiteral("   ")));
#ifdef _WIN32
    QVERIFY(status->text().endsWith(QStringLiteral(
        "。 【操作前请先备份并关闭所有Word文件,支持微软Office2007以上、WPS专业版】")));
#else
    // Here the built-in office does the work: no Office to install, no Word to close.
    QVERIFY(!status->text().contains(QStringLiteral("Office2007")));
    QVERIFY(!status->text().contains(QStringLiteral("关闭所有Word文件")));
    QVERIFY(status->text().contains(QStringLiteral("无需安装Office")));
#endif
    QCOMPARE(status->sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);
    QCOMPARE(status->sizePolicy().verticalPolicy(), QSizePolicy::Expanding);
    QCOMPARE(group("groupBox_2")->sizePolicy().verticalPolicy(), QSizePolicy::Expanding);
    QCOMPARE(window->centralWidget()->sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);
    QCOMPARE(button("pBtn_SourcePath")->minimumSize(), QSize(100, 0));
    QCOMPARE(button("pBtn_SavePath")->minimumSize(), QSize(100, 0));
    QCOMPARE(window->minimumSize(), QSize(0, 0));

    for (const char* name :
         {"cBox_UseTemplate", "cBox_JustText", "cBox_JustTable", "cBox_SplitChar"}) {
        QVERIFY2(!check(name)->isChecked(), name);
        QVERIFY2(check(name)->isEnabled(), name);
    }
    for (const char* name :
         {"lEdt_SourcePath", "lEdt_SavePath", "lEdt_TemplatePath", "lEdt_SplitChar"}) {
        QVERIFY2(edit(name)->text().isEmpty(), name);
        QVERIFY2(!edit(name)->isReadOnly(), name);
        QVERIFY2(edit(name)->validator() == nullptr, name);
        QCOMPARE(edit(name)->maxLength(), 32767);
    }
    // Every option says what it does.
    for (const char* name :
         {"cBox_UseTemplate", "cBox_JustText", "cBox_JustTable", "cBox_SplitChar", "lEdt_SplitChar",
          "sBox_LastRow", "pBtn_Transform"}) {
        QVERIFY2(!formWidget<QWidget>(*window, name)->toolTip().isEmpty(), name);
    }
    QVERIFY(button("pBtn_Transform")->isEnabled());
}

/* A window that already carries an object name keeps it when the form is built. */
void TestMainWindow::objectNameKeptWhenAlreadySet() {
    QMainWindow named;
    named.setObjectName(QStringLiteral("Converter"));
    Ui::MainWindow namedForm;
    namedForm.setupUi(&named);
    QCOMPARE(named.objectName(), QStringLiteral("Converter"));
    QCOMPARE(named.size(), QSize(940, 520));
    QCOMPARE(named.windowTitle(), QStringLiteral("MainWindow"));

    QMainWindow unnamed;
    Ui::MainWindow unnamedForm;
    unnamedForm.setupUi(&unnamed);
    QCOMPARE(unnamed.objectName(), QStringLiteral("MainWindow"));
}

/* The window's signal and slots, in their declared order. */
void TestMainWindow::metaMethodsInDeclaredOrder() {
    const QMetaObject& meta = MainWindow::staticMetaObject;
    QStringList methods;
    for (int i = meta.methodOffset(); i < meta.methodCount(); ++i) {
        methods << QString::fromLatin1(meta.method(i).methodSignature());
    }
    const QStringList expected = {
        QStringLiteral("pBtn_Transform_HasClicked()"),
        QStringLiteral("ShowSoftWindow()"),
        QStringLiteral("SystemTrayActivated(QSystemTrayIcon::ActivationReason)"),
        QStringLiteral("on_ShowDisposingFile(QString)"),
        QStringLiteral("on_Signal_UpdateSuccess()"),
        QStringLiteral("on_pBtn_SourcePath_clicked()"),
        QStringLiteral("on_pBtn_SavePath_clicked()"),
        QStringLiteral("on_pBtn_Transform_clicked()"),
        QStringLiteral("on_Signal_SetButtonEnable()"),
        QStringLiteral("on_pBtn_TemplatePath_clicked()"),
        QStringLiteral("on_cBox_UseTemplate_clicked()"),
        QStringLiteral("on_cBox_JustTable_clicked()"),
    };
    QCOMPARE(methods, expected);
    QCOMPARE(meta.method(meta.methodOffset()).methodType(), QMetaMethod::Signal);
}

/* The last-row box takes 1 to 1048576 and starts at 100; typing outside is refused. */
void TestMainWindow::spinBoxRange() {
    auto window = makeWindow();
    auto* spin = formWidget<QSpinBox>(*window, "sBox_LastRow");
    QCOMPARE(spin->minimum(), 1);
    QCOMPARE(spin->maximum(), 1048576);
    QCOMPARE(spin->value(), 100);
    QCOMPARE(spin->text(), QStringLiteral("100"));

    window->show();
    ModalCatcher catcher;  // Enter also starts a run, refused here for the empty fields
    spin->setFocus();
    spin->selectAll();
    QTest::keyClicks(spin, QStringLiteral("2000000"));
    QVERIFY(spin->value() <= 1048576);
    QVERIFY(spin->text() != QStringLiteral("2000000"));
    spin->selectAll();
    QTest::keyClicks(spin, QStringLiteral("0"));
    QTest::keyClick(spin, Qt::Key_Enter);
    QVERIFY(spin->value() >= 1);
    spin->selectAll();
    QTest::keyClicks(spin, QStringLiteral("1048576"));
    QTest::keyClick(spin, Qt::Key_Enter);
    QCOMPARE(spin->value(), 1048576);
}

/* The title, the icon and the first place on the primary screen. */
void TestMainWindow::titleIconAndPlacement() {
    auto window = makeWindow();
    QCOMPARE(window->windowTitle(), QStringLiteral("Sheetweaver 1.2"));
    QVERIFY(!window->windowIcon().isNull());
    QCOMPARE(window->size(), firstSize(*window));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QCOMPARE(window->pos(), MainWindow::initialPosition(screen.width(), screen.height(),
                                                        window->width(), window->height()));
}

/* Rows: language and screen scale on a 1280 x 800 screen. */
void TestMainWindow::formFitsItsInitialSize_data() {
    QTest::addColumn<bool>("english");
    QTest::addColumn<int>("percent");
    for (const int percent : {100, 125, 150}) {
        QTest::newRow(qPrintable(QStringLiteral("zh %1%").arg(percent))) << false << percent;
        QTest::newRow(qPrintable(QStringLiteral("en %1%").arg(percent))) << true << percent;
    }
}

/* At 96 dots per inch and 9 points, on a 1280 x 800 screen scaled by the row's factor (less a
   task bar and the frame), the form fits and no button, option or label text is cut. */
void TestMainWindow::formFitsItsInitialSize() {
    QFETCH(bool, english);
    QFETCH(int, percent);
    Languages::install(english ? Languages::Language::English : Languages::Language::Chinese);
    const QSize free(1280 * 100 / percent - 16, 800 * 100 / percent - 40 - 30);
    auto window = makeWindow();
    const QSize needed = window->minimumSizeHint();
    QVERIFY2(needed.width() <= free.width() && needed.height() <= free.height(),
             qPrintable(QStringLiteral("%1x%2").arg(needed.width()).arg(needed.height())));
    window->resize(free.boundedTo(QSize(940, 520)));
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        if (button->isVisible() && !button->text().isEmpty()) {
            QVERIFY2(button->width() >= button->sizeHint().width(), qPrintable(button->text()));
        }
    }
    for (QLabel* label : window->findChildren<QLabel*>()) {
        if (label->isVisible() && !label->wordWrap()) {
            QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(label->text()));
        }
    }
    Languages::install(Languages::Language::Chinese);
}

/* Placement rows: screen size, expected first position of a 940 x 520 window. */
void TestMainWindow::placementArithmetic_data() {
    QTest::addColumn<int>("screenW");
    QTest::addColumn<int>("screenH");
    QTest::addColumn<QPoint>("expected");
    QTest::newRow("full HD") << 1920 << 1080 << QPoint(490, 186);
    QTest::newRow("laptop 1366x768") << 1366 << 768 << QPoint(213, 82);
    QTest::newRow("odd free width truncates") << 1921 << 1081 << QPoint(490, 187);
    QTest::newRow("screen smaller than window truncates toward zero")
        << 800 << 500 << QPoint(-70, -6);
}

/* Centred horizontally, a third of the free height from the top. */
void TestMainWindow::placementArithmetic() {
    QFETCH(int, screenW);
    QFETCH(int, screenH);
    QFETCH(QPoint, expected);
    QCOMPARE(MainWindow::initialPosition(screenW, screenH, 940, 520), expected);
}

/* Rows: a run's figures, the outcome line, its tone and the report button's text. */
void TestMainWindow::runSummaryLine_data() {
    QTest::addColumn<bool>("english");
    QTest::addColumn<RunReport>("run");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("tone");
    QTest::addColumn<QString>("button");
    const RunIssue failed{RunIssue::Kind::NotOpened, QStringLiteral("/s/a.doc"), QString()};
    const RunIssue lossy{RunIssue::Kind::Lossy, QStringLiteral("/s/b.doc"), QStringLiteral("A1")};
    const auto run = [](int total, int converted, QList<RunIssue> issues) {
        RunReport r;
        r.total = r.candidates = total;
        r.converted = converted;
        r.failed = total - converted;
        r.issues = std::move(issues);
        r.seconds = 3;
        return r;
    };
    RunReport stopped = run(2, 2, {});
    stopped.total = 5;
    stopped.stopped = true;
    RunReport skipped = run(3, 1, {});
    skipped.failed = 0;
    skipped.skipped = 2;
    const int success = static_cast<int>(RunSummary::Tone::Success);
    const int caution = static_cast<int>(RunSummary::Tone::Caution);
    const int failure = static_cast<int>(RunSummary::Tone::Failure);
    QTest::newRow("all converted: green")
        << false << run(4, 4, {}) << QStringLiteral("成功转换4个Word文件，耗时3秒。") << success
        << QString();
    QTest::newRow("one failed: red, failed list")
        << false << run(4, 3, {failed})
        << QStringLiteral("成功转换3个Word文件，1个文件未能转换，耗时3秒。") << failure
        << QStringLiteral("未转换的文件(&R)");
    QTest::newRow("losses only: amber, losses list")
        << false << run(2, 2, {lossy})
        << QStringLiteral("成功转换2个Word文件，1个文件转换有损失，耗时3秒。") << caution
        << QStringLiteral("有损失的文件(&R)");
    QTest::newRow("both: the list names both")
        << false << run(3, 2, {failed, lossy})
        << QStringLiteral("成功转换2个Word文件，1个文件未能转换，1个文件转换有损失，耗时3秒。")
        << failure << QStringLiteral("未转换和有损失的文件(&R)");
    QTest::newRow("empty source") << false << run(0, 0, {})
                                  << QStringLiteral(
                                         "没有找到Word文件：所选文件夹及其子文件夹中没有Word文件。")
                                  << caution << QString();
    QTest::newRow("stopped after 2 of 5")
        << false << stopped << QStringLiteral("已在2/5个文件后停止，成功转换2个Word文件，耗时3秒。")
        << caution << QString();
    QTest::newRow("resumed: the rest skipped")
        << false << skipped
        << QStringLiteral("成功转换1个Word文件，跳过2个已是最新的文件，耗时3秒。") << success
        << QString();
    QTest::newRow("English: one comma style")
        << true << run(4, 3, {failed})
        << QStringLiteral("Word documents converted: 3, not converted: 1, time: 3 s.") << failure
        << QStringLiteral("&Review: not converted");
    QTest::newRow("English: nothing found")
        << true << run(0, 0, {})
        << QStringLiteral("No Word documents were found in the folder or its subfolders.")
        << caution << QString();
}

/* The outcome line says what happened, in one comma style per language. */
void TestMainWindow::runSummaryLine() {
    QFETCH(bool, english);
    QFETCH(RunReport, run);
    QFETCH(QString, text);
    QFETCH(int, tone);
    QFETCH(QString, button);
    Languages::install(english ? Languages::Language::English : Languages::Language::Chinese);
    QCOMPARE(RunSummary::text(run), text);
    QCOMPARE(static_cast<int>(RunSummary::tone(run)), tone);
    QCOMPARE(RunSummary::reportButtonText(run), button);
    Languages::install(Languages::Language::Chinese);
}

/* Table mode unchecks and disables the separator box; leaving it enables the box unchecked. */
void TestMainWindow::justTableDisablesSplitChar() {
    auto window = makeWindow();
    window->show();
    auto* table = formWidget<QCheckBox>(*window, "cBox_JustTable");
    auto* split = formWidget<QCheckBox>(*window, "cBox_SplitChar");
    auto* splitText = formWidget<QLineEdit>(*window, "lEdt_SplitChar");
    QTest::mouseClick(split, Qt::LeftButton);
    QVERIFY(split->isChecked());

    QTest::mouseClick(table, Qt::LeftButton);
    QVERIFY(table->isChecked());
    QVERIFY(!split->isChecked());
    QVERIFY(!split->isEnabled());
    QVERIFY(splitText->isEnabled());

    QTest::mouseClick(table, Qt::LeftButton);
    QVERIFY(!table->isChecked());
    QVERIFY(split->isEnabled());
    QVERIFY(!split->isChecked());
}

/* The template box never disables the values-only box. */
void TestMainWindow::useTemplateKeepsJustTextEnabled() {
    auto window = makeWindow();
    window->show();
    auto* useTemplate = formWidget<QCheckBox>(*window, "cBox_UseTemplate");
    auto* justText = formWidget<QCheckBox>(*window, "cBox_JustText");
    QTest::mouseClick(useTemplate, Qt::LeftButton);
    QVERIFY(useTemplate->isChecked());
    QVERIFY(justText->isEnabled());
    justText->setEnabled(false);
    QTest::mouseClick(useTemplate, Qt::LeftButton);
    QVERIFY(!useTemplate->isChecked());
    QVERIFY(justText->isEnabled());
}

/* Source, then template (only when used), then save folder; the first failure is shown. */
void TestMainWindow::validationMessagesInOrder() {
    auto window = makeWindow();
    auto* source = formWidget<QLineEdit>(*window, "lEdt_SourcePath");
    auto* save = formWidget<QLineEdit>(*window, "lEdt_SavePath");
    auto* templ = formWidget<QLineEdit>(*window, "lEdt_TemplatePath");
    auto* useTemplate = formWidget<QCheckBox>(*window, "cBox_UseTemplate");
    const QString src = folder("src");

    ModalCatcher catcher;
    window->on_pBtn_Transform_clicked();  // everything empty
    source->setText(src);
    useTemplate->setChecked(true);
    templ->setText(m_dir->path() + QStringLiteral("/missing.xlsx"));
    window->on_pBtn_Transform_clicked();  // template used but missing
    templ->clear();
    window->on_pBtn_Transform_clicked();  // template used, empty path
    useTemplate->setChecked(false);
    window->on_pBtn_Transform_clicked();  // template ignored, save folder empty
    save->setText(m_dir->path() + QStringLiteral("/nowhere/"));
    window->on_pBtn_Transform_clicked();  // save folder missing: offered, answered no
    useTemplate->setChecked(true);
    templ->setText(src);  // a folder is not a template file
    window->on_pBtn_Transform_clicked();
    const QString document = m_dir->path() + QStringLiteral("/模板.docx");
    QVERIFY(writeFile(document, "a Word document"));
    templ->setText(document);  // an existing file, but no workbook
    window->on_pBtn_Transform_clicked();
    const QString fake = m_dir->path() + QStringLiteral("/fake.xlsx");
    QVERIFY(writeFile(fake, "text named like a workbook"));
    templ->setText(fake);
    window->on_pBtn_Transform_clicked();
    useTemplate->setChecked(false);
    save->setText(src);  // the outputs would land among the documents
    window->on_pBtn_Transform_clicked();
    save->setText(folder("src/out"));
    window->on_pBtn_Transform_clicked();

    const QString noSource = QStringLiteral("Word文件所在文件夹不存在!");
    const QString noTemplate = QStringLiteral("excel模板文件不存在!");
    const QString noWorkbook = QStringLiteral("所选模板文件不是Excel工作簿!");
    const QString noSave = QStringLiteral("保存文件夹不存在!");
    const QString inside = QStringLiteral("保存文件夹不能是Word文件所在文件夹或其中的文件夹!");
    QCOMPARE(catcher.texts.size(), 10);
    QCOMPARE(catcher.texts.mid(0, 4), (QStringList{noSource, noTemplate, noTemplate, noSave}));
    QVERIFY(catcher.texts[4].startsWith(QStringLiteral("保存文件夹不存在，要创建它吗？")));
    QCOMPARE(catcher.texts.mid(5),
             (QStringList{noTemplate, noWorkbook, noWorkbook, inside, inside}));
    QVERIFY(!QFileInfo::exists(m_dir->path() + QStringLiteral("/nowhere")));
    // Warnings under a translated title; the offer is a question.
    for (int i = 0; i < catcher.titles.size(); ++i) {
        QCOMPARE(catcher.icons[i], i == 4 ? QMessageBox::Question : QMessageBox::Warning);
        QCOMPARE(catcher.titles[i],
                 i == 4 ? QStringLiteral("创建保存文件夹") : QStringLiteral("无法开始转换"));
    }
}

/* A rejected click keeps the button enabled, starts nothing, but still fills the options. */
void TestMainWindow::rejectedClickStartsNoJob() {
    auto window = makeWindow();
    auto* button = formWidget<QPushButton>(*window, "pBtn_Transform");
    formWidget<QLineEdit>(*window, "lEdt_SourcePath")->setText(QStringLiteral("/no/such/folder/"));
    formWidget<QLineEdit>(*window, "lEdt_SplitChar")->setText(QStringLiteral(" ; "));
    QSignalSpy started(window.get(), SIGNAL(pBtn_Transform_HasClicked()));
    ModalCatcher catcher;
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(catcher.texts.size(), 1);
    QCOMPARE(started.count(), 0);
    QVERIFY(button->isEnabled());
    QCOMPARE(convertOptions().sourcePath,
             QDir::toNativeSeparators(QStringLiteral("/no/such/folder/")));
    QCOMPARE(convertOptions().splitChar, QStringLiteral(" ; "));
    QVERIFY(convertOptions().failureReportPath.isEmpty());
}

/* Rows: how the source and save folders are typed; each row converts one document. */
void TestMainWindow::typedFoldersKeepOutputsInside_data() {
    QTest::addColumn<QString>("sourceEnd");
    QTest::addColumn<QString>("saveEnd");
    QTest::newRow("both without separator") << QString() << QString();
    QTest::newRow("source without, save from the picker") << QString() << QStringLiteral("/");
    QTest::newRow("source from the picker, save without") << QStringLiteral("/") << QString();
    QTest::newRow("both doubled") << QStringLiteral("//") << QStringLiteral("//");
}

/* However the folders are typed, the workbooks land inside the save folder, mirroring the
   source tree, and the report lies inside the source folder, where an old one is removed. */
void TestMainWindow::typedFoldersKeepOutputsInside() {
    QFETCH(QString, sourceEnd);
    QFETCH(QString, saveEnd);
    const QString src = m_dir->path() + QStringLiteral("/src");
    const QString dst = m_dir->path() + QStringLiteral("/dst_slash");
    QVERIFY(QDir().mkpath(src + QStringLiteral("/报告")));
    QVERIFY(QDir().mkpath(dst));
    const QString corpus = QStringLiteral("../shared/corpus/");
    QVERIFY(QFile::copy(corpus + QStringLiteral("docx/tables/TestTableColumns.docx"),
                        src + QStringLiteral("/报告/员工名单.docx")));
    const QString inside = src + QLatin1Char('/') + ConvertOptions::failureReportName();
    QVERIFY(writeFile(inside, "old report\r\n"));
    QVERIFY(writeFile(m_dir->path() + QStringLiteral("/Sheetweaver.qvr"), QByteArray()));

    auto window = makeWindow();
    typeFolders(*window, src + sourceEnd, dst + saveEnd);
    window->on_pBtn_Transform_clicked();
    QCOMPARE(convertOptions().sourcePath, QDir::toNativeSeparators(src + QLatin1Char('/')));
    QCOMPARE(convertOptions().savePath, QDir::toNativeSeparators(dst + QLatin1Char('/')));
    QCOMPARE(convertOptions().failureReportPath, QDir::toNativeSeparators(inside));
    QVERIFY(!QFile::exists(inside));
    QVERIFY(jobEnded(*window));
    QVERIFY(QFile::exists(dst + QStringLiteral("/报告/员工名单.xlsx")));
    // Nothing beside the save folder; the settings file remembers the folders as the run took
    // them.
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 3);
    const QByteArray settings = fileBytes(m_dir->path() + QStringLiteral("/Sheetweaver.qvr"));
    QVERIFY(settings.contains(settingsLine(QStringLiteral("SourcePath"),
                                           QDir::toNativeSeparators(src + QLatin1Char('/')))));
    QVERIFY(settings.contains(settingsLine(QStringLiteral("SavePath"),
                                           QDir::toNativeSeparators(dst + QLatin1Char('/')))));
}

/* A report left by an earlier run is gone as soon as a conversion is accepted. */
void TestMainWindow::oldReportDeletedOnAcceptedClick() {
    const QString src = folder("src");
    const QString dst = folder("dst");
    const QString report = src + ConvertOptions::failureReportName();
    QVERIFY(writeFile(report, "a.doc\r\n"));

    auto window = makeWindow();
    typeFolders(*window, src, dst);
    // A rejected click leaves the report alone.
    formWidget<QCheckBox>(*window, "cBox_UseTemplate")->setChecked(true);
    {
        ModalCatcher catcher;
        window->on_pBtn_Transform_clicked();
        QCOMPARE(catcher.texts.size(), 1);
    }
    QVERIFY(QFile::exists(report));
    formWidget<QCheckBox>(*window, "cBox_UseTemplate")->setChecked(false);
    window->on_pBtn_Transform_clicked();
    QVERIFY(!QFile::exists(report));
    QCOMPARE(convertOptions().failureReportPath, QDir::toNativeSeparators(report));
    QVERIFY(jobEnded(*window));
}

/* Every option comes from its widget, the last row as the spin box shows it. */
void TestMainWindow::optionsFilledFromWidgets() {
    const QString src = folder("src");
    const QString dst = folder("dst");
    const QString templ = m_dir->path() + QStringLiteral("/t.xlsx");
    QVERIFY(writeFile(templ, "not read here"));

    auto window = makeWindow();
    typeFolders(*window, src, dst);
    formWidget<QLineEdit>(*window, "lEdt_TemplatePath")->setText(templ);
    formWidget<QLineEdit>(*window, "lEdt_SplitChar")->setText(QStringLiteral("\t|"));
    formWidget<QCheckBox>(*window, "cBox_UseTemplate")->setChecked(true);
    formWidget<QCheckBox>(*window, "cBox_JustText")->setChecked(true);
    formWidget<QCheckBox>(*window, "cBox_SplitChar")->setChecked(true);
    formWidget<QSpinBox>(*window, "sBox_LastRow")->setValue(4321);
    ModalCatcher catcher;  // the template is no workbook: the run stops with its message
    window->on_pBtn_Transform_clicked();

    const ConvertOptions& o = convertOptions();
    QCOMPARE(o.sourcePath, QDir::toNativeSeparators(src));
    QCOMPARE(o.savePath, QDir::toNativeSeparators(dst));
    QCOMPARE(o.templatePath, QDir::toNativeSeparators(templ));
    QCOMPARE(o.splitChar, QStringLiteral("\t|"));
    QVERIFY(o.useTemplate);
    QVERIFY(o.justText);
    QVERIFY(o.useSplitChar);
    QVERIFY(!o.justTable);
    QCOMPARE(o.lastRowText, QStringLiteral("4321"));
    QVERIFY(jobEnded(*window));
}

/* A template that passes the checks but does not open ends the run before any document, with
   the message of a missing template. */
void TestMainWindow::templateThatDoesNotOpenConvertsNothing() {
    const QString src = folder("src");
    const QString dst = folder("dst");
    QVERIFY(QFile::copy(QStringLiteral("../shared/corpus/docx/tables/TestTableColumns.docx"),
                        src + QStringLiteral("a.docx")));
    const QString templ = m_dir->path() + QStringLiteral("/t.xlsx");
    QVERIFY(writeFile(templ, "PK\x03\x04 but no workbook"));
    auto window = makeWindow();
    typeFolders(*window, src, dst);
    formWidget<QLineEdit>(*window, "lEdt_TemplatePath")->setText(templ);
    formWidget<QCheckBox>(*window, "cBox_UseTemplate")->setChecked(true);
    ModalCatcher catcher;
    window->on_pBtn_Transform_clicked();
    QVERIFY(jobEnded(*window));
    QTRY_COMPARE_WITH_TIMEOUT(catcher.texts, QStringList{QStringLiteral("excel模板文件不存在!")},
                              5000);
    QCOMPARE(formWidget<QLabel>(*window, "lb_ShowDisposing")->text(),
             QStringLiteral("excel模板文件不存在!"));
    QVERIFY(QDir(dst).isEmpty());
}

/* A report that cannot be written (a folder holds its name): a box names it and lists the
   documents that were not converted in its details. */
void TestMainWindow::unwrittenReportListedInTheBox() {
    const QString src = folder("src");
    const QString dst = folder("dst");
    const QString broken = src + QStringLiteral("broken.doc");
    QVERIFY(writeFile(broken, QByteArray("\xDB\xA5\x00\x01no Word document", 20)));
    const QString report = src + ConvertOptions::failureReportName();
    QVERIFY(QDir().mkpath(report));
    QVERIFY(writeFile(report + QStringLiteral("/kept.txt"), "x"));  // not removed at the start
    auto window = makeWindow();
    typeFolders(*window, src, dst);
    ModalCatcher catcher;
    window->on_pBtn_Transform_clicked();
    QVERIFY(jobEnded(*window));
    QTRY_COMPARE_WITH_TIMEOUT(catcher.texts.size(), 1, 5000);
    QVERIFY2(catcher.texts[0].contains(QDir::toNativeSeparators(report)),
             qPrintable(catcher.texts[0]));
    QCOMPARE(catcher.details[0], QDir::toNativeSeparators(broken) + QLatin1Char('\n'));
    // The window's own list still names it.
    QVERIFY(!formWidget<QPushButton>(*window, "pBtn_OpenReport")->isHidden());
}

/* An accepted click disables the button at once; the job's end enables it again and its
   messages reach the status line. */
void TestMainWindow::acceptedClickRunsJobAndReenablesButton() {
    const QString src = folder("src");
    const QString dst = folder("dst");
    auto window = makeWindow();
    auto* button = formWidget<QPushButton>(*window, "pBtn_Transform");
    auto* status = formWidget<QLabel>(*window, "lb_ShowDisposing");
    typeFolders(*window, src, dst);
    QSignalSpy started(window.get(), SIGNAL(pBtn_Transform_HasClicked()));
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(started.count(), 1);
    QVERIFY(!button->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(button->isEnabled(), 60000);
    window->on_ShowDisposingFile(QStringLiteral("/x/文档.docx"));
    QCOMPARE(status->text(), QStringLiteral("/x/文档.docx"));
}

/* A second conversion after a finished one replaces the job; the first one's last message
   stays until the second job reports. */
void TestMainWindow::secondConversionReplacesFirstJob() {
    const QString src = folder("src");
    const QString dst = folder("dst");
    auto window = makeWindow();
    auto* button = formWidget<QPushButton>(*window, "pBtn_Transform");
    typeFolders(*window, src, dst);
    auto* status = formWidget<QLabel>(*window, "lb_ShowDisposing");
    const QString nothingFound =
        QStringLiteral("没有找到Word文件：所选文件夹及其子文件夹中没有Word文件。");
    window->on_pBtn_Transform_clicked();
    QTRY_VERIFY_WITH_TIMEOUT(button->isEnabled(), 60000);
    QCOMPARE(status->text(), nothingFound);
    // Nothing to convert is amber, without a report to open.
    QCOMPARE(status->styleSheet(), QStringLiteral("color: rgb(191, 110, 0);"));
    QVERIFY(formWidget<QPushButton>(*window, "pBtn_OpenReport")->isHidden());
    QVERIFY(!formWidget<QPushButton>(*window, "pBtn_OpenSaveFolder")->isHidden());
    status->setText(QStringLiteral("first job's last message"));

    window->on_pBtn_Transform_clicked();
    QVERIFY(!button->isEnabled());
    // Nothing clears the status line between jobs.
    QCOMPARE(status->text(), QStringLiteral("first job's last message"));
    QTRY_VERIFY_WITH_TIMEOUT(button->isEnabled(), 60000);
    QCOMPARE(status->text(), nothingFound);
}

/* A whole conversion from the window with the built-in office: the button is disabled while
   the job runs and enabled after it, the status line ends with the summary, the workbooks lie
   in the mirrored tree and read back with openpyxl and xlrd, the failure goes to the report. */
void TestMainWindow::fullConversionWithBuiltinOffice() {
    const QString src = folder("源文件");
    const QString dst = folder("dst");
    QVERIFY(QDir().mkpath(src + QStringLiteral("sub")));
    const QString corpus = QStringLiteral("../shared/corpus/");
    QVERIFY(QFile::copy(corpus + QStringLiteral("docx/tables/TestTableColumns.docx"),
                        src + QStringLiteral("tables.docx")));
    QVERIFY(QFile::copy(corpus + QStringLiteral("doc/Lists.doc"),
                        src + QStringLiteral("sub/lists.doc")));
    QVERIFY(QFile::copy(corpus + QStringLiteral("malformed/PasswordProtected.doc"),
                        src + QStringLiteral("locked.doc")));
    QVERIFY(writeFile(src + QStringLiteral("notes.txt"), "not a Word document"));

    QStringList viewed;
    MainWindow::setReportViewerForJobs([&viewed](const QString& path) { viewed << path; });
    auto window = makeWindow();
    auto* button = formWidget<QPushButton>(*window, "pBtn_Transform");
    auto* status = formWidget<QLabel>(*window, "lb_ShowDisposing");
    auto* progress = formWidget<QProgressBar>(*window, "pgb_Progress");
    auto* openReport = formWidget<QPushButton>(*window, "pBtn_OpenReport");
    auto* openFolder = formWidget<QPushButton>(*window, "pBtn_OpenSaveFolder");
    QStringList opened;
    DesktopOpener::replace([&opened](const QString& path) {
        opened << path;
        return true;
    });
    typeFolders(*window, src, dst);
    window->show();
    QVERIFY(!progress->isVisible());
    QSignalSpy steps(progress, &QProgressBar::valueChanged);
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(!button->isEnabled());
    QVERIFY(progress->isVisible());
    QVERIFY(!openReport->isVisible());
    QDeadlineTimer deadline(180000);
    while (!button->isEnabled() && !deadline.hasExpired()) {
        QTest::qWait(5);
    }
    QVERIFY2(button->isEnabled(), "the job did not end within three minutes");

    // The bar counted the three Word documents and is hidden again; the summary names the
    // failure, in the warning colour, with buttons for the report and the results.
    QCOMPARE(progress->maximum(), 3);
    QCOMPARE(steps.last().at(0).toInt(), 3);
    QVERIFY(!progress->isVisible());
    const QRegularExpression summary(
        QStringLiteral("^成功转换2个Word文件，1个文件未能转换，耗时\\d+秒。$"));
    QVERIFY2(summary.match(status->text()).hasMatch(), qPrintable(status->text()));
    QCOMPARE(status->styleSheet(), QStringLiteral("color: rgb(255, 0, 0);"));
    QVERIFY(openReport->isVisible());
    QCOMPARE(openReport->text(), QStringLiteral("未转换的文件(&R)"));
    QVERIFY(openFolder->isVisible());
    // The report button lists the locked document with Word's reason; the dialog opens the
    // report file.
    QString listed;
    QTimer::singleShot(50, [&listed] {
        auto* dialog = qobject_cast<RunReportDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            return;
        }
        listed = dialog->listText();
        dialog->findChild<QPushButton*>(QStringLiteral("pBtn_OpenReportFile"))->click();
        dialog->reject();
    });
    QTest::mouseClick(openReport, Qt::LeftButton);
    QVERIFY2(listed.startsWith(QDir::toNativeSeparators(src + QStringLiteral("locked.doc")) +
                               QStringLiteral("\t无法打开\t")),
             qPrintable(listed));
    QVERIFY2(
        listed.trimmed().count(QLatin1Char('\t')) == 2 && !listed.endsWith(QStringLiteral("\t\n")),
        qPrintable(listed));
    QTest::mouseClick(openFolder, Qt::LeftButton);
    QCOMPARE(opened,
             (QStringList{QDir::toNativeSeparators(src + ConvertOptions::failureReportName()),
                          QDir::toNativeSeparators(dst)}));
    DesktopOpener::replace({});
    QVERIFY(QFile::exists(dst + QStringLiteral("tables.xlsx")));
    QVERIFY(QFile::exists(dst + QStringLiteral("sub/lists.xls")));
    QVERIFY(!QFile::exists(dst + QStringLiteral("locked.xls")));

    // The failure report lies inside the source folder and names the locked document.
    const QString report = src + ConvertOptions::failureReportName();
    QVERIFY(QFile::exists(report));
    QVERIFY(fileBytes(report).contains(
        QDir::toNativeSeparators(src + QStringLiteral("locked.doc")).toLocal8Bit()));
    QTRY_COMPARE_WITH_TIMEOUT(viewed.size(), 1, 5000);
    QCOMPARE(viewed[0], QDir::toNativeSeparators(report));

    // Read the workbooks back with readers we did not write.
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import sys, openpyxl, xlrd\n"
                                 "wb = openpyxl.load_workbook(sys.argv[1])\n"
                                 "book = xlrd.open_workbook(sys.argv[2])\n"
                                 "print(len(wb.worksheets), book.nsheets)\n"),
                  dst + QStringLiteral("tables.xlsx"), dst + QStringLiteral("sub/lists.xls")});
    QVERIFY(python.waitForFinished(60000));
    QVERIFY2(python.exitCode() == 0, python.readAllStandardError().constData());
    const QList<QByteArray> counts = python.readAllStandardOutput().trimmed().split(' ');
    QCOMPARE(counts.size(), 2);
    QVERIFY(counts[0].toInt() >= 1);
    QVERIFY(counts[1].toInt() >= 1);
}

/* Picking folders shows them with a trailing separator and writes them only into an
   existing settings file. */
void TestMainWindow::folderPickersWriteSettingsOnlyWhenFileExists() {
    const QString settings = m_dir->path() + QStringLiteral("/Sheetweaver.qvr");
    QString askedCaption;
    QFileDialog::Options askedOptions;
    QString askedDir;
    QString answer = m_dir->path() + QStringLiteral("/Word");
    QVERIFY(QDir().mkpath(answer));
    PathDialogs::replace(
        [&](QWidget*, const QString& caption, const QString& dir, QFileDialog::Options options) {
            askedCaption = caption;
            askedDir = dir;
            askedOptions = options;
            return answer;
        },
        {});
    auto window = makeWindow();
    auto* source = formWidget<QLineEdit>(*window, "lEdt_SourcePath");
    auto* save = formWidget<QLineEdit>(*window, "lEdt_SavePath");

    // No settings file: the field changes, nothing is created.
    window->on_pBtn_SourcePath_clicked();
    const QString expectedSource = QDir::toNativeSeparators(answer + QStringLiteral("/"));
    QCOMPARE(source->text(), expectedSource);
    QCOMPARE(askedCaption, QStringLiteral("选择文件夹"));
    // An empty field and no earlier pick: the home folder.
    QCOMPARE(askedDir, QDir::homePath());
    QCOMPARE(static_cast<int>(askedOptions), 3);
    QVERIFY(!QFile::exists(settings));

    // An existing (empty) settings file receives the value.
    QVERIFY(writeFile(settings, QByteArray()));
    window->on_pBtn_SourcePath_clicked();
    // The field's own folder next time.
    QCOMPARE(askedDir, answer);
    answer = m_dir->path() + QStringLiteral("/输出");
    window->on_pBtn_SavePath_clicked();
    // An empty save field: the folder picked last.
    QCOMPARE(askedDir, m_dir->path() + QStringLiteral("/Word"));
    const QString expectedSave = QDir::toNativeSeparators(answer + QStringLiteral("/"));
    QCOMPARE(save->text(), expectedSave);
    QCOMPARE(fileBytes(settings), QByteArray("\r\n") +
                                      settingsLine(QStringLiteral("SourcePath"), expectedSource) +
                                      settingsLine(QStringLiteral("SavePath"), expectedSave));
}

/* A cancelled dialog changes neither the field nor the settings file. */
void TestMainWindow::cancelledPickersChangeNothing() {
    const QString settings = m_dir->path() + QStringLiteral("/Sheetweaver.qvr");
    const QByteArray before = settingsLine(QStringLiteral("SourcePath"), QStringLiteral("/kept/"));
    QVERIFY(writeFile(settings, before));
    PathDialogs::replace(
        [](QWidget*, const QString&, const QString&, QFileDialog::Options) { return QString(); },
        [](QWidget*, const QString&, const QString&, const QString&) { return QString(); });
    auto window = makeWindow();
    window->on_pBtn_SourcePath_clicked();
    window->on_pBtn_SavePath_clicked();
    window->on_pBtn_TemplatePath_clicked();
    QCOMPARE(formWidget<QLineEdit>(*window, "lEdt_SourcePath")->text(), QStringLiteral("/kept/"));
    QVERIFY(formWidget<QLineEdit>(*window, "lEdt_SavePath")->text().isEmpty());
    QVERIFY(formWidget<QLineEdit>(*window, "lEdt_TemplatePath")->text().isEmpty());
    QCOMPARE(fileBytes(settings), before);
}

/* The template picker asks with no parent and writes the path as chosen. */
void TestMainWindow::templatePickerWritesSettings() {
    const QString settings = m_dir->path() + QStringLiteral("/Sheetweaver.qvr");
    const QByteArray first = settingsLine(QStringLiteral("SourcePath"), QStringLiteral("/a/"));
    QVERIFY(writeFile(settings, first));
    QWidget* askedParent = reinterpret_cast<QWidget*>(1);
    QString askedCaption;
    QString askedFilter;
    const QString chosen = m_dir->path() + QStringLiteral("/模板.xlsx");
    PathDialogs::replace(
        {}, [&](QWidget* parent, const QString& caption, const QString&, const QString& filter) {
            askedParent = parent;
            askedCaption = caption;
            askedFilter = filter;
            return chosen;
        });
    auto window = makeWindow();
    window->on_pBtn_TemplatePath_clicked();
    QVERIFY(askedParent == nullptr);
    QCOMPARE(askedCaption, QStringLiteral("选择Excel文件"));
    for (const char* pattern : {"*.xls", "*.xlsx", "*.xlsm"}) {
        QVERIFY(askedFilter.contains(QString::fromLatin1(pattern)));
    }
    QCOMPARE(formWidget<QLineEdit>(*window, "lEdt_TemplatePath")->text(),
             QDir::toNativeSeparators(chosen));
    QVERIFY(formWidget<QCheckBox>(*window, "cBox_UseTemplate")->isChecked());
    QCOMPARE(fileBytes(settings), first + settingsLine(QStringLiteral("TemplatePath"),
                                                       QDir::toNativeSeparators(chosen)));
}

/* The three paths come back from the settings file; other widgets keep their defaults. */
void TestMainWindow::settingsRestoredAtStart() {
    const QString settings = m_dir->path() + QStringLiteral("/Sheetweaver.qvr");
    QVERIFY(writeFile(settings,
                      QByteArray("TemplatePath=  /t/模板.xls \r\n") +
                          settingsLine(QStringLiteral("SourcePath"), QStringLiteral("/src/文档/")) +
                          "SavePath=/no/line/end"));
    auto window = makeWindow();
    QCOMPARE(formWidget<QLineEdit>(*window, "lEdt_SourcePath")->text(),
             QStringLiteral("/src/文档/"));
    QCOMPARE(formWidget<QLineEdit>(*window, "lEdt_TemplatePath")->text(),
             QStringLiteral("/t/模板.xls"));
    // A value without its line end cannot be read.
    QVERIFY(formWidget<QLineEdit>(*window, "lEdt_SavePath")->text().isEmpty());
    QCOMPARE(formWidget<QSpinBox>(*window, "sBox_LastRow")->value(), 100);
    QVERIFY(!formWidget<QCheckBox>(*window, "cBox_UseTemplate")->isChecked());

    // A missing file gives empty fields.
    QVERIFY(QFile::remove(settings));
    auto plain = makeWindow();
    QVERIFY(formWidget<QLineEdit>(*plain, "lEdt_SourcePath")->text().isEmpty());
}

/* A minimised window comes back at the size the user gave it. */
void TestMainWindow::showSoftWindowKeepsUserSize() {
    auto window = makeWindow();
    window->show();
    window->resize(1000, 600);
    window->showMinimized();
    window->ShowSoftWindow();
    QVERIFY(window->isVisible());
    QVERIFY(!window->isMinimized());
    QCOMPARE(window->size(), QSize(1000, 600));
}

/* Single and double clicks on the tray icon show the window; other reasons do nothing. */
void TestMainWindow::trayActivationShowsWindowOnClicks() {
    auto window = makeWindow();
    QVERIFY(trayIcon != nullptr);
    QCOMPARE(trayIcon->parent(), window.get());
    window->show();
    for (auto reason :
         {QSystemTrayIcon::Context, QSystemTrayIcon::MiddleClick, QSystemTrayIcon::Unknown}) {
        window->resize(1200, 700);
        emit trayIcon->activated(reason);
        QCOMPARE(window->size(), QSize(1200, 700));
    }
    for (auto reason : {QSystemTrayIcon::Trigger, QSystemTrayIcon::DoubleClick}) {
        window->resize(1200, 700);
        window->showMinimized();
        emit trayIcon->activated(reason);
        QVERIFY(!window->isMinimized());
        QCOMPARE(window->size(), QSize(1200, 700));
    }
}

/* The tray's first entry shows the window, the second ends the event loop. */
void TestMainWindow::trayMenuEntries() {
    auto window = makeWindow();
    const QList<QAction*> entries = trayIcon->contextMenu()->actions();
    QCOMPARE(entries.size(), 2);
    window->resize(1200, 700);
    entries[0]->trigger();
    QCOMPARE(window->size(), QSize(1200, 700));
    QVERIFY(window->isVisible());

    QTimer::singleShot(0, entries[1], &QAction::trigger);
    QCOMPARE(runApplicationLoop(5000), 0);
}

/* Started with "-autorun", an installed update is neither announced nor restarted. */
void TestMainWindow::updateSuccessIgnoredWhenAutostarted() {
    const QString marker = m_dir->path() + QStringLiteral("/restarted");
    const QString script = m_dir->path() + QStringLiteral("/Sheetweaver");
    QVERIFY(writeFile(script, "#!/bin/sh\ntouch '" + marker.toLocal8Bit() + "'\n"));
    QVERIFY(QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    auto window = makeWindow();
    launchArgument = "-autorun";
    appPath = script.toLocal8Bit().toStdString();

    ModalCatcher catcher;
    QTimer::singleShot(0, window.get(), SLOT(on_Signal_UpdateSuccess()));
    QCOMPARE(runApplicationLoop(500), 42);  // not quit
    QVERIFY(catcher.texts.isEmpty());
    QTest::qWait(300);
    QVERIFY(!QFile::exists(marker));

    // "-autorun" must match whole: a longer argument is a normal start.
    launchArgument = "-autorunx";
    QTimer::singleShot(0, window.get(), SLOT(on_Signal_UpdateSuccess()));
    QCOMPARE(runApplicationLoop(5000), 0);
    QCOMPARE(catcher.texts, QStringList{QStringLiteral("成功升级新版本!")});
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 10000);
}

/* A normal start shows the notice, quits and starts the program file again. */
void TestMainWindow::updateSuccessAnnouncesQuitsAndRestarts() {
    const QString marker = m_dir->path() + QStringLiteral("/restarted");
    const QString script = m_dir->path() + QStringLiteral("/Sheetweaver");
    QVERIFY(writeFile(script, "#!/bin/sh\ntouch '" + marker.toLocal8Bit() + "'\n"));
    QVERIFY(QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    auto window = makeWindow();
    appPath = script.toLocal8Bit().toStdString();

    ModalCatcher catcher;
    QTimer::singleShot(0, window.get(), SLOT(on_Signal_UpdateSuccess()));
    QCOMPARE(runApplicationLoop(5000), 0);
    QCOMPARE(catcher.titles, QStringList{QStringLiteral("注意：")});
    QCOMPARE(catcher.texts, QStringList{QStringLiteral("成功升级新版本!")});
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 10000);
}
/* Start a job over a few real documents, long enough to act while it runs. */
void TestMainWindow::startLongJob(MainWindow& window) {
    const QString src = folder("long");
    const QString dst = folder("long-out");
    const QString corpus = QStringLiteral("../shared/corpus/");
    for (int i = 0; i < 6; ++i) {
        QVERIFY(QFile::copy(corpus + QStringLiteral("docx/tables/TestTableColumns.docx"),
                            src + QStringLiteral("d%1.docx").arg(i)));
    }
    typeFolders(window, src, dst);
    window.on_pBtn_Transform_clicked();
    QVERIFY(!formWidget<QPushButton>(window, "pBtn_Transform")->isEnabled());
}

/* Closing during a run asks; without a yes the window stays. Closing when idle asks nothing. */
void TestMainWindow::closeDuringRunAsks() {
    auto window = makeWindow();
    window->show();
    startLongJob(*window);
    {
        ModalCatcher catcher;  // closes the question without a yes
        window->close();
        QCOMPARE(catcher.texts, QStringList{QStringLiteral("正在转换，确定要退出吗？")});
    }
    QVERIFY(window->isVisible());
    QVERIFY(jobEnded(*window));
    ModalCatcher catcher;
    window->close();
    QVERIFY(catcher.texts.isEmpty());
    QVERIFY(!window->isVisible());
}

/* The tray's quit entry asks during a run (the tray's own test shows that a no keeps the
   event loop running); when idle it asks nothing. */
void TestMainWindow::trayQuitDuringRunAsks() {
    auto window = makeWindow();
    startLongJob(*window);
    ModalCatcher catcher;
    trayIcon->quitAction->trigger();
    QCOMPARE(catcher.texts, QStringList{QStringLiteral("正在转换，确定要退出吗？")});
    QVERIFY(jobEnded(*window));
    QTimer::singleShot(0, trayIcon->quitAction, &QAction::trigger);
    QCOMPARE(runApplicationLoop(5000), 0);
    QCOMPARE(catcher.texts.size(), 1);
}

/* Rows: the field, what is dropped on it, and whether the field takes it. */
void TestMainWindow::droppedPaths_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("dropped");  // relative to the test folder
    QTest::addColumn<bool>("asText");      // given as "file:///..." text instead of a URL
    QTest::addColumn<bool>("accepted");
    const QString source = QStringLiteral("lEdt_SourcePath");
    const QString save = QStringLiteral("lEdt_SavePath");
    const QString templ = QStringLiteral("lEdt_TemplatePath");
    QTest::newRow("folder on source") << source << QStringLiteral("文档") << false << true;
    QTest::newRow("folder on save") << save << QStringLiteral("文档") << false << true;
    QTest::newRow("folder as URL text") << source << QStringLiteral("文档") << true << true;
    QTest::newRow("file on source") << source << QStringLiteral("模板.xlsx") << false << false;
    QTest::newRow("missing folder") << save << QStringLiteral("nowhere") << false << false;
    QTest::newRow("workbook on template") << templ << QStringLiteral("模板.xlsx") << false << true;
    QTest::newRow("document on template") << templ << QStringLiteral("a.docx") << false << false;
    QTest::newRow("folder on template") << templ << QStringLiteral("文档") << false << false;
}

/* A drop puts the local path into the field (folders with one separator); others are refused. */
void TestMainWindow::droppedPaths() {
    QFETCH(QString, field);
    QFETCH(QString, dropped);
    QFETCH(bool, asText);
    QFETCH(bool, accepted);
    folder("文档");
    QVERIFY(writeFile(m_dir->path() + QStringLiteral("/模板.xlsx"), "workbook"));
    QVERIFY(writeFile(m_dir->path() + QStringLiteral("/a.docx"), "document"));
    const QString path = m_dir->path() + QLatin1Char('/') + dropped;
    auto window = makeWindow();
    auto* edit = window->findChild<QLineEdit*>(field);
    edit->setText(QStringLiteral("before"));

    QMimeData data;
    if (asText) {
        data.setText(QUrl::fromLocalFile(path).toString());
    } else {
        data.setUrls({QUrl::fromLocalFile(path)});
    }
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction | Qt::LinkAction, &data, Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(edit, &enter);
    QCOMPARE(enter.isAccepted(), accepted);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction | Qt::LinkAction, &data, Qt::LeftButton,
                    Qt::NoModifier);
    QApplication::sendEvent(edit, &drop);
    QCOMPARE(drop.isAccepted(), accepted);
    const QString expected = !accepted ? QStringLiteral("before")
                             : QFileInfo(path).isDir()
                                 ? QDir::toNativeSeparators(path + QLatin1Char('/'))
                                 : QDir::toNativeSeparators(path);
    QCOMPARE(edit->text(), expected);
    // A template dropped is a template to use.
    const bool templateTaken = accepted && field == QStringLiteral("lEdt_TemplatePath");
    QCOMPARE(formWidget<QCheckBox>(*window, "cBox_UseTemplate")->isChecked(), templateTaken);
}

/* Rows: SHEETWEAVER_LANG, the locale, the language chosen. */
void TestMainWindow::languageByLocaleAndOverride_data() {
    QTest::addColumn<QByteArray>("setting");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<bool>("chinese");
    const QLocale china(QLocale::Chinese, QLocale::China);
    const QLocale taiwan(QLocale::Chinese, QLocale::Taiwan);
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const QLocale german(QLocale::German, QLocale::Germany);
    QTest::newRow("Chinese locale") << QByteArray() << china << true;
    QTest::newRow("another Chinese locale") << QByteArray() << taiwan << true;
    QTest::newRow("English locale") << QByteArray() << english << false;
    QTest::newRow("other locale") << QByteArray() << german << false;
    QTest::newRow("C locale") << QByteArray() << QLocale::c() << false;
    QTest::newRow("en overrides Chinese") << QByteArray("en") << china << false;
    QTest::newRow("zh overrides English") << QByteArray("ZH") << english << true;
    QTest::newRow("unknown setting ignored") << QByteArray("fr") << china << true;
}

/* The interface language follows the override, else the locale. */
void TestMainWindow::languageByLocaleAndOverride() {
    QFETCH(QByteArray, setting);
    QFETCH(QLocale, locale);
    QFETCH(bool, chinese);
    const bool choseChinese = Languages::choose(setting, locale) == Languages::Language::Chinese;
    QCOMPARE(choseChinese, chinese);
}

/* True when the text holds a Chinese character. */
static bool hasChinese(const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() >= 0x3000 && c.unicode() <= 0x9fff) {
            return true;
        }
    }
    return false;
}

/* In English every text of the window, its messages and the tray menu is English; only the
   report's file name stays as it is. */
void TestMainWindow::englishInterfaceShowsNoChinese() {
    QCOMPARE(Languages::install(Languages::Language::English), 1);
    auto window = makeWindow();
    QStringList texts;
    for (QAbstractButton* b : window->findChildren<QAbstractButton*>()) {
        texts << b->text();
    }
    for (QLabel* l : window->findChildren<QLabel*>()) {
        texts << l->text();
    }
    for (QGroupBox* g : window->findChildren<QGroupBox*>()) {
        texts << g->title();
    }
    texts << formWidget<QTabWidget>(*window, "tabWidget")->tabText(0);
    for (QAction* a : trayIcon->contextMenu()->actions()) {
        texts << a->text();
    }
    ModalCatcher catcher;
    window->on_pBtn_Transform_clicked();  // empty source folder
    texts << catcher.texts;
    QCOMPARE(catcher.texts.size(), 1);

    const QString src = folder("src");
    const QString dst = folder("dst");
    typeFolders(*window, src, dst);
    window->on_pBtn_Transform_clicked();
    QVERIFY(jobEnded(*window));
    texts << formWidget<QLabel>(*window, "lb_ShowDisposing")->text();
    Languages::install(Languages::Language::Chinese);

    QVERIFY(texts.size() > 20);
    for (const QString& text : texts) {
        QVERIFY2(!hasChinese(text), qPrintable(text));
    }
    QVERIFY(texts.contains(QStringLiteral("&Convert")));
    QVERIFY(hasChinese(ConvertOptions::failureReportName()));
}

/* In Chinese, Qt's own dialogs and buttons speak Chinese too. */
void TestMainWindow::chineseInterfaceTranslatesQtsOwnTexts() {
    QCOMPARE(Languages::install(Languages::Language::Chinese), 1);
    QVERIFY(hasChinese(QCoreApplication::translate("QFileDialog", "Look in:")));
    QVERIFY(hasChinese(QCoreApplication::translate("QPlatformTheme", "Cancel")));
    Languages::install(Languages::Language::English);
    QCOMPARE(QCoreApplication::translate("QFileDialog", "Look in:"), QStringLiteral("Look in:"));
    Languages::install(Languages::Language::Chinese);
    auto window = makeWindow();
    QCOMPARE(formWidget<QPushButton>(*window, "pBtn_Transform")->text(),
             QStringLiteral("转换(&C)"));
}

/* A second copy's request shows the running window without stopping its conversion; a name
   nobody listens on gets no answer. */
void TestMainWindow::secondCopyHandsOverWhileJobRuns() {
    const QString name = InstanceGate::serverName(m_dir->path(), QStringLiteral("tester"));
    QVERIFY(name != InstanceGate::serverName(m_dir->path(), QStringLiteral("other")));
    QVERIFY(!InstanceGate::askRunningCopyToShow(name, 300));

    auto window = makeWindow();
    InstanceGate gate;
    int shown = 0;
    QVERIFY(gate.listen(name, [&] {
        ++shown;
        window->ShowSoftWindow();
    }));
    window->showMinimized();
    startLongJob(*window);
    std::atomic<int> answered{-1};
    std::thread second([&] { answered = InstanceGate::askRunningCopyToShow(name) ? 1 : 0; });
    QTRY_VERIFY_WITH_TIMEOUT(answered != -1, 5000);
    second.join();
    QCOMPARE(answered.load(), 1);
    QCOMPARE(shown, 1);
    QVERIFY(!window->isMinimized());
    // The conversion went on and finished every document.
    QVERIFY(jobEnded(*window));
    QCOMPARE(QDir(m_dir->path() + QStringLiteral("/long-out")).entryList(QDir::Files).size(), 6);
}

/* The issues dialog lists document, what happened and why; copy gives the same lines; the
   report file opens only when it was written. */
void TestMainWindow::issuesListedWithReasons() {
    RunReport run;
    run.issues = {
        {RunIssue::Kind::NotOpened, QStringLiteral("/s/a.doc"), QStringLiteral("encrypted")},
        {RunIssue::Kind::NotSaved, QStringLiteral("/s/b.doc"), QString()},
        {RunIssue::Kind::Lossy, QStringLiteral("/s/c.doc"), QStringLiteral("Sheet1!A5 (cut)")}};
    RunReportDialog dialog(run, QStringLiteral("/s/report.txt"));
    const QString expected = QStringLiteral(
        "/s/a.doc\t无法打开\tencrypted\n"
        "/s/b.doc\t未能保存\t\n"
        "/s/c.doc\t转换有损失\tSheet1!A5 (cut)\n");
    QCOMPARE(dialog.listText(), expected);
    QVERIFY(!dialog.findChild<QPushButton*>(QStringLiteral("pBtn_OpenReportFile"))->isEnabled());
    dialog.findChild<QPushButton*>(QStringLiteral("pBtn_CopyIssues"))->click();
    QCOMPARE(QGuiApplication::clipboard()->text(), expected);
}

/* Every button and option has an Alt key, none twice, in Chinese and in English. */
void TestMainWindow::keysInBothLanguages() {
    for (const auto language : {Languages::Language::Chinese, Languages::Language::English}) {
        Languages::install(language);
        auto window = makeWindow();
        QStringList keys;
        for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
            if (button->objectName().startsWith(QLatin1String("qt_")) || button->text().isEmpty()) {
                continue;
            }
            const QString key = QKeySequence::mnemonic(button->text()).toString();
            QVERIFY2(!key.isEmpty(), qPrintable(button->text()));
            QVERIFY2(!keys.contains(key), qPrintable(button->text()));
            keys << key;
        }
        auto* label = formWidget<QLabel>(*window, "label");
        QVERIFY(label->text().contains(QLatin1Char('&')));
        QCOMPARE(label->buddy(), formWidget<QWidget>(*window, "sBox_LastRow"));
    }
    Languages::install(Languages::Language::Chinese);
}

/* Enter in each field, or on the focused convert button, starts the run. */
void TestMainWindow::enterStartsTheRun() {
    auto window = makeWindow();
    typeFolders(*window, folder("empty"), folder("empty-out"));
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QSignalSpy started(window.get(), SIGNAL(pBtn_Transform_HasClicked()));
    QList<QWidget*> targets;
    for (const char* name :
         {"lEdt_SourcePath", "lEdt_SavePath", "lEdt_TemplatePath", "lEdt_SplitChar"}) {
        targets << formWidget<QWidget>(*window, name);
    }
    targets << formWidget<QSpinBox>(*window, "sBox_LastRow")->findChild<QLineEdit*>();
    targets << formWidget<QPushButton>(*window, "pBtn_Transform");
    for (QWidget* target : targets) {
        target->setFocus();
        QTest::keyClick(target, Qt::Key_Return);
        QVERIFY(jobEnded(*window));
    }
    QCOMPARE(started.count(), targets.size());
    QCOMPARE(formWidget<QLabel>(*window, "lb_ShowDisposing")->text(),
             QStringLiteral("没有找到Word文件：所选文件夹及其子文件夹中没有Word文件。"));
}

/* Rows: a path as typed, pasted or dropped as text, and the path a run takes. */
void TestMainWindow::typedPathsCleaned_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("path");
    QTest::newRow("blanks around") << QStringLiteral("  /a/b \t") << QStringLiteral("/a/b");
    QTest::newRow("quoted") << QStringLiteral("\"/a b/\"") << QStringLiteral("/a b/");
    QTest::newRow("file URL") << QStringLiteral(" file:///tmp/x%20y/ ")
                              << QStringLiteral("/tmp/x y/");
    QTest::newRow("not a URL") << QStringLiteral("files/a") << QStringLiteral("files/a");
    QTest::newRow("empty") << QStringLiteral("   ") << QString();
}

/* Typed paths are trimmed and file URLs become paths, in the field the run reads. */
void TestMainWindow::typedPathsCleaned() {
    QFETCH(QString, typed);
    QFETCH(QString, path);
    QCOMPARE(ConvertOptions::pathFromTyped(typed), QDir::toNativeSeparators(path));
    auto window = makeWindow();
    formWidget<QLineEdit>(*window, "lEdt_SourcePath")->setText(typed);
    ModalCatcher catcher;
    window->on_pBtn_Transform_clicked();
    QCOMPARE(convertOptions().sourcePath, ConvertOptions::folderWithSeparator(path));
}

/* A destination that does not exist is created when the user agrees, and the run starts. */
void TestMainWindow::missingDestinationOffered() {
    auto window = makeWindow();
    const QString dst = m_dir->path() + QStringLiteral("/new/deep/");
    typeFolders(*window, folder("empty"), dst);
    ModalCatcher catcher;
    catcher.answer = QMessageBox::Yes;
    window->on_pBtn_Transform_clicked();
    QCOMPARE(catcher.texts.size(), 1);
    QVERIFY(QFileInfo(dst).isDir());
    QVERIFY(jobEnded(*window));
}

/* Folders however entered, the options, separator, last row and template choice come back in
   the next window after a run started. */
void TestMainWindow::lastRunRemembered() {
    QVERIFY(writeFile(m_dir->path() + QStringLiteral("/Sheetweaver.qvr"), QByteArray()));
    const QString src = folder("empty");
    const QString dst = folder("empty-out");
    auto window = makeWindow();
    typeFolders(*window, QStringLiteral("  ") + src, QUrl::fromLocalFile(dst).toString());
    formWidget<QLineEdit>(*window, "lEdt_TemplatePath")->setText(QStringLiteral("/t/模板.xlsx"));
    formWidget<QCheckBox>(*window, "cBox_JustText")->setChecked(true);
    formWidget<QCheckBox>(*window, "cBox_SplitChar")->setChecked(true);
    formWidget<QLineEdit>(*window, "lEdt_SplitChar")->setText(QStringLiteral(" ;"));
    formWidget<QSpinBox>(*window, "sBox_LastRow")->setValue(7);
    window->on_pBtn_Transform_clicked();
    QVERIFY(jobEnded(*window));

    auto next = makeWindow();
    QCOMPARE(formWidget<QLineEdit>(*next, "lEdt_SourcePath")->text(),
             QDir::toNativeSeparators(src));
    QCOMPARE(formWidget<QLineEdit>(*next, "lEdt_SavePath")->text(), QDir::toNativeSeparators(dst));
    QCOMPARE(formWidget<QLineEdit>(*next, "lEdt_TemplatePath")->text(),
             QStringLiteral("/t/模板.xlsx"));
    QVERIFY(!formWidget<QCheckBox>(*next, "cBox_UseTemplate")->isChecked());
    QVERIFY(formWidget<QCheckBox>(*next, "cBox_JustText")->isChecked());
    QVERIFY(!formWidget<QCheckBox>(*next, "cBox_JustTable")->isChecked());
    QVERIFY(formWidget<QCheckBox>(*next, "cBox_SplitChar")->isChecked());
    QCOMPARE(formWidget<QLineEdit>(*next, "lEdt_SplitChar")->text(), QStringLiteral(" ;"));
    QCOMPARE(formWidget<QSpinBox>(*next, "sBox_LastRow")->value(), 7);
}

/* Rows: the answer to the question about earlier workbooks, and which documents are converted
   again (a changed one, an unchanged one). */
void TestMainWindow::existingOutputsAskOnce_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("changedConverted");
    QTest::addColumn<bool>("unchangedConverted");
    QTest::newRow("replace all") << QStringLiteral("pBtn_ReplaceAll") << true << true;
    QTest::newRow("resume: only the changed one") << QStringLiteral("pBtn_Resume") << true << false;
    QTest::newRow("cancel: nothing") << QString() << false << false;
}

/* With workbooks in the destination the window asks once before the run. */
void TestMainWindow::existingOutputsAskOnce() {
    QFETCH(QString, answer);
    QFETCH(bool, changedConverted);
    QFETCH(bool, unchangedConverted);
    const QString src = folder("src");
    const QString dst = folder("dst");
    const QString corpus = QStringLiteral("../shared/corpus/docx/tables/TestTableColumns.docx");
    QVERIFY(QFile::copy(corpus, src + QStringLiteral("changed.docx")));
    QVERIFY(QFile::copy(corpus, src + QStringLiteral("same.docx")));
    auto window = makeWindow();
    typeFolders(*window, src, dst);
    ModalCatcher catcher;
    window->on_pBtn_Transform_clicked();  // nothing there yet: no question
    QVERIFY(jobEnded(*window));
    QVERIFY(catcher.texts.isEmpty());
    // Every document converted without loss: green.
    QCOMPARE(formWidget<QLabel>(*window, "lb_ShowDisposing")->styleSheet(),
             QStringLiteral("color: rgb(0, 128, 0);"));

    const QDateTime hourAgo = QDateTime::currentDateTime().addSecs(-3600);
    for (const char* name : {"changed.xlsx", "same.xlsx"}) {
        QFile output(dst + QString::fromLatin1(name));
        QVERIFY(output.open(QIODevice::ReadWrite));
        QVERIFY(output.setFileTime(hourAgo, QFileDevice::FileModificationTime));
    }
    QFile same(src + QStringLiteral("same.docx"));
    QVERIFY(same.open(QIODevice::ReadOnly));
    QVERIFY(same.setFileTime(hourAgo.addSecs(-60), QFileDevice::FileModificationTime));
    same.close();
    catcher.answerName = answer;
    catcher.answer = QMessageBox::Cancel;
    window->on_pBtn_Transform_clicked();
    QCOMPARE(catcher.texts.size(), 1);
    QVERIFY(jobEnded(*window));
    const auto rewritten = [&](const char* name) {
        return QFileInfo(dst + QString::fromLatin1(name)).lastModified() > hourAgo.addSecs(60);
    };
    QCOMPARE(rewritten("changed.xlsx"), changedConverted);
    QCOMPARE(rewritten("same.xlsx"), unchangedConverted);
}

/* Stop ends the run after the current document: the form is locked and the tray counts while it
   runs, a marker tells other copies it converts, and the line says where it stopped. */
void TestMainWindow::stopEndsAfterCurrentDocument() {
    // The user's marker in this test's folder, apart from other copies on this machine.
    const QByteArray tmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", m_dir->path().toLocal8Bit());
    const auto restore = qScopeGuard([&tmp] { qputenv("TMPDIR", tmp); });
    auto window = makeWindow();
    window->show();
    auto* progress = formWidget<QProgressBar>(*window, "pgb_Progress");
    // Enough documents that the stop comes before the last one.
    const QString src = folder("many");
    const QString dst = folder("many-out");
    for (int i = 0; i < 200; ++i) {
        QVERIFY(QFile::copy(QStringLiteral("../shared/corpus/docx/tables/stress004.docx"),
                            src + QStringLiteral("d%1.docx").arg(i)));
    }
    typeFolders(*window, src, dst);
    window->on_pBtn_Transform_clicked();
    QVERIFY(QTest::qWaitFor([progress] { return progress->value() >= 1; }, 30000));
    QVERIFY(formWidget<QLineEdit>(*window, "lEdt_SourcePath")->isReadOnly());
    QVERIFY(!formWidget<QCheckBox>(*window, "cBox_JustTable")->isEnabled());
    QVERIFY(!formWidget<QPushButton>(*window, "pBtn_SavePath")->isEnabled());
    QVERIFY(trayIcon->toolTip().startsWith(QStringLiteral("Sheetweaver ")));
    QVERIFY(trayIcon->toolTip().endsWith(QStringLiteral("/200")));
    QVERIFY(RunMarker::heldElsewhere());
    QTest::mouseClick(formWidget<QPushButton>(*window, "pBtn_Stop"), Qt::LeftButton);
    QVERIFY(jobEnded(*window));

    const QRegularExpression stopped(
        QStringLiteral("^已在(\\d+)/200个文件后停止，成功转换(\\d+)个"));
    const QRegularExpressionMatch match =
        stopped.match(formWidget<QLabel>(*window, "lb_ShowDisposing")->text());
    QVERIFY2(match.hasMatch(), qPrintable(formWidget<QLabel>(*window, "lb_ShowDisposing")->text()));
    QVERIFY(match.captured(1).toInt() < 200);
    QCOMPARE(QDir(dst).entryList(QDir::Files).size(), match.captured(2).toInt());
    QVERIFY(!formWidget<QLineEdit>(*window, "lEdt_SourcePath")->isReadOnly());
    QVERIFY(formWidget<QCheckBox>(*window, "cBox_JustTable")->isEnabled());
    QCOMPARE(trayIcon->toolTip(), QStringLiteral("Sheetweaver"));
    QVERIFY(!RunMarker::heldElsewhere());
}

/* The marker is held by one holder at a time and gone once released. */
void TestMainWindow::runMarkerHeldWhileConverting() {
    const QString path = m_dir->path() + QStringLiteral("/run.lock");
    RunMarker first(path);
    QVERIFY(!RunMarker::heldElsewhere(path));
    QVERIFY(first.hold());
    QVERIFY(RunMarker::heldElsewhere(path));
    RunMarker second(path);
    QVERIFY(!second.hold());
    first.release();
    QVERIFY(!RunMarker::heldElsewhere(path));
    QVERIFY(second.hold());
}

/* Run the tests at the usual desktop resolution of 96 dots per inch. */
int main(int argc, char* argv[]) {
    qputenv("QT_FONT_DPI", "96");
    QApplication application(argc, argv);
    TestMainWindow tests;
    return QTest::qExec(&tests, argc, argv);
}
#include "test_mainwindow.moc"
