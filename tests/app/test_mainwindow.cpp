#include "app/mainwindow.h"

#include "app/languages.h"

#include "app/desktopopener.h"
#include "app/instancegate.h"
#include "app/pathdialogs.h"
#include "app/startuppaths.h"
#include "app/systemtray.h"
#include "engine/convertoptions.h"
#include "office/builtinoffice.h"
#include "tests/app/modalcatcher.h"
#include "ui_mainwindow.h"

#include <QCheckBox>
#include <QDeadlineTimer>
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
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

/* Create a file holding text; false when it cannot be written. */
bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(bytes) == bytes.size();
}

/* The object names of children, in creation order, that belong to the form. */
QStringList namedChildren(const QObject* parent) {
    QStringList names;
    for (const QObject* child : parent->children()) {
        const QString name = child->objectName();
        if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_")))
            names << name;
    }
    return names;
}

/* The names of a layout's items from first to last. */
QStringList layoutItems(const QLayout* layout) {
    QStringList names;
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        if (item->widget() != nullptr)
            names << item->widget()->objectName();
        else if (item->layout() != nullptr)
            names << item->layout()->objectName();
        else
            names << QStringLiteral("<spacer>");
    }
    return names;
}

/* The window's first size on the primary screen: 940 x 520 where that fits. */
QSize firstSize(const QWidget& window) {
    const QSize free = QGuiApplication::primaryScreen()->availableGeometry().size();
    return MainWindow::fittedSize(QSize(940, 520), free, window.minimumSizeHint());
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
    void formFitsItsInitialSize();
    void placementArithmetic_data();
    void placementArithmetic();
    void failedCountInSummary_data();
    void failedCountInSummary();
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
    void showSoftWindowRestoresInitialSize();
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
         {QStringLiteral("cBox_JustText"), QStringLiteral("cBox_JustTable"),
          QStringLiteral("cBox_SplitChar"), QStringLiteral("lEdt_SplitChar"),
          QStringLiteral("pBtn_Transform")},
         {0, 0, 0, 2, 0}},
    };
    for (const Expected& e : layouts) {
        QBoxLayout* l = layout(e.name);
        QVERIFY2(l != nullptr, e.name);
        QCOMPARE(l->spacing(), e.spacing);
        QCOMPARE(marginsOf(l), e.margins);
        QCOMPARE(layoutItems(l), e.items);
        for (int i = 0; i < e.stretch.size(); ++i)
            QCOMPARE(l->stretch(i), e.stretch[i]);
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

/* Texts, size policies, minimum sizes, style sheet and the defaults of every widget. */
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
    QCOMPARE(button("pBtn_SourcePath")->text(), QStringLiteral("Word文件所在文件夹："));
    QCOMPARE(button("pBtn_SavePath")->text(), QStringLiteral("转换后保存到此文件夹："));
    QCOMPARE(button("pBtn_TemplatePath")->text(), QStringLiteral("Excel格式模板文件："));
    QCOMPARE(button("pBtn_Transform")->text(), QStringLiteral("转换"));
    QCOMPARE(check("cBox_UseTemplate")->text(), QStringLiteral("使用模板文件"));
    QCOMPARE(check("cBox_JustText")->text(), QStringLiteral("仅文本内容,不带格式"));
    QCOMPARE(check("cBox_JustTable")->text(),
             QStringLiteral("只转换Word文件中的表格(一个Word表格一个Sheet)"));
    QCOMPARE(check("cBox_SplitChar")->text(),
             QStringLiteral("使用分列符(无法输入的符号,可从Word文件复制)："));
    QCOMPARE(formWidget<QLabel>(*window, "label")->text(), QStringLiteral("最后一行行号："));
    auto* tabs = formWidget<QTabWidget>(*window, "tabWidget");
    QCOMPARE(tabs->count(), 1);
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(tabs->tabText(0), QStringLiteral("软件设置"));

    auto* status = formWidget<QLabel>(*window, "lb_ShowDisposing");
    QCOMPARE(status->styleSheet(), QStringLiteral("color: rgb(255, 0, 0);"));
    QVERIFY(status->text().startsWith(QStringLiteral("  ")));
    QVERIFY(!status->text().startsWith(QStringLiteral("   ")));
    QVERIFY(status->text().endsWith(QStringLiteral(
        "。 【操作前请先备份并关闭所有Word文件,支持微软Office2007以上、WPS专业版】")));
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
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->objectName().startsWith(QLatin1String("qt_")))
            QVERIFY2(w->toolTip().isEmpty(), qPrintable(w->objectName()));
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
    for (int i = meta.methodOffset(); i < meta.methodCount(); ++i)
        methods << QString::fromLatin1(meta.method(i).methodSignature());
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
    QCOMPARE(window->windowTitle(), QStringLiteral("Sheetweaver1.2"));
    QVERIFY(!window->windowIcon().isNull());
    QCOMPARE(window->size(), firstSize(*window));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QCOMPARE(window->pos(), MainWindow::initialPosition(screen.width(), screen.height(),
                                                        window->width(), window->height()));
}

/* At the usual 96 dots per inch and 9 points every text fits into 940 x 520, and the form fits a
   1280 x 800 screen at 150 % (853 x 533 at 96 dots per inch, less a task bar), in both
   languages: the window keeps its first size when shown instead of growing to its minimum. */
void TestMainWindow::formFitsItsInitialSize() {
    for (const auto language : {Languages::Language::Chinese, Languages::Language::English}) {
        Languages::install(language);
        auto window = makeWindow();
        const QSize needed = window->minimumSizeHint();
        QVERIFY2(needed.width() <= 853 - 16 && needed.height() <= 533 - 40 - 30,
                 qPrintable(QStringLiteral("%1x%2").arg(needed.width()).arg(needed.height())));
    }
    Languages::install(Languages::Language::Chinese);
    auto window = makeWindow();
    window->show();
    const QSize needed = window->minimumSizeHint();
    QVERIFY2(needed.width() <= 940 && needed.height() <= 520,
             qPrintable(QStringLiteral("%1x%2").arg(needed.width()).arg(needed.height())));
    QCOMPARE(window->size(), firstSize(*window));
    for (QLabel* label : window->findChildren<QLabel*>())
        QVERIFY2(label->width() >= label->minimumSizeHint().width(),
                 qPrintable(label->objectName()));
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

/* Rows: the job's summary, the failed count, the status line's text. */
void TestMainWindow::failedCountInSummary_data() {
    QTest::addColumn<QString>("summary");
    QTest::addColumn<int>("failed");
    QTest::addColumn<QString>("expected");
    QTest::newRow("Chinese full stop")
        << QStringLiteral("成功转换4个Word文件,耗时12秒。") << 1
        << QStringLiteral("成功转换4个Word文件,耗时12秒，1个文件未能转换。");
    QTest::newRow("English full stop")
        << QStringLiteral("Converted 4 in 1 seconds.") << 2
        << QStringLiteral("Converted 4 in 1 seconds，2个文件未能转换.");
    QTest::newRow("no full stop") << QStringLiteral("成功") << 500
                                  << QStringLiteral("成功，500个文件未能转换");
}

/* The failed count goes before the summary's closing full stop. */
void TestMainWindow::failedCountInSummary() {
    QFETCH(QString, summary);
    QFETCH(int, failed);
    QFETCH(QString, expected);
    QCOMPARE(MainWindow::withFailedCount(summary, failed), expected);
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
    window->on_pBtn_Transform_clicked();  // save folder missing
    useTemplate->setChecked(true);
    templ->setText(src);  // a folder is not a template file
    window->on_pBtn_Transform_clicked();
    const QString document = m_dir->path() + QStringLiteral("/模板.docx");
    QVERIFY(writeFile(document, "a Word document"));
    templ->setText(document);  // an existing file, but no workbook
    window->on_pBtn_Transform_clicked();

    const QString noSource = QStringLiteral("Word文件所在文件夹不存在!");
    const QString noTemplate = QStringLiteral("excel模板文件不存在!");
    const QString noSave = QStringLiteral("保存文件夹不存在!");
    QCOMPARE(catcher.texts, (QStringList{noSource, noTemplate, noTemplate, noSave, noSave,
                                         noTemplate, noTemplate}));
    for (const QString& title : catcher.titles)
        QCOMPARE(title, QStringLiteral("Message:"));
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
    // Nothing beside the save folder, and typed paths are never written to the settings file.
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 3);
    QCOMPARE(fileBytes(m_dir->path() + QStringLiteral("/Sheetweaver.qvr")), QByteArray());
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
    QVERIFY(writeFile(templ, "no workbook"));
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
    QVERIFY(formWidget<QPushButton>(*window, "pBtn_OpenReport")->isHidden());
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
    const QRegularExpression summary(QStringLiteral("^成功转换0个Word文件,耗时\\d+秒。$"));
    window->on_pBtn_Transform_clicked();
    QTRY_VERIFY_WITH_TIMEOUT(button->isEnabled(), 60000);
    QVERIFY2(summary.match(status->text()).hasMatch(), qPrintable(status->text()));
    // Success is green, without a report to open.
    QCOMPARE(status->styleSheet(), QStringLiteral("color: rgb(0, 128, 0);"));
    QVERIFY(formWidget<QPushButton>(*window, "pBtn_OpenReport")->isHidden());
    QVERIFY(!formWidget<QPushButton>(*window, "pBtn_OpenSaveFolder")->isHidden());
    status->setText(QStringLiteral("first job's last message"));

    window->on_pBtn_Transform_clicked();
    QVERIFY(!button->isEnabled());
    // Nothing clears the status line between jobs.
    QCOMPARE(status->text(), QStringLiteral("first job's last message"));
    QTRY_VERIFY_WITH_TIMEOUT(button->isEnabled(), 60000);
    QVERIFY2(summary.match(status->text()).hasMatch(), qPrintable(status->text()));
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
    while (!button->isEnabled() && !deadline.hasExpired())
        QTest::qWait(5);
    QVERIFY2(button->isEnabled(), "the job did not end within three minutes");

    // The bar counted the three Word documents and is hidden again; the summary names the
    // failure, in the warning colour, with buttons for the report and the results.
    QCOMPARE(progress->maximum(), 3);
    QCOMPARE(steps.last().at(0).toInt(), 3);
    QVERIFY(!progress->isVisible());
    const QRegularExpression summary(
        QStringLiteral("^成功转换2个Word文件,耗时\\d+秒，1个文件未能转换。$"));
    QVERIFY2(summary.match(status->text()).hasMatch(), qPrintable(status->text()));
    QCOMPARE(status->styleSheet(), QStringLiteral("color: rgb(255, 0, 0);"));
    QVERIFY(openReport->isVisible());
    QVERIFY(openFolder->isVisible());
    QTest::mouseClick(openReport, Qt::LeftButton);
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
    QCOMPARE(int(askedOptions), 3);
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
    for (const char* pattern : {"*.xls", "*.xlsx", "*.xlsm"})
        QVERIFY(askedFilter.contains(QString::fromLatin1(pattern)));
    QCOMPARE(formWidget<QLineEdit>(*window, "lEdt_TemplatePath")->text(),
             QDir::toNativeSeparators(chosen));
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

/* A minimised or resized window comes back at 940 x 520. */
void TestMainWindow::showSoftWindowRestoresInitialSize() {
    auto window = makeWindow();
    window->show();
    window->resize(1200, 700);
    window->showMinimized();
    window->ShowSoftWindow();
    QVERIFY(window->isVisible());
    QVERIFY(!window->isMinimized());
    QCOMPARE(window->size(), firstSize(*window));
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
        QCOMPARE(window->size(), firstSize(*window));
    }
}

/* The tray's first entry shows the window, the second ends the event loop. */
void TestMainWindow::trayMenuEntries() {
    auto window = makeWindow();
    const QList<QAction*> entries = trayIcon->contextMenu()->actions();
    QCOMPARE(entries.size(), 2);
    window->resize(1200, 700);
    entries[0]->trigger();
    QCOMPARE(window->size(), firstSize(*window));
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
    if (asText)
        data.setText(QUrl::fromLocalFile(path).toString());
    else
        data.setUrls({QUrl::fromLocalFile(path)});
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
        if (c.unicode() >= 0x3000 && c.unicode() <= 0x9fff)
            return true;
    }
    return false;
}

/* In English every text of the window, its messages and the tray menu is English; only the
   report's file name stays as it is. */
void TestMainWindow::englishInterfaceShowsNoChinese() {
    QCOMPARE(Languages::install(Languages::Language::English), 1);
    auto window = makeWindow();
    QStringList texts;
    for (QAbstractButton* b : window->findChildren<QAbstractButton*>())
        texts << b->text();
    for (QLabel* l : window->findChildren<QLabel*>())
        texts << l->text();
    for (QGroupBox* g : window->findChildren<QGroupBox*>())
        texts << g->title();
    texts << formWidget<QTabWidget>(*window, "tabWidget")->tabText(0);
    for (QAction* a : trayIcon->contextMenu()->actions())
        texts << a->text();
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
    for (const QString& text : texts)
        QVERIFY2(!hasChinese(text), qPrintable(text));
    QVERIFY(texts.contains(QStringLiteral("Convert")));
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
    QCOMPARE(formWidget<QPushButton>(*window, "pBtn_Transform")->text(), QStringLiteral("转换"));
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

/* Run the tests at the usual desktop resolution of 96 dots per inch. */
int main(int argc, char* argv[]) {
    qputenv("QT_FONT_DPI", "96");
    QApplication application(argc, argv);
    TestMainWindow tests;
    return QTest::qExec(&tests, argc, argv);
}
#include "test_mainwindow.moc"
