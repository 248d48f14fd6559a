#include "engine/convertoptions.h"

/* The report's file name, as the user finds it beside the documents. */
QString ConvertOptions::failureReportName() {
    return QStringLiteral("无法打开的文件目录(文件格式有误).txt");
}

/* The one record of the process, built on first use. */
ConvertOptions& convertOptions() {
    static ConvertOptions options;
    return options;
}
