#include "engine/mergeobject.h"

/* An idle job; the window passes no parent. */
MergeObject::MergeObject(QObject* parent) : QObject(parent) {}

MergeObject::~MergeObject() = default;

/* Replace the report viewer. */
void MergeObject::setReportViewer(ReportViewer viewer) {
    m_reportViewer = std::move(viewer);
}

/* List every file under a folder (filled in by the discovery step). */
QFileInfoList MergeObject::collectFiles(const QString& path) {
    Q_UNUSED(path);
    return {};
}

/* Run one conversion job (the run itself lands next). */
void MergeObject::Transform() {
    emit Signal_SetButtonEnable();
}
