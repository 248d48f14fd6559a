#include "app/mainwindow.h"
#include "app/programexit.h"
#include "app/startuppaths.h"
#include "automation/serverregistry.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <memory>

// Helper for test_quitduringjob: the program's own end, reached while a conversion is at work.
// A Word server whose first call takes three seconds keeps the job busy; the window is closed
// 300 ms after the convert click. Closing during a run asks first: the first question is
// answered "no" (the window stays), the second "yes", and the program ends the way start-up
// ends it.

namespace {

// A Word application that answers slowly and then knows nothing.
class SlowWord : public ServerObject {
public:
    ServerReply invoke(const ServerCall&) override {
        QThread::msleep(3000);
        // Printed only when the program waited for the job, which it must not.
        std::printf("slow call ended\n");
        std::fflush(stdout);
        return ServerReply::failure();
    }
};

}  // namespace

/* Start a conversion, close the window while it runs, and finish like the program. */
int main(int argc, char* argv[]) {
    buildStartupPaths(argc, argv);
    QApplication* application = new QApplication(argc, argv);
    ServerRegistry::registerServer(QStringLiteral("Word.Application"),
                                   [] { return std::make_shared<SlowWord>(); });
    ServerRegistry::registerServer(QStringLiteral("Excel.Application"),
                                   [] { return std::make_shared<SlowWord>(); });
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("src"));
    QDir(dir.path()).mkpath(QStringLiteral("dst"));
    QFile document(dir.path() + QStringLiteral("/src/a.docx"));
    document.open(QIODevice::WriteOnly);
    document.write("not really a document");
    document.close();

    MainWindow::setReportViewerForJobs(MergeObject::ReportViewer());
    MainWindow* window = new MainWindow();
    window->show();
    window->findChild<QLineEdit*>(QStringLiteral("lEdt_SourcePath"))
        ->setText(dir.path() + QStringLiteral("/src/"));
    window->findChild<QLineEdit*>(QStringLiteral("lEdt_SavePath"))
        ->setText(dir.path() + QStringLiteral("/dst/"));
    QTimer::singleShot(0, window, [window] {
        window->on_pBtn_Transform_clicked();
        const bool busy =
            !window->findChild<QPushButton*>(QStringLiteral("pBtn_Transform"))->isEnabled();
        std::printf("job started: %s\n", busy ? "yes" : "no");
    });
    // Answer each question box: "no" first, then "yes".
    int questions = 0;
    QTimer answerer;
    QObject::connect(&answerer, &QTimer::timeout, [&questions] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible()) {
            return;
        }
        ++questions;
        std::printf("asked: %s\n", box->text().toUtf8().constData());
        box->button(questions == 1 ? QMessageBox::No : QMessageBox::Yes)->click();
    });
    answerer.start(10);
    QTimer::singleShot(300, window, [window] {
        window->close();
        std::printf("after no: %s\n", window->isVisible() ? "open" : "closed");
        window->close();
    });
    const int exitCode = application->exec();
    std::printf("event loop ended: %d\n", exitCode);
    return finishProgram(application, window, exitCode);
}
