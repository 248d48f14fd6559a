#pragma once

// Owning handles and null-safe calls for the conversion procedures.
//
// Every sub-object the job asks for becomes an AxHandle of its own (detached from the
// handle it came from), so that releasing it frees it at once and nothing accumulates on the
// long-lived application handles over a run. Calls through a null handle do nothing.

#include "automation/axobject.h"

#include <QList>
#include <QVariant>

#include <memory>

using AxHandle = std::unique_ptr<AxObject>;

// The sub-object `member` of `from` as an independent handle; null when `from` is null or
// the member yields no object.
AxHandle subObject(AxObject* from, const char* member, const QVariant& v1 = QVariant(),
                   const QVariant& v2 = QVariant());

// Call `member` on `on` with up to two arguments; an invalid QVariant when `on` is null or
// the call failed.
QVariant callOn(AxObject* on, const char* member, const QVariant& v1 = QVariant(),
                const QVariant& v2 = QVariant());

// Call `member` on `on` with a list of arguments (up to ten); as above.
QVariant callWith(AxObject* on, const char* member, QList<QVariant> args);

// `member` of `on` read as a number (a property read when `asProperty`, else a method
// call such as "Count()"); 0 when `on` is null or the value is not a number.
int readCount(AxObject* on, const char* member, bool asProperty = false);
