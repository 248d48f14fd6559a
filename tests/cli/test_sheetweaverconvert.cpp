#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QMap>
#include <QSet>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QSysInfo>
#include <QTemporaryDir>

#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>
#endif

namespace {

// The converter run as a user runs it, on a temporary copy of the examples.
class ConverterTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(temp.isValid());
        source = temp.path() + QStringLiteral("/src");
        dest = temp.path() + QStringLiteral("/out");
        QDir().mkpath(dest);
        QDir().mkpath(source + QStringLiteral("/Sub"));
        ASSERT_TRUE(QFile::copy(QStringLiteral("examples/员工名单.docx"),
                                source + QStringLiteral("/a.docx")));
        ASSERT_TRUE(QFile::copy(QStringLiteral("examples/请假申请表.docx"),
                                source + QStringLiteral("/Sub/b.docx")));
    }

    // Run the converter; collects its streams and exit status.
    int run(const QStringList& arguments) {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(converter(), arguments);
        EXPECT_TRUE(process.waitForFinished(120000));
        out = QString::fromUtf8(process.readAllStandardOutput());
        err = QString::fromUtf8(process.readAllStandardError());
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    // The converter of the build under test.
    static QString converter() {
        return QProcessEnvironment::systemEnvironment().value(QStringLiteral("SW_BUILD_DIR")) +
               QStringLiteral("/bin/sheetweaver-convert");
    }

#ifndef _WIN32
    // Append what the terminal's master side has to read, waiting up to waitMs for the first.
    static void drain(int master, int waitMs, QByteArray& screen) {
        char buffer[4096];
        pollfd ready = {master, POLLIN, 0};
        while (poll(&ready, 1, waitMs) > 0 && (ready.revents & POLLIN) != 0) {
            const ssize_t got = read(master, buffer, sizeof buffer);
            if (got <= 0) {
                break;
            }
            screen.append(buffer, static_cast<int>(got));
        }
    }

    // Run the converter with its error stream on a pseudo-terminal, as in a terminal window;
    // collects what the terminal received into err.
    int runOnTerminal(const QStringList& arguments) {
        const int master = posix_openpt(O_RDWR | O_NOCTTY);
        EXPECT_GE(master, 0);
        EXPECT_EQ(grantpt(master), 0);
        EXPECT_EQ(unlockpt(master), 0);
        const QString build =
            QProcessEnvironment::systemEnvironment().value(QStringLiteral("SW_BUILD_DIR"));
        QProcess process;
        process.setStandardErrorFile(QString::fromLocal8Bit(ptsname(master)));
        process.start(build + QStringLiteral("/bin/sheetweaver-convert"), arguments);
        QByteArray screen;
        char buffer[4096];
        while (!process.waitForFinished(20)) {
            EXPECT_NE(process.state(), QProcess::NotRunning);
            pollfd ready = {master, POLLIN, 0};
            while (poll(&ready, 1, 0) > 0 && (ready.revents & POLLIN) != 0) {
                const ssize_t got = read(master, buffer, sizeof buffer);
                if (got <= 0) {
                    break;
                }
                screen.append(buffer, static_cast<int>(got));
            }
        }
        pollfd ready = {master, POLLIN, 0};
        while (poll(&ready, 1, 100) > 0 && (ready.revents & POLLIN) != 0) {
            const ssize_t got = read(master, buffer, sizeof buffer);
            if (got <= 0) {
                break;
            }
            screen.append(buffer, static_cast<int>(got));
        }
        close(master);
        out = QString::fromUtf8(process.readAllStandardOutput());
        err = QString::fromUtf8(screen);
        return process.exitCode();
    }
#endif

    QString report() const {
        return source + QStringLiteral("/无法打开的文件目录(文件格式有误).txt");
    }

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    QTemporaryDir temp;
    QString source;
    QString dest;
    QString out;
    QString err;
};

TEST_F(ConverterTest, AllConvertedExitsZeroWithProgressAndSummary) {
    ASSERT_EQ(run({QStringLiteral("--jobs"), QStringLiteral("1"), source, dest}), 0);
    EXPECT_TRUE(QFile::exists(dest + QStringLiteral("/a.xlsx")));
    EXPECT_TRUE(QFile::exists(dest + QStringLiteral("/Sub/b.xlsx")));
    EXPECT_TRUE(err.contains(QStringLiteral("[1/2] ") + source + QStringLiteral("/a.docx\n")));
    EXPECT_TRUE(err.contains(QStringLiteral("[2/2] ") + source + QStringLiteral("/Sub/b.docx\n")));
    EXPECT_TRUE(out.startsWith(QStringLiteral("成功转换2个Word文件,耗时"))) << out.toStdString();
    EXPECT_FALSE(QFile::exists(report()));
}

#ifndef _WIN32
TEST_F(ConverterTest, ATerminalGetsOneRedrawnBarInsteadOfLines) {
    ASSERT_EQ(runOnTerminal({source, dest}), 0);
    EXPECT_TRUE(QFile::exists(dest + QStringLiteral("/Sub/b.xlsx")));
    EXPECT_FALSE(err.contains(QStringLiteral("[1/2] "))) << err.toStdString();
    EXPECT_TRUE(err.startsWith(QStringLiteral("\r[          "))) << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("] 2/2 100% "))) << err.toStdString();
    EXPECT_TRUE(err.endsWith(QStringLiteral(" left\r\n"))) << err.toStdString();
    EXPECT_TRUE(out.startsWith(QStringLiteral("成功转换2个Word文件,耗时"))) << out.toStdString();
}
#endif

TEST_F(ConverterTest, QuietShowsOnlyTheSummary) {
    ASSERT_EQ(run({QStringLiteral("--quiet"), source, dest}), 0);
    EXPECT_TRUE(err.isEmpty()) << err.toStdString();
    EXPECT_TRUE(out.startsWith(QStringLiteral("成功转换2个Word文件,耗时"))) << out.toStdString();
    EXPECT_TRUE(QFile::exists(dest + QStringLiteral("/a.xlsx")));
}

TEST_F(ConverterTest, FailuresExitOneAndNameTheReport) {
    QFile broken(source + QStringLiteral("/broken.doc"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    // Binary content: Word opens text of any name, so a broken file must not be text.
    broken.write(QByteArray("\xDB\xA5\x00\x01not a Word document", 23));
    broken.close();
    ASSERT_EQ(run({QStringLiteral("--tables"), source, dest}), 1);
    EXPECT_TRUE(out.startsWith(QStringLiteral("成功转换2个Word文件,耗时"))) << out.toStdString();
    EXPECT_TRUE(out.contains(report()));
    QFile file(report());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), (source + QStringLiteral("/broken.doc\n")).toLocal8Bit());
}

TEST_F(ConverterTest, AReportThatCannotBeWrittenListsTheFailuresOnStandardError) {
    QFile broken(source + QStringLiteral("/broken\nname.doc"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write(QByteArray("\xDB\xA5\x00\x01not a Word document", 23));
    broken.close();
    ASSERT_TRUE(QDir().mkpath(report()));  // a folder where the report goes
    ASSERT_EQ(run({source, dest}), 1);
    EXPECT_TRUE(err.contains(QStringLiteral("report not written")));
    EXPECT_TRUE(err.contains(QStringLiteral("(not converted) ") + source +
                             QStringLiteral("/broken\\nname.doc\n")))
        << err.toStdString();
    EXPECT_TRUE(QFileInfo(report()).isDir());
}

TEST_F(ConverterTest, TheReportLiesInsideTheSourceHoweverItIsTyped) {
    QFile broken(source + QStringLiteral("/broken.doc"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write(QByteArray("\xDB\xA5\x00\x01not a Word document", 23));
    broken.close();
    const QStringList besideSource =
        QDir(temp.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& typed : {source, source + QLatin1Char('/'), source + QStringLiteral("//"),
                                 source + QStringLiteral("/.")}) {
        ASSERT_EQ(run({typed, dest}), 1) << typed.toStdString();
        EXPECT_TRUE(out.contains(report())) << typed.toStdString();
        QFile file(report());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << typed.toStdString();
        EXPECT_EQ(file.readAll(), (source + QStringLiteral("/broken.doc\n")).toLocal8Bit());
        file.remove();
        EXPECT_EQ(
            QDir(temp.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            besideSource)
            << typed.toStdString();
    }
}

TEST_F(ConverterTest, AnEarlierReportIsDeletedFirst) {
    QFile old(report());
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    ASSERT_EQ(run({source, dest}), 0);
    EXPECT_FALSE(QFile::exists(report()));
}

TEST_F(ConverterTest, InvalidInputExitsTwoWithTheWindowsMessage) {
    EXPECT_EQ(run({temp.path() + QStringLiteral("/none"), dest}), 2);
    EXPECT_TRUE(err.contains(QStringLiteral("Word文件所在文件夹不存在!")));
    EXPECT_EQ(run({QStringLiteral("--template"), temp.path() + QStringLiteral("/none.xlsx"), source,
                   dest}),
              2);
    EXPECT_TRUE(err.contains(QStringLiteral("excel模板文件不存在!")));
    EXPECT_EQ(run({source, temp.path() + QStringLiteral("/none")}), 2);
    EXPECT_TRUE(err.contains(QStringLiteral("保存文件夹不存在!")));
    QFile empty(temp.path() + QStringLiteral("/empty.xls"));
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();
    EXPECT_EQ(run({QStringLiteral("--template"), empty.fileName(), source, dest}), 2);
    EXPECT_TRUE(err.contains(QStringLiteral("所选模板文件不是Excel工作簿!")));
    EXPECT_EQ(run({source, source + QStringLiteral("/.")}), 2);
    EXPECT_TRUE(err.contains(QStringLiteral("保存文件夹不能是Word文件所在文件夹或其中的文件夹!")));
    EXPECT_EQ(run({QStringLiteral("--last-row"), QStringLiteral("0"), source, dest}), 2);
    EXPECT_EQ(run({QStringLiteral("--frobnicate"), source, dest}), 2);
    EXPECT_TRUE(out.isEmpty());
    EXPECT_FALSE(QFile::exists(dest + QStringLiteral("/a.xlsx")));
}

TEST_F(ConverterTest, ATemplateThatDoesNotOpenStopsTheRunBeforeAnyDocument) {
    // Files without a workbook's signature are refused before the run (not a workbook); these
    // pass that check and fail to open.
    struct Row {
        const char* name;
        const char* file;
        QByteArray bytes;
        bool wordDocument;  // a copy of a Word document instead of `bytes`
    };
    const Row rows[] = {
        {"a ZIP signature and text", "t.xlsx", "PK\x03\x04 no workbook here", false},
        {"a Word document named as a workbook", "w.xlsx", QByteArray(), true},
        {"a compound file's signature and nothing more", "c.xls",
         QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8), false},
    };
    for (const Row& row : rows) {
        const QString templ = temp.path() + QLatin1Char('/') + QLatin1String(row.file);
        if (row.wordDocument) {
            ASSERT_TRUE(QFile::copy(source + QStringLiteral("/a.docx"), templ));
        } else {
            QFile file(templ);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(row.bytes);
        }
        EXPECT_EQ(run({QStringLiteral("--template"), templ, source, dest}), 2) << row.name;
        EXPECT_TRUE(err.contains(QStringLiteral("excel模板文件不存在!"))) << row.name;
        EXPECT_TRUE(QDir(dest).isEmpty()) << row.name;
        EXPECT_FALSE(QFile::exists(report())) << row.name;
    }
}

TEST_F(ConverterTest, SkipExistingKeepsWorkbooksNewerThanTheirDocuments) {
    ASSERT_EQ(run({source, dest}), 0);
    const QString workbook = dest + QStringLiteral("/a.xlsx");
    const QDateTime written = QFileInfo(workbook).lastModified();
    ASSERT_EQ(run({QStringLiteral("--skip-existing"), source, dest}), 0);
    EXPECT_TRUE(out.contains(QStringLiteral("(skipped 2 up to date)"))) << out.toStdString();
    EXPECT_EQ(QFileInfo(workbook).lastModified(), written);
    // A document changed after its workbook is converted again.
    QFile document(source + QStringLiteral("/a.docx"));
    ASSERT_TRUE(document.open(QIODevice::ReadOnly));
    ASSERT_TRUE(document.setFileTime(written.addSecs(60), QFileDevice::FileModificationTime));
    document.close();
    ASSERT_EQ(run({QStringLiteral("--skip-existing"), source, dest}), 0);
    EXPECT_TRUE(out.contains(QStringLiteral("(skipped 1 up to date)"))) << out.toStdString();
    EXPECT_GT(QFileInfo(workbook).lastModified(), written);
}

TEST_F(ConverterTest, TemporaryWorkbooksOfEndedRunsAreRemovedAndNothingElse) {
    // The id of a process that has ended, and this test's own (running) id.
    QProcess shell;
    shell.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("echo $$")});
    ASSERT_TRUE(shell.waitForFinished(10000));
    const QString ended = QString::fromLatin1(shell.readAllStandardOutput()).trimmed();
    const QString running = QString::number(QCoreApplication::applicationPid());
    const QString host = QSysInfo::machineHostName();
    ASSERT_TRUE(QRegularExpression(QStringLiteral("^[A-Za-z0-9.-]+$")).match(host).hasMatch());
    const auto name = [&host](const QString& pid, const char* end) {
        return QStringLiteral(".~sw-%1-%2-aB3dE9.tmp%3").arg(host, pid, QLatin1String(end));
    };
    const QStringList removed = {name(ended, ""), QStringLiteral("Sub/") + name(ended, "")};
    const QStringList kept = {
        name(running, ""),                                          // a save still going on
        QStringLiteral(".~sw-elsewhere-%1-aB3dE9.tmp").arg(ended),  // another machine's
        QStringLiteral(".~sw-aB3dE9.tmp"),                          // not of the program's form
        name(ended, ".bak"),
        QStringLiteral("notes.tmp"),
    };
    QDir().mkpath(dest + QStringLiteral("/Sub"));
    for (const QString& file : removed + kept) {
        QFile leftover(dest + QLatin1Char('/') + file);
        ASSERT_TRUE(leftover.open(QIODevice::WriteOnly)) << file.toStdString();
        leftover.write("partial workbook");
    }

    ASSERT_EQ(run({source, dest}), 0);
    QStringList expected =
        kept + QStringList{QStringLiteral("a.xlsx"), QStringLiteral("Sub/b.xlsx")};
    expected.sort();
    QStringList found;
    QDirIterator it(dest, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        found.append(QDir(dest).relativeFilePath(it.next()));
    }
    found.sort();
    EXPECT_EQ(found, expected);
}

TEST_F(ConverterTest, DamagedCompoundFilesAreReportedWithTheirReason) {
    // A .doc cut short, and one whose directory starts at a sector its table does not end.
    QFile original(QStringLiteral("../shared/corpus/doc/Lists.doc"));
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    const QByteArray bytes = original.readAll();
    QByteArray badDirectory = bytes;
    badDirectory.replace(0x30, 4, QByteArray("\xFF\xFF\x00\x00", 4));
    for (const auto& [name, content] : {std::make_pair("cut.doc", bytes.left(5000)),
                                        std::make_pair("directory.doc", badDirectory)}) {
        QFile file(source + QLatin1Char('/') + QLatin1String(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    ASSERT_EQ(run({source, dest}), 1);
    for (const char* name : {"/cut.doc: ", "/directory.doc: "}) {
        EXPECT_TRUE(err.contains(source + QLatin1String(name))) << err.toStdString();
    }
    QFile report(this->report());
    ASSERT_TRUE(report.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromLocal8Bit(report.readAll()),
              source + QStringLiteral("/cut.doc\n") + source + QStringLiteral("/directory.doc\n"));
}

/* Every file under a folder by relative path, with its bytes. */
QMap<QString, QByteArray> filesUnder(const QString& root) {
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        files.insert(QDir(root).relativeFilePath(file.fileName()), file.readAll());
    }
    return files;
}

TEST_F(ConverterTest, JobsGiveTheSameBytesReportAndSummaryAsOneAtATime) {
    // Enough documents that two threads interleave, two of them broken for the report.
    for (int i = 0; i < 12; ++i) {
        const QString folder = source + QStringLiteral("/Sub/n%1").arg(i % 3);
        QDir().mkpath(folder);
        ASSERT_TRUE(QFile::copy(QStringLiteral("examples/员工名单.docx"),
                                folder + QStringLiteral("/c%1.docx").arg(i)));
    }
    for (const char* name : {"/broken1.doc", "/Sub/n1/broken2.docx"}) {
        QFile broken(source + QLatin1String(name));
        ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
        broken.write(QByteArray("\xDB\xA5\x00\x01not a Word document", 23));
    }
    environment.insert(QStringLiteral("SOURCE_DATE_EPOCH"), QStringLiteral("1700000000"));
    struct Run {
        QString jobs;
        QString out;
        QString err;
        QByteArray report;
        QMap<QString, QByteArray> files;
    };
    std::vector<Run> runs = {{QStringLiteral("1"), {}, {}, {}, {}},
                             {QStringLiteral("2"), {}, {}, {}, {}},
                             {QStringLiteral("3"), {}, {}, {}, {}}};
    for (Run& one : runs) {
        const QString target = temp.path() + QStringLiteral("/out-") + one.jobs;
        QDir().mkpath(target);
        ASSERT_EQ(run({QStringLiteral("--jobs"), one.jobs, source, target}), 1)
            << err.toStdString();
        one.out = out;
        one.err = err;
        one.files = filesUnder(target);
        QFile file(report());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        one.report = file.readAll();
    }
    ASSERT_EQ(runs[0].files.size(), 14);
    EXPECT_EQ(runs[0].report, (source + QStringLiteral("/broken1.doc\n") + source +
                               QStringLiteral("/Sub/n1/broken2.docx\n"))
                                  .toLocal8Bit());
    for (const Run& one : runs) {
        EXPECT_EQ(one.files, runs[0].files) << "--jobs " << one.jobs.toStdString();
        EXPECT_EQ(one.report, runs[0].report) << "--jobs " << one.jobs.toStdString();
        EXPECT_EQ(one.out.section(QStringLiteral("耗时"), 0, 0),
                  QStringLiteral("成功转换14个Word文件,"));
        // One line per document as it starts, counted 1, 2, 3, ... whatever the threads; then
        // one line per document that did not open, saying why.
        const QStringList all = one.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        const QStringList lines = all.filter(QRegularExpression(QStringLiteral("^\\[")));
        ASSERT_EQ(lines.size(), 16) << one.err.toStdString();
        EXPECT_EQ(all.filter(QStringLiteral("(cannot open) ")).size(), 2) << one.err.toStdString();
        QSet<QString> paths;
        for (int i = 0; i < lines.size(); ++i) {
            const QString prefix = QStringLiteral("[%1/16] ").arg(i + 1);
            EXPECT_TRUE(lines[i].startsWith(prefix)) << lines[i].toStdString();
            paths.insert(lines[i].mid(prefix.size()));
        }
        EXPECT_EQ(paths.size(), 16);
    }
}

TEST_F(ConverterTest, ShardsCoverEveryDocumentOnceWithTheUnshardedBytes) {
    for (int i = 0; i < 12; ++i) {
        const QString folder = source + QStringLiteral("/Sub/s%1").arg(i % 4);
        QDir().mkpath(folder);
        ASSERT_TRUE(QFile::copy(QStringLiteral("examples/请假申请表.docx"),
                                folder + QStringLiteral("/d%1.docx").arg(i)));
    }
    QFile broken(source + QStringLiteral("/Sub/broken.doc"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write(QByteArray("\xDB\xA5\x00\x01not a Word document", 23));
    broken.close();
    environment.insert(QStringLiteral("SOURCE_DATE_EPOCH"), QStringLiteral("1700000000"));
    const QString whole = temp.path() + QStringLiteral("/whole");
    QDir().mkpath(whole);
    ASSERT_EQ(run({QStringLiteral("--jobs"), QStringLiteral("1"), source, whole}), 1);
    const QMap<QString, QByteArray> expected = filesUnder(whole);
    ASSERT_EQ(expected.size(), 14);
    for (const int count : {1, 3, 7}) {
        const QString target = temp.path() + QStringLiteral("/shards-%1").arg(count);
        QDir().mkpath(target);
        QMap<QString, int> started;  // document path -> shards that started it
        QStringList failed;
        for (int index = 1; index <= count; ++index) {
            const QString shard = QStringLiteral("%1/%2").arg(index).arg(count);
            const int status = run({QStringLiteral("--shard"), shard, source, target});
            ASSERT_TRUE(status == 0 || status == 1) << err.toStdString();
            for (const QString& line : err.split(QLatin1Char('\n'), Qt::SkipEmptyParts)
                                           .filter(QRegularExpression(QStringLiteral("^\\[")))) {
                ++started[line.section(QLatin1Char(' '), 1)];
            }
            QFile report(source + QStringLiteral("/无法打开的文件目录(文件格式有误).%1-of-%2.txt")
                                      .arg(index)
                                      .arg(count));
            if (report.open(QIODevice::ReadOnly)) {
                failed += QString::fromLocal8Bit(report.readAll())
                              .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
                report.close();
                report.remove();  // a later count's shard of the same number starts clean
            }
        }
        EXPECT_EQ(started.size(), 15) << count << " shards";
        for (auto it = started.cbegin(); it != started.cend(); ++it) {
            EXPECT_EQ(it.value(), 1) << it.key().toStdString() << " in " << count << " shards";
        }
        EXPECT_EQ(failed, QStringList{source + QStringLiteral("/Sub/broken.doc")});
        EXPECT_EQ(filesUnder(target), expected) << count << " shards";
    }
    EXPECT_EQ(run({QStringLiteral("--shard"), QStringLiteral("4/3"), source, dest}), 2);
    EXPECT_TRUE(err.contains(QStringLiteral("--shard takes K/N")));
}

TEST_F(ConverterTest, HelpAndVersionExitZero) {
    EXPECT_EQ(run({QStringLiteral("--help")}), 0);
    EXPECT_TRUE(out.contains(QStringLiteral("--template FILE")));
    EXPECT_EQ(run({QStringLiteral("--version")}), 0);
    EXPECT_TRUE(out.startsWith(QStringLiteral("sheetweaver-convert ")));
}

}  // namespace

TEST_F(ConverterTest, AnOverLongCellIsCutConvertedAndNamedOnStderrAndInTheReport) {
    // A generated document with one table cell of 40,000 characters, a surrogate pair
    // straddling the cut, beside a document that is no Word document at all.
    const QString longCell = source + QStringLiteral("/long.docx");
    const QString broken = source + QStringLiteral("/broken.docx");
    QFile junk(broken);
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray("\xDB\xA5\x00\x01not a document", 18));  // binary: text opens
    junk.close();
    QProcess make;
    make.start(QStringLiteral("/usr/bin/python3"),
               {QStringLiteral("-c"),
                QStringLiteral("import docx, sys\n"
                               "d = docx.Document()\n"
                               "d.add_table(rows=1, cols=1).cell(0, 0).text = "
                               "'x' * 32766 + '\\U0001F600' + 'y' * 7232\n"
                               "d.save(sys.argv[1])\n"),
                longCell});
    ASSERT_TRUE(make.waitForFinished(60000));
    ASSERT_EQ(make.exitCode(), 0) << make.readAllStandardError().toStdString();

    ASSERT_EQ(run({QStringLiteral("--tables"), source, dest}), 1);
    EXPECT_TRUE(out.startsWith(QStringLiteral("成功转换3个Word文件,耗时"))) << out.toStdString();
    const QString cutLine =
        longCell + QStringLiteral(": Sheet1!A1 (text cut to 32,767 characters)");
    EXPECT_TRUE(err.contains(QStringLiteral("转换有损失 (converted with a loss) ") + cutLine +
                             QLatin1Char('\n')))
        << err.toStdString();
    QProcess read;
    read.start(QStringLiteral("/usr/bin/python3"),
               {QStringLiteral("-c"),
                QStringLiteral("import openpyxl, sys\n"
                               "v = openpyxl.load_workbook(sys.argv[1]).active['A1'].value\n"
                               "print(len(v), v == 'x' * 32766)\n"),
                dest + QStringLiteral("/long.xlsx")});
    ASSERT_TRUE(read.waitForFinished(60000));
    // The cut falls inside the surrogate pair, so the pair goes whole.
    EXPECT_EQ(read.readAllStandardOutput(), QByteArray("32766 True\n"));
    QFile file(report());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromLocal8Bit(file.readAll());
    EXPECT_TRUE(text.startsWith(broken + QStringLiteral("\n\n"))) << text.toStdString();
    EXPECT_TRUE(text.endsWith(QStringLiteral("(converted, but with these losses):\n") + cutLine +
                              QLatin1Char('\n')))
        << text.toStdString();
}

TEST_F(ConverterTest, ASplitRowOfMorePartsThanColumnsKeepsTheRestAndIsNamedAsCut) {
    // 20,000 commas in one paragraph between two paragraphs that split normally.
    const QString many = source + QStringLiteral("/many.docx");
    QProcess make;
    make.start(QStringLiteral("/usr/bin/python3"),
               {QStringLiteral("-c"),
                QStringLiteral("import docx, sys\n"
                               "d = docx.Document()\n"
                               "for text in ['a,b', 'p' + ',' * 20000 + 'end', 'c,d']:\n"
                               "    d.add_paragraph(text)\n"
                               "d.save(sys.argv[1])\n"),
                many});
    ASSERT_TRUE(make.waitForFinished(60000));
    ASSERT_EQ(make.exitCode(), 0) << make.readAllStandardError().toStdString();

    ASSERT_EQ(run({QStringLiteral("--split"), QStringLiteral(","), source, dest}), 0);
    const QString cutLine =
        many + QStringLiteral(": Sheet1!XFD2 (more parts than columns: the rest is here, unsplit)");
    EXPECT_TRUE(err.contains(QStringLiteral("转换有损失 (converted with a loss) ") + cutLine +
                             QLatin1Char('\n')))
        << err.toStdString();
    QFile file(report());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromLocal8Bit(file.readAll()).endsWith(cutLine + QLatin1Char('\n')));
    QProcess read;
    read.start(QStringLiteral("/usr/bin/python3"),
               {QStringLiteral("-c"),
                QStringLiteral("import openpyxl, sys\n"
                               "s = openpyxl.load_workbook(sys.argv[1]).active\n"
                               "print(s['B1'].value, s['A2'].value, s['XFC2'].value,\n"
                               "      s['XFD2'].value == ',' * 3617 + 'end', s['B3'].value)\n"),
                dest + QStringLiteral("/many.xlsx")});
    ASSERT_TRUE(read.waitForFinished(60000));
    EXPECT_EQ(read.readAllStandardOutput(), QByteArray("b p None True d\n"));
}

TEST_F(ConverterTest, AReportWithoutCutCellsIsOnePathPerLine) {
    const QString broken = source + QStringLiteral("/broken.docx");
    QFile junk(broken);
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray("\xDB\xA5\x00\x01not a document", 18));  // binary: text opens
    junk.close();
    ASSERT_EQ(run({source, dest}), 1);
    QFile file(report());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), (broken + QStringLiteral("\n")).toLocal8Bit());
}

#ifndef _WIN32
namespace {

// A file created through a folder descriptor, so that its whole path may exceed what the
// system opens by name.
void createAt(int folder, const QByteArray& name) {
    const int fd = openat(folder, name.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(write(fd, "\xDB\xA5\x00\x01", 4), 4);
    close(fd);
}

}  // namespace

TEST_F(ConverterTest, NamesTheSystemCannotOpenAreReportedWithTheirReason) {
    const QByteArray sourceBytes = QFile::encodeName(source);
    const int root = open(sourceBytes.constData(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(root, 0);
    createAt(root, QByteArray("bad\xff\xfe.docx"));
    // Folders of 200 characters down to about 3,900 bytes, then a 200-character name.
    const QByteArray part(200, 'd');
    QString deepest = source;
    while (QFile::encodeName(deepest).size() < 3900) {
        deepest += QLatin1Char('/') + QString::fromLatin1(part);
        ASSERT_TRUE(QDir().mkdir(deepest));
    }
    const int deep = open(QFile::encodeName(deepest).constData(), O_RDONLY | O_DIRECTORY);
    const QByteArray longName = QByteArray(200, 'x') + ".docx";
    createAt(deep, longName);

    ASSERT_EQ(run({QStringLiteral("--jobs"), QStringLiteral("2"), source, dest}), 1);
    EXPECT_TRUE(out.startsWith(QStringLiteral("成功转换2个Word文件"))) << out.toStdString();
    EXPECT_TRUE(err.contains(source + QStringLiteral("/bad\\xff\\xfe.docx: the name is not valid")))
        << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral(".docx: the path is longer than the system")));
    QFile file(report());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    ASSERT_EQ(lines.size(), 3);  // two paths, then the final line feed
    EXPECT_EQ(lines[0], QFile::encodeName(source) + "/bad\\xff\\xfe.docx");
    EXPECT_EQ(lines[1], QFile::encodeName(deepest) + '/' + longName);

    // The temporary folder's own clean-up cannot reach past the path limit.
    EXPECT_EQ(unlinkat(deep, longName.constData(), 0), 0);
    EXPECT_EQ(unlinkat(root, "bad\xff\xfe.docx", 0), 0);
    close(deep);
    close(root);
}
#endif
