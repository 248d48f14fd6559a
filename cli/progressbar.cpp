#include "cli/progressbar.h"

#include <QLocale>

#include <cmath>
#include <cstdio>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace {

const qint64 redrawIntervalMs = 100;  // at most ten drawings a second

/* A count with thousands separators, as in "3,120". */
QString grouped(int count) {
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(count);
}

/* A duration in whole seconds as m:ss, or h:mm:ss from an hour on. */
QString clockText(qint64 seconds) {
    const qint64 hours = seconds / 3600;
    const QString minutesAndSeconds =
        QStringLiteral("%1:%2")
            .arg(hours > 0 ? QStringLiteral("%1").arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                           : QString::number(seconds / 60))
            .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return hours > 0 ? QString::number(hours) + QLatin1Char(':') + minutesAndSeconds
                     : minutesAndSeconds;
}

/* Documents per second: whole numbers from 10 on, one decimal below. */
QString rateText(double perSecond) {
    return perSecond >= 10 ? QString::number(qRound64(perSecond))
                           : QString::number(perSecond, 'f', 1);
}

}  // namespace

ProgressBar::ProgressBar(QTextStream& err, int barWidth, int columns)
    : m_err(err), m_barWidth(barWidth), m_columns(columns) {}

/* Remember the state; draw it when due. */
void ProgressBar::update(int finished, int total, qint64 elapsedMs) {
    m_finished = finished;
    m_total = total;
    m_elapsedMs = elapsedMs;
    m_undrawn = true;
    if (m_lastDrawMs < 0 || finished >= total || elapsedMs - m_lastDrawMs >= redrawIntervalMs) {
        draw();
    }
}

/* Draw the last state and move to the next line. */
void ProgressBar::finish() {
    if (m_lastDrawMs < 0) {
        return;
    }
    if (m_undrawn) {
        draw();
    }
    m_err << '\n';
    m_err.flush();
}

/* Overwrite the line on screen with the current state. */
void ProgressBar::draw() {
    QString text = line(m_finished, m_total, m_elapsedMs, m_barWidth);
    // A line as wide as the terminal would wrap, and the carriage return would then redraw
    // only its last part; the last column stays free.
    const int excess = m_columns > 0 ? text.size() - (m_columns - 1) : 0;
    if (excess > 0) {
        text = line(m_finished, m_total, m_elapsedMs, qMax(0, m_barWidth - excess));
    }
    const int blank = qMax(0, m_shownLength - text.size());
    m_err << '\r' << text << QString(blank, QLatin1Char(' '));
    m_err.flush();
    m_shownLength = text.size();
    m_lastDrawMs = m_elapsedMs;
    m_undrawn = false;
}

/* Bar, count, percentage, speed and time left. */
QString ProgressBar::line(int finished, int total, qint64 elapsedMs, int barWidth) {
    const double fraction =
        total > 0 ? qBound(0.0, static_cast<double>(finished) / total, 1.0) : 1.0;
    const int filled = static_cast<int>(fraction * barWidth);
    const int percent = static_cast<int>(fraction * 100);
    QString text = QLatin1Char('[') + QString(filled, QLatin1Char('#')) +
                   QString(barWidth - filled, QLatin1Char(' ')) + QStringLiteral("] ") +
                   grouped(finished) + QLatin1Char('/') + grouped(total) + QLatin1Char(' ') +
                   QString::number(percent) + QStringLiteral("% ");
    if (finished <= 0 || elapsedMs <= 0) {
        return text + QStringLiteral("-- docs/s --:-- left");
    }
    const double perSecond = finished * 1000.0 / static_cast<double>(elapsedMs);
    const qint64 secondsLeft =
        static_cast<qint64>(std::ceil(qMax(0, total - finished) / perSecond));
    return text + rateText(perSecond) + QStringLiteral(" docs/s ") + clockText(secondsLeft) +
           QStringLiteral(" left");
}

/* isatty on standard error, and a terminal that knows the carriage return. */
bool ProgressBar::errorStreamIsTerminal() {
#ifdef _WIN32
    const bool terminal = _isatty(_fileno(stderr)) != 0;
#else
    const bool terminal = isatty(fileno(stderr)) != 0;
#endif
    return terminal && qgetenv("TERM") != "dumb";
}

/* The terminal's width as the system reports it. */
int ProgressBar::terminalColumns() {
#ifdef _WIN32
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &info)) {
        return 0;
    }
    return info.srWindow.Right - info.srWindow.Left + 1;
#else
    winsize size{};
    if (ioctl(fileno(stderr), TIOCGWINSZ, &size) != 0) {
        return 0;
    }
    return size.ws_col;
#endif
}
