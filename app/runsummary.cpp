#include "app/runsummary.h"

#include <QStringList>

/* The count of converted documents whose text was cut somewhere. */
int RunSummary::lossyCount(const RunReport& run) {
    int lossy = 0;
    for (const RunIssue& issue : run.issues) {
        if (issue.kind == RunIssue::Kind::Lossy) {
            ++lossy;
        }
    }
    return lossy;
}

/* The head (converted, or where the run stopped), then the parts that apply, joined with the
   language's comma. */
QString RunSummary::text(const RunReport& run) {
    if (run.candidates == 0 && run.failed == 0 && !run.stopped) {
        return tr("没有找到Word文件：所选文件夹及其子文件夹中没有Word文件。");
    }
    QStringList parts;
    if (run.stopped) {
        parts << tr("已在%1/%2个文件后停止").arg(run.candidates).arg(run.total);
    }
    parts << tr("成功转换%1个Word文件").arg(run.converted);
    if (run.failed > 0) {
        parts << tr("%1个文件未能转换").arg(run.failed);
    }
    const int lossy = lossyCount(run);
    if (lossy > 0) {
        parts << tr("%1个文件转换有损失").arg(lossy);
    }
    if (run.skipped > 0) {
        parts << tr("跳过%1个已是最新的文件").arg(run.skipped);
    }
    parts << tr("耗时%1秒").arg(run.seconds);
    return parts.join(tr("，")) + tr("。");
}

/* Red for failures, amber for losses, stops and empty runs, green otherwise. */
RunSummary::Tone RunSummary::tone(const RunReport& run) {
    if (run.failed > 0) {
        return Tone::Failure;
    }
    const bool empty = run.candidates == 0 && !run.stopped;
    if (lossyCount(run) > 0 || run.stopped || empty) {
        return Tone::Caution;
    }
    return Tone::Success;
}

/* Failed, lossy, or both. */
QString RunSummary::reportButtonText(const RunReport& run) {
    const bool lossy = lossyCount(run) > 0;
    const bool failed = run.issues.size() > lossyCount(run);
    if (failed && lossy) {
        return tr("未转换和有损失的文件(&R)");
    }
    if (failed) {
        return tr("未转换的文件(&R)");
    }
    return lossy ? tr("有损失的文件(&R)") : QString();
}
