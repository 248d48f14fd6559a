#include "cli/progressbar.h"

#include <gtest/gtest.h>

namespace {

struct LineCase {
    const char* name;
    int finished;
    int total;
    qint64 elapsedMs;
    int barWidth;
    const char* expected;
};

class ProgressLineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(ProgressLineTest, DrawsBarCountPercentSpeedAndTimeLeft) {
    const LineCase& row = GetParam();
    EXPECT_EQ(ProgressBar::line(row.finished, row.total, row.elapsedMs, row.barWidth).toStdString(),
              row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ProgressLineTest,
    ::testing::Values(
        LineCase{"nothing_finished_yet", 0, 5000, 800, 10,
                 "[          ] 0/5,000 0% -- docs/s --:-- left"},
        LineCase{"thousands_grouped_and_percent_rounded_down", 3120, 5000, 7610, 10,
                 "[######    ] 3,120/5,000 62% 410 docs/s 0:05 left"},
        LineCase{"slow_speed_has_one_decimal_and_time_rounds_up", 1, 4, 400, 4,
                 "[#   ] 1/4 25% 2.5 docs/s 0:02 left"},
        LineCase{"an_hour_and_more_shows_hours", 1, 4000, 1000, 4,
                 "[    ] 1/4,000 0% 1.0 docs/s 1:06:39 left"},
        LineCase{"all_done", 7, 7, 3500, 4, "[####] 7/7 100% 2.0 docs/s 0:00 left"},
        LineCase{"no_time_measured_yet", 2, 7, 0, 4, "[#   ] 2/7 28% -- docs/s --:-- left"},
        LineCase{"empty_run_counts_as_done", 0, 0, 10, 4, "[####] 0/0 100% -- docs/s --:-- left"}),
    [](const ::testing::TestParamInfo<LineCase>& row) { return std::string(row.param.name); });

/* The text written so far, with carriage returns made visible. */
std::string shown(const QString& text) {
    return QString(text).replace(QLatin1Char('\r'), QLatin1Char('|')).toStdString();
}

TEST(ProgressBarTest, RedrawsAtMostTenTimesASecondBlanksLeftoversAndEndsItsLine) {
    const qint64 twoHours = 7200000;
    QString screen;
    QTextStream err(&screen);
    ProgressBar bar(err, 2);
    bar.update(0, 3, 0);               // first state: drawn
    bar.update(1, 3, twoHours);        // long after: drawn
    bar.update(2, 3, twoHours + 50);   // 50 ms later: only noted
    bar.update(3, 3, twoHours + 100);  // all done: drawn at once, over a longer line
    bar.finish();                      // already on screen: only the line end
    EXPECT_EQ(shown(screen),
              "|[  ] 0/3 0% -- docs/s --:-- left"
              "|[  ] 1/3 33% 0.0 docs/s 4:00:00 left"
              "|[##] 3/3 100% 0.0 docs/s 0:00 left  \n");
}

TEST(ProgressBarTest, FinishDrawsAPendingStateAndNothingWhenNeverDrawn) {
    QString screen;
    QTextStream err(&screen);
    ProgressBar silent(err, 2);
    silent.finish();
    EXPECT_TRUE(screen.isEmpty());
    ProgressBar bar(err, 2);
    bar.update(0, 2, 0);
    bar.update(1, 2, 20);
    bar.finish();
    EXPECT_EQ(shown(screen),
              "|[  ] 0/2 0% -- docs/s --:-- left"
              "|[# ] 1/2 50% 50 docs/s 0:01 left\n");
}

TEST(ProgressBarTest, ANarrowTerminalNarrowsTheBarSoTheLineNeverWraps) {
    QString screen;
    QTextStream err(&screen);
    const int fullLength = ProgressBar::line(1, 2, 500, 10).size();
    ProgressBar bar(err, 10, fullLength - 2);  // three characters too wide for the terminal
    bar.update(1, 2, 500);
    EXPECT_EQ(shown(screen), "|[###    ] 1/2 50% 2.0 docs/s 0:01 left");
    ProgressBar tiny(err, 10, 5);  // not even the text fits: no bar at all, the text as it is
    screen.clear();
    tiny.update(1, 2, 500);
    EXPECT_EQ(shown(screen), "|[] 1/2 50% 2.0 docs/s 0:01 left");
}

}  // namespace
