#pragma once

// Result: what every reader and writer of the built-in office answers: success, or a failure
// with a status saying what kind it is and a message for people that names the file, part,
// sheet or cell concerned. A success may carry a warning: a line for people saying what the
// file holds less exactly than asked.

#include <QString>

#include <cstdint>

struct Result {
    enum class Status : std::uint8_t {
        Ok,
        NotFound,     // no such file, or it cannot be read
        WrongFormat,  // not a file of the kind the reader takes
        Encrypted,    // password-protected
        Malformed,    // damaged, truncated, or breaks the format's rules
        TooLarge,     // beyond the reader's or the format's limits
        Unsupported,  // a kind of file this build cannot read
        Failed,       // anything else (a file that cannot be written, ...)
    };

    Status status = Status::Failed;
    QString message;  // empty exactly when Ok
    QString warning;  // on success: what was kept less exactly than asked; empty otherwise

    bool ok() const { return status == Status::Ok; }
    explicit operator bool() const { return ok(); }

    static Result success(const QString& warning = QString()) {
        return {Status::Ok, QString(), warning};
    }
    // A failure of the given kind; Ok is no failure and reads as Failed.
    static Result failure(Status status, const QString& message) {
        return {status == Status::Ok ? Status::Failed : status, message, QString()};
    }
    static Result failure(const QString& message) { return {Status::Failed, message, QString()}; }
};
