#pragma once

// The server side of the automation surface.
//
// - ServerObject: one object of an automation server (an application, a document, a sheet,
//   a range...). The built-in office, the COM bridge and the test fakes implement it.
// - ServerReply: what a call answers: a value, an object, or failure.
// - ServerObjectRef: an object carried inside a QVariant, so that one object can be passed
//   as an argument to another (Excel's "Add(conts QVariant)" takes a sheet).

#include "automation/servercall.h"

#include <QMetaType>
#include <QString>
#include <QVariant>

#include <memory>

class ServerObject;
using ServerObjectPtr = std::shared_ptr<ServerObject>;

// The answer to one call. `ok` false means the member failed or does not exist; `error` may
// then say why, in words for the user (as COM's error information does).
struct ServerReply {
    bool ok = false;
    QVariant value;
    ServerObjectPtr object;
    QString error;

    static ServerReply failure() { return {}; }
    static ServerReply failure(const QString& why) { return {false, QVariant(), nullptr, why}; }
    static ServerReply done() { return {true, QVariant(), nullptr, QString()}; }
    static ServerReply ofValue(const QVariant& value) { return {true, value, nullptr, QString()}; }
    // An object reply; a null object is a failure.
    static ServerReply ofObject(ServerObjectPtr object) {
        const bool ok = object != nullptr;
        return {ok, QVariant(), std::move(object), QString()};
    }
};

// An object of an automation server.
//
// Objects are reference-counted. A handle keeps its object alive, but an object that stands
// for something that can be closed or deleted (a document, a workbook, a sheet) must not keep
// that thing alive: it answers isAlive() false once the thing is gone, and every handle to it
// then reads as "no object".
class ServerObject : public std::enable_shared_from_this<ServerObject> {
public:
    virtual ~ServerObject();

    // Answer one call. Never throws; an unknown member or bad arguments give failure().
    virtual ServerReply invoke(const ServerCall& call) = 0;

    // False once the thing this object stands for was closed or deleted.
    virtual bool isAlive() const { return true; }

    // True when the application behind this object runs in another process (COM).
    virtual bool runsOutOfProcess() const { return false; }

    // This object as an argument for another call (see ServerObjectRef).
    virtual QVariant toVariant();
};

// An object passed inside a QVariant.
struct ServerObjectRef {
    ServerObjectPtr object;
};
Q_DECLARE_METATYPE(ServerObjectRef)

// The live object carried by `value`, or null when it carries none or a dead one.
ServerObjectPtr serverObjectFromVariant(const QVariant& value);
