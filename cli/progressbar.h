#pragma once

#include <QString>
#include <QTextStream>

// The converter's progress on a terminal: one line on the error stream, redrawn in place with a
// carriage return at most ten times a second, e.g.
//   [##################            ] 3,120/5,000 62% 410 docs/s 0:05 left
// The count is of documents finished (converted or not); speed and time left come from the
// time the run has taken so far.
class ProgressBar {
public:
    // Draws on `err`, with a bar of `barWidth` cells, narrowed as far as needed (down to none)
    // to keep the line within `columns` of a terminal; 0 columns means the width is unknown.
    explicit ProgressBar(QTextStream& err, int barWidth = 30, int columns = 0);

    // Note that `finished` of `total` documents are done `elapsedMs` after the run began.
    // Redraws when nothing was drawn yet, when all are done, or when at least 100 ms have
    // passed since the last drawing; otherwise only remembers the state.
    void update(int finished, int total, qint64 elapsedMs);

    // Draw the last state noted and end the line, so later text starts on a line of its own.
    // Does nothing when nothing was ever drawn.
    void finish();

    // The line for `finished` of `total` documents after `elapsedMs` milliseconds. Speed and
    // time left show "--" until a document has finished; a total of 0 counts as all done.
    static QString line(int finished, int total, qint64 elapsedMs, int barWidth);

    // Whether the process's standard error is a terminal that can redraw a line (not a pipe or
    // a file, and TERM is not "dumb").
    static bool errorStreamIsTerminal();

    // The width in columns of the terminal on standard error, or 0 when it cannot be told.
    static int terminalColumns();

private:
    void draw();

    QTextStream& m_err;
    int m_barWidth;
    int m_columns;
    int m_finished = 0;
    int m_total = 0;
    qint64 m_elapsedMs = 0;
    qint64 m_lastDrawMs = -1;  // when the line was last drawn; -1 before the first drawing
    bool m_undrawn = false;    // the state noted last is not on screen yet
    int m_shownLength = 0;     // characters of the line on screen, to blank a longer old one
};
