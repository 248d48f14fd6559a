#include "app/runreportdialog.h"

#include "app/desktopopener.h"

#include <QClipboard>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

/* The list over the buttons; the open button only for a written report. */
RunReportDialog::RunReportDialog(const RunReport& run, const QString& reportPath, QWidget* parent)
    : QDialog(parent), m_list(new QTreeWidget(this)), m_reportPath(reportPath) {
    setObjectName(QStringLiteral("RunReportDialog"));
    setWindowTitle(tr("转换问题"));
    m_list->setObjectName(QStringLiteral("tw_Issues"));
    m_list->setRootIsDecorated(false);
    m_list->setHeaderLabels({tr("文件"), tr("结果"), tr("原因")});
    fillList(run.issues);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton* open = buttons->addButton(tr("打开报告文件(&O)"), QDialogButtonBox::ActionRole);
    open->setObjectName(QStringLiteral("pBtn_OpenReportFile"));
    open->setEnabled(run.reportWritten);
    QPushButton* copy = buttons->addButton(tr("复制(&C)"), QDialogButtonBox::ActionRole);
    copy->setObjectName(QStringLiteral("pBtn_CopyIssues"));
    connect(open, &QPushButton::clicked, this, [this] { DesktopOpener::open(m_reportPath); });
    connect(copy, &QPushButton::clicked, this,
            [this] { QGuiApplication::clipboard()->setText(listText()); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
    resize(720, 360);
}

/* One row per issue, the document's path in full as its tooltip. */
void RunReportDialog::fillList(const QList<RunIssue>& issues) {
    for (const RunIssue& issue : issues) {
        auto* row =
            new QTreeWidgetItem(m_list, {issue.nativePath, kindText(issue.kind), issue.reason});
        row->setToolTip(0, issue.nativePath);
        row->setToolTip(2, issue.reason);
    }
    m_list->header()->setSectionResizeMode(QHeaderView::Interactive);
    // Long paths keep their start and their file name.
    m_list->setTextElideMode(Qt::ElideMiddle);
    m_list->setColumnWidth(0, 340);
    m_list->resizeColumnToContents(1);
}

/* Every row's three columns, tab-separated, one line each. */
QString RunReportDialog::listText() const {
    QString text;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = m_list->topLevelItem(i);
        text += row->text(0) + QLatin1Char('\t') + row->text(1) + QLatin1Char('\t') + row->text(2) +
                QLatin1Char('\n');
    }
    return text;
}

/* The words for each kind of issue. */
QString RunReportDialog::kindText(RunIssue::Kind kind) {
    switch (kind) {
        case RunIssue::Kind::NotOpened:
            return tr("无法打开");
        case RunIssue::Kind::NotSaved:
            return tr("未能保存");
        case RunIssue::Kind::Lossy:
            return tr("转换有损失");
    }
    return QString();
}
