#include "app/languages.h"
#include "app/mainwindow.h"
#include "app/startuppaths.h"

#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <cstdio>

// Documentation helper, not part of the program: shows the main window as start-up does and
// saves a picture of it. Usage: sheetweaver-screenshot OUTPUT.png; the interface language comes
// from SHEETWEAVER_LANG and the locale, as in the program.
// Exit status 0 when the picture was saved and the form fits its initial size of 940 x 520,
// 2 when the form needs more room than that (something would be clipped), 1 on other errors.

namespace {

/* Grab the window's own area from the screen, or render it when the screen cannot be read. */
QImage grabWindow(MainWindow& window) {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen != nullptr && window.windowHandle() != nullptr) {
        const QPixmap shot = screen->grabWindow(window.winId());
        if (!shot.isNull()) {
            return shot.toImage();
        }
    }
    return window.grab().toImage();
}

}  // namespace

/* Show the window, wait for it to settle, save the picture and report the fit. */
int main(int argc, char* argv[]) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: sheetweaver-screenshot OUTPUT.png\n");
        return 1;
    }
    char* programArgv[] = {argv[0], nullptr};
    buildStartupPaths(1, programArgv);
    QApplication application(argc, argv);
    Languages::install(Languages::forThisProcess());
    MainWindow window;
    window.show();
    int status = 1;
    QTimer::singleShot(1500, &application, [&] {
        const QImage image = grabWindow(window);
        const QSize needed = window.minimumSizeHint();
        std::printf("window %dx%d, form needs at least %dx%d\n", window.width(), window.height(),
                    needed.width(), needed.height());
        if (image.isNull() || !image.save(QString::fromLocal8Bit(argv[1]))) {
            std::fprintf(stderr, "could not save the picture\n");
            status = 1;
        } else {
            status = (needed.width() <= 940 && needed.height() <= 520) ? 0 : 2;
        }
        QApplication::quit();
    });
    application.exec();
    return status;
}
