#pragma once

#include "engine/mergeobject.h"

#include <QDialog>
#include <QString>

class QTreeWidget;

// The list of a run's issues: for each document what happened (could not be opened, not
// saved, converted with a loss) and why, with buttons that open the report file and copy the
// list as text.
class RunReportDialog : public QDialog {
    Q_OBJECT
public:
    // `reportPath` is the run's report file; "open" is offered only when it was written.
    RunReportDialog(const RunReport& run, const QString& reportPath, QWidget* parent = nullptr);

    // The list as tab-separated lines: document, what happened, reason.
    QString listText() const;

    // What happened, as the list says it.
    static QString kindText(RunIssue::Kind kind);

private:
    void fillList(const QList<RunIssue>& issues);

    QTreeWidget* m_list;
    QString m_reportPath;
};
