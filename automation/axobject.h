#pragma once

// The automation surface the conversion job drives Word and the spreadsheet program through.
//
// - AxObject (here): one handle type shaped like ActiveQt's QAxObject: bind by program
//   identifier, call members by their exact strings, ask for sub-objects, read and write
//   properties, pass an object as an argument.
// - ServerObject / ServerCall: what a handle talks to (serverobject.h, servercall.h).
// - ServerRegistry: program identifier -> server (serverregistry.h). The built-in office and
//   the test fakes register there; on Windows unregistered identifiers go to COM.

#include "automation/serverobject.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QVariant>

class AxObject : public QObject {
    Q_OBJECT
public:
    explicit AxObject(QObject* parent = nullptr);
    // A handle on an existing server object (what querySubObject hands out).
    AxObject(ServerObjectPtr object, QObject* parent);
    ~AxObject() override;

    // Bind to the application registered under `progId`. Binding again to the identifier
    // already bound keeps the existing application. False when nothing answers.
    bool setControl(const QString& progId);
    QString control() const { return m_control; }

    // True when the handle has no object, or its object was closed or deleted.
    bool isNull() const;

    // True when the bound application runs in another process (COM); false for the
    // built-in office.
    bool runsOutOfProcess() const;

    // Call a member with up to ten arguments; trailing invalid arguments are not passed.
    // Returns the member's value, or an invalid QVariant when it failed or the handle is null.
    QVariant dynamicCall(const char* member, const QVariant& v1 = QVariant(),
                         const QVariant& v2 = QVariant(), const QVariant& v3 = QVariant(),
                         const QVariant& v4 = QVariant(), const QVariant& v5 = QVariant(),
                         const QVariant& v6 = QVariant(), const QVariant& v7 = QVariant(),
                         const QVariant& v8 = QVariant(), const QVariant& v9 = QVariant(),
                         const QVariant& v10 = QVariant());
    QVariant dynamicCall(const char* member, QList<QVariant>& vars);

    // Ask for a sub-object. Returns a new handle owned by this one (delete it, or its
    // parent, when done), or nullptr when the member yields no object.
    AxObject* querySubObject(const char* member, const QVariant& v1 = QVariant(),
                             const QVariant& v2 = QVariant(), const QVariant& v3 = QVariant(),
                             const QVariant& v4 = QVariant(), const QVariant& v5 = QVariant(),
                             const QVariant& v6 = QVariant(), const QVariant& v7 = QVariant(),
                             const QVariant& v8 = QVariant());
    AxObject* querySubObject(const char* member, QList<QVariant>& vars);

    // Read a property ("Count"); an invalid QVariant when it cannot be read.
    QVariant readProperty(const char* name) const;
    // Write a property ("DisplayAlerts", "Name"); false when the object refused it.
    bool writeProperty(const char* name, const QVariant& value);

    // This object as an argument for another call; invalid for a null handle.
    QVariant asVariant() const;

    // Why the last call through this handle failed, when the application said so; empty
    // after a call that succeeded or failed without a reason.
    QString lastErrorDescription() const { return m_lastError; }

    // The server object behind the handle (null when isNull()).
    ServerObjectPtr serverObject() const;

private:
    ServerReply invoke(const char* member, CallKind kind, const QVariantList& args) const;

    ServerObjectPtr m_object;
    QString m_control;
    mutable QString m_lastError;
};
