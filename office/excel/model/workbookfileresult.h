#pragma once

#include <QString>

// The outcome of saving or loading a workbook file.
struct WorkbookFileResult {
    bool ok = false;
    QString error;  // what went wrong, naming the file or part; empty on success

    static WorkbookFileResult success() { return {true, QString()}; }
    static WorkbookFileResult failure(const QString& message) { return {false, message}; }
    explicit operator bool() const { return ok; }
};
